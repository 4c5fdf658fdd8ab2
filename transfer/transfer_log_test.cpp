#include "transfer/transfer_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <fstream>
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
  const TransferLogEntry download{TransferDirection::kReceived, 'I', "report.zip", "Work", "/pub",
                                  "report.zip"};
  EXPECT_EQ(FormatTransferLogLine(download, "/data", at(1998, 3, 4, 9, 5)),
            "1998.03.04 09:05 B /data/report.zip <-- Work /pub report.zip\n");

  const TransferLogEntry upload{TransferDirection::kSent, 'A', "notes.txt", "ftp.example.com",
                                "/incoming", "notes.txt"};
  EXPECT_EQ(FormatTransferLogLine(upload, "/", at(2026, 12, 7, 23, 59)),
            "2026.12.07 23:59 A //notes.txt --> ftp.example.com /incoming notes.txt\n");
}

TEST(TransferLog, AppendsOnlyWhenLoggingIsOneAndSkipsUnopenableFiles) {
  std::string pattern = (std::filesystem::temp_directory_path() / "ferrix-xlog-XXXXXX").string();
  const std::filesystem::path folder = mkdtemp(pattern.data());
  const TransferLogEntry entry{TransferDirection::kReceived, 'I', "a.bin", "Site", "/", "a.bin"};

  AppendTransferLog({2, "FERRIX.LOG"}, entry, folder, 0);
  EXPECT_FALSE(std::filesystem::exists(folder / "FERRIX.LOG"));

  AppendTransferLog({1, "FERRIX.LOG"}, entry, folder, 0);
  AppendTransferLog({1, "FERRIX.LOG"}, entry, folder, 0);
  std::ifstream file(folder / "FERRIX.LOG");
  std::stringstream content;
  content << file.rdbuf();
  const std::string text = content.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);

  AppendTransferLog({1, "missing/folder/FERRIX.LOG"}, entry, folder, 0);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace ferrix::transfer
