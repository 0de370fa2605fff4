// The Linux backend as the program sees it: the copies' sockets of
// localinstances.cpp, with the window brought forward on the platform Qt runs.
#include "instance/linux/activation.h"

#include <QGuiApplication>
#include <QPointer>
#include <QWindow>

#include "instance/instances.h"
#include "instance/linux/localinstances.h"

namespace instance {

namespace {

LocalInstancesOptions OptionsFor(const Handshake& handshake) {
  LocalInstancesOptions options;
  options.handshake = handshake;
  return options;
}

class LinuxInstances final : public Instances {
 public:
  LinuxInstances(const QString& title, const Handshake& handshake)
      : local_(title, OptionsFor(handshake)) {}

  bool OthersRunning() override { return local_.OthersRunning(); }
  void Publish(const QString& title) override { local_.Publish(title); }
  void FinishStartup(QWindow& window) override {
    // A request that comes while the window is being destroyed finds nothing
    // to bring forward rather than a dangling window.
    local_.onActivate = [window = QPointer<QWindow>(&window)](const Handshake& handshake) {
      if (window) BringForward(*window, handshake);
    };
    local_.FinishStartup();
  }
  void Withdraw() override { local_.Withdraw(); }
  std::unique_ptr<Window> FindWindow(const QString& title) override {
    return local_.FindWindow(title);
  }

 private:
  LocalInstances local_;
};

}  // namespace

#ifndef HUVENOR_HAVE_XCB
bool ActivateOnX11(QWindow&, QByteArrayView) {
  return false;
}
#endif

void BringForward(QWindow& window, const Handshake& handshake) {
  window.setWindowStates(window.windowStates() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  if (QGuiApplication::platformName() == QLatin1String("wayland")) {
    // Qt's Wayland platform activates with the token it finds in the
    // environment at this call and removes it. A token of this copy's own
    // launch, long spent, must not stand in for a missing one: without a token
    // Qt asks with the user's last input in this copy, which the desktop
    // grants only when the copy already has the focus.
    if (handshake.activationToken.isEmpty())
      qunsetenv("XDG_ACTIVATION_TOKEN");
    else
      qputenv("XDG_ACTIVATION_TOKEN", handshake.activationToken);
    window.requestActivate();
    qunsetenv("XDG_ACTIVATION_TOKEN");
    return;
  }
  if (!ActivateOnX11(window, handshake.startupId)) window.requestActivate();
}

std::unique_ptr<Instances> MakeInstances(const QString& title, const Handshake& handshake) {
  return std::make_unique<LinuxInstances>(title, handshake);
}

}  // namespace instance
