#include "shell/dialogs/log_window_placement.h"

#include <cstdio>

namespace ferrix::shell {
namespace {

constexpr std::int32_t kBelowMainWindowTop = 40;

// The number at the start of `text` as the C library's atoi reads it, without
// its undefined overflow: digits beyond 32 bits wrap.
std::int32_t leadingNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  std::uint32_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + static_cast<std::uint32_t>(text[at] - '0');
  }
  return static_cast<std::int32_t>(negative ? 0u - value : value);
}

}  // namespace

LogWindowRect parseLogWindowPlacement(std::string_view text, LogWindowRect previous) {
  std::int32_t* fields[] = {&previous.left, &previous.top, &previous.width};
  for (std::int32_t* field : fields) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return previous;
    *field = leadingNumber(text.substr(0, comma));
    text.remove_prefix(comma + 1);
  }
  previous.height = leadingNumber(text);
  return previous;
}

std::string formatLogWindowPlacement(const LogWindowRect& rect) {
  char text[48];
  std::snprintf(text, sizeof text, "%u,%u,%u,%u", static_cast<unsigned>(rect.left),
                static_cast<unsigned>(rect.top), static_cast<unsigned>(rect.width),
                static_cast<unsigned>(rect.height));
  return text;
}

LogWindowRect placeBelowMainWindow(const LogWindowRect& mainWindow) {
  return {mainWindow.left, mainWindow.top + kBelowMainWindowTop, mainWindow.width,
          mainWindow.height / 2};
}

}  // namespace ferrix::shell
