#include "decoder/parse_helpers.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <limits>
#include <string_view>

#include "decoder/fixed_columns.h"

namespace ferrix::decoder {
namespace {

constexpr int kMaxNameLength = 255;
// More fields than any line can hold.
constexpr int kMaxFieldNumber = 1 << 20;

std::atomic<int> pinnedYear{0};
std::atomic<int> pinnedMonth{0};
std::atomic<int> pinnedDay{0};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsDateSeparator(char c) { return c == '-' || c == '/'; }

// Locale-independent, so bytes above 127 never change.
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

const char* SkipSpaces(const char* text) {
  while (*text == ' ') ++text;
  return text;
}

// The text at offset, or nullptr when the text is shorter than that, so that
// fixed-position reads never step past the terminating NUL.
const char* AtOffset(const char* text, std::size_t offset) {
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\0') return nullptr;
  }
  return text + offset;
}

using columns::ToByte;
using columns::ToYear;

// Leading spaces end an empty first field, so on a line with a right-aligned
// first column field 2 is that column, as the column rules count it.
template <typename Char>
Char* FindFieldStart(Char* text, int n) {
  if (text == nullptr) return nullptr;
  if (n <= 1) return text;
  Char* position = text;
  for (int field = 1; field < n && *position != '\0'; ++field) {
    while (*position != '\0' && *position != ' ') ++position;
    while (*position == ' ') ++position;
  }
  return *position == '\0' ? nullptr : position;
}

template <typename Char>
Char* SkipToNextField(Char* position) {
  if (position == nullptr) return nullptr;
  while (*position != '\0' && !IsBlank(*position)) ++position;
  while (IsBlank(*position)) ++position;
  return position;
}

template <typename Char>
Char* FindPatternNoCase(Char* text, const char* pattern) {
  if (text == nullptr || pattern == nullptr) return nullptr;
  for (Char* start = text;; ++start) {
    std::size_t i = 0;
    while (pattern[i] != '\0' && AsciiLower(start[i]) == AsciiLower(pattern[i])) {
      ++i;
    }
    if (pattern[i] == '\0') return start;
    if (*start == '\0') return nullptr;
  }
}

// Moves to the next '-' or '/' and past the run of them; at the end of the
// text when there is no further separator.
const char* NextDatePart(const char* position) {
  while (*position != '\0' && !IsDateSeparator(*position)) ++position;
  while (IsDateSeparator(*position)) ++position;
  return position;
}

bool HasDateSeparator(const char* position) { return std::strpbrk(position, "-/") != nullptr; }

struct DateParts {
  int year = 0;
  int month = 0;
  int day = 0;
};

DateParts ReadNamedDate(const char* text) {
  DateParts date;
  date.month = MonthFromName(text);
  const char* dash = AtOffset(text, 3);
  if (dash != nullptr && *dash == '-') {
    date.day = NumberAt(AtOffset(text, 4));
    date.year = NumberAt(AtOffset(text, 7));
  } else {
    date.day = NumberAt(FieldAt(text, 2));
    date.year = NumberAt(FieldAt(text, 3));
  }
  return date;
}

DateParts ReadYearFirstDate(const char* text) {
  DateParts date;
  date.year = NumberAt(text);
  const char* part = NextDatePart(text);
  date.month = IsDigit(*part) ? NumberAt(part) : MonthFromName(part);
  date.day = NumberAt(NextDatePart(part));
  return date;
}

DateParts ReadMonthFirstDate(const char* text) {
  DateParts date;
  date.month = NumberAt(text);
  if (!HasDateSeparator(text)) return date;
  const char* part = NextDatePart(text);
  if (IsDigit(*part)) {
    date.day = NumberAt(part);
  } else {
    date.year = date.month;
    date.month = MonthFromName(part);
  }
  if (!HasDateSeparator(part)) return date;
  part = NextDatePart(part);
  if (date.year == 0) {
    date.year = NumberAt(part);
  } else {
    date.day = NumberAt(part);
  }
  return date;
}

// Servers put the parts of a numeric date in more than one order; a day that
// cannot be a day is taken as a year written last.
void RepairPartOrder(DateParts& date) {
  if (date.day > 31 || (date.day == 0 && date.month != 0 && date.year != 0)) {
    date = DateParts{date.day, date.year, date.month};
  } else if (date.month == 0 && date.day != 0 && date.year != 0) {
    date.month = date.year;
    date.year = 2000;
  }
}

void ApplyCenturyToParts(DateParts& date) {
  if (date.year < 50 && date.month != 0 && date.day != 0) {
    date.year += 2000;
  } else if (date.year >= 1 && date.year <= 1899) {
    date.year += 1900;
  }
}

bool IsTimeOfDay(const char* field) {
  if (field[0] == '\0' || field[1] == '\0') return false;
  return field[2] == ':' || field[2] == '.' || field[1] == ':';
}

// "hh:mm" or "h:mm" (or "hh.mm") into hour and minute.
void ReadClock(ListingEntry& entry, const char* field) {
  entry.hour = ToByte(NumberAt(field));
  bool separatorAtTwo = field[2] == ':' || field[2] == '.';
  entry.minute = ToByte(NumberAt(field + (separatorAtTwo ? 3 : 2)));
}

void FillNetWareTime(ListingEntry& entry, const FieldStarts& fields, int yearField,
                     int timeField) {
  entry.year = ToYear(NumberAt(fields[yearField]));
  const char* time = fields[timeField];
  if (time == nullptr || time[0] == '\0' || time[1] == '\0') return;
  if (time[2] != ':' && time[1] != ':') return;
  entry.hour = ToByte(NumberAt(time));
  entry.minute = ToByte(NumberAt(time + (time[2] == ':' ? 3 : 2)));
  const char* marker = fields[timeField + 1];
  if (marker != nullptr && (*marker == 'p' || *marker == 'P') && entry.hour != 12) {
    entry.hour = ToByte(entry.hour + 12);
  }
}

void FillTimeOrYear(ListingEntry& entry, const char* field) {
  if (field == nullptr) return;
  if (!IsTimeOfDay(field)) {
    entry.year = ToYear(NumberAt(field));
    return;
  }
  ReadClock(entry, field);
  const LocalDate today = CurrentLocalDate();
  // A listing shows the time instead of the year for the last few months, so a
  // date ahead of today lies in the year before.
  const bool lastYear = LiesAheadOfToday(today, entry.month, entry.day);
  entry.year = ToYear(lastYear ? today.year - 1 : today.year);
}

// The clock's local date, worked out again only when the second changes:
// every year-less line of a listing asks for it.
LocalDate ClockDate() {
  thread_local std::time_t cachedSecond = -1;
  thread_local LocalDate cached{1970, 1, 1};
  const std::time_t now = std::time(nullptr);
  if (now == cachedSecond) return cached;
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return LocalDate{1970, 1, 1};
  cachedSecond = now;
  cached = LocalDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  return cached;
}

int DayOfYear(int month, int day) {
  static constexpr int kDaysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  return kDaysBefore[(month - 1) % 12] + day;
}

}  // namespace

