// Stands in for the program in the tests: starts the way the program does,
// with the guard and the local backend, but without a window. Tells the test
// what happens on standard output, one line each:
//   started prev=<0|1> lock=<0|1> title=<application title>
//   activated                  (asked to come forward)
//   title <text>               (after the test set the title)
// and takes commands on standard input, one line each:
//   title <text>               sets the application title
// With --together it starts only once it has read a first line.
// It ends when standard input closes, so a test that dies takes its peers along.
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "instance/linux/localinstances.h"
#include "instance/preventnewinstance.h"

namespace {

void Say(const QString& line) {
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

// The program as the guard sees it, publishing its title where other copies
// look for it.
class Peer final : public instance::GuardedProgram {
 public:
  explicit Peer(instance::LocalInstances& instances) : instances_(instances) {}
  QString Title() const override { return title_; }
  void SetTitle(const QString& title) override {
    title_ = title;
    instances_.Publish(title);
  }
  [[noreturn]] void End() override {
    instances_.Withdraw();
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
  }

 private:
  instance::LocalInstances& instances_;
  QString title_ = QStringLiteral("Huvenor");
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication qtApp(argc, argv);

  // Options first (--hold (keeps the start-up lock), --lock-timeout=<ms>, --idle-timeout=<ms>,
  // --max-connections=<n>, --together), the socket directory last.
  const QStringList args = qtApp.arguments().mid(1);
  if (args.isEmpty()) return 2;
  instance::LocalInstancesOptions options;
  options.directory = args.constLast();
  const bool hold = args.contains(QStringLiteral("--hold"));
  for (const QString& arg : args) {
    const int value = arg.section(QLatin1Char('='), 1).toInt();
    if (arg.startsWith(QStringLiteral("--lock-timeout=")))
      options.lockTimeout = std::chrono::milliseconds(value);
    if (arg.startsWith(QStringLiteral("--idle-timeout=")))
      options.idleTimeout = std::chrono::milliseconds(value);
    if (arg.startsWith(QStringLiteral("--max-connections="))) options.maxConnections = value;
  }

  // Copies started together all wait here, so that their start-ups overlap.
  if (args.contains(QStringLiteral("--together"))) {
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n') {
    }
  }

  instance::LocalInstances instances(QStringLiteral("Huvenor"), options);
  Peer app(instances);
  instances.onActivate = [](const instance::Handshake&) { Say(QStringLiteral("activated")); };

  const bool prevInstance = instances.OthersRunning();
  if (prevInstance) instance::CheckPrevInstance(app, instances);
  const bool locked = instances.HoldsStartupLock();
  if (!hold) instances.FinishStartup();
  Say(QStringLiteral("started prev=%1 lock=%2 title=%3")
          .arg(prevInstance ? 1 : 0)
          .arg(locked ? 1 : 0)
          .arg(app.Title()));

  QByteArray pending;
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, &input, [&] {
    char buffer[256];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
      input.setEnabled(false);
      QCoreApplication::quit();
      return;
    }
    pending.append(buffer, got);
    qsizetype end;
    while ((end = pending.indexOf('\n')) >= 0) {
      const QString command = QString::fromUtf8(pending.left(end));
      pending.remove(0, end + 1);
      if (command.startsWith(QStringLiteral("title "))) {
        app.SetTitle(command.mid(6));
        Say(command);
      }
    }
  });
  // A last resort for a peer whose test lost track of it.
  QTimer::singleShot(std::chrono::minutes(5), &qtApp, &QCoreApplication::quit);
  return qtApp.exec();
}
