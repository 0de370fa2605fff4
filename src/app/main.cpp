// Program start: the window `main` is the start-up object. Its Load handler
// is the program's main routine; closing the window ends the program.
#include "window/main.h"

#include <QApplication>

#include "forms/application.h"
#include "forms/fonts.h"
#include "instance/localinstances.h"
#include "palette/palettefile.h"

int main(int argc, char* argv[]) {
  QApplication qt(argc, argv);
  // First, before any widget lays out text in a font the window never uses.
  QApplication::setFont(forms::DialogFont());
  QCoreApplication::setApplicationName(QStringLiteral("huvenor"));
  QGuiApplication::setDesktopFileName(QStringLiteral("huvenor"));

  forms::App app(QStringLiteral("Huvenor"));
  instance::LocalInstances instances(app.Title());
  app.SetPrevInstance(instances.OthersRunning());
  app.onTitleChanged = [&](const QString& title) { instances.Publish(title); };
  app.onEnd = [&] { instances.Withdraw(); };

  window::Main main(app, instances, palette::PerUserPath());
  main.form.Load();
  instances.FinishStartup();
  instances.onActivate = [&] { main.BringToFront(); };
  main.form.Show();
  return QApplication::exec();
}
