// Picking through the desktop portal, where the program cannot read the
// screen itself (Wayland): the portal lets the user pick and answers with
// the colour. Nothing of D-Bus is touched before the first pick.
#pragma once

#include <QDBusConnection>
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

  // Why the portal on `bus` cannot pick colours, or empty when it can.
  static QString Unavailable(const QDBusConnection& bus);

  bool Start(QWidget* window) override;
  bool Active() const override;
  void Cancel() override;

 private:
  class Request;
  QDBusConnection bus_;
  std::chrono::milliseconds patience_;
  std::unique_ptr<Request> request_;
};

}  // namespace picker
