// Where the main window opens: LOC holds "left,top,width,height,splitter,
// sixth" as comma-separated integers, read in order until a value is
// missing or is not followed by a comma. Values not read keep their
// defaults: left 10, top 10, five sixths of the desktop's width, height 440,
// the splitter at half the width. A position is read signed or as the 32-bit
// wrap the unsigned writer makes of a negative one.
//
// Thread rule: plain values; safe from any thread.
#pragma once

#include <optional>
#include <string_view>

namespace ferrix::shell {

struct WindowPlacement {
  int left = 10;
  int top = 10;
  int width = 0;
  int height = 440;
  int splitter = 0;     // the boundary between the panes, from the left edge
  int logSplitter = 0;  // the boundary above the status lines, from the top; 0 = default
};

WindowPlacement DefaultPlacement(int desktopWidth);
// `loc` is the LOC text when the key is present.
WindowPlacement ReadWindowPlacement(std::optional<std::string_view> loc, int desktopWidth);

}  // namespace ferrix::shell
