#include "listing/pane_columns.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace ferrix::listing {
namespace {

TEST(PaneColumns, StoredStopsAreReadOrReplacedByTheDefault) {
  struct Case {
    const char* text;
    std::array<int, 4> expected;
  };
  const std::vector<Case> cases = {
      {"20,140,260,330", {20, 140, 260, 330}},
      {"10,100,200,300", {10, 100, 200, 300}},
      {"10,100,200", {20, 140, 260, 330}},
      {"40,30,20,10", {20, 140, 260, 330}},
      {"-5,100,200,300", {20, 140, 260, 330}},
      {"a,b,c,d", {20, 140, 260, 330}},
      {"", {20, 140, 260, 330}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseColumnStops(c.text).stops, c.expected) << c.text;
  EXPECT_EQ(FormatColumnStops(ParseColumnStops("10,100,200,300")), "10,100,200,300");
  EXPECT_EQ(ColumnStops{}.extent(), 334);
}

TEST(PaneColumns, TheFittingLayoutGivesTheNameWhatIsLeft) {
  struct Case {
    int width;
    std::array<int, 4> expected;
  };
  const ColumnWidths widths{20, 110, 80};
  const std::vector<Case> cases = {
      {600, {20, 410, 520, 600}},
      {270, {20, 80, 190, 270}},
      // Too narrow: the name keeps its least width and the list scrolls.
      {100, {20, 80, 190, 270}},
  };
  for (const Case& c : cases) EXPECT_EQ(FitColumns(c.width, widths).stops, c.expected) << c.width;
}

TEST(PaneColumns, DraggingABoundaryKeepsLaterWidths) {
  const ColumnStops columns;
  EXPECT_EQ(MoveBoundary(columns, 1, 170).stops, (std::array<int, 4>{20, 170, 290, 360}));
  EXPECT_EQ(MoveBoundary(columns, 3, 300).stops, (std::array<int, 4>{20, 140, 260, 300}));
  // Not to the left of the column's own start.
  EXPECT_EQ(MoveBoundary(columns, 2, 100).stops, (std::array<int, 4>{20, 140, 140, 210}));
  EXPECT_EQ(MoveBoundary(columns, 0, -20).stops, (std::array<int, 4>{0, 120, 240, 310}));
}

TEST(PaneColumns, BoundaryIsGrabbedWithinSixPixels) {
  const ColumnStops columns;
  EXPECT_EQ(BoundaryAt(columns, 146), 1);
  EXPECT_EQ(BoundaryAt(columns, 254), 2);
  EXPECT_EQ(BoundaryAt(columns, 147), std::nullopt);
  EXPECT_EQ(BoundaryAt(columns, 2), std::nullopt);
}

}  // namespace
}  // namespace ferrix::listing
