// The column stops of a file pane: four x positions a, b, c, d giving the
// icon column 0..a, the name a..b, the date b..c and the size c..d (drawn
// right-aligned). They are kept in LOCL and LOCR as "%d,%d,%d,%d" and moved
// by dragging a header boundary, which shifts every later stop alike so the
// later columns keep their widths.
//
// Thread rule: plain values; safe from any thread.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace ferrix::listing {

struct ColumnStops {
  std::array<int, 4> stops{20, 140, 260, 330};

  // Where column `column` (0 icon .. 3 size) starts.
  int columnStart(int column) const { return column == 0 ? 0 : stops.at(column - 1); }
  // The list's horizontal extent.
  int extent() const { return stops[3] + 4; }
};

// Four numbers in increasing order, none negative; anything else gives the
// default stops "20,140,260,330".
ColumnStops ParseColumnStops(std::string_view text);
std::string FormatColumnStops(const ColumnStops& columns);

// The stop a press at list position `x` grabs: within 6 pixels of one of
// the four stops (the "^" header's left edge and the empty header's right
// edge are not boundaries).
std::optional<int> BoundaryAt(const ColumnStops& columns, int x);

// The fitting layout for a list `width` wide: the icon, date and size
// columns as wide as their widest text, the name taking what is left but at
// least kMinimumNameWidth, so that the size stays in sight on a small window.
inline constexpr int kMinimumNameWidth = 60;
struct ColumnWidths {
  int icon = 20;
  int date = 0;
  int size = 0;
};
ColumnStops FitColumns(int width, const ColumnWidths& widths);

// Moves stop `boundary` to `x`, not left of its column's start, and every
// later stop by the same amount.
ColumnStops MoveBoundary(const ColumnStops& columns, int boundary, int x);

}  // namespace ferrix::listing
