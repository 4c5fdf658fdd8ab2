#include "shell/desktop/local_file_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "config/scratch_configuration.h"
#include "shell/desktop/fake_desktop_services.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::desktop {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class LocalFileCommandsTest : public ::testing::Test {
 protected:
  LocalFileCommandsTest()
      : temporaryFiles_(temp_.path()),
        commands_(*configuration_, services_, ui_, log_, temporaryFiles_,
                  [this](const std::string& extension) { return associate(extension); }) {
    configuration_.writeIni("[_config_]\nVIEWER=less\n");
    configuration_.writeWinIni("[Extensions]\nb.doc=splitter ^.b.doc\ndoc=wordproc ^.doc\n");
  }

  bool associate(const std::string& extension) {
    asked_.push_back(extension);
    if (!associationAnswer_) return false;
    return commands_.associations().store(extension, *associationAnswer_);
  }

  std::vector<std::string> logged() const { return log_.history(); }

  testing::ScratchConfiguration configuration_;
  testing::ScratchFolder temp_;
  testing::ScratchFolder local_;
  FakeDesktopServices services_;
  testing::ScriptedUserInterface ui_;
  session::MessageLog log_;
  TemporaryFiles temporaryFiles_;
  LocalFileCommands commands_;
  std::vector<std::string> asked_;
  std::optional<std::string> associationAnswer_;
};

TEST_F(LocalFileCommandsTest, ViewStartsTheViewerWithThePathAsItIs) {
  commands_.viewFile("/l/README");
  commands_.viewFile("/l/my notes.txt", "more");
  EXPECT_THAT(services_.started, ElementsAre("less /l/README", "more \"/l/my notes.txt\""));
}

TEST_F(LocalFileCommandsTest, WithoutAViewerViewAndDirInfoShowTheTextBuiltIn) {
  std::vector<std::pair<std::string, std::string>> shown;
  services_.startResult = false;
  EXPECT_FALSE(commands_.viewFile(local_.path() + "/notes.txt")) << "no viewer, no fallback";
  commands_.setBuiltInViewer([&shown](const std::string& title, std::string text) {
    shown.emplace_back(title, std::move(text));
  });
  local_.write("notes.txt", "line one\nline two\n");
  local_.write("other.txt", "");
  EXPECT_TRUE(commands_.viewFile(local_.path() + "/notes.txt"));
  ASSERT_TRUE(commands_.showLocalFolderInfo(local_.path()));
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].first, "notes.txt");
  EXPECT_EQ(shown[0].second, "line one\nline two\n");
  EXPECT_THAT(shown[1].second, HasSubstr("other.txt"));
  EXPECT_THAT(logged(), Contains(HasSubstr("built-in viewer")));

  EXPECT_FALSE(commands_.viewFile(local_.path() + "/missing.txt"));
  EXPECT_EQ(shown.size(), 2u);
}

TEST_F(LocalFileCommandsTest, ExecOpensThroughTheDesktopUnlessCtrlIsHeld) {
  commands_.executeFile("/l/tool.exe", false);
  EXPECT_THAT(services_.opened, ElementsAre("/l/tool.exe"));
  EXPECT_THAT(services_.started, IsEmpty());

  ui_.answerInput("/l/tool.exe --help");
  commands_.executeFile("/l/tool.exe", true);
  ASSERT_EQ(ui_.prompts().size(), 1u);
  EXPECT_EQ(ui_.prompts()[0].text, "Enter command line:");
  EXPECT_EQ(ui_.prompts()[0].prefilled, "/l/tool.exe");
  EXPECT_THAT(services_.started, ElementsAre("/l/tool.exe --help"));

  ui_.answerInput(std::nullopt);
  commands_.executeFile("/l/letter.doc", true);
  EXPECT_EQ(ui_.prompts()[1].prefilled, "wordproc /l/letter.doc");
  EXPECT_EQ(services_.started.size(), 1u);
}

TEST_F(LocalFileCommandsTest, FailedOpenFallsBackOnTheExtensionAfterTheFirstDot) {
  services_.openResult = kOpenNoAssociation;
  commands_.executeFile("/l/a.b.doc", false);
  EXPECT_THAT(logged(), Contains("+ ShellExecute return 31"));
  EXPECT_THAT(services_.started, ElementsAre("splitter /l/a.b.doc"));

  commands_.executeFile("/l/run.sh.BAT", false);  // first-dot extension "sh.BAT" is no program
  commands_.executeFile("/l/setup.EXE", false);
  EXPECT_THAT(asked_, ElementsAre("sh.BAT"));
  EXPECT_EQ(services_.started.back(), "/l/setup.EXE");
  commands_.executeFile("/l/README", false);
  EXPECT_EQ(services_.started.size(), 2u);
}

