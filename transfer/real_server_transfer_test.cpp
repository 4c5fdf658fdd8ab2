// Uploads and downloads against pyftpdlib and vsftpd on loopback, checked
// byte for byte (SHA-256 of both sides): binary and ASCII, empty files, a
// 64 MiB file, unique store, append, and setting the remote time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <set>
#include <sstream>

#include "session/connection.h"
#include "session/control_channel.h"
#include "session/feature_exchange.h"
#include "session/remote_commands.h"
#include "testing/file_digest.h"
#include "testing/real_server_session.h"
#include "testing/scripted_user_interface.h"
#include "transfer/receive_file.h"
#include "transfer/send_file.h"

namespace ferrix::transfer {
namespace {

using testing::FtpServerKind;
using testing::sha256Of;

constexpr int kMdtmAllowed = 2;

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string patterned(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 11));
  return bytes;
}

std::set<std::string> namesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    names.insert(item.path().filename().string());
  }
  return names;
}

// Logged on to the server by hand, in its served folder.
class RealServerTransferTest : public ::testing::TestWithParam<FtpServerKind> {
 protected:
  RealServerTransferTest()
      : ftp_(GetParam()),
        status_(ui_, true, false),
        transfer_{ftp_.session(), state_, status_, settings_, nameRules_, ui_} {
    settings_.sendBlockSize = TransferSettings::kMaxBlockSize;
    local_ = served().parent_path() / "local";
    std::filesystem::create_directories(local_);
  }

  void SetUp() override {
    ASSERT_EQ(ftp_.logOn(), "");
    ASSERT_EQ(ftp_.enterServedFolder(), 2);
  }

  const std::filesystem::path& served() const { return ftp_.server().servedFolder(); }

  int send(const std::string& command, const std::filesystem::path& local, char type) {
    return SendFromFile(transfer_, ftp_.control(), command, local.string(), type);
  }
  int receive(const std::string& command, const std::filesystem::path& local, char type) {
    return ReceiveToFile(transfer_, ftp_.control(), command, local.string(), type, false);
  }

  testing::RealServerSession ftp_;
  testing::ScriptedUserInterface ui_;
  TransferStatus status_;
  TransferState state_;
  TransferSettings settings_;
  NameRuleSettings nameRules_;
  TransferContext transfer_;
  std::filesystem::path local_;
};

