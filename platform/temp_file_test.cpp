#include "platform/temp_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/paths.h"
#include "testing/scratch_folder.h"

namespace ferrix::platform {
namespace {

using ferrix::testing::ScratchFolder;

std::string baseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

TEST(TempFile, CreatesAPrivateUniqueFileWithPrefixAndSuffix) {
  ScratchFolder folder;
  std::error_code error;
  std::optional<TempFile> first = TempFile::create(folder.path(), "DIR", error);
  std::optional<TempFile> second = TempFile::create(folder.path(), "DIR", error);
  ASSERT_TRUE(first && second) << error.message();
  EXPECT_NE(first->path(), second->path());

  std::string name = baseName(first->path());
  EXPECT_EQ(name.substr(0, 3), "DIR");
  EXPECT_EQ(name.substr(name.size() - 4), ".TMP");
  EXPECT_EQ(first->path(), folder / name);
  struct stat status {};
  ASSERT_EQ(stat(first->path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0600u);
  EXPECT_EQ(status.st_size, 0);
}

TEST(TempFile, OwnerDeletesUnlessKept) {
  ScratchFolder folder;
  std::error_code error;
  std::string deletedPath;
  std::string keptPath;
  {
    std::optional<TempFile> deleted = TempFile::create(folder.path(), "DSP", error);
    std::optional<TempFile> kept = TempFile::create(folder.path(), "EDT", error);
    ASSERT_TRUE(deleted && kept);
    deletedPath = deleted->path();
    TempFile movedTo = std::move(*kept);
    keptPath = movedTo.keep();
    EXPECT_TRUE(movedTo.path().empty());
  }
  EXPECT_FALSE(fileExists(deletedPath));
  EXPECT_TRUE(fileExists(keptPath));
}

TEST(TempFile, SuffixTakesThePlaceOfTmp) {
  ScratchFolder folder;
  std::error_code error;
  std::optional<TempFile> file = TempFile::createWithSuffix(folder.path(), "DSP", ".txt", error);
  ASSERT_TRUE(file) << error.message();
  std::string name = baseName(file->path());
  EXPECT_EQ(name.size(), 3u + 6u + 4u);
  EXPECT_EQ(name.substr(0, 3), "DSP");
  EXPECT_EQ(name.substr(name.size() - 4), ".txt");
  EXPECT_FALSE(TempFile::createWithSuffix(folder.path(), "DSP", "./x", error));
  EXPECT_EQ(error, std::errc::invalid_argument);
}

TEST(TempFile, FailureIsReportedAsAnError) {
  ScratchFolder folder;
  std::error_code error;
  EXPECT_FALSE(TempFile::create(folder / "missing", "DIR", error).has_value());
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);
  EXPECT_FALSE(TempFile::create(folder.path(), "../DIR", error).has_value());
  EXPECT_EQ(error, std::errc::invalid_argument);
}

}  // namespace
}  // namespace ferrix::platform
