// Names a server hands the unattended run: those that would leave the
// destination folder, break the command line or be changed on it are
// refused and skipped; a wildcard that matched nothing is a failure.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "config/scratch_configuration.h"
#include "session/connection.h"
#include "session/control_channel.h"
#include "platform/termination_signals.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "shell/unattended_run.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"
#include "transfer/resume_record.h"

namespace ferrix::shell {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using testing::ScriptedFtpServer;

class UnattendedNamesTest : public ::testing::Test {
 protected:
  UnattendedNamesTest()
      : session_(log_, clock_, resolver_),
        status_(ui_, true, false),
        sites_(*configuration_, nullptr),
        transfer_{session_, state_, status_, settings_, nameRules_, ui_},
        run_{session_, ui_, *configuration_, sites_, transfer_,
             [this](session::Session& session) {
               const int socket =
                   session::openControlConnection(session, "127.0.0.1", server_.port());
               session::getReply(session, socket);
               session.state.connected = 1;
               session::chooseNameCharset(session);  // no FEAT here: the site's CHARSET alone
               return socket;
             },
             [](session::Session&) {}} {
    configuration_.writeIni("[_config_]\ndolog=0\n");
    dataPort_ = server_.openPassiveDataListener();
    server_.reply("220 ready");
  }

  UnattendedResult runWith(const std::string& arguments) {
    server_.start();
    config::CommandLineValues values;
    values.quiet = true;
    config::PrepareUnattendedRun(arguments, values);
    const UnattendedResult result = RunUnattendedTransfer(run_, values);
    EXPECT_TRUE(server_.waitUntilDone(std::chrono::milliseconds(5000)));
    EXPECT_THAT(server_.failures(), IsEmpty());
    return result;
  }

  // The steps of one passive receive of `command` delivering `bytes`.
  void scriptReceive(const std::string& command, const std::string& bytes) {
    server_.expectLine("PASV").reply(testing::passiveReply(dataPort_)).acceptData()
        .expectLine(command).reply("150 Opening").sendData(bytes).closeData()
        .reply("226 Transfer complete");
  }

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
  transfer::TransferContext transfer_;
  UnattendedRun run_;
};

TEST_F(UnattendedNamesTest, NameListLinesThatLeaveTheFolderAreSkipped) {
  server_.expectLine("CWD /pub/").reply("250 Okay").expectLine("TYPE A").reply("200 Type A");
  scriptReceive("NLST *.txt",
                "../evil.txt\r\n/etc/passwd.txt\r\nsub/inner.txt\r\n..\r\n.\r\n"
                "bad\rname.txt\r\ngood.txt\r\n");
  server_.expectLine("TYPE I").reply("200 Type I");
  scriptReceive("RETR good.txt", "good");
  EXPECT_EQ(runWith("127.0.0.1:/pub/*.txt local:" + local_.path() + "/"),
            UnattendedResult::kSucceeded);
  EXPECT_EQ(local_.read("good.txt"), "good");
  EXPECT_EQ(local_.list(), std::vector<std::string>{"good.txt"});
  for (const char* refused : {"../evil.txt", "/etc/passwd.txt", "sub/inner.txt", "..", ".",
                              "bad?name.txt"}) {
    EXPECT_THAT(log_.history(),
                Contains(std::string("! refused unsafe name \"") + refused + "\"; skipped"));
  }
  EXPECT_THAT(server_.receivedText(), Not(HasSubstr("RETR ..")));
  EXPECT_THAT(server_.receivedText(), Not(HasSubstr("RETR bad")));
}

// A CP1251 site: the typed path reaches the server in CP1251, and the
// names its NLST gives land locally in UTF-8.
TEST_F(UnattendedNamesTest, ACp1251SiteGetsTypedPathsInItsCharsetAndGivesUtf8LocalNames) {
  configuration_.writeIni("[_config_]\ndolog=0\n[127.0.0.1]\nHOST=127.0.0.1\nCHARSET=CP1251\n");
  server_.expectLine("CWD /\xE4\xEE\xEA/").reply("250 Okay").expectLine("TYPE A").reply("200 A");
  scriptReceive("NLST *.txt", "\xCF\xF0\xE8\xE2\xE5\xF2.txt\r\n");
  server_.expectLine("TYPE I").reply("200 Type I");
  scriptReceive("RETR \xCF\xF0\xE8\xE2\xE5\xF2.txt", "privet");
  EXPECT_EQ(runWith("127.0.0.1:/док/*.txt local:" + local_.path() + "/"),
            UnattendedResult::kSucceeded);
  EXPECT_EQ(local_.read("Привет.txt"), "privet");
}

TEST_F(UnattendedNamesTest, DownloadCutShortIsAFailedTransfer) {
  server_.expectLine("TYPE I").reply("200 Type I")
      .expectLine("PASV").reply(testing::passiveReply(dataPort_)).acceptData()
      .expectLine("RETR /pub/big.bin").reply("150 Opening")
      .sendDataUntilAborted(std::string(1 << 20, 'x'))
      .expectLine("\xff\xf4\xff\xf2" "ABOR").reply("426 Transfer aborted").closeData()
      .reply("226 Abort successful");
  // The destination's folder is missing: the first block cannot be written.
  EXPECT_EQ(runWith("127.0.0.1:/pub/big.bin local:" + local_.path() + "/none/big.bin"),
            UnattendedResult::kFailed);
  EXPECT_THAT(log_.history(), Contains("! File error on WRITE! Transfer cancelled."));
  EXPECT_THAT(log_.history(), Contains("! Transfer failed for /pub/big.bin from 127.0.0.1"));
  EXPECT_THAT(log_.history(), Not(Contains("Successful transfer")));
}

// SIGINT or SIGTERM stop a download as Cancel does: the server gets ABOR,
// and the partial data and its resume record stay for the next run.
TEST_F(UnattendedNamesTest, TerminationSignalAbortsAndKeepsThePartialData) {
  server_.expectLine("TYPE I").reply("200 Type I")
      .expectLine("PASV").reply(testing::passiveReply(dataPort_)).acceptData()
      .expectLine("RETR /pub/big.bin").reply("150 Opening")
      .sendDataUntilAborted(std::string(1 << 20, 'x'))
      .expectLine("\xff\xf4\xff\xf2" "ABOR").reply("426 Transfer aborted").closeData()
      .reply("226 Abort successful");
  platform::TerminationSignals signals([this](int) { session::requestCancel(session_); });
  const std::filesystem::path partial = std::filesystem::path(local_.path()) / ".big.bin.part";
  std::thread signaller([&] {
    std::error_code error;
    while (std::filesystem::file_size(partial, error) < 4096 || error) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::raise(SIGTERM);
  });
  EXPECT_EQ(runWith("127.0.0.1:/pub/big.bin local:" + local_.path() + "/big.bin"),
            UnattendedResult::kFailed);
  signaller.join();
  EXPECT_EQ(signals.received(), SIGTERM);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(local_.path()) / "big.bin"));
  EXPECT_GT(std::filesystem::file_size(partial), 0u);
  const std::optional<transfer::ResumeRecord> record =
      transfer::ReadResumeRecord(run_.configuration.iniFile(), "127.0.0.1");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->localName, "big.bin");
  EXPECT_THAT(log_.history(), Contains("! Transfer failed for /pub/big.bin from 127.0.0.1"));
}

