#include "transfer/transfer_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

namespace ferrix::transfer {
namespace {

std::tm at(int year, int month, int day, int hour, int minute) {
  std::tm when{};
  when.tm_year = year - 1900;
  when.tm_mon = month - 1;
  when.tm_mday = day;
  when.tm_hour = hour;
  when.tm_min = minute;
  return when;
}

TEST(TransferLog, LineNamesTypeFolderDirectionSiteAndRemoteFile) {
  const TransferLogEntry download{
      TransferDirection::kReceived, 'I', "report.zip", "Work", "/pub", "report.zip"};
  EXPECT_EQ(FormatTransferLogLine(download, "/data", at(1998, 3, 4, 9, 5)),
            "1998.03.04 09:05 B /data/report.zip <-- Work /pub report.zip\n");

  const TransferLogEntry upload{TransferDirection::kSent, 'A',         "notes.txt",
                                "ftp.example.com",        "/incoming", "notes.txt"};
  EXPECT_EQ(FormatTransferLogLine(upload, "/", at(2026, 12, 7, 23, 59)),
            "2026.12.07 23:59 A //notes.txt --> ftp.example.com /incoming notes.txt\n");
}

std::string readAll(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

class TransferLogFileTest : public ::testing::Test {
 protected:
  TransferLogFileTest() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ferrix-xlog-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    const char* old = std::getenv("XDG_STATE_HOME");
    if (old != nullptr) oldStateHome_ = old;
    setenv("XDG_STATE_HOME", (folder_ / "state").c_str(), 1);
    std::filesystem::create_directories(downloads_);
  }
  ~TransferLogFileTest() override {
    if (oldStateHome_) {
      setenv("XDG_STATE_HOME", oldStateHome_->c_str(), 1);
    } else {
      unsetenv("XDG_STATE_HOME");
    }
    std::filesystem::remove_all(folder_);
  }

  std::filesystem::path folder_;
  std::filesystem::path downloads_ = folder_ / "downloads";
  std::optional<std::string> oldStateHome_;
  const TransferLogEntry entry_{TransferDirection::kReceived, 'I', "a.bin", "Site", "/", "a.bin"};
};

TEST_F(TransferLogFileTest, AppendsOnlyWhenLoggingIsOne) {
  AppendTransferLog({2, "FERRIX.LOG"}, entry_, downloads_, 0);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "state"));

  AppendTransferLog({1, "FERRIX.LOG"}, entry_, downloads_, 0);
  AppendTransferLog({1, "FERRIX.LOG"}, entry_, downloads_, 0);
  const std::string text = readAll(folder_ / "state/ferrix/FERRIX.LOG");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST_F(TransferLogFileTest, ARelativeNameIsKeptInTheStateFolderNeverBesideTheFiles) {
  AppendTransferLog({1, "FERRIX.LOG"}, entry_, downloads_, 0);
  EXPECT_EQ(TransferLogPath({1, "FERRIX.LOG"}), folder_ / "state/ferrix/FERRIX.LOG");
  EXPECT_FALSE(std::filesystem::exists(downloads_ / "FERRIX.LOG"));
  EXPECT_NE(readAll(folder_ / "state/ferrix/FERRIX.LOG").find(downloads_.string() + "/a.bin <--"),
            std::string::npos);
}

TEST_F(TransferLogFileTest, AnAbsoluteNameIsUsedAsItStands) {
  const std::filesystem::path absolute = folder_ / "mine.log";
  AppendTransferLog({1, absolute.string()}, entry_, downloads_, 0);
  EXPECT_FALSE(readAll(absolute).empty());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "state"));
}

TEST_F(TransferLogFileTest, SkipsAFileThatCannotBeOpened) {
  AppendTransferLog({1, "missing/folder/FERRIX.LOG"}, entry_, downloads_, 0);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "state/ferrix/missing"));
}

}  // namespace
}  // namespace ferrix::transfer
