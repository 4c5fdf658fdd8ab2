#include "listing/local_file_commands.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ferrix::listing {
namespace {

TEST(LocalEntryNames, OnlyPlainNamesStayInTheFolder) {
  struct Case {
    const char* name;
    bool inFolder;
  };
  const Case cases[] = {
      {"a.txt", true}, {"..a", true},          {" ", true},
      {"", false},     {".", false},           {"..", false},
      {"a/b", false},  {"/etc/passwd", false}, {"../x", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<std::filesystem::path> path = EntryInFolder("/home/ann", c.name);
    EXPECT_EQ(path.has_value(), c.inFolder);
    if (path) {
      EXPECT_EQ(path->parent_path(), "/home/ann");
    }
  }
}

TEST(LocalTypedPaths, RelativeToTheFolderOrAbsolute) {
  struct Case {
    const char* typed;
    const char* resolved;
  };
  const Case cases[] = {
      {"sub", "/home/ann/sub"},
      {"sub/", "/home/ann/sub"},
      {"..", "/home"},
      {"../bob", "/home/bob"},
      {"/tmp", "/tmp"},
      {"./x/../y", "/home/ann/y"},
      {"/", "/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(ResolveTypedPath("/home/ann", c.typed), std::filesystem::path(c.resolved));
  }
}

}  // namespace
}  // namespace ferrix::listing
