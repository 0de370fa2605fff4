// The real window for the benchmarks, made, loaded and shown as the program
// does, in a program folder of its own; only the search for other running
// copies is left out, since no other copy runs here.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <optional>

#include "window/main.h"

namespace bench {

class NoOtherCopies : public instance::WindowFinder {
 public:
  std::unique_ptr<Window> FindWindow(const QString&) override { return nullptr; }
};

// Scratch folders go beside this program, on the disk that holds the
// program's own palette file: the system's temporary folder may be in
// memory, where a save's sync would cost nothing.
inline QString ScratchTemplate() {
  return QCoreApplication::applicationDirPath() + QStringLiteral("/scratch-XXXXXX");
}

// The window as the program starts it. It is destroyed without being closed,
// so no palette is saved.
struct ShownWindow {
  ShownWindow() {
    app.msgBoxHandler = [](const QString&) {};
    main.form.Load();
    main.form.Show();
    main.form.widget()->activateWindow();
    QApplication::processEvents();
  }

  QTemporaryDir programFolder{ScratchTemplate()};
  QTemporaryDir userFolder{ScratchTemplate()};
  forms::App app{QStringLiteral("Huvenor"), programFolder.path()};
  NoOtherCopies finder;
  window::Main main{app, finder, userFolder.filePath(QStringLiteral("kelvane.cfg"))};
};

}  // namespace bench
