#include "listing/pane_text.h"

#include <cstdio>

namespace ferrix::listing {

std::string DateText(const PaneItem& item, std::int32_t dateFmt, std::int32_t longDate) {
  const unsigned year = longDate == 1 ? item.year : item.year % 100u;
  const unsigned month = item.month;
  const unsigned day = item.day;
  unsigned first = year, second = month, third = day;
  if (dateFmt == 1) {
    first = month, second = day, third = year;
  } else if (dateFmt == 2) {
    first = day, second = month, third = year;
  }
  char text[48];
  std::snprintf(text, sizeof text, "%02u%02u%02u %02u:%02u", first, second, third,
                static_cast<unsigned>(item.hour), static_cast<unsigned>(item.minute));
  return text;
}

std::string SizeText(std::uint64_t size) { return std::to_string(size); }

std::string_view DisplayTail(const PaneItem& item) {
  const std::string_view tail = item.tail();
  const std::size_t start = tail.find_first_not_of(" \t");
  return start == std::string_view::npos ? std::string_view() : tail.substr(start);
}

std::string LocalItemText(std::string_view name, const LocalTime& time, std::uint64_t size) {
  constexpr std::size_t kPaddedNameLength = 12;
  std::string text(name);
  if (text.size() < kPaddedNameLength) text.append(kPaddedNameLength - text.size(), ' ');
  char tail[80];
  std::snprintf(tail, sizeof tail, "\t%04u%02u%02u %02u:%02u %10llu", time.year, time.month,
                time.day, time.hour, time.minute, static_cast<unsigned long long>(size));
  return text + tail;
}

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Removes the last character whole, so a UTF-8 sequence is never split.
void DropLastCharacter(std::string& text) {
  while (!text.empty() && IsContinuationByte(text.back())) text.pop_back();
  if (!text.empty()) text.pop_back();
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) count += IsContinuationByte(c) ? 0 : 1;
  return count;
}

}  // namespace

std::string ShortenedName(std::string_view name, int columnWidth, const TextWidth& textWidth) {
  constexpr std::string_view kEllipsis = "\xE2\x80\xA6";
  std::string shown(name);
  if (textWidth(shown) <= columnWidth) return shown;
  DropLastCharacter(shown);
  while (CharacterCount(shown) > 1 && textWidth(shown + std::string(kEllipsis)) > columnWidth) {
    DropLastCharacter(shown);
  }
  return shown + std::string(kEllipsis);
}

}  // namespace ferrix::listing
