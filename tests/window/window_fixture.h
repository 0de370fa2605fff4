// A real window `main` in a temporary program folder, driven by real events.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "window/main.h"

namespace window {

// Finds no other copy: these tests run one window at a time.
class NoOtherCopies : public instance::WindowFinder {
 public:
  std::optional<Window> FindWindow(const QString&) override { return std::nullopt; }
  void ActivateWindow(const Window&) override {}
};

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(programFolder.isValid());
    ASSERT_TRUE(userFolder.isValid());
    app.msgBoxHandler = [this](const QString& text) { messages << text; };
  }
  void TearDown() override { main.reset(); }

  // Loads and shows the window, as the program's start does.
  void Start() {
    main = std::make_unique<Main>(app, finder, userFolder.path());
    main->form.Load();
    main->form.Show();
    main->form.widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main->form.widget()));
  }

  // Closes the window the way the user does, which unloads it.
  void Close() { main->form.widget()->close(); }

  QString PalettePath() const { return programFolder.filePath(QStringLiteral("kelvane.cfg")); }

  template <typename Widget = QWidget>
  Widget* Find(const char* objectName) const {
    auto* widget = main->form.widget()->findChild<Widget*>(QString::fromLatin1(objectName));
    EXPECT_NE(widget, nullptr) << objectName;
    return widget;
  }

  void Type(const char* objectName, const QString& keys) {
    QWidget* box = Find(objectName);
    QTest::keyClicks(box, keys);
  }

  QTemporaryDir programFolder;
  QTemporaryDir userFolder;
  forms::App app{QStringLiteral("Huvenor"), programFolder.path()};
  NoOtherCopies finder;
  std::unique_ptr<Main> main;
  QStringList messages;
};

}  // namespace window
