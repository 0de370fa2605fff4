// Runs GoogleTest inside a QApplication, so widget tests can show real
// widgets (on the offscreen platform that CTest selects) and feed them events.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
  // CTest lists the tests without the test environment; listing needs no
  // display, so no application is made for it.
  bool listing = false;
  for (int i = 1; i < argc; ++i) listing |= std::strcmp(argv[i], "--gtest_list_tests") == 0;
  // The tests drive Qt's own dialogs; a system's file dialog (Windows') is
  // not Qt's to drive.
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  std::unique_ptr<QApplication> app;
  if (!listing) app = std::make_unique<QApplication>(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
