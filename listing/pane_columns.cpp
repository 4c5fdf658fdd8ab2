#include "listing/pane_columns.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace ferrix::listing {

namespace {

bool ReadNumber(std::string_view& text, int& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc()) return false;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return true;
}

}  // namespace

ColumnStops FitColumns(int width, const ColumnWidths& widths) {
  const int name = std::max(width - widths.icon - widths.date - widths.size, kMinimumNameWidth);
  ColumnStops fitted;
  fitted.stops[0] = widths.icon;
  fitted.stops[1] = fitted.stops[0] + name;
  fitted.stops[2] = fitted.stops[1] + widths.date;
  fitted.stops[3] = fitted.stops[2] + widths.size;
  return fitted;
}

ColumnStops ParseColumnStops(std::string_view text) {
  ColumnStops parsed;
  int previous = 0;
  for (std::size_t i = 0; i < parsed.stops.size(); ++i) {
    if (i > 0) {
      if (text.empty() || text.front() != ',') return ColumnStops{};
      text.remove_prefix(1);
    }
    int stop = 0;
    if (!ReadNumber(text, stop) || stop < previous) return ColumnStops{};
    parsed.stops[i] = previous = stop;
  }
  return parsed;
}

std::string FormatColumnStops(const ColumnStops& columns) {
  const auto& s = columns.stops;
  return std::to_string(s[0]) + "," + std::to_string(s[1]) + "," + std::to_string(s[2]) + "," +
         std::to_string(s[3]);
}

std::optional<int> BoundaryAt(const ColumnStops& columns, int x) {
  constexpr int kGrabDistance = 6;
  for (int boundary = 0; boundary < static_cast<int>(columns.stops.size()); ++boundary) {
    if (std::abs(x - columns.stops[boundary]) <= kGrabDistance) return boundary;
  }
  return std::nullopt;
}

ColumnStops MoveBoundary(const ColumnStops& columns, int boundary, int x) {
  ColumnStops moved = columns;
  const int target = x < columns.columnStart(boundary) ? columns.columnStart(boundary) : x;
  const int shift = target - columns.stops.at(boundary);
  for (std::size_t i = static_cast<std::size_t>(boundary); i < moved.stops.size(); ++i) {
    moved.stops[i] += shift;
  }
  return moved;
}

}  // namespace ferrix::listing
