#include "platform/ini_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "testing/scratch_folder.h"

namespace ferrix::platform {
namespace {

using ferrix::testing::ScratchFolder;

struct ReadCase {
  const char* label;
  const char* content;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

const ReadCase kReadCases[] = {
    {"crlf line ends", "[s]\r\nk=v\r\n", "s", "k", "v"},
    {"byte-order mark", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
    {"blank lines", "\n\n[s]\n\n\nk=v\n\n", "s", "k", "v"},
    {"comment is no key", "[s]\n;k=v\n", "s", "k", std::nullopt},
    {"no final newline", "[s]\n; note\nk=v", "s", "k", "v"},
    {"line without equals skipped", "[s]\njunk\nk=v\n", "s", "k", "v"},
    {"line without equals is no key", "[s]\njunk\n", "s", "junk", std::nullopt},
    {"first duplicate key wins", "[s]\nk=1\nk=2\n", "s", "k", "1"},
    {"first duplicate section wins", "[s]\nk=1\n[s]\nk=2\nj=3\n", "s", "k", "1"},
    {"later duplicate section unseen", "[s]\nk=1\n[s]\nj=3\n", "s", "j", std::nullopt},
    {"names and value trimmed", "[ s ]\n\t k  =  v w \t\n", "s", "k", "v w"},
    {"section and key ignore case", "[Sec]\nKey=v\n", "SEC", "kEY", "v"},
    {"one pair of quotes removed", "[s]\nk=\"\"a\"\"\n", "s", "k", "\"a\""},
    {"quotes keep blanks", "[s]\nk=\"  a \"\n", "s", "k", "  a "},
    {"lone quote kept", "[s]\nk=\"\n", "s", "k", "\""},
    {"empty value is present", "[s]\nk=\n", "s", "k", ""},
    {"value keeps equals signs", "[s]\nk=a=b\n", "s", "k", "a=b"},
    {"key before any section", "k=v\n[s]\n", "s", "k", std::nullopt},
    {"key of another section", "[a]\nk=v\n[b]\n", "b", "k", std::nullopt},
    {"unclosed header is no section", "[s\nk=v\n", "s", "k", std::nullopt},
    {"empty file", "", "s", "k", std::nullopt},
};

TEST(IniFileReading, ToleratesEveryOddity) {
  ScratchFolder folder;
  for (const ReadCase& c : kReadCases) {
    IniFile ini(folder.write(std::string(c.label) + ".ini", c.content));
    EXPECT_EQ(ini.find(c.section, c.key), c.expected) << c.label;
  }
}

TEST(IniFileReading, KeysOfTheFirstSectionOnceInFileOrder) {
  ScratchFolder folder;
  IniFile ini(folder.write("keys.ini",
                           "[Extensions]\ntxt=edit ^.txt\n; doc=x\nHTM=browser\nTXT=again\n"
                           "junk\n[Other]\nzip=z\n[extensions]\nlate=1\n"));
  EXPECT_EQ(ini.keysOf("EXTENSIONS"), (std::vector<std::string>{"txt", "HTM"}));
  EXPECT_TRUE(ini.keysOf("missing").empty());
}

struct IntCase {
  const char* value;
  std::optional<std::int32_t> expected;
};

TEST(IniFileReading, IntegersAreLeadingDigitsAsA32BitPattern) {
  const IntCase cases[] = {
      {"4294967285", -11}, {"-11", -11},          {"12abc", 12},
      {"\"5\"", 5},        {"4294967296", 0},     {"2147483648", INT32_MIN},
      {"0x1F", 0},         {"abc", std::nullopt}, {"-", std::nullopt},
      {"", std::nullopt},
  };
  ScratchFolder folder;
  for (const IntCase& c : cases) {
    IniFile ini(folder.write("int.ini", std::string("[s]\nk=") + c.value + "\n"));
    EXPECT_EQ(ini.findInt("s", "k"), c.expected) << c.value;
    EXPECT_EQ(ini.readInt("s", "k", 77), c.expected.value_or(77)) << c.value;
  }
}

TEST(IniFileReading, MissingOrUnreadableFileGivesDefaults) {
  ScratchFolder folder;
  IniFile missing(folder / "none.ini");
  IniFile folderNotFile(folder.makeFolder("dir.ini"));
  for (IniFile* ini : {&missing, &folderNotFile}) {
    EXPECT_EQ(ini->readString("s", "k", "fallback"), "fallback");
    EXPECT_EQ(ini->readInt("s", "k", -3), -3);
  }
}

TEST(IniFileReading, SeesChangesMadeByOthers) {
  ScratchFolder folder;
  std::string path = folder.write("a.ini", "[s]\nk=1\n");
  IniFile ini(path);
  ASSERT_EQ(ini.readInt("s", "k", 0), 1);

  folder.write("a.ini", "[s]\nk=22\n");
  EXPECT_EQ(ini.readInt("s", "k", 0), 22);

  // Same size: only the modification time tells.
  folder.write("a.ini", "[s]\nk=33\n");
  timespec times[2] = {{1'000'000, 0}, {1'000'000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  EXPECT_EQ(ini.readInt("s", "k", 0), 33);
}

struct EditCase {
  const char* label;
  const char* before;
  std::function<bool(IniFile&)> edit;
  const char* after;
};

TEST(IniFileWriting, ChangesOnlyWhatItMust) {
  const EditCase cases[] = {
      {"replace keeps every other byte",
       "\xEF\xBB\xBF; top\r\n[_config_]\r\nVERBOSE=0\r\nOdd=x\r\n\r\n[site]\r\n  HOST = h  \r\n",
       [](IniFile& ini) { return ini.writeString("_CONFIG_", "verbose", "1"); },
       "\xEF\xBB\xBF; top\r\n[_config_]\r\nVERBOSE=1\r\nOdd=x\r\n\r\n[site]\r\n  HOST = h  \r\n"},
      {"new key joins its section with the file's line ends", "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n",
       [](IniFile& ini) { return ini.writeString("a", "z", "3"); },
       "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n"},
      {"new key in a section without keys", "[a]\n; about a\n[b]\n",
       [](IniFile& ini) { return ini.writeString("a", "z", "3"); }, "[a]\nz=3\n; about a\n[b]\n"},
      {"new section after a last line without newline", "[a]\nx=1",
       [](IniFile& ini) { return ini.writeString("b", "y", "2"); }, "[a]\nx=1\n\n[b]\ny=2\n"},
      {"new section in a new file", "",
       [](IniFile& ini) { return ini.writeString("b", "y", "\" lead\""); }, "[b]\ny=\" lead\"\n"},
      {"deleting a key removes its copies", "[s]\nk=1\nK=2\nj=3\n[t]\nk=4\n",
       [](IniFile& ini) { return ini.writeString("s", "k", std::nullopt); },
       "[s]\nj=3\n[t]\nk=4\n"},
      {"deleting a section removes its duplicates and their lines",
       "[a]\nx=1\n[S]\nk=1\n;c\n[b]\ny=2\n[s]\nk=2\n",
       [](IniFile& ini) { return ini.deleteSection("s"); }, "[a]\nx=1\n[b]\ny=2\n"},
      {"value with a line break refused", "[s]\nk=1\n",
       [](IniFile& ini) { return !ini.writeString("s", "k", "2\n[evil]\nk=3"); }, "[s]\nk=1\n"},
      {"key with equals sign refused", "[s]\nk=1\n",
       [](IniFile& ini) { return !ini.writeString("s", "a=b", "2"); }, "[s]\nk=1\n"},
      {"section with closing bracket refused", "[s]\nk=1\n",
       [](IniFile& ini) { return !ini.writeString("s]x", "k", "2"); }, "[s]\nk=1\n"},
      {"several keys set and deleted in one write", "[s]\nk=1\nold=x\n",
       [](IniFile& ini) {
         return ini.writeKeys("s", {{"k", "2"}, {"old", {}}, {"new", "3"}});
       },
       "[s]\nk=2\nnew=3\n"},
      {"one refused value leaves every key as it was", "[s]\nk=1\n",
       [](IniFile& ini) {
         return !ini.writeKeys("s", {{"k", "2"}, {"j", "a\nb"}});
       },
       "[s]\nk=1\n"},
  };
  ScratchFolder folder;
  for (const EditCase& c : cases) {
    IniFile ini(folder.write("edit.ini", c.before));
    EXPECT_TRUE(c.edit(ini)) << c.label;
    EXPECT_EQ(folder.read("edit.ini"), c.after) << c.label;
  }
}

TEST(IniFileWriting, DeletingFromAMissingFileCreatesNothing) {
  ScratchFolder folder;
  IniFile ini(folder / "none.ini");
  EXPECT_TRUE(ini.writeString("s", "k", std::nullopt));
  EXPECT_TRUE(ini.deleteSection("s"));
  EXPECT_TRUE(folder.list().empty());
}

TEST(IniFileWriting, NewFileIsPrivateAndItsFoldersAreCreated) {
  ScratchFolder folder;
  mode_t oldMask = umask(0);
  IniFile ini(folder / "new/deeper/FERRIX.INI");
  bool written = ini.writeString("s", "k", "v");
  umask(oldMask);
  ASSERT_TRUE(written);
  struct stat status {};
  ASSERT_EQ(stat((folder / "new/deeper/FERRIX.INI").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0600u);
  ASSERT_EQ(stat((folder / "new").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0700u);
}

TEST(IniFileWriting, ExistingFileKeepsItsMode) {
  ScratchFolder folder;
  std::string path = folder.write("a.ini", "[s]\nk=1\n");
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  ASSERT_TRUE(IniFile(path).writeString("s", "k", "2"));
  struct stat status {};
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0644u);
}

TEST(IniFileWriting, WritesThroughASymbolicLink) {
  ScratchFolder folder;
  std::string target = folder.write("real.ini", "[s]\nk=1\n");
  ASSERT_EQ(symlink(target.c_str(), (folder / "link.ini").c_str()), 0);
  ASSERT_TRUE(IniFile(folder / "link.ini").writeString("s", "k", "2"));
  struct stat status {};
  ASSERT_EQ(lstat((folder / "link.ini").c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode));
  EXPECT_EQ(folder.read("real.ini"), "[s]\nk=2\n");
}

// A write that cannot complete (here: the file size limit stops it half-way,
// which works even for root) must leave the old file whole and no debris.
TEST(IniFileWriting, OldContentSurvivesAnIncompleteWrite) {
  ScratchFolder folder;
  const std::string before = "[s]\nk=" + std::string(100, 'a') + "\n";
  IniFile ini(folder.write("a.ini", before));
  ASSERT_EQ(ini.find("s", "k"), std::string(100, 'a'));

  std::signal(SIGXFSZ, SIG_IGN);
  rlimit oldLimit{};
  getrlimit(RLIMIT_FSIZE, &oldLimit);
  rlimit small = oldLimit;
  small.rlim_cur = 150;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool written = ini.writeString("s", "k", std::string(300, 'b'));
  setrlimit(RLIMIT_FSIZE, &oldLimit);

  EXPECT_FALSE(written);
  EXPECT_EQ(folder.read("a.ini"), before);
  EXPECT_EQ(folder.list(), std::vector<std::string>{"a.ini"});
  EXPECT_EQ(ini.find("s", "k"), std::string(100, 'a'));
}

TEST(IniFileWriting, UnwritableFolderFailsQuietly) {
  ScratchFolder folder;
  folder.write("plain-file", "");
  IniFile ini(folder / "plain-file/FERRIX.INI");
  EXPECT_FALSE(ini.writeString("s", "k", "v"));
  EXPECT_EQ(ini.readString("s", "k", "fallback"), "fallback");
}

TEST(IniFileWriting, ReadOnlyFolderKeepsTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  ScratchFolder folder;
  std::string locked = folder.makeFolder("locked");
  folder.write("locked/a.ini", "[s]\nk=1\n");
  ASSERT_EQ(chmod(locked.c_str(), 0500), 0);
  bool written = IniFile(folder / "locked/a.ini").writeString("s", "k", "2");
  chmod(locked.c_str(), 0700);
  EXPECT_FALSE(written);
  EXPECT_EQ(folder.read("locked/a.ini"), "[s]\nk=1\n");
}

}  // namespace
}  // namespace ferrix::platform