TEST_F(LocalFileCommandsTest, UnknownExtensionAsksForAnAssociationAndUsesIt) {
  services_.openResult = kOpenNoAssociation;
  commands_.executeFile("/l/one.xyz", false);
  EXPECT_THAT(asked_, ElementsAre("xyz"));
  EXPECT_THAT(services_.started, IsEmpty());

  associationAnswer_ = "edit ^.xyz";
  commands_.executeFile("/l/two.xyz", false);
  EXPECT_THAT(services_.started, ElementsAre("edit /l/two.xyz"));
  // Stored: no question the next time.
  commands_.executeFile("/l/three.xyz", false);
  EXPECT_EQ(asked_.size(), 2u);
  EXPECT_EQ(services_.started.back(), "edit /l/three.xyz");
}

TEST_F(LocalFileCommandsTest, SelectionWalkSkipsFoldersOrEntersTheOnlyOne) {
  const std::vector<SelectedEntry> files = {{"a.txt", 0}, {"sub", 5}, {"b.doc", 2}};
  SelectionOutcome outcome =
      commands_.viewOrExecuteLocal("/home/me", files, FileAction::kView, false);
  EXPECT_FALSE(outcome.changeFolderTo);
  EXPECT_THAT(services_.started, ElementsAre("less /home/me/a.txt", "less /home/me/b.doc"));

  outcome = commands_.viewOrExecuteLocal("/home/me", {{"sub", 5}}, FileAction::kExecute, false);
  EXPECT_EQ(outcome.changeFolderTo, "sub");
  outcome = commands_.viewOrExecuteLocal("/home/me", {{"drive", 4}}, FileAction::kView, false);
  EXPECT_FALSE(outcome.changeFolderTo);
  EXPECT_EQ(services_.started.size(), 2u);
}

TEST_F(LocalFileCommandsTest, CtrlViewAsksForTheViewerOfThisCommandOnly) {
  ui_.answerInput("hexdump -C");
  commands_.viewOrExecuteLocal("/d", {{"x.bin", 0}}, FileAction::kView, true);
  EXPECT_EQ(ui_.prompts().at(0).text, "Enter ASCII file viewer program pathname:");
  EXPECT_EQ(ui_.prompts().at(0).prefilled, "less");
  ui_.answerInput(std::nullopt);
  commands_.viewOrExecuteLocal("/d", {{"y.bin", 0}}, FileAction::kView, true);
  commands_.viewOrExecuteLocal("/d", {{"z.bin", 0}}, FileAction::kView, false);
  EXPECT_THAT(services_.started, ElementsAre("hexdump -C /d/x.bin", "less /d/z.bin"));
}

void setTime(const std::string& path, int year, int month, int day, int hour, int minute) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_isdst = -1;
  const timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(LocalFileCommandsTest, FolderInfoHasTheFixedColumnFormat) {
  setTime(local_.write("report.txt", std::string(1234, 'x')), 2024, 3, 5, 7, 9);
  setTime(local_.makeFolder("archive"), 1999, 12, 31, 23, 59);
  setTime(local_.write("a-name-much-longer-than-thirty-characters.txt", ""), 2001, 1, 2, 13, 4);
  const std::string text = FolderInfoText(local_.path());
  EXPECT_EQ(text.substr(0, text.find('\n') + 2), " Directory of " + local_.path() + "\n\n");
  EXPECT_THAT(text, HasSubstr("\nreport.txt                           1234 2024-03-05   7:09\n"));
  EXPECT_THAT(text, HasSubstr("\narchive                        <DIR>      1999-12-31  23:59\n"));
  EXPECT_THAT(text, HasSubstr("\na-name-much-longer-than-thirty          0 2001-01-02  13:04\n"));
}

TEST_F(LocalFileCommandsTest, DirInfoShowsADisplayFileThatLivesUntilTheEnd) {
  local_.write("one.txt", "1");
  ASSERT_TRUE(commands_.showLocalFolderInfo(local_.path()));
  ASSERT_EQ(services_.started.size(), 1u);
  const std::string path = services_.started[0].substr(std::string("less ").size());
  EXPECT_EQ(path.substr(0, temp_.path().size() + 4), temp_.path() + "/DSP");
  EXPECT_THAT(temp_.read(path.substr(temp_.path().size() + 1)), HasSubstr("one.txt"));

  EXPECT_FALSE(commands_.showRemoteFolderInfo(false, "/tmp/DIRabcdef.TMP"));
  EXPECT_TRUE(commands_.showRemoteFolderInfo(true, "/tmp/DIRabcdef.TMP"));
  EXPECT_EQ(services_.started.back(), "less /tmp/DIRabcdef.TMP");

  EXPECT_EQ(temporaryFiles_.deleteAll(), 1);
  EXPECT_THAT(temp_.list(), IsEmpty());
}

}  // namespace
}  // namespace ferrix::desktop
