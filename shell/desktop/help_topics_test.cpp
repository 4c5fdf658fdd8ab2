#include "shell/desktop/help_topics.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/scratch_folder.h"

namespace ferrix::desktop {
namespace {

TEST(HelpFolder, ProgramThenConfigurationThenInstalledData) {
  struct Case {
    bool inProgram, inConfig, inData;
    const char* chosen;  // empty: none
  };
  const Case cases[] = {
      {true, true, true, "program"},
      {false, true, true, "config"},
      {false, false, true, "share"},
      {false, false, false, ""},
  };
  for (const Case& c : cases) {
    testing::ScratchFolder scratch;
    const bool present[] = {c.inProgram, c.inConfig, c.inData};
    const char* bases[] = {"program", "config", "share"};
    for (int i = 0; i < 3; ++i) {
      scratch.makeFolder(std::string(bases[i]) + "/help");
      if (present[i]) scratch.write(std::string(bases[i]) + "/help/index.html", "<html>");
    }
    const std::string expected = *c.chosen ? scratch / (std::string(c.chosen) + "/help") : "";
    EXPECT_EQ(findHelpFolder(scratch / "program", scratch / "config", scratch / "share"), expected)
        << c.chosen;
  }
}

}  // namespace
}  // namespace ferrix::desktop
