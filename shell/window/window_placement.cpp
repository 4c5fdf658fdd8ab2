#include "shell/window/window_placement.h"

#include <array>
#include <charconv>

namespace ferrix::shell {

WindowPlacement DefaultPlacement(int desktopWidth) {
  WindowPlacement placement;
  placement.width = desktopWidth * 5 / 6;
  placement.splitter = placement.width / 2;
  return placement;
}

WindowPlacement ReadWindowPlacement(std::optional<std::string_view> loc, int desktopWidth) {
  WindowPlacement placement = DefaultPlacement(desktopWidth);
  if (!loc) return placement;
  const std::array<int*, 6> fields{&placement.left,   &placement.top,      &placement.width,
                                   &placement.height, &placement.splitter, &placement.logSplitter};
  std::string_view rest = *loc;
  for (int* field : fields) {
    int value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc()) break;
    *field = value;
    rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
    if (rest.empty() || rest.front() != ',') break;
    rest.remove_prefix(1);
  }
  return placement;
}

}  // namespace ferrix::shell
