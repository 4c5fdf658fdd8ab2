// Text, number and date helpers shared by every listing parser.
//
// Positions are pointers into the parser's NUL-terminated work line; "none" is
// nullptr. A blank is a space or a tab. Every helper accepts nullptr where it
// takes text and never reads past the terminating NUL. Stateless and
// thread-safe, except the local-date source, which tests may pin.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decoder/include/ferrixcore.h"

namespace ferrix::decoder {

// Removes trailing spaces, tabs, CRs and LFs in place.
void TrimRight(char* text);

// Skips leading spaces (only spaces), reads an optionally signed decimal
// number up to the first non-digit; no digits or nullptr give 0. 32-bit,
// wrapping as a 32-bit integer would.
std::int32_t NumberAt(const char* text);

// Like NumberAt, for sizes: 64-bit unsigned, saturating at the maximum;
// a negative number gives 0.
std::uint64_t SizeAt(const char* text);

// Position of the n-th field (fields separated by runs of spaces; a tab is
// not a separator). Leading spaces end an empty first field, so on a line
// with a right-aligned first column field 2 is that column. n <= 1 gives text
// itself; none when the text ends before field n begins.
char* FieldAt(char* text, int n);
const char* FieldAt(const char* text, int n);

// Number of runs of non-blank characters.
int CountFields(const char* text);

// The k-th field from the end; k = 1 is the last field, also on a line that
// starts with spaces.
char* FieldFromEnd(char* text, int k);

// Trims the text, then returns the position after its last space (else after
// its last tab), skipping any blanks after it; a text without blanks, or an
// empty one, is returned whole.
char* LastField(char* text);

// Skips non-blank characters, then blanks.
char* NextField(char* position);
const char* NextField(const char* position);

// Substring search anywhere in text; case-sensitive, or ASCII case-insensitive.
char* FindText(char* text, const char* pattern);
const char* FindText(const char* text, const char* pattern);
char* FindTextNoCase(char* text, const char* pattern);
const char* FindTextNoCase(const char* text, const char* pattern);

// True when the text holds "<DIR>", " dir ", " Dir ", " DIR ", "<DIRECTORY>",
// "[dir]" or "<dir>".
bool HasFolderMarker(const char* text);

// 1-12 from an English (or German "Mai", "Okt") month name's first three
// letters, any case; otherwise 0.
int MonthFromName(const char* text);

// 1-12 decided by as few initial letters as needed; otherwise 0.
int MonthFromInitials(const char* text);

// "dd-Mon-yy" into day, month and year; false (with the fields as the rule
// leaves them) when a '-' is missing.
bool ParseDayMonYear(ListingEntry& entry, const char* text);

// "hh:mm" with an optional AM/PM marker into hour and minute.
void ParseTime(ListingEntry& entry, const char* text);

// Digits with thousands commas ("1,234,567") into size.
void ParseSizeWithCommas(ListingEntry& entry, const char* text);

// Numeric or named date into year, month and day. order: 0 = a date that
// starts with a digit is not read, 1 = year first, 2 = month first.
void ParseDate(ListingEntry& entry, const char* text, int order);

// The starts of a line's first fields, as FieldAt finds them, found in one
// pass, so that a parser reading several columns of a line walks it once.
class FieldStarts {
 public:
  // Finds fields 1 to last (at most 15; later ones are looked up on demand).
  FieldStarts(char* line, int last);

  // Field n, or none, exactly as FieldAt(line, n).
  char* operator[](int n) const;

  // The line was ended just before field n (n found here): from then on
  // fields n and later are none, as FieldAt on the ended line would say.
  void endBefore(int n);

 private:
  static constexpr int kKept = 16;
  char* line_;
  char* starts_[kKept] = {};
  int known_ = 1;
};

// Month, day, time-or-year and size from UNIX-like columns (field numbers
// count from 1, as FieldAt does).
void FillDateSizeFromFields(ListingEntry& entry, char* line, int yearField, int monthField,
                            int dayField, int timeField, int sizeField, int hostType);
// The same from the line's fields found already.
void FillDateSizeFromFields(ListingEntry& entry, const FieldStarts& fields, int yearField,
                            int monthField, int dayField, int timeField, int sizeField,
                            int hostType);

// Applies the century rule: a year below 50 with month and day known gets
// 2000 added, any other year from 1 to 1899 gets 1900 added.
void ApplyCentury(ListingEntry& entry);

// Copies at most 255 characters of [begin, begin + length) into entry.name,
// stopping early at a NUL; SetName(entry, text) copies a NUL-terminated text.
void SetName(ListingEntry& entry, const char* begin, std::size_t length);
void SetName(ListingEntry& entry, const char* text);

// Today's local date, which undated UNIX times are placed against. day is 0
// when only the year and month are known (a test pinned no day); then only the
// month decides whether a date lies ahead.
struct LocalDate {
  int year;
  int month;  // 1-12
  int day;    // 1-31, or 0
};
LocalDate CurrentLocalDate();
int CurrentLocalYear();
int CurrentLocalMonth();

// Tests pin today's date; (0, 0) returns to the clock. Without a day only the
// month counts, as the listing rules were first written.
void SetLocalDateForTesting(int year, int month, int day = 0);

// True when year-less month and day lie more than a day after today, so that
// they belong to the year before.
bool LiesAheadOfToday(const LocalDate& today, int month, int day);

}  // namespace ferrix::decoder
