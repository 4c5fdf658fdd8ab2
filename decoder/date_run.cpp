#include "decoder/date_run.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

#include "decoder/month_words.h"
#include "decoder/parse_helpers.h"

namespace ferrix::decoder {
namespace {

constexpr std::uint64_t kMaxSize = std::numeric_limits<std::uint64_t>::max();

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads at most maxDigits digits; returns how many were read.
int ReadDigits(const char*& position, const char* end, int maxDigits, int& value) {
  int count = 0;
  value = 0;
  while (position < end && IsDigit(*position) && count < maxDigits) {
    value = value * 10 + (*position++ - '0');
    ++count;
  }
  return count;
}

bool IsRest(const char* position, const char* end, const char* text) {
  const std::size_t length = std::strlen(text);
  return static_cast<std::size_t>(end - position) == length &&
         std::memcmp(position, text, length) == 0;
}

// "7", "07", "7.", "7," and the CJK "3日", "6일".
bool ReadDay(const Field& field, int& day) {
  const char* position = field.begin;
  if (ReadDigits(position, field.end, 2, day) == 0 || day < 1 || day > 31) return false;
  return position == field.end || IsRest(position, field.end, ".") ||
         IsRest(position, field.end, ",") || IsRest(position, field.end, "日") ||
         IsRest(position, field.end, "일");
}

// "2024", and the CJK "2003年", "2005년".
bool ReadYear(const Field& field, int& year) {
  const char* position = field.begin;
  if (ReadDigits(position, field.end, 4, year) != 4 || year < 1900) return false;
  return position == field.end || IsRest(position, field.end, "年") ||
         IsRest(position, field.end, "년");
}

int MonthOf(const Field& field) { return MonthFromWord(field.begin, field.end); }

bool IsZone(const Field& field) {
  const char* position = field.begin;
  if (position == field.end || (*position != '+' && *position != '-')) return false;
  int zone = 0;
  ++position;
  return ReadDigits(position, field.end, 4, zone) == 4 && position == field.end;
}

// A time after a full date, and the zone "+0200" that some servers print after it.
void TakeOptionalTime(const FieldList& fields, int index, DateRun& run) {
  if (index >= fields.count || !ReadClock(fields.items[index], run)) return;
  ++run.fieldCount;
  if (index + 1 < fields.count && IsZone(fields.items[index + 1])) ++run.fieldCount;
}

bool TakeTimeOrYear(const FieldList& fields, int index, DateRun& run) {
  if (index >= fields.count) return false;
  const Field& field = fields.items[index];
  if (ReadClock(field, run)) {
    ++run.fieldCount;
    return true;
  }
  if (!ReadYear(field, run.year)) return false;
  run.hasYear = true;
  ++run.fieldCount;
  return true;
}

bool ReadNumericRun(const FieldList& fields, int first, DateRun& run) {
  if (!ReadNumericDate(fields.items[first], run)) return false;
  run.fieldCount = 1;
  if (run.hasYear) {
    TakeOptionalTime(fields, first + 1, run);
    return true;
  }
  return TakeTimeOrYear(fields, first + 1, run);
}

// "Jun 7 10:00", "6月 3日 2003年".
bool ReadMonthDayRun(const FieldList& fields, int first, DateRun& run) {
  if (first + 2 >= fields.count) return false;
  run.month = MonthOf(fields.items[first]);
  if (run.month == 0 || !ReadDay(fields.items[first + 1], run.day)) return false;
  run.fieldCount = 2;
  return TakeTimeOrYear(fields, first + 2, run);
}

// "7 Jun 2024", "7. Jun 10:00".
bool ReadDayMonthRun(const FieldList& fields, int first, DateRun& run) {
  if (first + 2 >= fields.count || !ReadDay(fields.items[first], run.day)) return false;
  run.month = MonthOf(fields.items[first + 1]);
  if (run.month == 0) return false;
  run.fieldCount = 2;
  return TakeTimeOrYear(fields, first + 2, run);
}

// "2005년 1월 6일", "2024 Jun 7".
bool ReadYearMonthDayRun(const FieldList& fields, int first, DateRun& run) {
  if (first + 2 >= fields.count || !ReadYear(fields.items[first], run.year)) return false;
  run.month = MonthOf(fields.items[first + 1]);
  if (run.month == 0 || !ReadDay(fields.items[first + 2], run.day)) return false;
  run.hasYear = true;
  run.fieldCount = 3;
  TakeOptionalTime(fields, first + 3, run);
  return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[(month - 1) % 12];
}

void AdvanceOneDay(DateRun& run) {
  if (++run.day <= DaysInMonth(run.year, run.month)) return;
  run.day = 1;
  if (++run.month <= 12) return;
  run.month = 1;
  ++run.year;
}

int TwoDigitYearToFull(int year, int digits) {
  if (digits != 2) return year;
  return year < 50 ? year + 2000 : year + 1900;
}

}  // namespace

void SplitFields(const char* line, FieldList& fields) {
  fields.count = 0;
  const char* position = line;
  while (fields.count < FieldList::kCapacity) {
    while (IsBlank(*position)) ++position;
    if (*position == '\0') return;
    const char* begin = position;
    while (*position != '\0' && !IsBlank(*position)) ++position;
    fields.items[fields.count++] = Field{begin, position};
  }
}

bool ReadClock(const Field& field, DateRun& run) {
  const char* position = field.begin;
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (ReadDigits(position, field.end, 2, hour) == 0 || position == field.end || *position != ':') {
    return false;
  }
  ++position;
  if (ReadDigits(position, field.end, 2, minute) != 2) return false;
  if (position < field.end && *position == ':') {
    ++position;
    if (ReadDigits(position, field.end, 2, second) != 2) return false;
    if (position < field.end && *position == '.') {
      ++position;
      while (position < field.end && IsDigit(*position)) ++position;
    }
  }
  if (position != field.end || minute > 59 || second > 60) return false;
  if (hour > 24 || (hour == 24 && (minute != 0 || second != 0))) return false;
  run.hour = hour;
  run.minute = minute;
  run.second = second > 59 ? 59 : second;  // a leap second shows as the last one
  run.hasTime = true;
  return true;
}

bool ReadNumericDate(const Field& field, DateRun& run) {
  const char* position = field.begin;
  int parts[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  char separator = '\0';
  int count = 0;
  while (count < 3) {
    digits[count] = ReadDigits(position, field.end, 4, parts[count]);
    if (digits[count] == 0) return false;
    ++count;
    if (position == field.end) break;
    if (separator == '\0' && (*position == '-' || *position == '/' || *position == '.')) {
      separator = *position;
    }
    if (*position != separator || count == 3) return false;
    ++position;
  }
  if (count < 2 || position != field.end) return false;
  int year = 0;
  int month = 0;
  int day = 0;
  if (count == 2) {
    if (digits[0] > 2 || digits[1] > 2) return false;
    // Dotted dates put the day first; the others are month-day.
    month = separator == '.' ? parts[1] : parts[0];
    day = separator == '.' ? parts[0] : parts[1];
  } else if (digits[0] == 4) {
    year = parts[0];
    month = parts[1];
    day = parts[2];
  } else {
    if (digits[2] != 2 && digits[2] != 4) return false;
    year = TwoDigitYearToFull(parts[2], digits[2]);
    const bool dayFirst = separator == '.' || parts[0] > 12;
    month = dayFirst ? parts[1] : parts[0];
    day = dayFirst ? parts[0] : parts[1];
  }
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  run.year = year;
  run.month = month;
  run.day = day;
  run.hasYear = count == 3;
  return true;
}

bool ReadDateRun(const FieldList& fields, int first, DateRun& run) {
  if (first < 0 || first >= fields.count) return false;
  using Reader = bool (*)(const FieldList&, int, DateRun&);
  static constexpr Reader kReaders[] = {ReadNumericRun, ReadMonthDayRun, ReadDayMonthRun,
                                        ReadYearMonthDayRun};
  for (Reader reader : kReaders) {
    DateRun candidate;
    if (reader(fields, first, candidate)) {
      run = candidate;
      return true;
    }
  }
  return false;
}

void StoreDateRun(ListingEntry& entry, const DateRun& run) {
  DateRun date = run;
  if (!date.hasYear) {
    const LocalDate today = CurrentLocalDate();
    date.year = LiesAheadOfToday(today, date.month, date.day) ? today.year - 1 : today.year;
  }
  if (date.hour == 24) {
    date.hour = 0;
    AdvanceOneDay(date);
  }
  entry.year = static_cast<std::uint16_t>(std::clamp(date.year, 0, 65535));
  entry.month = static_cast<std::uint8_t>(date.month);
  entry.day = static_cast<std::uint8_t>(date.day);
  entry.hour = static_cast<std::uint8_t>(date.hour);
  entry.minute = static_cast<std::uint8_t>(date.minute);
  entry.second = static_cast<std::uint8_t>(date.second);
}

bool ReadSize(const Field& field, std::uint64_t& size) {
  const char* position = field.begin;
  const bool negative = position < field.end && *position == '-';
  if (negative) ++position;
  const char* digitsStart = position;
  std::uint64_t whole = 0;
  for (; position < field.end && IsDigit(*position); ++position) {
    const auto digit = static_cast<std::uint64_t>(*position - '0');
    whole = whole > (kMaxSize - digit) / 10 ? kMaxSize : whole * 10 + digit;
  }
  if (position == digitsStart) return false;
  if (position == field.end) {
    constexpr std::uint64_t kWrap = 1ull << 32;
    if (!negative) {
      size = whole;
      return true;
    }
    if (whole > kWrap / 2) return false;
    size = kWrap - whole;
    return true;
  }
  if (negative) return false;
  double fraction = 0;
  if (*position == '.') {
    const char* fractionStart = ++position;
    for (double scale = 0.1; position < field.end && IsDigit(*position); ++position, scale /= 10) {
      fraction += (*position - '0') * scale;
    }
    if (position == fractionStart || position == field.end) return false;
  }
  static constexpr char kUnits[] = "KMGTP";
  const char* unit = std::strchr(kUnits, *position & ~0x20);
  if (unit == nullptr || *unit == '\0') return false;
  ++position;
  if (!(position == field.end || IsRest(position, field.end, "B") || IsRest(position, field.end, "iB"))) {
    return false;
  }
  const double bytes = (static_cast<double>(whole) + fraction) *
                       std::ldexp(1.0, 10 * static_cast<int>(unit - kUnits + 1));
  size = bytes >= 1.8e19 ? kMaxSize : static_cast<std::uint64_t>(bytes + 0.5);
  return true;
}

bool ReadTrailingSize(const Field& field, std::uint64_t& size) {
  const char* digits = field.end;
  while (digits > field.begin && IsDigit(digits[-1])) --digits;
  if (digits == field.end || digits == field.begin) return false;
  size = SizeAt(digits);
  return true;
}

bool ReadGroupedSize(const Field& field, std::uint64_t& size) {
  std::uint64_t value = 0;
  int groupDigits = 0;
  bool grouped = false;
  for (const char* position = field.begin; position < field.end; ++position) {
    if (*position == ',' || *position == '.') {
      if (groupDigits == 0 || (grouped && groupDigits != 3)) return false;
      grouped = true;
      groupDigits = 0;
      continue;
    }
    if (!IsDigit(*position)) return false;
    const auto digit = static_cast<std::uint64_t>(*position - '0');
    value = value > (kMaxSize - digit) / 10 ? kMaxSize : value * 10 + digit;
    ++groupDigits;
  }
  if (groupDigits == 0 || (grouped && groupDigits != 3)) return false;
  size = value;
  return true;
}

bool IsAllDigits(const Field& field) {
  if (field.begin == field.end) return false;
  for (const char* position = field.begin; position < field.end; ++position) {
    if (!IsDigit(*position)) return false;
  }
  return true;
}

}  // namespace ferrix::decoder
