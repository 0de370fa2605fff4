#include "endings.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <utility>

namespace app {

Endings::Endings(std::function<void()> end) : end_(std::move(end)) {
  signals_ = Signals::Watch(*this, [this] { end_(); });
  // The session asks first whether the program may end; ending now saves
  // the palette before the session is gone.
  QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
                   [this](QSessionManager&) { end_(); });
}

Endings::~Endings() = default;

}  // namespace app
