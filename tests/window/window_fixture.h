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

// Stands in for the other running copies: finds one only when told to.
class FakeCopies : public instance::WindowFinder {
 public:
  std::optional<Window> FindWindow(const QString& title) override {
    searchedFor << title;
    if (runningTitle.isEmpty() || title != runningTitle) return std::nullopt;
    return Window(runningTitle);
  }
  void ActivateWindow(const Window&) override { ++activations; }

  QString runningTitle;  // the title of a running copy; empty for none
  QStringList searchedFor;
  int activations = 0;
};

// Thrown by the application's End in tests, which must not exit the runner.
struct Ended {};

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(programFolder.isValid());
    ASSERT_TRUE(userFolder.isValid());
    app.msgBoxHandler = [this](const QString& text) { messages << text; };
    app.onEnd = [] { throw Ended{}; };
  }
  void TearDown() override { main.reset(); }

  // Loads and shows the window, as the program's start does.
  void Start() {
    Load();
    main->form.Show();
    main->form.widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main->form.widget()));
  }

  // Makes the window and raises its Load, as the program's start does.
  void Load() {
    main = std::make_unique<Main>(app, finder, UserPalettePath());
    main->form.Load();
  }

  // Closes the window the way the user does, which unloads it.
  void Close() { main->form.widget()->close(); }

  std::array<int, 3> Sliders() const {
    return {main->vsbCOLOR[0].Value(), main->vsbCOLOR[1].Value(), main->vsbCOLOR[2].Value()};
  }

  QString UserPalettePath() const { return userFolder.filePath(QStringLiteral("kelvane.cfg")); }

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
  FakeCopies finder;
  std::unique_ptr<Main> main;
  QStringList messages;
};

}  // namespace window
