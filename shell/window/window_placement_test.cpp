#include "shell/window/window_placement.h"

#include <gtest/gtest.h>

namespace ferrix::shell {
namespace {

TEST(WindowPlacement, LocReadsInOrderAndWrappedNumbersAreNegativePositions) {
  struct Case {
    const char* loc;
    WindowPlacement expected;
  };
  const WindowPlacement defaults = DefaultPlacement(1200);
  const Case cases[] = {
      {"40,50,900,600,450,300", {40, 50, 900, 600, 450, 300}},
      {"4294967286,4294966296,900,600,450,0", {-10, -1000, 900, 600, 450, 0}},
      {"-10,-1000,900,600,450,0", {-10, -1000, 900, 600, 450, 0}},
      {"40,50", {40, 50, defaults.width, defaults.height, defaults.splitter, 0}},
      {"40;50,900", {40, defaults.top, defaults.width, defaults.height, defaults.splitter, 0}},
      {"4294967296,50", defaults},
      {"x", defaults},
      {"", defaults},
  };
  for (const Case& c : cases) {
    const WindowPlacement read = ReadWindowPlacement(c.loc, 1200);
    EXPECT_EQ(read.left, c.expected.left) << c.loc;
    EXPECT_EQ(read.top, c.expected.top) << c.loc;
    EXPECT_EQ(read.width, c.expected.width) << c.loc;
    EXPECT_EQ(read.height, c.expected.height) << c.loc;
    EXPECT_EQ(read.splitter, c.expected.splitter) << c.loc;
    EXPECT_EQ(read.logSplitter, c.expected.logSplitter) << c.loc;
  }
  const WindowPlacement absent = ReadWindowPlacement(std::nullopt, 1200);
  EXPECT_EQ(absent.width, 1000);
  EXPECT_EQ(absent.splitter, 500);
}

}  // namespace
}  // namespace ferrix::shell