void TrimRight(char* text) {
  if (text == nullptr) return;
  std::size_t length = std::strlen(text);
  while (length > 0) {
    char last = text[length - 1];
    if (last != ' ' && last != '\t' && last != '\r' && last != '\n') break;
    --length;
  }
  text[length] = '\0';
}

std::int32_t NumberAt(const char* text) {
  if (text == nullptr) return 0;
  const char* position = SkipSpaces(text);
  bool negative = false;
  if (*position == '-' || *position == '+') {
    negative = *position == '-';
    ++position;
  }
  std::uint32_t value = 0;
  while (IsDigit(*position)) {
    value = value * 10u + static_cast<std::uint32_t>(*position - '0');
    ++position;
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

std::uint64_t SizeAt(const char* text) {
  if (text == nullptr) return 0;
  const char* position = SkipSpaces(text);
  if (*position == '-') return 0;
  if (*position == '+') ++position;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  for (; IsDigit(*position); ++position) {
    std::uint64_t digit = static_cast<std::uint64_t>(*position - '0');
    if (value > (kMax - digit) / 10) return kMax;
    value = value * 10 + digit;
  }
  return value;
}

char* FieldAt(char* text, int n) { return FindFieldStart(text, n); }
const char* FieldAt(const char* text, int n) { return FindFieldStart(text, n); }

FieldStarts::FieldStarts(char* line, int last) : line_(line) {
  char* position = line;
  starts_[1] = line;
  for (known_ = 1; known_ < last && known_ + 1 < kKept; ++known_) {
    while (*position != '\0' && *position != ' ') ++position;
    while (*position == ' ') ++position;
    starts_[known_ + 1] = *position == '\0' ? nullptr : position;
    if (*position == '\0') {
      ++known_;
      break;
    }
  }
}

char* FieldStarts::operator[](int n) const {
  if (n <= 1) return line_;
  if (n <= known_) return starts_[n];
  if (starts_[known_] == nullptr) return nullptr;
  return FieldAt(line_, n);
}

void FieldStarts::endBefore(int n) {
  if (n <= 1 || n > known_) return;
  known_ = n;
  starts_[n] = nullptr;
}

int CountFields(const char* text) {
  if (text == nullptr) return 0;
  int count = 0;
  bool inField = false;
  for (const char* position = text; *position != '\0'; ++position) {
    bool blank = IsBlank(*position);
    if (!blank && !inField) ++count;
    inField = !blank;
  }
  return count;
}

char* FieldFromEnd(char* text, int k) {
  // The empty first field before leading spaces is not counted by CountFields;
  // widened so that no k can overflow the field number.
  const int leadingField = text != nullptr && text[0] == ' ' ? 1 : 0;
  const long long n = static_cast<long long>(CountFields(text)) - k + 1 + leadingField;
  return FieldAt(text, n > kMaxFieldNumber ? kMaxFieldNumber : static_cast<int>(n < 0 ? 0 : n));
}

char* LastField(char* text) {
  if (text == nullptr) return nullptr;
  TrimRight(text);
  char* separator = std::strrchr(text, ' ');
  if (separator == nullptr) separator = std::strrchr(text, '\t');
  if (separator == nullptr) return text;
  char* position = separator + 1;
  while (IsBlank(*position)) ++position;
  return position;
}

char* NextField(char* position) { return SkipToNextField(position); }
const char* NextField(const char* position) { return SkipToNextField(position); }

char* FindText(char* text, const char* pattern) {
  return text == nullptr || pattern == nullptr ? nullptr : std::strstr(text, pattern);
}
const char* FindText(const char* text, const char* pattern) {
  return text == nullptr || pattern == nullptr ? nullptr : std::strstr(text, pattern);
}
char* FindTextNoCase(char* text, const char* pattern) { return FindPatternNoCase(text, pattern); }
const char* FindTextNoCase(const char* text, const char* pattern) {
  return FindPatternNoCase(text, pattern);
}

bool HasFolderMarker(const char* text) {
  if (text == nullptr) return false;
  static constexpr std::string_view kMarkers[] = {"<DIR>", " dir ", " Dir ",  " DIR ",
                                                  "<DIRECTORY>", "[dir]", "<dir>"};
  // One pass over the line, looking at the 'd's: every marker's second
  // character is a 'd' or a 'D', and a UNIX line is mostly blanks and digits.
  for (const char* position = text + (text[0] == '\0' ? 0 : 1); *position != '\0'; ++position) {
    if (*position != 'd' && *position != 'D') continue;
    const char* start = position - 1;
    if (*start != '<' && *start != ' ' && *start != '[') continue;
    for (std::string_view marker : kMarkers) {
      if (marker[0] == start[0] && marker[1] == start[1] &&
          std::strncmp(start, marker.data(), marker.size()) == 0) {
        return true;
      }
    }
  }
  return false;
}

int MonthFromName(const char* text) {
  if (text == nullptr) return 0;
  struct MonthName {
    const char* name;
    int month;
  };
  static constexpr MonthName kNames[] = {
      {"jan", 1}, {"feb", 2}, {"mar", 3}, {"apr", 4},  {"may", 5},  {"mai", 5},  {"jun", 6},
      {"jul", 7}, {"aug", 8}, {"sep", 9}, {"oct", 10}, {"okt", 10}, {"nov", 11}, {"dec", 12}};
  for (const MonthName& candidate : kNames) {
    // A NUL in text never equals a letter, so the comparison stops inside it.
    if (AsciiLower(text[0]) == candidate.name[0] && AsciiLower(text[1]) == candidate.name[1] &&
        AsciiLower(text[2]) == candidate.name[2]) {
      return candidate.month;
    }
  }
  return 0;
}

int MonthFromInitials(const char* text) {
  if (text == nullptr) return 0;
  char first = AsciiUpper(text[0]);
  char second = first == '\0' ? '\0' : AsciiUpper(text[1]);
  char third = second == '\0' ? '\0' : AsciiUpper(text[2]);
  switch (first) {
    case 'A': return second == 'P' ? 4 : 8;
    case 'D': return 12;
    case 'F': return 2;
    case 'J':
      if (second == 'A') return 1;
      return third == 'L' ? 7 : 6;
    case 'M': return third == 'R' ? 3 : 5;
    case 'N': return 11;
    case 'O': return 10;
    case 'S': return 9;
    default: return 0;
  }
}

bool ParseDayMonYear(ListingEntry& entry, const char* text) {
  entry.year = 0;
  entry.month = 0;
  entry.day = 0;
  if (text == nullptr) return false;
  const char* position = SkipSpaces(text);
  entry.day = ToByte(NumberAt(position));
  const char* firstDash = std::strchr(position, '-');
  if (firstDash == nullptr) {
    entry.day = 0;
    return false;
  }
  entry.month = ToByte(MonthFromName(firstDash + 1));
  const char* secondDash = std::strchr(firstDash + 1, '-');
  if (secondDash == nullptr) {
    entry.month = 0;
    entry.day = 0;
    return false;
  }
  entry.year = ToYear(NumberAt(secondDash + 1));
  return true;
}

void ParseTime(ListingEntry& entry, const char* text) {
  if (text == nullptr) return;
  entry.hour = ToByte(NumberAt(text));
  const char* colon = std::strchr(text, ':');
  if (colon == nullptr) return;
  while (*colon == ':') ++colon;
  entry.minute = ToByte(NumberAt(colon));
  const char* marker = AtOffset(colon, 2);
  if (marker == nullptr) return;
  if (entry.hour < 12 && (*marker == 'P' || *marker == 'p')) {
    entry.hour = ToByte(entry.hour + 12);
  } else if (entry.hour == 12 && (*marker == 'A' || *marker == 'a')) {
    entry.hour = 0;  // 12:15AM is a quarter past midnight
  }
}

void ParseSizeWithCommas(ListingEntry& entry, const char* text) {
  if (text == nullptr) return;
  const char* position = text;
  while (IsBlank(*position)) ++position;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  for (; IsDigit(*position) || *position == ','; ++position) {
    if (*position == ',') continue;
    std::uint64_t digit = static_cast<std::uint64_t>(*position - '0');
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  entry.size = value;
}

void ParseDate(ListingEntry& entry, const char* text, int order) {
  if (text == nullptr) return;
  const char* start = SkipSpaces(text);
  if (*start == '\0') return;
  DateParts date;
  if (!IsDigit(*start)) {
    date = ReadNamedDate(start);
  } else {
    if (order == 1) {
      date = ReadYearFirstDate(start);
    } else if (order == 2) {
      date = ReadMonthFirstDate(start);
    }
    RepairPartOrder(date);
  }
  ApplyCenturyToParts(date);
  if (date.year < 0 || date.year > 2099 || date.month < 0 || date.month > 12 || date.day < 0 ||
      date.day > 31) {
    date = DateParts{};
  }
  entry.year = static_cast<std::uint16_t>(date.year);
  entry.month = static_cast<std::uint8_t>(date.month);
  entry.day = static_cast<std::uint8_t>(date.day);
}

void FillDateSizeFromFields(ListingEntry& entry, char* line, int yearField, int monthField,
                            int dayField, int timeField, int sizeField, int hostType) {
  const int last = std::max({yearField, monthField, dayField, timeField + 1, sizeField});
  FillDateSizeFromFields(entry, FieldStarts(line, last), yearField, monthField, dayField, timeField,
                         sizeField, hostType);
}

void FillDateSizeFromFields(ListingEntry& entry, const FieldStarts& fields, int yearField,
                            int monthField, int dayField, int timeField, int sizeField,
                            int hostType) {
  constexpr int kNetWareV4 = 6035;
  entry.month = ToByte(MonthFromName(fields[monthField]));
  entry.day = ToByte(NumberAt(fields[dayField]));
  if (entry.month == 0 && entry.day == 0) {
    entry.month = ToByte(MonthFromName(fields[dayField]));
    entry.day = ToByte(NumberAt(fields[monthField]));
  }
  if (hostType == kNetWareV4) {
    FillNetWareTime(entry, fields, yearField, timeField);
  } else {
    FillTimeOrYear(entry, fields[timeField]);
  }
  entry.size = SizeAt(fields[sizeField]);
  ApplyCentury(entry);
}

void ApplyCentury(ListingEntry& entry) {
  if (entry.year < 50 && entry.month != 0 && entry.day != 0) {
    entry.year = static_cast<std::uint16_t>(entry.year + 2000);
  } else if (entry.year >= 1 && entry.year <= 1899) {
    entry.year = static_cast<std::uint16_t>(entry.year + 1900);
  }
}

void SetName(ListingEntry& entry, const char* begin, std::size_t length) {
  std::size_t copied = 0;
  if (begin != nullptr) {
    std::size_t limit = length < kMaxNameLength ? length : kMaxNameLength;
    while (copied < limit && begin[copied] != '\0') {
      entry.name[copied] = begin[copied];
      ++copied;
    }
  }
  entry.name[copied] = '\0';
}

void SetName(ListingEntry& entry, const char* text) {
  SetName(entry, text, static_cast<std::size_t>(kMaxNameLength));
}

LocalDate CurrentLocalDate() {
  const int year = pinnedYear.load(std::memory_order_relaxed);
  if (year == 0) return ClockDate();
  return LocalDate{year, pinnedMonth.load(std::memory_order_relaxed),
                   pinnedDay.load(std::memory_order_relaxed)};
}

int CurrentLocalYear() { return CurrentLocalDate().year; }
int CurrentLocalMonth() { return CurrentLocalDate().month; }

void SetLocalDateForTesting(int year, int month, int day) {
  pinnedYear.store(year);
  pinnedMonth.store(month);
  pinnedDay.store(day);
}

bool LiesAheadOfToday(const LocalDate& today, int month, int day) {
  if (month < 1 || month > 12) return false;
  if (today.day == 0) return month > today.month;
  return DayOfYear(month, day) > DayOfYear(today.month, today.day) + 1;
}

}  // namespace ferrix::decoder
