// The texts a pane draws for an item: the date in the order of DateFmt with
// two- or four-digit years (LONGDATE), the size, the name cut to fit its
// column with a "~", and the local display tail that LONGDIR appends.
//
// Thread rule: stateless; safe from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "listing/pane_item.h"

namespace ferrix::listing {

// DateFmt 0 year month day, 1 month day year, 2 day month year, each
// followed by " hh:mm". Other DateFmt values read as 0.
std::string DateText(const PaneItem& item, std::int32_t dateFmt, std::int32_t longDate);

std::string SizeText(std::uint64_t size);

// The text after the name with leading tabs and spaces skipped; drawn in
// the date column for items that carry no date.
std::string_view DisplayTail(const PaneItem& item);

struct LocalTime {
  unsigned year = 0;
  unsigned month = 0;
  unsigned day = 0;
  unsigned hour = 0;
  unsigned minute = 0;
};

// The name padded to 12 characters, a tab, "yyyymmdd hh:mm" and the size in
// ten columns. The result starts with `name`.
std::string LocalItemText(std::string_view name, const LocalTime& time, std::uint64_t size);

using TextWidth = std::function<int(std::string_view)>;

// `name` as it fits `columnWidth`: whole, when it fits; else cut by whole
// characters and ended with "…" so that both fit (never below one
// character before the ellipsis).
std::string ShortenedName(std::string_view name, int columnWidth, const TextWidth& textWidth);

}  // namespace ferrix::listing
