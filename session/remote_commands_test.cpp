#include "session/remote_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/tcp_socket.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::session {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::ScriptedFtpServer;
using testing::ScriptedUserInterface;

constexpr std::chrono::milliseconds kScriptTime{5000};
constexpr const char* kChmodFailed = "! Chmod failed. It may not be supported on remote site.";

// A line the client must send and the server's answer.
using Exchange = std::pair<std::string, std::string>;

// One session connected to a scripted server that plays `dialogue` and then
// expects "QUIT", so a command the client should not have sent shows up as a
// mismatch.
class ScriptedSession {
 public:
  ScriptedSession() : ScriptedSession(std::vector<Exchange>{}) {}
  explicit ScriptedSession(const std::vector<Exchange>& dialogue)
      : session_(log_, clock_, resolver_) {
    for (const auto& [line, answer] : dialogue) server_.expectLine(line).reply(answer);
    server_.expectLine("QUIT").reply("221 bye");
    server_.start();
    control_ = openControlConnection(session_, "127.0.0.1", server_.port());
    session_.playSound = [this](int event) { sounds_.push_back(event); };
  }
  ~ScriptedSession() { platform::closeSocket(control_); }

  // Ends the dialogue and checks the server saw exactly the scripted lines.
  void finish() {
    sendCommand(session_, control_, "QUIT");
    EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
    EXPECT_THAT(server_.failures(), IsEmpty());
  }

  // Error and notice lines of the log.
  std::vector<std::string> errorLines() const {
    std::vector<std::string> lines;
    for (const std::string& line : log_.history()) {
      if (line.starts_with("! ")) lines.push_back(line);
    }
    return lines;
  }

  Session& session() { return session_; }
  ScriptedUserInterface& ui() { return ui_; }
  int control() const { return control_; }
  const std::vector<int>& sounds() const { return sounds_; }

 private:
  MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  Session session_;
  ScriptedFtpServer server_;
  ScriptedUserInterface ui_;
  int control_ = -1;
  std::vector<int> sounds_;
};

using Operation = std::function<int(Session&, UserInterface&, int control)>;

Operation changeTo(std::string folder) {
  return [folder](Session& s, UserInterface& ui, int control) {
    return changeRemoteFolder(s, ui, control, folder);
  };
}

struct WrapperCase {
  const char* name;
  Operation operation;
  std::vector<Exchange> dialogue{};
  int result = 0;
  int hostType = 6000;
  int useCdup = 1;
  std::string account{};
  std::vector<std::optional<std::string>> answers{};
  std::vector<std::string> prompts{};
  std::vector<int> sounds{};
};

