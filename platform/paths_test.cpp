#include "platform/paths.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "testing/scratch_folder.h"

namespace ferrix::platform {
namespace {

using ferrix::testing::ScratchFolder;

// Sets or unsets an environment variable for one scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string passwdHome() { return getpwuid(getuid())->pw_dir; }

TEST(ConfigFolder, FollowsXdgThenHomeThenPasswd) {
  struct Case {
    const char* xdgConfigHome;
    const char* home;
    std::string expected;
  };
  const Case cases[] = {
      {"/x/cfg", "/h", "/x/cfg/ferrix"},
      {"/x/cfg/", "/h", "/x/cfg/ferrix"},
      {"relative/cfg", "/h", "/h/.config/ferrix"},
      {"", "/h", "/h/.config/ferrix"},
      {nullptr, "/h/", "/h/.config/ferrix"},
      {nullptr, nullptr, joinPath(passwdHome(), ".config/ferrix")},
      {nullptr, "", joinPath(passwdHome(), ".config/ferrix")},
  };
  for (const Case& c : cases) {
    ScopedEnvironment xdg("XDG_CONFIG_HOME", c.xdgConfigHome);
    ScopedEnvironment home("HOME", c.home);
    EXPECT_EQ(configFolder(), c.expected) << (c.xdgConfigHome ? c.xdgConfigHome : "(unset)") << " "
                                          << (c.home ? c.home : "(unset)");
  }
}

TEST(TempFolder, TmpdirWhenSetElseTmp) {
  {
    ScopedEnvironment tmpdir("TMPDIR", "/var/scratch/");
    EXPECT_EQ(tempFolder(), "/var/scratch");
  }
  {
    ScopedEnvironment tmpdir("TMPDIR", "");
    EXPECT_EQ(tempFolder(), "/tmp");
  }
  ScopedEnvironment tmpdir("TMPDIR", nullptr);
  EXPECT_EQ(tempFolder(), "/tmp");
}

TEST(PathText, JoinAbsoluteAndNormalForm) {
  EXPECT_EQ(joinPath("/a", "b"), "/a/b");
  EXPECT_EQ(joinPath("/", "b"), "/b");
  EXPECT_EQ(joinPath("", "b"), "b");
  EXPECT_EQ(joinPath("/a", "/etc/b"), "/etc/b");

  EXPECT_EQ(absolutePath("b.ini", "/a"), "/a/b.ini");
  EXPECT_EQ(absolutePath("./x/../b.ini", "/a"), "/a/b.ini");
  EXPECT_EQ(absolutePath("/c/./d/../b.ini", "/a"), "/c/b.ini");

  EXPECT_TRUE(needsAbsoluteForm("b.ini"));
  EXPECT_TRUE(needsAbsoluteForm(""));
  EXPECT_TRUE(needsAbsoluteForm("/a/./b.ini"));
  EXPECT_TRUE(needsAbsoluteForm("/a/../b.ini"));
  EXPECT_FALSE(needsAbsoluteForm("/a/.b/b.ini"));
  EXPECT_FALSE(needsAbsoluteForm("/a/b.ini"));
}

TEST(ProgramFolder, HoldsTheRunningProgram) {
  EXPECT_TRUE(fileExists(joinPath(programFolder(), "ferrix_platform_tests")));
}

TEST(FileExists, OnlyForThingsThatAreNotFolders) {
  ScratchFolder folder;
  EXPECT_TRUE(fileExists(folder.write("a.ini", "")));
  EXPECT_FALSE(fileExists(folder.makeFolder("b.ini")));
  EXPECT_FALSE(fileExists(folder / "missing.ini"));
  EXPECT_FALSE(fileExists(""));
}

TEST(MaxNameLength, KnownForTheTemporaryFolder) {
  std::optional<std::size_t> length = maxNameLength(tempFolder());
  ASSERT_TRUE(length.has_value());
  EXPECT_GE(*length, 14u);
  EXPECT_FALSE(maxNameLength("/no/such/folder").has_value());
}

}  // namespace
}  // namespace ferrix::platform
