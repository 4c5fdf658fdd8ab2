#include "shell/desktop/temporary_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/paths.h"
#include "testing/scratch_folder.h"

namespace ferrix::desktop {
namespace {

using ::testing::UnorderedElementsAre;

TEST(TemporaryFileNames, SuffixComesFromTheRemoteExtension) {
  struct Case {
    const char* remoteName;
    const char* suffix;
  };
  const Case cases[] = {
      {"notes.txt", ".txt"},       {"page.html", ".htm"},     {"a.b.c", ".c"},
      {"README", ".TMP"},          {"trailing.", ".TMP"},     {"LOGIN.COM;3", ".COM"},
      {"x.;1", ".TMP"},            {"/pub/dir.d/file", ".TMP"}, {"odd.a b", ".a"},
      {"evil.\x01z", ".TMP"},
  };
  for (const Case& c : cases) EXPECT_EQ(suffixForRemoteName(c.remoteName), c.suffix) << c.remoteName;
}

TEST(TemporaryFiles, EndDeletesOursAndLeftoversButKeepsRecoveries) {
  testing::ScratchFolder folder;
  TemporaryFiles files(folder.path());
  std::error_code error;
  std::optional<platform::TempFile> shown = files.create(kDisplayPrefix, "a.txt", error);
  std::optional<platform::TempFile> edited = files.create(kEditPrefix, "b.c", error);
  ASSERT_TRUE(shown && edited);
  const std::string editedPath = edited->path();
  files.adopt(std::move(*shown));
  files.keepForRecovery(edited->keep());

  folder.write("DSPq1w2e3.TMP", "earlier run");
  folder.write("EDTabcdef.txt", "earlier edit");
  folder.write("DSPLAY.conf", "not ours");
  folder.write("DSPabcdef.toolong", "not our pattern");
  folder.write("other.txt", "unrelated");
  symlink((folder / "other.txt").c_str(), (folder / "EDTzzzzzz.txt").c_str());

  EXPECT_EQ(files.deleteAll(), 3);
  EXPECT_THAT(folder.list(),
              UnorderedElementsAre(editedPath.substr(folder.path().size() + 1), "DSPLAY.conf",
                                   "DSPabcdef.toolong", "other.txt", "EDTzzzzzz.txt"));
}

}  // namespace
}  // namespace ferrix::desktop