TEST(RemoteCommands, EachWrapperSendsItsSequenceAndFallbacks) {
  const Operation print = [](Session& s, UserInterface&, int c) { return printRemoteFolder(s, c); };
  const Operation make = [](Session& s, UserInterface&, int c) {
    return makeRemoteFolder(s, c, "new");
  };
  const Operation remove = [](Session& s, UserInterface&, int c) {
    return removeRemoteFolder(s, c, "old");
  };
  const Operation dele = [](Session& s, UserInterface&, int c) {
    return deleteRemoteFile(s, c, "a.txt");
  };
  const WrapperCase cases[] = {
      {.name = "empty folder sends nothing", .operation = changeTo(""), .result = 2},
      {.name = "parent by CDUP",
       .operation = changeTo(".."),
       .dialogue = {{"CDUP", "250 ok"}},
       .result = 2},
      {.name = "CDUP refused, then CWD ..",
       .operation = changeTo(".."),
       .dialogue = {{"CDUP", "500 what"}, {"CWD ..", "250 ok"}},
       .result = 2},
      {.name = "parent without CDUP",
       .operation = changeTo(".."),
       .dialogue = {{"CWD ..", "250 ok"}},
       .result = 2,
       .useCdup = 0},
      {.name = "unknown CWD retried as XCWD",
       .operation = changeTo("sub"),
       .dialogue = {{"CWD sub", "500 what"}, {"XCWD sub", "250 ok"}},
       .result = 2},
      {.name = "VMS UCX retries in brackets",
       .operation = changeTo("sub"),
       .dialogue = {{"CWD sub", "500 what"}, {"CWD [.sub]", "250 ok"}},
       .result = 2,
       .hostType = kHostTypeVmsUcx},
      {.name = "VMS UCX bracketed folder retried as XCWD",
       .operation = changeTo("[sub]"),
       .dialogue = {{"CWD [sub]", "500 what"}, {"XCWD [sub]", "250 ok"}},
       .result = 2,
       .hostType = kHostTypeVmsUcx},
      {.name = "refused CWD sounds, no retry",
       .operation = changeTo("nope"),
       .dialogue = {{"CWD nope", "550 no such folder"}},
       .result = 5,
       .sounds = {1}},
      {.name = "refused XCWD sounds",
       .operation = changeTo("nope"),
       .dialogue = {{"CWD nope", "500 what"}, {"XCWD nope", "550 no"}},
       .result = 5,
       .sounds = {1}},
      {.name = "account asked for until given",
       .operation = changeTo("sub"),
       .dialogue = {{"CWD sub", "332 need account"}, {"ACCT budget", "250 ok"}},
       .result = 2,
       .answers = {"", "budget"},
       .prompts = {"Password required:", "Password required:"}},
      {.name = "account known: sent without asking",
       .operation = changeTo("sub"),
       .dialogue = {{"CWD sub", "332 need account"}, {"ACCT budget", "250 ok"}},
       .result = 2,
       .account = "budget"},
      {.name = "account prompt cancelled",
       .operation = changeTo("sub"),
       .dialogue = {{"CWD sub", "332 need account"}},
       .result = 3,
       .answers = {std::nullopt},
       .prompts = {"Password required:"}},
      {.name = "PWD then XPWD",
       .operation = print,
       .dialogue = {{"PWD", "500 what"}, {"XPWD", "257 \"/home\""}},
       .result = 2},
      {.name = "PWD refused otherwise",
       .operation = print,
       .dialogue = {{"PWD", "550 no"}},
       .result = 5},
      {.name = "MKD then XMKD",
       .operation = make,
       .dialogue = {{"MKD new", "500 what"}, {"XMKD new", "257 made"}},
       .result = 2},
      {.name = "MKD refused without fallback",
       .operation = make,
       .dialogue = {{"MKD new", "550 exists"}},
       .result = 5},
      {.name = "RMD then XRMD",
       .operation = remove,
       .dialogue = {{"RMD old", "500 what"}, {"XRMD old", "250 gone"}},
       .result = 2},
      {.name = "DELE only",
       .operation = dele,
       .dialogue = {{"DELE a.txt", "500 what"}},
       .result = 5},
  };
  for (const WrapperCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedSession run(c.dialogue);
    run.session().state.sessionProfile.hostType = c.hostType;
    run.session().state.sessionProfile.account = c.account;
    run.session().state.UseCdup = c.useCdup;
    for (const auto& answer : c.answers) run.ui().answerInput(answer);
    EXPECT_EQ(c.operation(run.session(), run.ui(), run.control()), c.result);
    std::vector<std::string> prompts;
    for (const auto& shown : run.ui().prompts()) {
      EXPECT_TRUE(shown.masked);
      EXPECT_EQ(shown.helpTopic, 80);
      prompts.push_back(shown.text);
    }
    EXPECT_THAT(prompts, ElementsAreArray(c.prompts));
    EXPECT_THAT(run.sounds(), ElementsAreArray(c.sounds));
    EXPECT_TRUE(run.ui().lastEnteredText().empty());
    run.finish();
  }
}

