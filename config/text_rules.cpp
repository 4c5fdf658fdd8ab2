#include "platform/ascii_text.h"
#include "config/text_rules.h"

#include <algorithm>

namespace ferrix::config {

namespace {

using platform::lowerAscii;

}  // namespace

std::string cutToLength(std::string_view text, std::size_t maxLength) {
  if (text.size() <= maxLength) return std::string(text);
  std::size_t end = maxLength;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

bool lessIgnoringCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(),
      [](char x, char y) {
        return static_cast<unsigned char>(lowerAscii(x)) < static_cast<unsigned char>(lowerAscii(y));
      });
}

std::string_view withoutLeadingBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

}  // namespace ferrix::config
