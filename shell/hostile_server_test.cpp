// A hostile server against the whole unattended run, logon included: each
// reply a server should not be able to use to hold or mislead a run ends the
// run within its time-out with the right result. The measured times are
// printed, as they are figures worth watching.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include <ferrixcore.h>

#include "config/firewall_settings.h"
#include "config/scratch_configuration.h"
#include "session/logon.h"
#include "session/message_log.h"
#include "shell/unattended_run.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::shell {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using std::chrono::milliseconds;
using testing::ScriptedFtpServer;

constexpr int kTimeoutSeconds = 2;
// One logon attempt more after a failed one, 2 s apart.
constexpr int kRetries = 1;
constexpr milliseconds kRetryPause{2000};

class HostileServerTest : public ::testing::Test {
 protected:
  HostileServerTest()
      : session_(log_, clock_, resolver_),
        status_(ui_, true, false),
        sites_(*configuration_, nullptr),
        transfer_{session_, state_, status_, settings_, nameRules_, ui_},
        run_{session_, ui_, *configuration_, sites_, transfer_,
             [this](session::Session& session) { return session::logon(session, ui_, firewall_); },
             [](session::Session&) {}} {
    configuration_.writeIni("[_config_]\ndolog=0\n");
    config::SiteProfile& profile = session_.state.sessionProfile;
    profile.hostName = "127.0.0.1";
    profile.port = server_.port();
    profile.userId = "anne";
    profile.password = "pw";
    profile.hostType = FERRIX_HOST_TYPE_UNIX;
    profile.timeoutSeconds = kTimeoutSeconds;
    profile.retries = kRetries;
    dataPort_ = server_.openPassiveDataListener();
  }

  ScriptedFtpServer& logOn(const std::string& greeting = "220 ready") {
    return server_.send(greeting + "\r\n").expectLine("USER anne").reply("331 pw")
        .expectLine("PASS pw").reply("230 in").expectLine("FEAT").reply("500 unknown");
  }

  ScriptedFtpServer& passive(const std::string& command, const std::string& preliminary) {
    return server_.expectLine("PASV").reply(testing::passiveReply(dataPort_)).acceptData()
        .expectLine(command).reply(preliminary);
  }

  // Runs `arguments`; the result and the wall time it took.
  UnattendedResult run(const std::string& arguments, const char* figure) {
    server_.start();
    config::CommandLineValues values;
    values.quiet = true;
    config::PrepareUnattendedRun(arguments, values);
    const auto start = std::chrono::steady_clock::now();
    const UnattendedResult result = RunUnattendedTransfer(run_, values);
    elapsed_ = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("[ figure ] %s: %lld ms\n", figure, static_cast<long long>(elapsed_.count()));
    return result;
  }

  // The bound for a run that gives up on every logon attempt: each attempt
  // within the time-out plus a second.
  static milliseconds everyAttemptBound() {
    return (kRetries + 1) * milliseconds(kTimeoutSeconds * 1000 + 1000) + kRetries * kRetryPause;
  }

  std::vector<std::string> logged() const { return log_.history(); }

  ScriptedFtpServer server_;
  std::uint16_t dataPort_ = 0;
  testing::ScratchFolder local_;
  session::MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  session::Session session_;
  testing::ScriptedUserInterface ui_;
  transfer::TransferStatus status_;
  transfer::TransferState state_;
  transfer::TransferSettings settings_;
  transfer::NameRuleSettings nameRules_;
  testing::ScratchConfiguration configuration_;
  config::SiteProfileStore sites_;
  config::FirewallSettings firewall_;
  transfer::TransferContext transfer_;
  UnattendedRun run_;
  milliseconds elapsed_{0};
};

std::string endlessLines(const std::string& prefix, std::size_t count) {
  std::string lines;
  for (std::size_t line = 0; line < count; ++line) lines += prefix + "still talking\r\n";
  return lines;
}

TEST_F(HostileServerTest, EndlessGreetingEndsEachAttemptAtTheTimeOut) {
  server_.sendInPieces(endlessLines("220-", 200000), 4096, milliseconds(5));
  EXPECT_EQ(run("127.0.0.1:/pub/f.bin local:" + local_.path() + "/", "endless greeting"),
            UnattendedResult::kFailed);
  EXPECT_LT(elapsed_, everyAttemptBound());
}

TEST_F(HostileServerTest, TricklingGreetingEndsEachAttemptAtTheTimeOut) {
  server_.sendInPieces("220 " + std::string(5000, 'w'), 1, milliseconds(10));
  EXPECT_EQ(run("127.0.0.1:/pub/f.bin local:" + local_.path() + "/", "trickling greeting"),
            UnattendedResult::kFailed);
  EXPECT_LT(elapsed_, everyAttemptBound());
}

