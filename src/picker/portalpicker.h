// Picking through the desktop portal, where the program cannot read the
// screen itself (a Wayland session): the portal lets the user pick and answers
// with the colour. Whether the portal can pick is asked without waiting for
// the answer, as the picker is made.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <chrono>
#include <memory>

#include "picker/screenpicker.h"

namespace picker {

class PortalPicker : public ScreenPicker {
 public:
  // `patience`: how long the portal may take to answer before the pick is
  // given up; users pick in seconds, a portal that hangs never answers.
  explicit PortalPicker(QDBusConnection bus,
                        std::chrono::milliseconds patience = std::chrono::seconds(60));
  ~PortalPicker() override;

  // A pick started before the portal has answered whether it can pick waits
  // for that answer; one started after it said no asks it again.
  bool Start(QWidget* window) override;
  bool Active() const override;
  void Cancel() override;

  // Empty until the portal answers that it cannot pick. After such an answer
  // this asks again, since the portal may have started meanwhile;
  // onAvailabilityChanged tells when the new answer differs.
  QString Unavailable() const override;

 private:
  class Request;
  void Ask() const;
  void Answered(const QString& unavailable) const;

  QDBusConnection bus_;
  std::chrono::milliseconds patience_;
  std::unique_ptr<Request> request_;
  mutable QString unavailable_;
  mutable bool asking_ = false;
  // The context of the answers awaited, which go unheard with it.
  std::unique_ptr<QObject> answers_;
};

}  // namespace picker
