#include "platform/paths.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace ferrix::platform {
namespace {

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
    EXPECT_EQ(configFolder(), c.expected)
        << (c.xdgConfigHome ? c.xdgConfigHome : "(unset)") << " " << (c.home ? c.home : "(unset)");
  }
}

TEST(StateFolder, FollowsXdgThenHome) {
  struct Case {
    const char* xdgStateHome;
    const char* home;
    std::string expected;
  };
  const Case cases[] = {
      {"/x/state/", "/h", "/x/state/ferrix"},
      {"relative/state", "/h", "/h/.local/state/ferrix"},
      {nullptr, "/h", "/h/.local/state/ferrix"},
      {nullptr, nullptr, joinPath(passwdHome(), ".local/state/ferrix")},
  };
  for (const Case& c : cases) {
    ScopedEnvironment xdg("XDG_STATE_HOME", c.xdgStateHome);
    ScopedEnvironment home("HOME", c.home);
    EXPECT_EQ(stateFolder(), c.expected) << (c.xdgStateHome ? c.xdgStateHome : "(unset)");
  }
}

TEST(ProgramFolder, HoldsTheRunningProgram) {
  EXPECT_TRUE(fileExists(joinPath(programFolder(), "ferrix_platform_tests")));
}

TEST(DataFolder, SitsUnderTheProgramsPrefix) {
  // Installed as <prefix>/bin/program, the data is in <prefix>/share/ferrix.
  const std::string program = programFolder();
  const std::string prefix = program.substr(0, program.rfind('/'));
  EXPECT_EQ(dataFolder(), joinPath(prefix.empty() ? "/" : prefix, "share/ferrix"));
}

}  // namespace
}  // namespace ferrix::platform
