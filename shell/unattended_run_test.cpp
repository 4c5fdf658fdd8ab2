#include "shell/unattended_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "config/scratch_configuration.h"
#include "config/stored_secret.h"
#include "listing/host_detection.h"
#include "session/logon.h"
#include "session/message_log.h"
#include "testing/real_ftp_servers.h"
#include "testing/scripted_user_interface.h"
#include "transfer/resume_record.h"

namespace ferrix::shell {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

// An unattended run against pyftpdlib on loopback, reached through a site
// section named "loopback" that holds its port, user and stored password.
class UnattendedRunTest : public ::testing::Test {
 protected:
  explicit UnattendedRunTest(testing::FtpServerKind kind = testing::FtpServerKind::kPyftpdlib)
      : server_(kind),
        session_(log_, clock_, resolver_),
        status_(ui_, true, false),
        sites_(*configuration_, nullptr),
        transfer_{session_, state_, status_, settings_, nameRules_, ui_},
        run_{session_, ui_, *configuration_, sites_, transfer_,
             [this](session::Session& session) {
               return session::logon(session, ui_, config::FirewallSettings{});
             },
             [this](session::Session& session) { listing::DetectHostType(session, ui_); }} {
    local_ = std::filesystem::path(server_.servedFolder()).parent_path() / "local";
    std::filesystem::create_directories(local_);
    // A wildcard send changes folder in the current folder.
    std::filesystem::current_path(local_);
    // The transfer log goes to the state folder, kept here in the scratch.
    const char* stateHome = std::getenv("XDG_STATE_HOME");
    if (stateHome != nullptr) oldStateHome_ = stateHome;
    setenv("XDG_STATE_HOME", (local_.parent_path() / "state").c_str(), 1);
  }
  ~UnattendedRunTest() override {
    std::filesystem::current_path(startFolder_);
    if (oldStateHome_) {
      setenv("XDG_STATE_HOME", oldStateHome_->c_str(), 1);
    } else {
      unsetenv("XDG_STATE_HOME");
    }
  }

  std::filesystem::path transferLog() const {
    return local_.parent_path() / "state" / "ferrix" / "FERRIX.LOG";
  }

  void writeSite(std::uint16_t port, const std::string& moreKeys = "") {
    const testing::FtpLogin& login = server_.login();
    configuration_.writeIni(
        "[loopback]\nHOST=127.0.0.1\nPORT=" + std::to_string(port) + "\nUID=" + login.user +
        "\nPWD=" + config::encodeSecret(login.user, login.password) + "\nRETRIES=1\n" + moreKeys);
  }

  UnattendedResult runWith(const std::string& arguments) {
    config::CommandLineValues values;
    values.quiet = true;
    config::PrepareUnattendedRun(arguments, values);
    return RunUnattendedTransfer(run_, values);
  }

