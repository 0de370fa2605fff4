// A real window `main` in a temporary program folder, driven by real events.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>

#include "window/main.h"

namespace window {

// Stands in for the other running copies: there are none. The guard is the
// peer-process tests' (tests/instance) and the real program's (tests/e2e).
class NoOtherCopies : public instance::WindowFinder {
 public:
  std::unique_ptr<Window> FindWindow(const QString&) override { return nullptr; }
};

// Every test starts with the window shown on a first run (no palette file).
class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(programFolder.isValid() && userFolder.isValid());
    app.msgBoxHandler = [this](const QString& text) { messages << text; };
    Start();
  }

  // Makes the window, raises its Load and shows it, as the program's start
  // does. A window made before goes first, without its Unload.
  void Start() {
    main.reset();
    main = std::make_unique<Main>(app, finder, userFolder.filePath(QStringLiteral("kelvane.cfg")));
    main->form.Load();
    main->form.Show();
    main->form.widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main->form.widget()));
  }

  // Closes the window the way the user does, which unloads it.
  void Close() { main->form.widget()->close(); }

  QString PalettePath() const { return programFolder.filePath(QStringLiteral("kelvane.cfg")); }

  // What the window shows, in one line: the target, the sliders, the channel
  // boxes, the final hex boxes, and the preview's text colour on its
  // background as colour words.
  std::string Shown() const {
    const Main& m = *main;
    const auto text = [](const forms::TextBox& box) { return box.Text().toUtf8(); };
    return QString::asprintf("%s: %d %d %d | %s %s %s | %s %s | %08X on %08X",
                             m.optITEM[0].Value() ? "text" : "back", m.vsbCOLOR[0].Value(),
                             m.vsbCOLOR[1].Value(), m.vsbCOLOR[2].Value(),
                             text(m.txtHEXCOLOR[0]).data(), text(m.txtHEXCOLOR[1]).data(),
                             text(m.txtHEXCOLOR[2]).data(), text(m.txtFINALHEX[0]).data(),
                             text(m.txtFINALHEX[1]).data(), unsigned(m.txtEXAMPLE->ForeColor()),
                             unsigned(m.txtEXAMPLE->BackColor()))
        .toStdString();
  }

  template <typename Widget = QWidget>
  Widget* Find(QAnyStringView objectName) const {
    auto* widget = main->form.widget()->findChild<Widget*>(objectName.toString());
    EXPECT_NE(widget, nullptr) << objectName.toString().toStdString();
    return widget;
  }

  void Click(QAnyStringView objectName, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(Find(objectName), button);
  }
  void PressSwatch(int swatch, Qt::MouseButton button) {
    Click(QStringLiteral("lblSTORE(%1)").arg(swatch), button);
  }
  void ChooseTarget(int item) { Click(QStringLiteral("optITEM(%1)").arg(item)); }

  // Puts `text` on the clipboard and presses Ctrl+V in `objectName`, over
  // the whole text of a box.
  void Paste(QAnyStringView objectName, const QString& text) {
    QApplication::clipboard()->setText(text);
    QWidget* widget = Find(objectName);
    widget->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
    QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
  }

  QTemporaryDir programFolder;
  QTemporaryDir userFolder;
  forms::App app{QStringLiteral("Huvenor"), programFolder.path()};
  NoOtherCopies finder;
  std::unique_ptr<Main> main;
  QStringList messages;
};

}  // namespace window
