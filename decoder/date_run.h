// Reading a listing line by its fields rather than by its columns: the line's
// blank-separated fields, the run of fields that makes a date (and time) in
// the many forms servers print, and sizes as people write them. The tolerant
// readings of the parsers anchor on these when a family's fixed rule gives a
// plainly wrong result. Field positions point into the caller's line, which
// must outlive them. Nothing is allocated; stateless apart from the local
// date source (parse_helpers.h); one thread per FieldList.
#pragma once

#include <cstdint>

#include "decoder/include/ferrixcore.h"

namespace ferrix::decoder {

// One field: [begin, end).
struct Field {
  const char* begin;
  const char* end;
};

// The first fields of a line; more than a listing line ever has before its
// name, so a name with many words only loses its tail from the list.
struct FieldList {
  static constexpr int kCapacity = 40;
  Field items[kCapacity];
  int count = 0;
};

// Splits at runs of blanks (spaces and tabs).
void SplitFields(const char* line, FieldList& fields);

// A date found in a run of fields. Parts that the run does not show are 0,
// with hasYear and hasTime saying which were shown.
struct DateRun {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool hasYear = false;
  bool hasTime = false;
  int fieldCount = 0;  // fields the run takes
};

// Reads a date that starts at field first: numeric ("2024-06-07", "07.06.2024",
// "24-06-2024", "06-07" before a time or year), a month word before or after
// the day ("Jun 7", "7. Jun", "6月 3日") or after a year ("2005년 1월 6일"),
// each followed by a time or a year where the form needs one. False when no
// such date starts there.
bool ReadDateRun(const FieldList& fields, int first, DateRun& run);

// "hh:mm", "h:mm" or "hh:mm:ss" (a fraction after the seconds is allowed);
// "24:00" is accepted. False for anything else.
bool ReadClock(const Field& field, DateRun& run);

// Numeric date forms alone, as ReadDateRun reads them. False when the field
// is none.
bool ReadNumericDate(const Field& field, DateRun& run);

// Stores the run's date and time in the entry. A year-less date lies in the
// current year, or in the year before when it would be more than a day ahead
// of today; 24:00 is midnight of the next day.
void StoreDateRun(ListingEntry& entry, const DateRun& run);

// A size as the field writes it: plain digits; a negative number (a 32-bit
// size printed signed, read back as unsigned); or a number with a unit of
// 1024 ("12.5k", "3M", "2G", optionally "B" or "iB" after it), rounded to whole
// bytes. False when the field is no size.
bool ReadSize(const Field& field, std::uint64_t& size);

// The digits that end a field whose size ran into the column before it
// ("somegroup99812"); false when the field does not end in digits.
bool ReadTrailingSize(const Field& field, std::uint64_t& size);

// Digits in groups of three after the first, separated by ',' or '.'
// ("9,730", "1.234.567"), or plain digits. False for anything else.
bool ReadGroupedSize(const Field& field, std::uint64_t& size);

bool IsAllDigits(const Field& field);

}  // namespace ferrix::decoder
