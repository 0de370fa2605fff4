// The bytes copies send each other, and what a launcher's startup id tells
// the window manager: every line a stranger could send, without sockets.
#include <gtest/gtest.h>

#include <QString>
#include <optional>

#include "instance/linux/startupnotification.h"
#include "instance/linux/wire.h"

namespace instance {
namespace {

// What the asked copy hears in `line`: "title", "activate <token>|<id>", or
// "none" for a line it does not answer.
std::string Heard(QByteArrayView line) {
  const std::optional<wire::Question> question = wire::ParseQuestion(line);
  if (!question) return "none";
  if (question->kind == wire::Question::Kind::Title) return "title";
  return "activate " + question->handshake.activationToken.toStdString() + '|' +
         question->handshake.startupId.toStdString();
}

// A running copy takes only tokens and ids a desktop hands out, dropping the
// rest and still coming forward.
TEST(WireTest, QuestionsAndTheHandshakesTheyCarry) {
  const QByteArray tooLong(513, 'a');
  const struct {
    QByteArray line;
    std::string heard;
  } rows[] = {
      {"title?", "title"},
      {"title? ", "none"},
      {"", "none"},
      {"activated", "none"},
      {"activate", "activate |"},
      {"activate t%C3%BC%20k s_TIME9", "activate t\u00fc k|s_TIME9"},
      {"activate  s_TIME9", "activate |s_TIME9"},
      {"activate " + tooLong + " s", "activate |s"},
      {"activate " + QByteArray(512, 'a') + " s", "activate " + std::string(512, 'a') + "|s"},
      {"activate %FF s", "activate |s"},     // not UTF-8
      {"activate %C0%80 s", "activate |s"},  // an overlong zero
      {"activate %0A s", "activate |s"},     // a line break
      {"activate %G0 s", "activate |s"},     // not percent-encoding
      {"activate t%2", "activate |"},        // cut short
      {"activate t\x01 %7F", "activate |"},
      {"activate t", "activate t|"},
  };
  for (const auto& row : rows) EXPECT_EQ(Heard(row.line), row.heard) << row.line.constData();
}

// Whatever a launcher hands out travels as one line and arrives as it was.
TEST(WireTest, HandshakesAndTitlesKeepToOneLine) {
  const Handshake handshakes[] = {
      {"", ""}, {"tok en%", ""}, {"", "id_TIME5"}, {"a\u00e9b", "x y\"z"}};
  for (const Handshake& sent : handshakes) {
    const QByteArray line = wire::ActivateQuestion(sent);
    EXPECT_FALSE(line.contains('\n')) << line.constData();
    const std::optional<wire::Question> heard = wire::ParseQuestion(line);
    ASSERT_TRUE(heard) << line.constData();
    EXPECT_EQ(heard->handshake.activationToken, sent.activationToken) << line.constData();
    EXPECT_EQ(heard->handshake.startupId, sent.startupId) << line.constData();
  }
  EXPECT_EQ(wire::TitleAnswer(QStringLiteral("Two\nlines \u00e9")), "Two%0Alines%20%C3%A9");
}

TEST(WireTest, LinesAreCutWhereverTheyWereSplitAndStrangersOverflow) {
  const struct {
    const char* name;
    std::vector<QByteArray> chunks;
    std::vector<QByteArray> lines;
    bool overflowed;
  } rows[] = {
      {"split", {"ti", "tle?\nacti", "vate\n", "tit"}, {"title?", "activate"}, false},
      {"empty line", {"\n\n"}, {"", ""}, false},
      {"longest", {QByteArray(wire::kMaxLine, 'a')}, {}, false},
      {"one too long", {QByteArray(wire::kMaxLine, 'a'), "a"}, {}, true},
      {"too long, its newline in the same piece",
       {QByteArray(wire::kMaxLine + 1, 'a') + "\n"},
       {},
       true},
      {"too long across pieces, then a question",
       {QByteArray(wire::kMaxLine - 1, 'a'), "aa\ntitle?\n"},
       {},
       true},
      {"longest, ended, then another",
       {QByteArray(wire::kMaxLine, 'a') + "\nx", "y\n"},
       {QByteArray(wire::kMaxLine, 'a'), "xy"},
       false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    wire::LineBuffer buffer;
    std::vector<QByteArray> lines;
    for (const QByteArray& chunk : row.chunks) {
      buffer.Append(chunk);
      while (std::optional<QByteArray> line = buffer.TakeLine()) lines.push_back(*line);
    }
    EXPECT_EQ(lines, row.lines);
    EXPECT_EQ(buffer.Overflowed(), row.overflowed);
  }
}

// What a launcher's startup id tells the window manager, and the message that
// completes the start it names.
TEST(StartupIdTest, GivesItsTimeAndIsQuotedWhereItMustBe) {
  const struct {
    const char* id;
    std::optional<std::uint32_t> time;
    const char* remove;
  } rows[] = {
      {"xlaunch-1_TIME4294967295", 4294967295U, "remove: ID=xlaunch-1_TIME4294967295"},
      {"a_TIME1_TIME22", 22U, "remove: ID=a_TIME1_TIME22"},
      {"a_TIME4294967296", std::nullopt, "remove: ID=a_TIME4294967296"},
      {"a_TIME12b", std::nullopt, "remove: ID=a_TIME12b"},
      {"two words_TIME7", 7U, R"(remove: ID="two words_TIME7")"},
      {R"(q"b\s)", std::nullopt, R"(remove: ID="q\"b\\s")"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(StartupTime(row.id), row.time) << row.id;
    EXPECT_EQ(StartupRemoveMessage(row.id), QByteArray(row.remove)) << row.id;
  }
}

}  // namespace
}  // namespace instance