TEST_F(HostileServerTest, EndlessReplyToATransferCommandEndsTheRunAtTheTimeOut) {
  logOn().expectLine("TYPE I").reply("200 I").expectLine("PASV")
      .sendInPieces(endlessLines("227-", 200000), 4096, milliseconds(5));
  EXPECT_EQ(run("127.0.0.1:/pub/f.bin local:" + local_.path() + "/", "endless reply"),
            UnattendedResult::kFailed);
  EXPECT_LT(elapsed_, milliseconds(kTimeoutSeconds * 1000 + 1000));
}

TEST_F(HostileServerTest, ControlCharactersInTheGreetingReachNoLogRaw) {
  logOn("220 \x1b]0;owned\x07\x1b[2J ready").expectLine("TYPE I").reply("200 I");
  passive("RETR /pub/f.bin", "150 Opening").sendData("content").closeData().reply("226 Done");
  EXPECT_EQ(run("127.0.0.1:/pub/f.bin local:" + local_.path() + "/", "escaped greeting"),
            UnattendedResult::kSucceeded);
  EXPECT_THAT(logged(), Contains("220 \\x1b]0;owned\\x07\\x1b[2J ready"));
  EXPECT_LT(elapsed_, milliseconds(kTimeoutSeconds * 1000 + 1000));
}

TEST_F(HostileServerTest, ActiveConnectionFromAThirdHostSuppliesNothing) {
  session_.state.sessionProfile.passiveMode = 0;
  logOn().expectLine("TYPE I").reply("200 I").expectLineStartingWith("PORT ").reply("200 ok")
      .expectLine("RETR /pub/f.bin").reply("150 Opening")
      .connectActiveFromPortCommand("127.0.0.3").sendDataUntilAborted("forged").closeData()
      .connectActiveFromPortCommand().sendData("genuine").closeData().reply("226 Done");
  EXPECT_EQ(run("127.0.0.1:/pub/f.bin local:" + local_.path() + "/", "third-host connection"),
            UnattendedResult::kSucceeded);
  EXPECT_EQ(local_.read("f.bin"), "genuine");
  EXPECT_LT(elapsed_, milliseconds(kTimeoutSeconds * 1000 + 1000));
}

TEST_F(HostileServerTest, OverlongNameIsRefusedAndTheOthersFetched) {
  logOn().expectLine("CWD /pub/").reply("250 ok").expectLine("TYPE A").reply("200 A");
  passive("NLST *.bin", "150 Opening")
      .sendData(std::string(5000, 'L') + ".bin\r\n \r\ngood.bin\r\n").closeData().reply("226 Done")
      .expectLine("TYPE I").reply("200 I");
  passive("RETR good.bin", "150 Opening").sendData("good").closeData().reply("226 Done");
  EXPECT_EQ(run("127.0.0.1:/pub/*.bin local:" + local_.path() + "/", "overlong name"),
            UnattendedResult::kSucceeded);
  EXPECT_EQ(local_.list(), std::vector<std::string>{"good.bin"});
  EXPECT_LT(elapsed_, milliseconds(kTimeoutSeconds * 1000 + 1000));
}

TEST_F(HostileServerTest, OverlongListingLineIsOneSkippedLineNotManyEntries) {
  const std::string entry = "-rw-r--r--   1 ann  staff 1 Jan  5 10:20 ";
  std::string listing = entry + std::string(5000, 'n') + "\r\n" + entry + "short.txt\r\n";
  listing += entry + std::string(70000, 'x') + "\r\n";
  logOn().expectLine("CWD /pub/").reply("250 ok").expectLine("PWD").reply("257 \"/pub\"")
      .expectLine("TYPE A").reply("200 A");
  passive("LIST", "150 Opening").sendData(listing).closeData().reply("226 Done");
  EXPECT_EQ(run("127.0.0.1:/pub/", "long listing lines"), UnattendedResult::kStayConnected);
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(PrintRemoteFolderListing(run_, out, false));
  std::rewind(out);
  int lines = 0;
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) lines += c == '\n';
  std::fclose(out);
  EXPECT_EQ(lines, 2);
  EXPECT_THAT(logged(), Contains("+ 1 listing line(s) longer than 65536 characters skipped"));
}

TEST_F(HostileServerTest, SizeOtherThanAnnouncedIsKeptAndNoted) {
  const std::string content(1000000, 'm');
  logOn().expectLine("TYPE I").reply("200 I");
  passive("RETR /pub/f.bin", "150 Opening BINARY mode (10 bytes)")
      .sendData(content).closeData().reply("226 Done");
  EXPECT_EQ(run("127.0.0.1:/pub/f.bin local:" + local_.path() + "/", "size differs"),
            UnattendedResult::kSucceeded);
  EXPECT_EQ(local_.read("f.bin"), content);
  EXPECT_THAT(logged(), Contains(HasSubstr("+ Size differed from the announcement")));
  EXPECT_LT(elapsed_, milliseconds(kTimeoutSeconds * 1000 + 1000));
}

}  // namespace
}  // namespace ferrix::shell