TEST(RemoteCommands, UnsafeNamesAreNeverSent) {
  const std::string names[] = {std::string("a\0b", 3), "a\r\nDELE b", std::string(300, 'x'), "a ",
                               "a\t"};
  for (const std::string& name : names) {
    ScriptedSession run;
    EXPECT_EQ(deleteRemoteFile(run.session(), run.control(), name), 0);
    EXPECT_EQ(removeRemoteFolder(run.session(), run.control(), name), 0);
    EXPECT_EQ(renameRemoteEntry(run.session(), run.control(), name, "b"), RenameOutcome::kSkipped);
    EXPECT_THAT(run.errorLines(), Contains(::testing::StartsWith("! Command not sent")));
    run.finish();
  }
}

TEST(RemoteRename, RefusedRnfrIsSilentRefusedRntoIsReported) {
  ScriptedSession run({{"RNFR a", "550 no"},
                       {"RNFR b", "350 ready"},
                       {"RNTO b2", "553 not allowed"},
                       {"RNFR c", "350 ready"},
                       {"RNTO c2", "250 done"}});
  run.ui().answerInput("a2");
  run.ui().answerInput("b2");
  run.ui().answerInput("c2");
  run.ui().answerInput(std::nullopt);
  EXPECT_TRUE(
      renameRemoteEntries(run.session(), run.ui(), run.control(), {"a", "..", "b", "c", "d"}));
  EXPECT_THAT(run.errorLines(), ElementsAre("! Rename of b to b2 failed."));
  EXPECT_THAT(run.sounds(), ElementsAre(1));
  const auto prompts = run.ui().prompts();
  ASSERT_EQ(prompts.size(), 4u);
  EXPECT_EQ(prompts[0].text, "Enter new name for \"a\":");
  EXPECT_EQ(prompts[0].prefilled, "a");
  EXPECT_EQ(prompts[0].helpTopic, 520);
  run.finish();
}

TEST(RemoteRename, UnsendableNewNameFailsBeforeRnfr) {
  ScriptedSession run;
  run.ui().answerInput("b ");
  EXPECT_FALSE(renameRemoteEntries(run.session(), run.ui(), run.control(), {"a"}));
  EXPECT_THAT(run.errorLines(), ElementsAre(::testing::StartsWith("! Command not sent"),
                                            "! Rename of a to b  failed."));
  run.finish();
}

TEST(RemoteCommands, TypedTextsKeepTheCommandLineRule) {
  ScriptedSession run({{"CWD sub", "250 ok"}, {"SITE idle", "200 ok"}});
  EXPECT_EQ(changeRemoteFolder(run.session(), run.ui(), run.control(), "sub  "), 2);
  run.ui().answerInput("idle ");
  EXPECT_EQ(siteMenuCommand(run.session(), run.ui(), run.control()), 2);
  run.finish();
}

TEST(RemoteMove, TwoFilesGoToArchiveSlashName) {
  ScriptedSession run({{"RNFR one", "350 ready"},
                       {"RNTO archive/one", "250 done"},
                       {"RNFR two", "350 ready"},
                       {"RNTO archive/two", "550 no room"}});
  run.ui().answerInput("archive");
  EXPECT_TRUE(moveRemoteEntries(run.session(), run.ui(), run.control(), {"one", "two"}));
  EXPECT_THAT(run.errorLines(), ElementsAre("! Move of two to archive/two failed."));
  ASSERT_EQ(run.ui().prompts().size(), 1u);
  EXPECT_EQ(run.ui().prompts()[0].text, "Please enter the remote destination folder:");
  EXPECT_EQ(run.ui().prompts()[0].prefilled, "");
  run.finish();
}

TEST(RemoteMove, EmptyOrCancelledDestinationMovesNothing) {
  for (const std::optional<std::string>& answer :
       {std::optional<std::string>(""), std::optional<std::string>()}) {
    ScriptedSession run;
    run.ui().answerInput(answer);
    EXPECT_FALSE(moveRemoteEntries(run.session(), run.ui(), run.control(), {"one"}));
    run.finish();
  }
}

