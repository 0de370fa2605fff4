// The running copies of one user, as the platform lets copies see each
// other: how this copy is found by its title, how it finds another, and how
// the other's window is brought forward. One interface; each platform's
// backend (local sockets on Linux, user32 windows on Windows) is chosen by
// the build and made by MakeInstances.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "instance/preventnewinstance.h"

class QWindow;

namespace instance {

// What a launcher hands the copy it starts so that the desktop lets that copy
// take the keyboard focus: a Wayland activation token and an X11 startup
// notification id. A copy that finds another one running passes them on with
// its request to come forward, since only the launched copy holds them; they
// are never kept. Empty where the platform lets the starting copy raise the
// other's window itself (Windows).
struct Handshake {
  QByteArray activationToken;
  QByteArray startupId;

  // What the launcher put in this process's environment. Read it before Qt's
  // X11 platform is set up, since that takes the startup id out.
  static Handshake FromEnvironment();
};

class Instances : public WindowFinder {
 public:
  // Whether another copy of this user's is running: the application
  // object's PrevInstance.
  virtual bool OthersRunning() = 0;

  // The title this copy is found by from now on.
  virtual void Publish(const QString& title) = 0;

  // `window` is the one a later copy brings forward. Call once this copy has
  // run the guard and its window has loaded: from then on the next copy may
  // start.
  virtual void FinishStartup(QWindow& window) = 0;

  // Stops being found and leaves nothing behind for other copies to find.
  virtual void Withdraw() = 0;
};

// This platform's backend for a copy titled `title`. Copies started at the
// same moment go through start-up one after another: this waits, bounded,
// for the start-up of any copy before it. `handshake` goes along when this
// copy asks another to come forward.
std::unique_ptr<Instances> MakeInstances(const QString& title, const Handshake& handshake);

}  // namespace instance
