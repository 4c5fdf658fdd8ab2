#include "shell/window/window_placement.h"

#include <gtest/gtest.h>

namespace ferrix::shell {
namespace {

TEST(WindowPlacement, LocReadsInOrderAndWrappedNumbersAreNegativePositions) {
  struct Case {
    const char* loc;
    WindowPlacement expected;
  };
  const DesktopArea desktop{0, 0, 1200, 900};
  const WindowPlacement defaults = DefaultPlacement(desktop);
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
    const WindowPlacement read = ReadWindowPlacement(c.loc, desktop);
    EXPECT_EQ(read.left, c.expected.left) << c.loc;
    EXPECT_EQ(read.top, c.expected.top) << c.loc;
    EXPECT_EQ(read.width, c.expected.width) << c.loc;
    EXPECT_EQ(read.height, c.expected.height) << c.loc;
    EXPECT_EQ(read.splitter, c.expected.splitter) << c.loc;
    EXPECT_EQ(read.logSplitter, c.expected.logSplitter) << c.loc;
  }
  const WindowPlacement absent = ReadWindowPlacement(std::nullopt, desktop);
  EXPECT_EQ(absent.width, 800);
  EXPECT_EQ(absent.splitter, 400);
}

TEST(WindowPlacement, TheFirstStartTakesAboutTwoThirdsOfTheDesktopCentred) {
  struct Case {
    DesktopArea desktop;
    WindowPlacement expected;
  };
  const Case cases[] = {
      {{0, 0, 1920, 1080}, {320, 180, 1280, 720, 640, 0}},
      {{0, 32, 1400, 868}, {233, 166, 933, 600, 466, 0}},
      // A small desktop: the least comfortable size, as far as it fits.
      {{0, 0, 1024, 768}, {112, 84, 800, 600, 400, 0}},
      {{0, 0, 640, 480}, {0, 0, 640, 480, 320, 0}},
      {{1920, 0, 2560, 1440}, {1920 + 427, 240, 1706, 960, 853, 0}},
  };
  for (const Case& c : cases) {
    const WindowPlacement placement = DefaultPlacement(c.desktop);
    EXPECT_EQ(placement.left, c.expected.left) << c.desktop.width;
    EXPECT_EQ(placement.top, c.expected.top) << c.desktop.width;
    EXPECT_EQ(placement.width, c.expected.width) << c.desktop.width;
    EXPECT_EQ(placement.height, c.expected.height) << c.desktop.width;
    EXPECT_EQ(placement.splitter, c.expected.splitter) << c.desktop.width;
  }
}

}  // namespace
}  // namespace ferrix::shell
