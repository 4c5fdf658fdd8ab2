#include "platform/process.h"

#include <gtest/gtest.h>

#include <csignal>

#include <string>
#include <vector>

#include "platform/paths.h"
#include "testing/scratch_folder.h"

namespace ferrix::platform {
namespace {

using std::chrono::milliseconds;
using Words = std::vector<std::string>;

TEST(CommandLine, SplitsOnBlanksAndGroupsQuotes) {
  struct Case {
    const char* line;
    Words words;
  };
  const Case cases[] = {
      {"xdg-open /tmp/a.txt", {"xdg-open", "/tmp/a.txt"}},
      {"  edit   a  ", {"edit", "a"}},
      {"\"/opt/my editor/ed\" /tmp/x y", {"/opt/my editor/ed", "/tmp/x", "y"}},
      {"ed \"\"", {"ed", ""}},
      {"ed \"unclosed name", {"ed", "unclosed name"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(splitCommandLine(c.line), c.words) << c.line;
  EXPECT_EQ(splitCommandLine("viewer " + quotedWord("/tmp/a b.txt")),
            (Words{"viewer", "/tmp/a b.txt"}));
  EXPECT_EQ(quotedWord("/tmp/plain"), "/tmp/plain");
}

TEST(ChildProcess, ReportsTheExitCodeAndRunsNoShell) {
  testing::ScratchFolder folder;
  std::error_code error;
  // A name full of shell syntax stays one argument.
  const std::string odd = folder / "a;touch x";
  std::optional<ChildProcess> child =
      ChildProcess::start({"/bin/sh", "-c", "touch \"$1\"; exit 3", "sh", odd}, error);
  ASSERT_TRUE(child) << error.message();
  EXPECT_EQ(child->waitFor(milliseconds(5000)), 3);
  EXPECT_TRUE(fileExists(odd));
  EXPECT_FALSE(fileExists(folder / "x"));
}

TEST(ChildProcess, WaitEndsAtItsLimitWhileTheProgramRuns) {
  std::error_code error;
  std::optional<ChildProcess> child = ChildProcess::start({"sleep", "5"}, error);
  ASSERT_TRUE(child);
  EXPECT_EQ(child->waitFor(milliseconds(50)), std::nullopt);
  kill(child->pid(), SIGTERM);
  EXPECT_EQ(child->waitFor(milliseconds(5000)), 128 + SIGTERM);
}

TEST(ChildProcess, MissingProgramIsAnError) {
  std::error_code error;
  EXPECT_FALSE(ChildProcess::start({"/nonexistent/ferrix-editor"}, error));
  EXPECT_TRUE(error);
  EXPECT_FALSE(ChildProcess::start({}, error));
  EXPECT_FALSE(ChildProcess::start(splitCommandLine(""), error));
}

}  // namespace
}  // namespace ferrix::platform
