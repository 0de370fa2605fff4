// How running copies of the program find each other on Linux: every copy
// listens on a local socket of its own in a directory that belongs to the user
// alone, and answers two questions there: what its application title is now,
// and to come forward. A starting copy asks the others through the same sockets.
//
// Raising and restoring the window is not done here: a copy that is asked to
// come forward calls onActivate and leaves the rest to whoever set it. Copies
// of other users are never seen, and neither is anything in the directory that
// is not a socket made by this user.
#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "instance/preventnewinstance.h"

namespace instance {

// What a launcher hands the copy it starts so that the desktop lets that copy
// take the keyboard focus: a Wayland activation token and an X11 startup
// notification id. A copy that finds another one running passes them on with
// its request to come forward, since only the launched copy holds them; they
// are never kept.
struct Handshake {
  QByteArray activationToken;
  QByteArray startupId;

  // What the launcher put in this process's environment. Read it before Qt's
  // X11 platform is set up, since that takes the startup id out.
  static Handshake FromEnvironment();
};

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

  std::optional<Window> FindWindow(const QString& title) override;
  void ActivateWindow(const Window& window) override;

  // Another copy asked this one to bring its window forward, with what its
  // launcher gave it; a token or id that is not one a desktop hands out
  // arrives empty.
  std::function<void(const Handshake&)> onActivate;

 private:
  class Private;
  std::unique_ptr<Private> d_;
};

}  // namespace instance