TEST(RemoteChmod, ChosenDigitsGoToEveryNameAndAreRemembered) {
  ScriptedSession run({{"SITE chmod 755 a", "200 ok"}, {"SITE chmod 755 b c", "200 ok"}});
  run.ui().answerPermissions(755);
  RememberedPermissions remembered;
  EXPECT_EQ(chmodRemoteEntries(run.session(), run.ui(), run.control(), remembered, {"a", "b c"}),
            2);
  EXPECT_EQ(remembered.digits, 755u);
  EXPECT_THAT(run.ui().permissionPresets(), ElementsAre(644u));
  EXPECT_THAT(run.errorLines(), IsEmpty());
  run.finish();
}

TEST(RemoteChmod, FirstRefusalStopsTheWalk) {
  ScriptedSession run(std::vector<Exchange>{{"SITE chmod 600 a", "500 unknown"}});
  run.ui().answerPermissions(600);
  RememberedPermissions remembered;
  EXPECT_EQ(chmodRemoteEntries(run.session(), run.ui(), run.control(), remembered, {"a", "b"}), 5);
  EXPECT_THAT(run.errorLines(), ElementsAre(kChmodFailed));
  EXPECT_THAT(run.sounds(), ElementsAre(1));
  run.finish();
}

TEST(RemoteChmod, WithoutSelectionTheSiteTextIsTyped) {
  ScriptedSession run(std::vector<Exchange>{{"SITE chmod 700 private", "550 no"}});
  run.ui().answerPermissions(700);
  run.ui().answerInput("chmod 700 private");
  RememberedPermissions remembered;
  EXPECT_EQ(chmodRemoteEntries(run.session(), run.ui(), run.control(), remembered, {}), 5);
  ASSERT_EQ(run.ui().prompts().size(), 1u);
  EXPECT_EQ(run.ui().prompts()[0].text, "Enter CHMOD string:");
  EXPECT_EQ(run.ui().prompts()[0].prefilled, "");
  EXPECT_THAT(run.errorLines(), ElementsAre(kChmodFailed));
  run.finish();
}

TEST(RemoteChmod, CancelSendsNothingAndKeepsTheRememberedValue) {
  ScriptedSession run;
  RememberedPermissions remembered{.digits = 751};
  EXPECT_EQ(chmodRemoteEntries(run.session(), run.ui(), run.control(), remembered, {"a"}), 0);
  EXPECT_EQ(remembered.digits, 751u);
  EXPECT_THAT(run.errorLines(), IsEmpty());
  run.finish();
}

TEST(FtpCommandsMenu, CommandsSendWhatWasAskedFor) {
  ScriptedSession run({{"CWD /pub", "250 ok"},
                       {"PWD", "257 \"/pub\""},
                       {"HELP", "214-commands\r\n USER PASS\r\n214 end"},
                       {"SYST", "215 UNIX Type: L8"},
                       {"SITE idle 60", "200 ok"}});
  run.ui().answerInput("/pub");
  run.ui().answerInput("idle 60");
  EXPECT_EQ(cwdMenuCommand(run.session(), run.ui(), run.control()), 2);
  EXPECT_EQ(pwdMenuCommand(run.session(), run.control()), 2);
  EXPECT_EQ(run.session().state.replyLine, "257 \"/pub\"");
  EXPECT_EQ(helpMenuCommand(run.session(), run.control()), 2);
  EXPECT_EQ(systMenuCommand(run.session(), run.control()), 2);
  EXPECT_EQ(siteMenuCommand(run.session(), run.ui(), run.control()), 2);
  EXPECT_EQ(siteMenuCommand(run.session(), run.ui(), run.control()), 0);
  const auto prompts = run.ui().prompts();
  ASSERT_EQ(prompts.size(), 3u);
  EXPECT_EQ(prompts[0].text, "Enter remote folder name:");
  EXPECT_EQ(prompts[0].helpTopic, 180);
  EXPECT_EQ(prompts[1].text, "Enter SITE string:");
  EXPECT_EQ(prompts[1].helpTopic, 700);
  run.finish();
}

}  // namespace
}  // namespace ferrix::session
