#include "session/message_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "testing/scripted_user_interface.h"

namespace ferrix::session {
namespace {

std::vector<std::string> readLines(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

std::filesystem::path freshFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ferrix-log-XXXXXX").string();
  return mkdtemp(pattern.data());
}

class RecordingObserver final : public MessageLogObserver {
 public:
  void lineAppended(std::string_view text) override { lines.emplace_back(text); }
  void statusLinesChanged(const std::array<std::string, 3>& shown) override {
    status = shown;
    ++statusUpdates;
  }
  std::vector<std::string> lines;
  std::array<std::string, 3> status;
  int statusUpdates = 0;
};

TEST(MessageLog, DiagnosticsAppearOnlyInVerboseMode) {
  MessageLog log;
  log.logMessage("[X] Command in progress, yielding.");
  log.logMessage("220 ready");
  EXPECT_EQ(log.history().front(), "220 ready");
  log.setVerbose(true);
  log.logMessage("[X] Command in progress, yielding.");
  EXPECT_EQ(log.history()[1], "[X] Command in progress, yielding.");
}

TEST(MessageLog, KeepsTheNewestSixtyLines) {
  MessageLog log;
  for (int line = 1; line <= 75; ++line) log.logMessagef("line %d", line);
  const std::vector<std::string> history = log.history();
  ASSERT_EQ(history.size(), 60u);
  EXPECT_EQ(history.front(), "line 16");
  EXPECT_EQ(history.back(), "line 75");
  EXPECT_EQ(log.logCount(), 59);
}

TEST(MessageLog, SavedLogHoldsTheHistoryAndTheNextEntry) {
  const std::filesystem::path folder = freshFolder();
  MessageLog log;
  for (const char* text : {"one", "two", "three"}) log.logMessage(text);
  ASSERT_TRUE(log.saveLogTo(folder / "short.log"));
  EXPECT_EQ(readLines(folder / "short.log"),
            (std::vector<std::string>{"one", "two", "three", ""}));

  for (int line = 4; line <= 75; ++line) log.logMessagef("line %d", line);
  ASSERT_TRUE(log.saveLogTo(folder / "full.log"));
  EXPECT_EQ(readLines(folder / "full.log").size(), 60u);
  std::filesystem::remove_all(folder);
}

TEST(MessageLog, LongLineIsWholeForViewsButCutInHistory) {
  MessageLog log;
  RecordingObserver observer;
  log.addObserver(&observer);
  const std::string reply = "250 " + std::string(296, 'x');
  log.logMessage(reply);
  ASSERT_EQ(observer.lines.size(), 1u);
  EXPECT_EQ(observer.lines.front(), reply);
  EXPECT_EQ(observer.status[0], reply.substr(0, 118));
  EXPECT_EQ(log.history().front(), reply.substr(0, 118));
  log.removeObserver(&observer);
}

TEST(MessageLog, StatusLinesShowTheNewestLineAndTheTwoBefore) {
  MessageLog log;
  RecordingObserver observer;
  log.addObserver(&observer);
  for (const char* text : {"a", "b", "c", "d"}) log.logMessage(text);
  EXPECT_EQ(observer.status, (std::array<std::string, 3>{"d", "c", "b"}));

  log.scrollStatusLines(-1);
  EXPECT_EQ(observer.status, (std::array<std::string, 3>{"c", "b", "a"}));
  log.scrollStatusLines(-1);
  log.scrollStatusLines(-1);
  EXPECT_EQ(log.statusViewIndex(), 1);
  EXPECT_EQ(observer.status, (std::array<std::string, 3>{"b", "a", ""}));

  const int updates = observer.statusUpdates;
  log.scrollStatusLines(+1);
  log.scrollStatusLines(+1);
  log.scrollStatusLines(+1);
  log.scrollStatusLines(+1);
  EXPECT_EQ(log.statusViewIndex(), log.logCount());
  EXPECT_EQ(observer.statusUpdates, updates + 3);
  log.removeObserver(&observer);
}

TEST(MessageLog, MirrorsEveryLineToTheTransferLogInCommandLineMode) {
  const std::filesystem::path folder = freshFolder();
  MessageLog log;
  log.logMessage("before");
  log.setTransferLogMirror(folder);
  const std::string longLine(300, 'y');
  log.logMessage("220 ready");
  log.logMessage(longLine);
  log.setTransferLogMirror(std::nullopt);
  log.logMessage("after");
  EXPECT_EQ(readLines(folder / "xferlog.txt"), (std::vector<std::string>{"220 ready", longLine}));
  std::filesystem::remove_all(folder);
}

TEST(MessageLog, ControlCharactersOtherThanTabAreShownEscapedEverywhere) {
  const std::filesystem::path folder = freshFolder();
  MessageLog log;
  RecordingObserver observer;
  log.addObserver(&observer);
  log.setTransferLogMirror(folder);
  log.logMessage("220 \x1b]0;owned\x07\x1b[2J\tready\x7f\r");
  const std::string shown = "220 \\x1b]0;owned\\x07\\x1b[2J\tready\\x7f\\x0d";
  EXPECT_EQ(observer.lines.back(), shown);
  EXPECT_EQ(log.history().front(), shown);
  EXPECT_EQ(readLines(folder / "xferlog.txt"), std::vector<std::string>{shown});
  log.removeObserver(&observer);
  std::filesystem::remove_all(folder);
}

TEST(MessageLog, MirrorStopsWithOneNoticeAtItsLimitPerRun) {
  const std::filesystem::path folder = freshFolder();
  MessageLog log;
  log.setTransferLogMirror(folder);
  const std::string line(1024 * 1024, 'r');
  for (std::uintmax_t written = 0; written < MessageLog::kMirrorByteLimit + 4 * line.size();
       written += line.size()) {
    log.logMessage(line);
  }
  const std::filesystem::path mirror = folder / "xferlog.txt";
  EXPECT_LE(std::filesystem::file_size(mirror), MessageLog::kMirrorByteLimit);
  EXPECT_EQ(readLines(mirror).back(),
            "+ xferlog.txt limit reached; the rest of this run is not mirrored");
  std::filesystem::remove_all(folder);
}

TEST(MessageLog, UnwritableMirrorIsSkippedSilently) {
  MessageLog log;
  log.setTransferLogMirror("/nonexistent/folder");
  log.logMessage("still logged");
  EXPECT_EQ(log.history().front(), "still logged");
}

TEST(MessageLog, FormattedLineTooLongForItsBufferIsDropped) {
  MessageLog log;
  const std::string huge(2000, 'z');
  log.logMessagef("%s", huge.c_str());
  log.logMessagef("%d files", 3);
  EXPECT_EQ(log.history().front(), "3 files");
}

TEST(MessageLog, AppendsFromTwoThreadsNeverInterleave) {
  MessageLog log;
  RecordingObserver observer;
  log.addObserver(&observer);
  const std::string first(100, 'a');
  const std::string second(100, 'b');
  auto writer = [&log](const std::string& text) {
    for (int i = 0; i < 2000; ++i) log.logMessage(text);
  };
  std::thread one(writer, first);
  std::thread two(writer, second);
  one.join();
  two.join();
  ASSERT_EQ(observer.lines.size(), 4000u);
  for (const std::string& line : log.history()) {
    EXPECT_TRUE(line.empty() || line == first || line == second);
  }
  log.removeObserver(&observer);
}

TEST(MessageLog, SaveAsksForTheNameStartingFromTheLastEnteredText) {
  const std::filesystem::path folder = freshFolder();
  const std::string target = (folder / "saved.log").string();
  MessageLog log;
  log.logMessage("220 ready");
  testing::ScriptedUserInterface ui;
  ui.answerInput(target);
  std::string ignored;
  ui.inputBox(&ignored, "first question", 0);
  ui.answerInput(std::nullopt);
  log.saveLog(ui);
  EXPECT_FALSE(std::filesystem::exists(target));
  ASSERT_EQ(ui.prompts().size(), 2u);
  EXPECT_EQ(ui.prompts()[1].text, "Enter name for log file:");
  EXPECT_EQ(ui.prompts()[1].prefilled, target);

  ui.answerInput(target);
  log.saveLog(ui);
  EXPECT_EQ(readLines(target), (std::vector<std::string>{"220 ready", ""}));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace ferrix::session
