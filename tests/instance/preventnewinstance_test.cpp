#include "instance/preventnewinstance.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "forms/application.h"

namespace instance {
namespace {

// Thrown by the application's end hook, so that ending leaves the test running.
struct Ended {};

// Records every step the guard takes, in order, on one shared list.
class FakeFinder : public WindowFinder {
 public:
  FakeFinder(QStringList& steps, std::optional<int> running) : steps_(steps), running_(running) {}

  std::optional<Window> FindWindow(const QString& title) override {
    steps_.append(QStringLiteral("find ") + title);
    if (!running_) return std::nullopt;
    return Window(*running_);
  }
  void ActivateWindow(const Window& window) override {
    steps_.append(QStringLiteral("activate %1").arg(std::any_cast<int>(window)));
  }

 private:
  QStringList& steps_;
  std::optional<int> running_;
};

struct GuardCase {
  const char* name;
  const char* productName;
  std::optional<int> running;  // the window of the copy already running, if any
  QStringList expected;
};

class CheckPrevInstanceTest : public testing::TestWithParam<GuardCase> {};

TEST_P(CheckPrevInstanceTest, TakesTheDecoyTitleThenSearchesByTheProductName) {
  const GuardCase& c = GetParam();
  QStringList steps;
  forms::App app(QString::fromUtf8(c.productName));
  app.onTitleChanged = [&](const QString& title) {
    steps.append(QStringLiteral("title ") + title);
  };
  app.onEnd = [&] {
    steps.append(QStringLiteral("end"));
    throw Ended{};
  };
  FakeFinder finder(steps, c.running);

  bool ended = false;
  try {
    CheckPrevInstance(app, finder);
  } catch (const Ended&) {
    ended = true;
  }

  EXPECT_EQ(steps, c.expected);
  EXPECT_EQ(ended, c.running.has_value());
  // Whether it returns or ends, the copy keeps the decoy title.
  EXPECT_EQ(app.Title(), QStringLiteral("unwanted instance"));
}

INSTANTIATE_TEST_SUITE_P(
    Guard, CheckPrevInstanceTest,
    testing::Values(
        GuardCase{"NoneRunning",
                  "Huvenor",
                  std::nullopt,
                  {QStringLiteral("title unwanted instance"), QStringLiteral("find Huvenor")}},
        GuardCase{"OneRunning",
                  "Huvenor",
                  7,
                  {QStringLiteral("title unwanted instance"), QStringLiteral("find Huvenor"),
                   QStringLiteral("activate 7"), QStringLiteral("end")}},
        // The search uses whatever title the copy had, not a fixed name.
        GuardCase{"RenamedProduct",
                  "Huvenor 2",
                  3,
                  {QStringLiteral("title unwanted instance"), QStringLiteral("find Huvenor 2"),
                   QStringLiteral("activate 3"), QStringLiteral("end")}}),
    [](const testing::TestParamInfo<GuardCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace instance
