// Where the message log window opens: its rectangle (left, top, width,
// height) as the `_config_` key SLOC holds it. A width of 0 means the window
// has not been placed yet and opens below the main window's top edge.
// Plain values and functions; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ferrix::shell {

struct LogWindowRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

  bool operator==(const LogWindowRect&) const = default;
};

// Reads SLOC text over `previous`: left is taken when a comma follows it,
// top when a second comma follows, width when a third follows, and height
// is the rest; the values not reached keep their previous content.
LogWindowRect parseLogWindowPlacement(std::string_view text, LogWindowRect previous);

// The SLOC text of a rectangle, "%u,%u,%u,%u".
std::string formatLogWindowPlacement(const LogWindowRect& rect);

// Below the main window's top edge: its left, 40 pixels lower, its width and
// half its height.
LogWindowRect placeBelowMainWindow(const LogWindowRect& mainWindow);

}  // namespace ferrix::shell