  std::filesystem::path startFolder_ = std::filesystem::current_path();
  std::optional<std::string> oldStateHome_;
  testing::RealFtpServer server_;
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
  std::filesystem::path local_;
};

TEST_F(UnattendedRunTest, ReceivesAFileIntoALocalFolder) {
  ASSERT_EQ(server_.startError(), "");
  std::ofstream(std::filesystem::path(server_.servedFolder()) / "report.txt") << "numbers\r\n";
  writeSite(server_.port());
  EXPECT_EQ(runWith("loopback:/report.txt local:" + local_.string() + "/"),
            UnattendedResult::kSucceeded);
  EXPECT_EQ(readFile(local_ / "report.txt"), "numbers\r\n");
  EXPECT_THAT(log_.history(), Contains("Successful transfer"));
  EXPECT_EQ(session_.state.controlSocket, -1);
  EXPECT_THAT(readFile(transferLog()),
              HasSubstr(" B " + local_.string() + "/report.txt <-- loopback / report.txt\n"));
  EXPECT_FALSE(std::filesystem::exists(local_ / "FERRIX.LOG"));
}

TEST_F(UnattendedRunTest, SendsAFileIntoARemoteFolder) {
  ASSERT_EQ(server_.startError(), "");
  std::ofstream(local_ / "Upload.BIN", std::ios::binary) << std::string("\x00\x01\x02", 3);
  writeSite(server_.port());
  EXPECT_EQ(runWith("local:" + (local_ / "Upload.BIN").string() + " loopback:/ -lower"),
            UnattendedResult::kSucceeded);
  EXPECT_EQ(readFile(std::filesystem::path(server_.servedFolder()) / "upload.bin"),
            std::string("\x00\x01\x02", 3));
}

TEST_F(UnattendedRunTest, ANamedSiteBringsItsWholeProfile) {
  ASSERT_EQ(server_.startError(), "");
  std::ofstream(std::filesystem::path(server_.servedFolder()) / "report.txt") << "numbers\r\n";
  writeSite(server_.port(), "TIMEOUT=7\nPASVMODE=0\nTLS=0\n");
  EXPECT_EQ(runWith("loopback:/report.txt local:" + local_.string() + "/"),
            UnattendedResult::kSucceeded);
  const config::SiteProfile& profile = session_.state.sessionProfile;
  EXPECT_EQ(profile.timeoutSeconds, 7);
  EXPECT_EQ(profile.retries, 1);
  EXPECT_EQ(profile.passiveMode, 0);
  EXPECT_EQ(profile.tls, 0);
  // Active mode: EPRT, as the server lists it in FEAT.
  EXPECT_THAT(log_.history(), Contains(::testing::StartsWith("EPRT ")));
}

TEST_F(UnattendedRunTest, AUrlOverridesTheSite) {
  ASSERT_EQ(server_.startError(), "");
  std::ofstream(std::filesystem::path(server_.servedFolder()) / "report.txt") << "numbers\r\n";
  writeSite(1, "TLS=0\n");  // the site's port is wrong; the URL's is right
  const std::string port = std::to_string(server_.port());
  EXPECT_EQ(runWith("ftp://loopback:" + port + "/report.txt;type=a local:" + local_.string() + "/"),
            UnattendedResult::kSucceeded);
  EXPECT_EQ(session_.state.sessionProfile.port, server_.port());
  EXPECT_EQ(state_.transferMode, 'A');
  EXPECT_THAT(log_.history(), Contains("TYPE A"));
}

TEST_F(UnattendedRunTest, AnUnusableUrlEndsTheRunBeforeConnecting) {
  ASSERT_EQ(server_.startError(), "");
  writeSite(server_.port());
  const std::string port = std::to_string(server_.port());
  EXPECT_EQ(runWith("ftp://loopback:" + port + "/a%2 local:x"), UnattendedResult::kBadArguments);
  EXPECT_THAT(log_.history(), Contains("! Unusable argument: source \"ftp://loopback:" + port +
                                       "/a%2\": a bad %-escape in the path"));
  EXPECT_THAT(log_.history(), ::testing::Not(Contains(::testing::StartsWith("connecting to"))));
  EXPECT_EQ(UnattendedExitStatus(UnattendedResult::kBadArguments), 2);
}

// A rerun after a download broke off fetches only the rest, and the file
// is byte for byte the server's; without a record it starts over, saying so.
TEST_F(UnattendedRunTest, RerunResumesTheDownloadItsRecordNames) {
  ASSERT_EQ(server_.startError(), "");
  std::string whole(300000, '\0');
  for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<char>(i * 31 % 251);
  std::ofstream(std::filesystem::path(server_.servedFolder()) / "big.bin", std::ios::binary)
      << whole;
  writeSite(server_.port());
  const auto partial = local_ / ".big.bin.part";
  for (const bool recorded : {true, false}) {
    SCOPED_TRACE(recorded);
    std::ofstream(partial, std::ios::binary) << whole.substr(0, 123456);
    if (recorded) {
      transfer::SaveResumeRecord(transfer_, configuration_->iniFile(), "loopback",
                                 {"/", "big.bin", local_.string(), "big.bin"}, 0);
    }
    const std::size_t before = log_.history().size();
    EXPECT_EQ(runWith("loopback:/big.bin local:" + local_.string() + "/"),
              UnattendedResult::kSucceeded);
    EXPECT_EQ(readFile(local_ / "big.bin"), whole);
    EXPECT_FALSE(std::filesystem::exists(partial));
    EXPECT_FALSE(transfer::ReadResumeRecord(configuration_->iniFile(), "loopback"));
    const std::vector<std::string> lines = log_.history();
    EXPECT_EQ(std::count(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end(),
                         "REST 122880"),
              recorded ? 1 : 0);
  }
  EXPECT_THAT(log_.history(),
              Contains("+ big.bin: partial data without a resume record; starting over"));
}

// pyftpdlib answers NLST with a pattern by 550; vsftpd lists the matches.
class UnattendedRunVsftpdTest : public UnattendedRunTest {
 protected:
  UnattendedRunVsftpdTest() : UnattendedRunTest(testing::FtpServerKind::kVsftpd) {}
};

TEST_F(UnattendedRunVsftpdTest, WildcardReceiveTakesEveryMatchingName) {
  ASSERT_EQ(server_.startError(), "");
  const std::filesystem::path served = server_.servedFolder();
  std::filesystem::create_directories(served / "pub");
  std::ofstream(served / "pub" / "a.txt") << "a";
  std::ofstream(served / "pub" / "b.txt") << "b";
  std::ofstream(served / "pub" / "c.bin") << "c";
  writeSite(server_.port());
  // vsftpd does not change root: the folder is relative to the user's home.
  EXPECT_EQ(runWith("loopback:pub/*.txt local:" + local_.string() + "/"),
            UnattendedResult::kSucceeded);
  EXPECT_EQ(readFile(local_ / "a.txt"), "a");
  EXPECT_EQ(readFile(local_ / "b.txt"), "b");
  EXPECT_FALSE(std::filesystem::exists(local_ / "c.bin"));
}

TEST_F(UnattendedRunVsftpdTest, WildcardSendStoresEveryMatchingFile) {
  ASSERT_EQ(server_.startError(), "");
  const std::filesystem::path served = server_.servedFolder();
  std::filesystem::create_directories(local_ / "out");
  std::ofstream(local_ / "out" / "a.txt") << "a";
  std::ofstream(local_ / "out" / "b.txt") << "b";
  std::ofstream(local_ / "out" / "c.bin") << "c";
  writeSite(server_.port());
  EXPECT_EQ(runWith("local:" + (local_ / "out").string() + "/*.txt loopback:" + served.string() +
                    "/"),
            UnattendedResult::kSucceeded);
  EXPECT_EQ(readFile(served / "a.txt"), "a");
  EXPECT_EQ(readFile(served / "b.txt"), "b");
  EXPECT_FALSE(std::filesystem::exists(served / "c.bin"));
}

TEST_F(UnattendedRunTest, RemoteFolderSourceStaysConnectedThereAndListsIt) {
  ASSERT_EQ(server_.startError(), "");
  std::filesystem::create_directories(std::filesystem::path(server_.servedFolder()) / "pub");
  std::ofstream(std::filesystem::path(server_.servedFolder()) / "pub" / "listed.txt") << "x";
  writeSite(server_.port());
  EXPECT_EQ(runWith("loopback:/pub/"), UnattendedResult::kStayConnected);
  EXPECT_NE(session_.state.controlSocket, -1);
  EXPECT_EQ(session_.state.replyCode, 250);

  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(PrintRemoteFolderListing(run_, out, false));
  std::string listing(4096, '\0');
  std::rewind(out);
  listing.resize(std::fread(listing.data(), 1, listing.size(), out));
  std::fclose(out);
  EXPECT_THAT(listing, ::testing::MatchesRegex("listed\\.txt\tfile\t1\t[0-9]{4}-[0-9]{2}-[0-9]{2} "
                                               "[0-9:]{8}\t0[0-7]{3}\n"));
}

TEST_F(UnattendedRunTest, UnreadableUploadSourcesStoreNothing) {
  ASSERT_EQ(server_.startError(), "");
  std::filesystem::create_directories(local_ / "folder");
  writeSite(server_.port());
  for (const char* name : {"missing.bin", "folder"}) {
    SCOPED_TRACE(name);
    const std::string path = (local_ / name).string();
    EXPECT_EQ(runWith("local:" + path + " loopback:/"), UnattendedResult::kFailed);
    EXPECT_THAT(log_.history(), Contains("! cannot read local file " + path));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(server_.servedFolder()) / name));
  }
}

TEST_F(UnattendedRunTest, FailuresAreReportedAndEndTheRun) {
  ASSERT_EQ(server_.startError(), "");
  writeSite(server_.port());
  EXPECT_EQ(runWith("loopback:/missing.txt local:" + local_.string() + "/"),
            UnattendedResult::kFailed);
  EXPECT_THAT(log_.history(), Contains("! Transfer failed for /missing.txt from 127.0.0.1"));
  // An upload fails towards the host.
  const std::string upload = (local_ / "up.bin").string();
  std::ofstream(upload) << "x";
  EXPECT_EQ(runWith("local:" + upload + " loopback:/no/such/folder/"), UnattendedResult::kFailed);
  EXPECT_THAT(log_.history(), Contains("! Transfer failed for " + upload + " to 127.0.0.1"));

  config::CommandLineValues values;
  config::PrepareUnattendedRun("c:/data/a.txt loopback:/in/", values);
  EXPECT_EQ(RunUnattendedTransfer(run_, values), UnattendedResult::kFailed);
  ASSERT_FALSE(ui_.messages().empty());
  EXPECT_EQ(ui_.messages().back().text, "SRC(2): c:/data/a.txt\nDST(2): loopback:/in/");
}

}  // namespace
}  // namespace ferrix::shell
