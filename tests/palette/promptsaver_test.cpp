// The prompt save: stores that come fast are written once, one write at a
// time; the save at close waits for a write in flight and takes the place of
// one still waiting; on real files, what a prompt save wrote is what the
// save at close judges outside changes against.
#include "palette/promptsaver.h"

#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace palette {
namespace {

using namespace std::chrono_literals;

// A palette told apart from others by its first swatch's text colour.
Records Palette(std::int32_t mark) {
  Records records{};
  records[0].fore = mark;
  return records;
}

// Stands in for the palette file: it records what it was asked to write
// and, while closed, holds every write at its start until opened.
class FakeFile {
 public:
  Saved Save(const Records& records) {
    const int running = ++running_;
    if (running > mostAtOnce_) mostAtOnce_ = running;
    {
      std::unique_lock lock(mutex_);
      written_.push_back(records[0].fore);
      changed_.notify_all();
      changed_.wait(lock, [this] { return open_; });
    }
    --running_;
    return {QStringLiteral("kelvane.cfg"), problem_};
  }
  PromptSaver::Save Saving() {
    return [this](const Records& records) { return Save(records); };
  }

  void SetOpen(bool open) {
    {
      const std::lock_guard lock(mutex_);
      open_ = open;
    }
    changed_.notify_all();
  }
  // Waits until `count` writes have started; false after two seconds.
  bool Started(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 2s, [&] { return written_.size() >= count; });
  }
  std::vector<std::int32_t> Written() {
    const std::lock_guard lock(mutex_);
    return written_;
  }
  int MostAtOnce() const { return mostAtOnce_; }
  void SetProblem(const QString& problem) { problem_ = problem; }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = true;
  std::vector<std::int32_t> written_;
  std::atomic<int> running_ = 0;
  std::atomic<int> mostAtOnce_ = 0;
  QString problem_;
};

// Results are reported through the event loop of the thread that made the saver.
class PromptSaverTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "promptsaver_test";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
  }

  FakeFile file;
  std::vector<QString> reports;
  PromptSaver::Report Reporting() {
    return [this](const Saved& saved) { reports.push_back(saved.problem); };
  }
};

TEST_F(PromptSaverTest, StoresThatComeFastAreWrittenOnceWithinASecond) {
  PromptSaver saver(file.Saving(), Reporting(), 200ms);
  const auto start = std::chrono::steady_clock::now();
  for (int mark = 1; mark <= 20; ++mark) saver.Store(Palette(mark));
  ASSERT_TRUE(file.Started(1));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  QTest::qWait(400);
  EXPECT_EQ(file.Written(), std::vector<std::int32_t>{20});
  EXPECT_EQ(reports.size(), 1u) << "each write is reported";
}

// Stores that come while a write runs wait for it and are written after
// it, as one write of the newest palette.
TEST_F(PromptSaverTest, OneWriteAtATime) {
  PromptSaver saver(file.Saving(), Reporting(), 0ms);
  file.SetOpen(false);
  saver.Store(Palette(1));
  ASSERT_TRUE(file.Started(1));
  saver.Store(Palette(2));
  saver.Store(Palette(3));
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(file.Written().size(), 1u) << "a second write started while one ran";
  file.SetOpen(true);
  ASSERT_TRUE(file.Started(2));
  QTest::qWait(100);
  EXPECT_EQ(file.Written(), (std::vector<std::int32_t>{1, 3}));
  EXPECT_EQ(file.MostAtOnce(), 1);
  EXPECT_EQ(saver.Writes(), 2u);
}

// The save at close waits for the prompt save in flight, then writes its
// own palette, which takes the place of a store still waiting.
TEST_F(PromptSaverTest, SaveAtCloseWaitsForTheWriteInFlightAndSupersedesTheWaiting) {
  PromptSaver saver(file.Saving(), Reporting(), 0ms);
  file.SetOpen(false);
  saver.Store(Palette(1));
  ASSERT_TRUE(file.Started(1));
  saver.Store(Palette(2));
  auto closing = std::async(std::launch::async, [&] { return saver.SaveNow(Palette(3)); });
  EXPECT_EQ(closing.wait_for(100ms), std::future_status::timeout);
  EXPECT_EQ(file.Written().size(), 1u);
  file.SetOpen(true);
  EXPECT_EQ(closing.get().path, QStringLiteral("kelvane.cfg"));
  QTest::qWait(300);
  EXPECT_EQ(file.Written(), (std::vector<std::int32_t>{1, 3}));
  EXPECT_EQ(file.MostAtOnce(), 1);
  EXPECT_TRUE(reports.empty()) << "the save at close speaks for the palette after it";
}

TEST_F(PromptSaverTest, WhatIsStillWaitingIsWrittenByFlushAndAtTheEnd) {
  {
    PromptSaver saver(file.Saving(), Reporting(), 10s);
    saver.Store(Palette(1));
    saver.Flush();
    EXPECT_EQ(file.Written(), std::vector<std::int32_t>{1});
    saver.Flush();
    saver.Store(Palette(2));
  }
  EXPECT_EQ(file.Written(), (std::vector<std::int32_t>{1, 2}));
}

TEST_F(PromptSaverTest, EachResultIsReportedOnTheSaversThread) {
  file.SetProblem(QStringLiteral("The palette could not be saved"));
  PromptSaver saver(file.Saving(), Reporting(), 0ms);
  saver.Store(Palette(1));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.empty(); }, 2000));
  EXPECT_EQ(reports, std::vector<QString>{QStringLiteral("The palette could not be saved")});
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// On the real palette file: the prompt save is the safe save, the save at
// close after it sees no outside change, and an outside change after a
// prompt save is still kept aside and told.
TEST_F(PromptSaverTest, RealFileSaveAtCloseAfterAPromptSaveJudgesAgainstIt) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("kelvane.cfg"));
  PaletteFile paletteFile(path, {});
  paletteFile.Load();
  PromptSaver saver([&](const Records& records) { return paletteFile.Save(records); }, Reporting());

  saver.Store(Palette(0x01020304));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ReadAll(path).size() == kFileSize; }, 1000))
      << "a store reaches the file within a second";
  EXPECT_EQ(ReadAll(path).left(4), QByteArray::fromHex("04030201"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !reports.empty(); }, 1000));
  EXPECT_EQ(reports, std::vector<QString>{QString()});

  Saved saved = saver.SaveNow(Palette(0x05060708));
  EXPECT_EQ(saved.problem, QString()) << "this run's own prompt save counted as another's";
  EXPECT_EQ(ReadAll(path).left(4), QByteArray::fromHex("08070605"));

  saver.Store(Palette(0x0A0B0C0D));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ReadAll(path).startsWith("\x0D\x0C\x0B\x0A"); }, 1000));
  QFile other(path);
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.write(QByteArray(kFileSize, 'x'));
  other.close();
  saved = saver.SaveNow(Palette(0x11121314));
  EXPECT_TRUE(saved.problem.contains(QStringLiteral("was changed by another program")))
      << saved.problem.toStdString();
  EXPECT_EQ(ReadAll(folder.filePath(QStringLiteral("kelvane-replaced.cfg"))),
            QByteArray(kFileSize, 'x'));
  EXPECT_EQ(ReadAll(path).left(4), QByteArray::fromHex("14131211"));
}

}  // namespace
}  // namespace palette
