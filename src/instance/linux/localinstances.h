// How running copies of the program find each other on Linux: every copy
// listens on a local socket of its own in a directory that belongs to the user
// alone, and answers two questions there (wire.h): what its application title
// is now, and to come forward. A starting copy asks the others through the same
// sockets (asking.h). The sockets are watched by Qt Core's event loop alone, so that a
// start loads neither Qt Network nor Qt Gui for them.
//
// Raising and restoring the window is not done here: a copy that is asked to
// come forward calls onActivate and leaves the rest to whoever set it
// (activation.cpp). Copies of other users are never seen, and neither is
// anything in the directory that is not a socket made by this user.
#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

#include "instance/instances.h"

namespace instance {

struct LocalInstancesOptions {
  // Where the copies' sockets and the start-up lock live; empty means a
  // directory of the program's own under the user's runtime directory.
  QString directory;
  // How long a starting copy waits for another copy's start-up to finish
  // before it carries on regardless.
  std::chrono::milliseconds lockTimeout{10'000};
  // How long a starting copy waits for another copy to answer one question, so
  // that a hung copy cannot hang the one that is starting.
  std::chrono::milliseconds queryTimeout{2'000};
  // Other local processes are served this many connections at once; more
  // wait in the kernel's queue. A connection that has asked nothing for
  // `idleTimeout` is closed. So no process of the user's can take up this
  // copy's file descriptors, which its palette's save needs.
  int maxConnections = 16;
  std::chrono::milliseconds idleTimeout{5'000};
  // Sent along when this copy asks another to come forward.
  Handshake handshake;
};

class LocalInstances final : public WindowFinder {
 public:
  // Takes the start-up lock, so that copies started at the same moment go
  // through start-up one after another, then starts answering as `title`.
  explicit LocalInstances(const QString& title, LocalInstancesOptions options = {});
  ~LocalInstances() override;

  LocalInstances(const LocalInstances&) = delete;
  LocalInstances& operator=(const LocalInstances&) = delete;

  // Whether another copy of this user's is running. Sockets left behind by
  // copies that were killed are cleared away on the way.
  bool OthersRunning();

  // The title this copy answers with from now on.
  void Publish(const QString& title);

  // Lets the next copy start; call once this copy has run the guard and its
  // window has loaded.
  void FinishStartup();

  // Stops answering and leaves nothing behind for other copies to find.
  void Withdraw();

  // False when the start-up lock could not be had in time (another copy seems
  // stuck in its start-up) or the directory could not be trusted.
  bool HoldsStartupLock() const;

  std::unique_ptr<Window> FindWindow(const QString& title) override;

  // Another copy asked this one to bring its window forward, with what its
  // launcher gave it; a token or id that is not one a desktop hands out
  // arrives empty.
  std::function<void(const Handshake&)> onActivate;

 private:
  // Another copy as FindWindow found it.
  class Other;
  class Private;
  std::unique_ptr<Private> d_;
};

}  // namespace instance
