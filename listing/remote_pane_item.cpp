#include "listing/remote_pane_item.h"

#include <cstring>
#include <string_view>

namespace ferrix::listing {
namespace {

constexpr int kMonthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int MonthLength(int month, int year) {
  return month == 2 && IsLeapYear(year) ? 29 : kMonthLengths[month - 1];
}

void NextDay(PaneItem& item) {
  if (item.day + 1 <= MonthLength(item.month, item.year)) {
    ++item.day;
    return;
  }
  item.day = 1;
  if (item.month == 12) {
    item.month = 1;
    ++item.year;
  } else {
    ++item.month;
  }
}

void PreviousDay(PaneItem& item) {
  if (item.day > 1) {
    --item.day;
    return;
  }
  if (item.month == 1) {
    item.month = 12;
    --item.year;
  } else {
    --item.month;
  }
  item.day = static_cast<std::uint8_t>(MonthLength(item.month, item.year));
}

void ShiftByOffset(PaneItem& item, int offsetHours) {
  const bool shiftable = item.year != 0 && item.month >= 1 && item.month <= 12 && item.hour != 0;
  if (offsetHours == 0 || !shiftable) return;
  int hour = item.hour + offsetHours;
  while (hour >= 24) {
    hour -= 24;
    NextDay(item);
  }
  while (hour < 0) {
    hour += 24;
    PreviousDay(item);
  }
  item.hour = static_cast<std::uint8_t>(hour);
}

std::int32_t KindOf(const ListingEntry& entry, std::string_view name,
                    const transfer::AsciiNameList& asciiNames) {
  if (entry.kind != 0) return entry.kind & 15;
  return asciiNames.matches(name) ? kKindTextFile : kKindFile;
}

}  // namespace

std::optional<PaneItem> MakeRemoteItem(const ListingEntry& entry,
                                       const transfer::AsciiNameList& asciiNames,
                                       int timeOffsetHours) {
  // The decoder terminates the name; the bound keeps a bad record in its array.
  const std::string_view name(entry.name, strnlen(entry.name, sizeof entry.name));
  if (name.empty() || name == "." || name == kParentName) return std::nullopt;
  PaneItem item = MakeNamedItem(PaneSide::kRemote, KindOf(entry, name, asciiNames), name);
  item.year = entry.year;
  item.month = entry.month;
  item.day = entry.day;
  item.hour = entry.hour;
  item.minute = entry.minute;
  item.size = entry.size;
  ShiftByOffset(item, timeOffsetHours);
  return item;
}

}  // namespace ferrix::listing
