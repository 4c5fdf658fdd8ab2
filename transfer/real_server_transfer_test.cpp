// Uploads and downloads against pyftpdlib and vsftpd on loopback, checked
// byte for byte (SHA-256 of both sides): binary and ASCII, empty files, a
// 64 MiB file, unique store, append, and setting the remote time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>
#include <set>
#include <sstream>

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
      {"text.txt", "first line\r\nsecond line\r\n\r\nlast line without end", 'A'},
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

TEST_P(RealServerTransferTest, SixtyFourMebibytesArriveWhole) {
  const std::filesystem::path source = served() / "large.bin";
  writeFile(source, patterned(64u << 20));
  EXPECT_EQ(receive("RETR large.bin", local_ / "large.bin", 'I'), 2);
  EXPECT_EQ(sha256Of(local_ / "large.bin"), sha256Of(source));
  EXPECT_EQ(send("STOR again.bin", local_ / "large.bin", 'I'), 2);
  EXPECT_EQ(sha256Of(served() / "again.bin"), sha256Of(source));
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

INSTANTIATE_TEST_SUITE_P(Servers, RealServerTransferTest,
                         ::testing::Values(FtpServerKind::kPyftpdlib, FtpServerKind::kVsftpd,
                                           FtpServerKind::kVsftpdExplicitTls,
                                           FtpServerKind::kVsftpdImplicitTls),
                         [](const ::testing::TestParamInfo<FtpServerKind>& info) {
                           return testing::testNameOf(info.param);
                         });

}  // namespace
}  // namespace ferrix::transfer