TEST_P(RealServerTransferTest, RoundTripsKeepEveryByte) {
  struct Case {
    std::string name;
    std::string bytes;
    char type;
  };
  const Case cases[] = {
      {"binary.bin", patterned(300000), 'I'},
      {"text.txt", "first line\nsecond line\n\nlast line without end", 'A'},
      {"empty.bin", "", 'I'},
      {"empty.txt", "", 'A'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(local_ / c.name, c.bytes);
    EXPECT_EQ(send("STOR " + c.name, local_ / c.name, c.type), 2);
    if (c.type == 'I') {
      EXPECT_EQ(sha256Of(served() / c.name), sha256Of(local_ / c.name));
    }
    const std::filesystem::path back = local_ / ("back-" + c.name);
    EXPECT_EQ(receive("RETR " + c.name, back, c.type), 2) << ftp_.logText();
    EXPECT_EQ(sha256Of(back), sha256Of(local_ / c.name));
    EXPECT_EQ(std::filesystem::file_size(back), c.bytes.size());
  }
}

// ASCII type puts CR LF on the wire whatever the local file holds, and
// brings LF home. vsftpd stores the bytes as they came; pyftpdlib stores
// its own line ends, which it sends back as CR LF.
TEST_P(RealServerTransferTest, AsciiLineEndsBothWays) {
  struct Case {
    std::string name;
    std::string local;
    std::string storedByVsftpd;
    std::string back;
  };
  const Case cases[] = {
      {"lf.txt", "one\ntwo\n", "one\r\ntwo\r\n", "one\ntwo\n"},
      {"crlf.txt", "one\r\ntwo\r\n", "one\r\ntwo\r\n", "one\ntwo\n"},
      {"mixed.txt", "one\r\ntwo\nthree", "one\r\ntwo\r\nthree", "one\ntwo\nthree"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(local_ / c.name, c.local);
    EXPECT_EQ(send("STOR " + c.name, local_ / c.name, 'A'), 2);
    if (GetParam() == FtpServerKind::kVsftpd) {
      EXPECT_EQ(readFile(served() / c.name), c.storedByVsftpd);
    }
    const std::filesystem::path back = local_ / ("back-" + c.name);
    EXPECT_EQ(receive("RETR " + c.name, back, 'A'), 2);
    EXPECT_EQ(readFile(back), c.back);
  }
}

TEST_P(RealServerTransferTest, SixtyFourMebibytesArriveWhole) {
  const std::filesystem::path source = served() / "large.bin";
  writeFile(source, patterned(64u << 20));
  EXPECT_EQ(receive("RETR large.bin", local_ / "large.bin", 'I'), 2);
  EXPECT_EQ(sha256Of(local_ / "large.bin"), sha256Of(source));
  EXPECT_EQ(send("STOR again.bin", local_ / "large.bin", 'I'), 2);
  EXPECT_EQ(sha256Of(served() / "again.bin"), sha256Of(source));
}

// A server blocked writing the rest of a file reads the abort only once the
// data connection is gone: Cancel ends the download at once, and the
// control connection stays in step for the next command.
TEST_P(RealServerTransferTest, CancelledDownloadEndsAtOnce) {
  writeFile(served() / "large.bin", patterned(64u << 20));
  ui_.setProgressHook([this](std::string_view text) {
    if (!text.empty()) session::requestCancel(ftp_.session());
  });
  const auto start = std::chrono::steady_clock::now();
  receive("RETR large.bin", local_ / "large.bin", 'I');
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(state_.transferResult, kBrokenOff);
  EXPECT_LT(std::filesystem::file_size(local_ / "large.bin"), 64u << 20);
  ui_.setProgressHook(nullptr);
  EXPECT_EQ(session::sendCommand(ftp_.session(), ftp_.control(), "NOOP"), 2);
}

TEST_P(RealServerTransferTest, UniqueStoreKeepsTheExistingFile) {
  writeFile(served() / "same.bin", "old");
  writeFile(local_ / "same.bin", "new bytes");
  settings_.storeUnique = true;
  EXPECT_EQ(send("STOR same.bin", local_ / "same.bin", 'I'), 2);
  EXPECT_EQ(readFile(served() / "same.bin"), "old");
  std::set<std::string> names = namesIn(served());
  names.erase("same.bin");
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(readFile(served() / *names.begin()), "new bytes");
}

TEST_P(RealServerTransferTest, AppendAddsToTheRemoteFile) {
  writeFile(served() / "log.txt", "head;");
  // vsftpd writes as its own system user.
  std::filesystem::permissions(
      served() / "log.txt", std::filesystem::perms::owner_all | std::filesystem::perms::others_all);
  writeFile(local_ / "tail.txt", "tail");
  EXPECT_EQ(send("APPE log.txt", local_ / "tail.txt", 'I'), 2);
  EXPECT_EQ(readFile(served() / "log.txt"), "head;tail");
}

TEST_P(RealServerTransferTest, UploadTakesTheLocalTimeWhereTheServerAllows) {
  const std::filesystem::path local = local_ / "dated.bin";
  writeFile(local, "dated");
  const timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, local.c_str(), times, 0), 0);
  ftp_.session().state.sessionProfile.serverFeatureMask |= kMdtmAllowed;
  EXPECT_EQ(send("STOR dated.bin", local, 'I'), 2);
  struct stat remote {};
  ASSERT_EQ(::stat((served() / "dated.bin").c_str(), &remote), 0);
  if (GetParam() != FtpServerKind::kPyftpdlib) {
    EXPECT_EQ(remote.st_mtime, 1'000'000'000);
    EXPECT_NE(ftp_.session().state.sessionProfile.serverFeatureMask & kMdtmAllowed, 0);
  } else {
    // pyftpdlib sets times with MFMT only: MDTM is refused and not tried again.
    EXPECT_EQ(ftp_.session().state.sessionProfile.serverFeatureMask & kMdtmAllowed, 0);
  }
}

// Names outside ASCII and with spaces travel as the same UTF-8 bytes both
// ways: upload, listing, download, rename and delete.
TEST_P(RealServerTransferTest, Utf8NamesWithSpacesRoundTrip) {
  session::exchangeFeatures(ftp_.session(), ftp_.control());
  const std::string name = "r\xc3\xa9sum\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.txt";
  const std::string renamed = "nouveau r\xc3\xa9sum\xc3\xa9.bin";
  writeFile(local_ / name, "contents\n");
  EXPECT_EQ(send("STOR " + name, local_ / name, 'I'), 2);
  EXPECT_EQ(readFile(served() / name), "contents\n");
  EXPECT_EQ(receive("NLST", local_ / "names.txt", 'A'), 2);
  EXPECT_THAT(readFile(local_ / "names.txt"), ::testing::HasSubstr(name + "\n"));
  EXPECT_EQ(receive("RETR " + name, local_ / "back.txt", 'I'), 2);
  EXPECT_EQ(readFile(local_ / "back.txt"), "contents\n");
  EXPECT_EQ(session::renameRemoteEntry(ftp_.session(), ftp_.control(), name, renamed),
            session::RenameOutcome::kRenamed)
      << ftp_.logText();
  EXPECT_EQ(readFile(served() / renamed), "contents\n");
  EXPECT_EQ(session::deleteRemoteFile(ftp_.session(), ftp_.control(), renamed), 2);
  EXPECT_FALSE(std::filesystem::exists(served() / renamed));
}

// Over IPv6 (EPSV) after FEAT: an upload and a download byte for byte, and
// the upload's time set with MFMT where the server offers it.
TEST(RealServerTransferIpv6, UploadAndDownloadKeepEveryByte) {
  for (const FtpServerKind kind : {FtpServerKind::kPyftpdlib, FtpServerKind::kVsftpd}) {
    testing::RealServerSession ftp(kind, testing::LoopbackFamily::kIpv6);
    SCOPED_TRACE(ftp.server().name());
    ASSERT_EQ(ftp.logOn(), "");
    ASSERT_EQ(ftp.enterServedFolder(), 2);
    session::exchangeFeatures(ftp.session(), ftp.control());
    testing::ScriptedUserInterface ui;
    TransferStatus status(ui, true, false);
    TransferState state;
    TransferSettings settings;
    NameRuleSettings nameRules;
    TransferContext transfer{ftp.session(), state, status, settings, nameRules, ui};
    const std::filesystem::path local = ftp.server().servedFolder().parent_path() / "up.bin";
    writeFile(local, patterned(200000));
    const timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, local.c_str(), times, 0), 0);
    ftp.session().state.sessionProfile.serverFeatureMask |= kMdtmAllowed;
    EXPECT_EQ(SendFromFile(transfer, ftp.control(), "STOR up.bin", local.string(), 'I'), 2);
    const std::filesystem::path remote = ftp.server().servedFolder() / "up.bin";
    EXPECT_EQ(sha256Of(remote), sha256Of(local));
    const std::filesystem::path back = local.parent_path() / "back.bin";
    EXPECT_EQ(ReceiveToFile(transfer, ftp.control(), "RETR up.bin", back.string(), 'I', false), 2);
    EXPECT_EQ(sha256Of(back), sha256Of(local));
    EXPECT_THAT(ftp.log().history(), ::testing::Contains(::testing::StartsWith("EPSV")));
    struct stat remoteStatus {};
    ASSERT_EQ(::stat(remote.c_str(), &remoteStatus), 0);
    EXPECT_EQ(remoteStatus.st_mtime, 1'000'000'000) << ftp.logText();
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServerTransferTest,
                         ::testing::Values(FtpServerKind::kPyftpdlib, FtpServerKind::kVsftpd,
                                           FtpServerKind::kVsftpdExplicitTls,
                                           FtpServerKind::kVsftpdImplicitTls),
                         [](const ::testing::TestParamInfo<FtpServerKind>& info) {
                           return testing::testNameOf(info.param);
                         });

}  // namespace
}  // namespace ferrix::transfer
