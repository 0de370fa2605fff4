// Program start: the window `main` is the start-up object. Its Load handler
// is the program's main routine; closing the window ends the program.
#include "window/main.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>

#include "endings.h"
#include "forms/application.h"
#include "forms/fonts.h"
#include "instance/instances.h"
#include "palette/palettefile.h"

namespace {

// The window while its event loop runs. When the X server goes away, Qt
// ends the program through exit(1) from inside the loop, so the exit
// handler below runs while the window and its palette still stand: it only
// writes a store still gathering others for its prompt save, touching no
// widget. After the loop it does nothing, since by then the close has saved
// and Qt's own teardown may be under way. (Qt's Wayland platform ends the
// program through _exit(1), which runs no handler: there the prompt save's
// quarter second is all a store waits.)
window::Main* running = nullptr;

void WriteWaitingStores() {
  if (running != nullptr) running->FlushPalette();
}

}  // namespace

int main(int argc, char* argv[]) {
  // Before Qt's X11 platform takes the startup id out of the environment.
  const instance::Handshake handshake = instance::Handshake::FromEnvironment();
  // While Qt connects to the display and loads its platform.
  forms::PrepareFonts();
  QApplication qt(argc, argv);
  // The controls are measured in Fusion's metrics, which every platform has,
  // rather than in a native style's, which differ between systems and themes.
  QApplication::setStyle(QStringLiteral("Fusion"));
  // First, before any widget lays out text in a font the window never uses.
  QApplication::setFont(forms::DialogFont());
  QCoreApplication::setApplicationName(QStringLiteral("huvenor"));
  // The desktop knows the window (on Wayland by its app id) by the installed
  // launcher entry's name; the per-user palette's folder follows the
  // application name above, so it stays ~/.config/huvenor.
  QGuiApplication::setDesktopFileName(QStringLiteral(HUVENOR_APP_ID));

  forms::App app(QStringLiteral("Huvenor"));
  const std::unique_ptr<instance::Instances> instances =
      instance::MakeInstances(app.Title(), handshake);
  app.SetPrevInstance(instances->OthersRunning());
  app.onTitleChanged = [&](const QString& title) { instances->Publish(title); };
  app.onEnd = [&] { instances->Withdraw(); };

  window::Main main(app, *instances, palette::PerUserPath(),
                    QStringLiteral(HUVENOR_INSTALL_BINDIR));
  // What the load tells the user (an unreadable palette) waits until the
  // window is up and the start-up is over. A message box waits in an event
  // loop of its own, which would answer a later copy while this one still
  // held the start-up lock and had no window to bring forward: that copy
  // would wait out the lock, be told it was brought forward, and end with
  // nothing shown.
  QStringList toldDuringLoad;
  std::function<void(const QString&)> messageBox =
      std::exchange(app.msgBoxHandler, [&](const QString& text) { toldDuringLoad.append(text); });
  main.form.Load();
  app.msgBoxHandler = std::move(messageBox);
  running = &main;
  std::atexit(WriteWaitingStores);
  // Every ending closes the window as the user does, so the palette is saved
  // by its Unload; a window already closed, or closing, is not closed
  // again. Nobody may be there to answer a message, so it goes to stderr,
  // and quitting also ends a message box the close was waiting on. The end
  // of a session saves without closing anything.
  app::Endings endings(
      [&] {
        app.msgBoxHandler = [](const QString& text) {
          std::fprintf(stderr, "huvenor: %s\n", qUtf8Printable(text));
        };
        if (main.form.widget()->isVisible()) main.form.widget()->close();
        QCoreApplication::quit();
      },
      [&] { return main.CommitPalette(); }, [&](const QString& text) { app.MsgBox(text); });
  main.form.Show();
  // Once shown, the window has the platform window a later copy brings
  // forward; until then the start-up lock keeps that copy waiting.
  instances->FinishStartup(*main.form.widget()->windowHandle());
  // From the event loop, so that an ending meanwhile closes the box as it
  // closes any other.
  QTimer::singleShot(0, [&] {
    for (const QString& text : std::as_const(toldDuringLoad)) app.MsgBox(text);
  });
  const int status = QApplication::exec();
  running = nullptr;
  // Every way out of the loop has closed the window, whose Unload saved
  // the palette; one that has not is closed now. Then the next copy may
  // start at once, and the teardown that is left gets a second at most.
  if (main.form.widget()->isVisible()) main.form.widget()->close();
  instances->Withdraw();
  app::EndWithin(std::chrono::seconds(1), status);
  return status;
}