TEST_F(UnattendedNamesTest, NamesTheCommandLineWouldChangeAreRefusedAndTheOthersFetched) {
  const std::string longName = std::string(5000, 'L') + ".txt";
  server_.expectLine("CWD /pub/").reply("250 Okay").expectLine("TYPE A").reply("200 Type A");
  scriptReceive("NLST *.txt", longName + "\r\n \r\ntrailing.txt \r\ngood.txt\r\n");
  server_.expectLine("TYPE I").reply("200 Type I");
  scriptReceive("RETR good.txt", "good");
  EXPECT_EQ(runWith("127.0.0.1:/pub/*.txt local:" + local_.path() + "/"),
            UnattendedResult::kSucceeded);
  EXPECT_EQ(local_.list(), std::vector<std::string>{"good.txt"});
  const std::vector<std::string> lines = log_.history();
  EXPECT_THAT(lines, Contains(HasSubstr("! Name not sent: it is longer than 291 characters")));
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) {
                            return line.starts_with("! Name not sent: it ends in blanks");
                          }),
            2);
  EXPECT_THAT(server_.receivedLines(), Not(Contains(HasSubstr("RETR L"))));
  EXPECT_THAT(server_.receivedLines(), Not(Contains("RETR")));
  EXPECT_THAT(server_.receivedLines(), Not(Contains("RETR trailing.txt")));
}

// Servers that refuse NLST with a pattern (550) get the folder's names
// matched here; a pattern matching nothing fails the run with a clear line.
class RefusedPatternTest : public UnattendedNamesTest {
 protected:
  void scriptRefusedPattern(const std::string& folderNames) {
    server_.expectLine("CWD /pub/").reply("250 Okay").expectLine("TYPE A").reply("200 Type A")
        .expectLine("PASV").reply(testing::passiveReply(dataPort_)).acceptData()
        .expectLine("NLST *.txt").reply("550 Can't check for file existence");
    scriptReceive("NLST", folderNames);
  }
};

TEST_F(RefusedPatternTest, FolderNamesAreMatchedLocally) {
  scriptRefusedPattern("a.txt\r\nb.log\r\nc.txt\r\n");
  server_.expectLine("TYPE I").reply("200 Type I");
  scriptReceive("RETR a.txt", "a");
  scriptReceive("RETR c.txt", "c");
  EXPECT_EQ(runWith("127.0.0.1:/pub/*.txt local:" + local_.path() + "/"),
            UnattendedResult::kSucceeded);
  EXPECT_THAT(local_.list(), ::testing::UnorderedElementsAre("a.txt", "c.txt"));
}

TEST_F(RefusedPatternTest, PatternMatchingNothingIsAFailure) {
  scriptRefusedPattern("b.log\r\n");
  EXPECT_EQ(runWith("127.0.0.1:/pub/*.txt local:" + local_.path() + "/"),
            UnattendedResult::kFailed);
  EXPECT_THAT(local_.list(), IsEmpty());
  EXPECT_THAT(log_.history(), Contains("! No file received: nothing matches /pub/*.txt"));
  EXPECT_THAT(log_.history(), Not(Contains("Successful transfer")));
}

}  // namespace
}  // namespace ferrix::shell
