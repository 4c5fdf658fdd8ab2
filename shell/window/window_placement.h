// Where the main window opens: LOC holds "left,top,width,height,splitter,
// sixth" as comma-separated integers, read in order until a value is
// missing or is not followed by a comma. Values not read keep their
// defaults: about two thirds of the desktop's width and height (at least
// 800 x 600 where the desktop has room for it), centred on the desktop, the
// splitter at half the width. A position is read signed or as the 32-bit
// wrap the unsigned writer makes of a negative one.
//
// Thread rule: plain values; safe from any thread.
#pragma once

#include <optional>
#include <string_view>

namespace ferrix::shell {

// The desktop's free area.
struct DesktopArea {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct WindowPlacement {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int splitter = 0;     // the boundary between the panes, from the left edge
  int logSplitter = 0;  // the boundary above the status lines, from the top; 0 = default
};

WindowPlacement DefaultPlacement(const DesktopArea& desktop);
// `loc` is the LOC text when the key is present.
WindowPlacement ReadWindowPlacement(std::optional<std::string_view> loc, const DesktopArea& desktop);

}  // namespace ferrix::shell
