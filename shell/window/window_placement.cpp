#include "shell/window/window_placement.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>

namespace ferrix::shell {

namespace {

constexpr int kLeastWidth = 800;
constexpr int kLeastHeight = 600;

// Two thirds of the desktop's extent, but not below the least size the
// window is comfortable at while the desktop has room for it.
int twoThirds(int extent, int least) { return std::max(extent * 2 / 3, std::min(least, extent)); }

}  // namespace

WindowPlacement DefaultPlacement(const DesktopArea& desktop) {
  WindowPlacement placement;
  placement.width = twoThirds(desktop.width, kLeastWidth);
  placement.height = twoThirds(desktop.height, kLeastHeight);
  placement.left = desktop.left + (desktop.width - placement.width) / 2;
  placement.top = desktop.top + (desktop.height - placement.height) / 2;
  placement.splitter = placement.width / 2;
  return placement;
}

namespace {

// LOC is written with unsigned numbers, so a window left of or above the
// primary screen is stored as its 32-bit wrap (-10 as 4294967286); both
// spellings read back as the signed position.
std::optional<int> positionAt(std::string_view& rest) {
  long long value = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  if (error != std::errc() || value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::uint32_t>::max()) {
    return std::nullopt;
  }
  rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

WindowPlacement ReadWindowPlacement(std::optional<std::string_view> loc, const DesktopArea& desktop) {
  WindowPlacement placement = DefaultPlacement(desktop);
  if (!loc) return placement;
  const std::array<int*, 6> fields{&placement.left,   &placement.top,      &placement.width,
                                   &placement.height, &placement.splitter, &placement.logSplitter};
  std::string_view rest = *loc;
  for (int* field : fields) {
    const std::optional<int> value = positionAt(rest);
    if (!value) break;
    *field = *value;
    if (rest.empty() || rest.front() != ',') break;
    rest.remove_prefix(1);
  }
  return placement;
}

}  // namespace ferrix::shell
