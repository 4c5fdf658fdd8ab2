// Parsers for DOS and Windows servers and the desktop TCP/IP packages of the
// DOS era: mostly fixed-column layouts, a few word layouts.
//
// A fixed column is read only once the line is known to reach it, or through
// ColumnAt, which stops at the end of the work line: a short or malformed
// line reads as zeros, never out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "decoder/date_run.h"
#include "decoder/fixed_columns.h"
#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

constexpr int kMacNcsa = 6014;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

using columns::StartsWith;
using columns::StartsWithNoCase;

bool IsSummaryLine(const char* line) {
  return StartsWith(line, "Files match") || StartsWith(line, "Directories match");
}

// The text at offset, or the terminating NUL when the line is shorter.
const char* ColumnAt(const char* line, std::size_t length, std::size_t offset) {
  return line + (offset < length ? offset : length);
}

char CharAt(const char* line, std::size_t length, std::size_t offset) {
  return offset < length ? line[offset] : '\0';
}

// Steps count characters on, stopping at the end of the text.
const char* Advance(const char* position, std::size_t count) {
  for (std::size_t i = 0; i < count && *position != '\0'; ++i) ++position;
  return position;
}

using columns::ToByte;
using columns::ToYear;

// Month, day and year from "MM-DD-YY" columns, century rule applied at once.
void ReadNumericDate(ListingEntry& entry, const char* line, std::size_t length,
                     std::size_t monthColumn, std::size_t dayColumn, std::size_t yearColumn) {
  entry.month = ToByte(NumberAt(ColumnAt(line, length, monthColumn)));
  entry.day = ToByte(NumberAt(ColumnAt(line, length, dayColumn)));
  entry.year = ToYear(NumberAt(ColumnAt(line, length, yearColumn)));
  ApplyCentury(entry);
}

// An "a"/"p" mark after a 12-hour clock: 12 a is midnight, other p hours are
// afternoon.
void ApplyLowerCaseMeridiem(ListingEntry& entry, char mark) {
  if (entry.hour == 12) {
    if (mark == 'a') entry.hour = 0;
  } else if (mark == 'p') {
    entry.hour = ToByte(entry.hour + 12);
  }
}

// Drops one trailing '/' or '\' from the entry's name; true when there was one.
bool DropTrailingSlash(ListingEntry& entry) {
  std::size_t length = std::strlen(entry.name);
  if (length == 0) return false;
  char last = entry.name[length - 1];
  if (last != '/' && last != '\\') return false;
  entry.name[length - 1] = '\0';
  return true;
}

// Whether a single size column holds a folder marker instead of a number. The
// column is looked at alone so that a name such as "my dir notes" elsewhere
// on the line cannot turn a file into a folder.
bool ColumnIsFolderMarker(const char* column) {
  constexpr std::size_t kLongestMarker = sizeof "<DIRECTORY>" - 1;
  // The column between blanks, so the " dir " forms can match too.
  char padded[kLongestMarker + 3] = {' '};
  std::size_t length = 0;
  while (column[length] != '\0' && !IsBlank(column[length])) {
    if (length == kLongestMarker) return false;
    padded[1 + length] = column[length];
    ++length;
  }
  padded[1 + length] = ' ';
  padded[2 + length] = '\0';
  return HasFolderMarker(padded);
}

// "hh:mm" followed by "AM" or "PM", as Windows servers write it: minutes
// start after the run of ':' and the mark sits two characters after them.
// Returns the position of the minutes (or of the hour without a ':').
char* ReadWindowsClock(ListingEntry& entry, char* text) {
  entry.hour = ToByte(NumberAt(text));
  char* colon = std::strchr(text, ':');
  if (colon == nullptr) return text;
  while (*colon == ':') ++colon;
  entry.minute = ToByte(NumberAt(colon));
  char mark = *Advance(colon, 2);
  if (mark == 'P' && entry.hour != 12) entry.hour = ToByte(entry.hour + 12);
  if (mark == 'A' && entry.hour == 12) entry.hour = 0;
  return colon;
}

// The word at text, up to its first blank.
Field WordAt(const char* text) {
  const char* end = text;
  while (*end != '\0' && !IsBlank(*end)) ++end;
  return Field{text, end};
}

// Windows servers in DOS style: "12-25-97  10:30PM       <DIR>          Projects"
// or "06-05-02  03:19PM                 1419 read me.txt".
void ParseNtDosStyle(ListingEntry& entry, char* line) {
  std::size_t length = std::strlen(line);
  ReadNumericDate(entry, line, length, 0, 3, 6);
  char* position = std::strchr(line, ' ');
  if (position == nullptr) return;
  while (*position == ' ') ++position;
  position = std::strchr(ReadWindowsClock(entry, position), ' ');
  if (position == nullptr) return;
  while (*position == ' ') ++position;
  char* sizeColumn = position;
  while (*position != '\0' && *position != ' ') ++position;
  while (*position == ' ') ++position;
  SetName(entry, position);
  if (entry.name[0] == '\0') return;
  if (ColumnIsFolderMarker(sizeColumn)) {
    entry.kind = FERRIX_KIND_FOLDER;
  } else if (!ReadGroupedSize(WordAt(sizeColumn), entry.size)) {
    entry.size = SizeAt(sizeColumn);
  }
}

// "06:48PM", "06:48 PM" or "18:48": the clock of a DOS-style line. Returns
// the fields it took (0 when the field is no clock).
int ReadDosClock(const FieldList& fields, int index, DateRun& run) {
  if (index >= fields.count) return 0;
  Field clock = fields.items[index];
  char meridiem = '\0';
  const std::size_t length = static_cast<std::size_t>(clock.end - clock.begin);
  if (length > 2 && (clock.end[-1] == 'M' || clock.end[-1] == 'm')) {
    meridiem = static_cast<char>(clock.end[-2] & ~0x20);
    clock.end -= 2;
  }
  if (!ReadClock(clock, run) || run.hour > 23) return 0;
  int taken = 1;
  if (meridiem == '\0' && index + 1 < fields.count) {
    const Field& next = fields.items[index + 1];
    if (next.end - next.begin == 2 && (next.begin[1] == 'M' || next.begin[1] == 'm')) {
      meridiem = static_cast<char>(next.begin[0] & ~0x20);
      taken = 2;
    }
  }
  if (meridiem == 'P' && run.hour < 12) run.hour += 12;
  if (meridiem == 'A' && run.hour == 12) run.hour = 0;
  return taken;
}

// Two-digit years are the fixed rule's alone: its short lines stay unread.
bool HasFourDigitYear(const Field& date) {
  const auto length = date.end - date.begin;
  return length >= 8 && (IsAllDigits(Field{date.begin, date.begin + 4}) ||
                         IsAllDigits(Field{date.end - 4, date.end}));
}

// DOS-style lines that the fixed rule does not reach: four-digit years in
// either order ("2024-06-07  18:48  <DIR>  Projects",
// "06-07-2024  06:48PM  9,730 report.pdf"), read field by field: date, clock,
// size or folder marker, and the rest of the line as the name.
void ReadNtDosFields(ListingEntry& entry, char* line) {
  FieldList fields;
  SplitFields(line, fields);
  DateRun run;
  if (fields.count < 4 || !HasFourDigitYear(fields.items[0])) return;
  if (!ReadNumericDate(fields.items[0], run) || !run.hasYear) return;
  const int sizeIndex = 1 + ReadDosClock(fields, 1, run);
  if (sizeIndex == 1 || sizeIndex + 1 >= fields.count) return;
  const Field& sizeColumn = fields.items[sizeIndex];
  const bool folder = ColumnIsFolderMarker(sizeColumn.begin);
  std::uint64_t size = 0;
  if (!folder && !ReadGroupedSize(sizeColumn, size)) return;
  const char* name = sizeColumn.end;
  while (IsBlank(*name)) ++name;
  SetName(entry, name);
  entry.kind = folder ? FERRIX_KIND_FOLDER : FERRIX_KIND_FILE;
  entry.size = size;
  StoreDateRun(entry, run);
}

bool DateHolds(const ListingEntry& entry) {
  return entry.month >= 1 && entry.month <= 12 && entry.day >= 1 && entry.day <= 31;
}

// Windows servers in UNIX style: the name is field 9, no links.
void ParseNtUnixStyle(ListingEntry& entry, char* line, int hostType) {
  char* name = FieldAt(line, 9);
  if (name == nullptr) return;
  SetName(entry, name);
  FillDateSizeFromFields(entry, line, 8, 6, 7, 8, 5, hostType);
  if (line[0] == 'd') entry.kind = FERRIX_KIND_FOLDER;
}

// Second layout of QVT/Net 4.0: a name padded to a column that ends near 44,
// then size (or "[dir]"), "MM-DD-YYYY" and "hh:mm".
void ParseQvt4Padded(ListingEntry& entry, char* line) {
  std::size_t blank = 44;
  while (blank > 0 && !IsBlank(line[blank - 1])) --blank;
  if (blank == 0) return;
  char* sizeColumn = line + blank - 1;
  while (IsBlank(*sizeColumn)) ++sizeColumn;
  if (StartsWithNoCase(sizeColumn, "[dir]")) {
    entry.kind = FERRIX_KIND_FOLDER;
  } else if (*sizeColumn != '[') {
    entry.size = SizeAt(sizeColumn);
  }
  const char* position = std::strchr(sizeColumn, ' ');
  if (position != nullptr) {
    entry.month = ToByte(NumberAt(position));
    position = std::strchr(position, '-');
  }
  if (position != nullptr) {
    entry.day = ToByte(NumberAt(position + 1));
    position = std::strchr(position + 1, '-');
  }
  if (position != nullptr) {
    const char* year = Advance(position, 3);
    entry.year = ToYear(NumberAt(year));
    ApplyCentury(entry);
    position = std::strchr(year, ' ');
  }
  if (position != nullptr) {
    while (*position == ' ') ++position;
    entry.hour = ToByte(NumberAt(position));
    entry.minute = ToByte(NumberAt(Advance(position, 3)));
  }
  line[blank - 1] = '\0';
  TrimRight(line);
  SetName(entry, line);
}

}  // namespace

void ParseSiNtLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (std::strlen(line) <= 3) return;
  char* name = LastField(line);
  if (*name == '\0') return;
  // The part before the name; empty when the whole line is the name.
  char* head = line;
  if (name > line) {
    name[-1] = '\0';
  } else {
    head = name + std::strlen(name);
  }
  SetName(entry, name);
  bool folder = line[0] == 'd' || line[0] == 'D' || HasFolderMarker(head);
  if (folder) DropTrailingSlash(entry);
  char* arrow = FindText(head, " ->");
  if (arrow != nullptr && (folder || line[0] == 'l')) {
    *arrow = '\0';
    SetName(entry, LastField(head));
    entry.kind = FERRIX_KIND_LINK;
  } else if (folder) {
    entry.kind = FERRIX_KIND_FOLDER;
  }
}

void ParseNcsaLine(ListingEntry& entry, char* line, const ParseContext& context) {
  int fields = CountFields(line);
  if (fields > 8 && line[0] != '\0' && line[1] == 'r') {
    ParseUnixLine(entry, line, context);
    return;
  }
  if (IsSummaryLine(line) || fields <= 3) return;
  char* sizeColumn = FieldFromEnd(line, 3);
  if (sizeColumn == nullptr || sizeColumn == line) return;
  ParseDate(entry, FieldFromEnd(line, 2), 0);
  ParseTime(entry, FieldFromEnd(line, 1));
  if (ColumnIsFolderMarker(sizeColumn)) {
    entry.kind = FERRIX_KIND_FOLDER;
  } else {
    entry.size = SizeAt(sizeColumn);
  }
  *sizeColumn = '\0';
  TrimRight(line);
  SetName(entry, line);
}

void ParseNtLine(ListingEntry& entry, char* line, const ParseContext& context) {
  if (line[0] == 'd' || line[0] == '-') {
    ParseNtUnixStyle(entry, line, context.hostType);
    return;
  }
  std::size_t length = std::strlen(line);
  if (length >= 40 && line[2] == '-' && line[5] == '-') {
    ParseNtDosStyle(entry, line);
    if (entry.name[0] != '\0' && DateHolds(entry)) return;
  }
  ListingEntry byFields{};
  byFields.mode = entry.mode;
  byFields.flags = entry.flags;
  ReadNtDosFields(byFields, line);
  if (byFields.name[0] != '\0') entry = byFields;
}

void ParseIbmPcLine(ListingEntry& entry, char* line, const ParseContext&) {
  std::size_t length = std::strlen(line);
  if (length <= 40) return;
  if (FindText(line, "volume label") != nullptr || FindText(line, "Volume Serial") != nullptr ||
      FindText(line, "Directory of") != nullptr || FindText(line, " bytes ") != nullptr) {
    return;
  }
  ReadNumericDate(entry, line, length, 0, 3, 6);
  entry.hour = ToByte(NumberAt(line + 10));
  entry.minute = ToByte(NumberAt(line + 13));
  ApplyLowerCaseMeridiem(entry, line[15]);
  if (FindText(line, "<DIR>") != nullptr) {
    entry.kind = FERRIX_KIND_FOLDER;
  } else {
    entry.size = SizeAt(line + 16);
  }
  SetName(entry, line + 40);
}

void ParseChameleonLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (IsSummaryLine(line)) return;
  char* colon = std::strrchr(line, ':');
  if (colon != nullptr && colon - line >= 3) {
    ParseTime(entry, colon - 2);
    colon[-3] = '\0';
  }
  ParseDate(entry, FieldAt(line, 3), 2);
  bool folder = HasFolderMarker(line);
  char* name = line;
  while (IsBlank(*name)) ++name;
  char* afterName = name;
  while (*afterName != '\0' && !IsBlank(*afterName)) ++afterName;
  SetName(entry, name, static_cast<std::size_t>(afterName - name));
  if (folder) {
    entry.kind = FERRIX_KIND_FOLDER;
  } else {
    ParseSizeWithCommas(entry, afterName);
  }
}

void ParsePcTcpLine(ListingEntry& entry, char* line, const ParseContext&) {
  std::size_t length = std::strlen(line);
  if (length <= 53 || StartsWithNoCase(line, "Dirs:")) return;
  entry.year = ToYear(NumberAt(line + 53));
  entry.month = ToByte(MonthFromName(line + 37));
  entry.day = ToByte(NumberAt(line + 41));
  entry.hour = ToByte(NumberAt(line + 44));
  entry.minute = ToByte(NumberAt(line + 47));
  // Unlike the shared century rule, a missing year reads as 1900 here.
  if (entry.year < 50 && entry.month != 0 && entry.day != 0) {
    entry.year = static_cast<std::uint16_t>(entry.year + 2000);
  } else if (entry.year < 1900) {
    entry.year = static_cast<std::uint16_t>(entry.year + 1900);
  }
  line[30] = '\0';
  char* name = LastField(line);
  SetName(entry, name);
  if (HasFolderMarker(line)) {
    entry.kind = FERRIX_KIND_FOLDER;
  } else if (name > line) {
    name[-1] = '\0';
    entry.size = SizeAt(line);
  }
}

void ParseKa9qLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (FindText(line, "Disk si") != nullptr) return;
  constexpr std::size_t kSecondColumn = 41;
  constexpr std::size_t kNameWidth = 13;
  char* text = std::strlen(line) > kSecondColumn ? line + kSecondColumn : line;
  if (std::strlen(text) <= kNameWidth) return;
  SetName(entry, text, kNameWidth);
  TrimRight(entry.name);
  bool folder = DropTrailingSlash(entry);
  if (entry.name[0] == '\0') return;
  const char* rest = text + kNameWidth;
  while (*rest == ' ') ++rest;
  if (folder) {
    entry.kind = FERRIX_KIND_FOLDER;
    ParseTime(entry, rest);
    ParseDate(entry, FieldAt(rest, 2), 2);
  } else {
    ParseSizeWithCommas(entry, rest);
    ParseTime(entry, FieldAt(rest, 2));
    ParseDate(entry, FieldAt(rest, 3), 0);
  }
}

void ParseQvtLine(ListingEntry& entry, char* line, const ParseContext& context) {
  if (context.hostType != kMacNcsa) {
    char* space = std::strchr(line, ' ');
    if (space != nullptr) *space = '\0';
  }
  SetName(entry, line);
  if (DropTrailingSlash(entry) && entry.name[0] != '\0') entry.kind = FERRIX_KIND_FOLDER;
}

void ParseQvt4Line(ListingEntry& entry, char* line, const ParseContext&) {
  std::size_t length = std::strlen(line);
  if (length > 34 && line[16] == '-' && line[19] == '-') {
    entry.size = SizeAt(line);
    ReadNumericDate(entry, line, length, 14, 17, 20);
    entry.hour = ToByte(NumberAt(line + 25));
    entry.minute = ToByte(NumberAt(line + 28));
    SetName(entry, line + 34);
    line[33] = '\0';
    if (FindText(line, "[dir]") != nullptr) entry.kind = FERRIX_KIND_FOLDER;
    return;
  }
  if (length > 44) ParseQvt4Padded(entry, line);
}

void ParseReflectionLine(ListingEntry& entry, char* line, const ParseContext&) {
  constexpr std::size_t kNameColumn = 45;
  std::size_t length = std::strlen(line);
  if (length <= kNameColumn) return;
  SetName(entry, line + kNameColumn);
  // Only the columns before the name can hold the marker; a name may contain
  // " dir " and still be a file.
  line[kNameColumn] = '\0';
  if (HasFolderMarker(line)) entry.kind = FERRIX_KIND_FOLDER;
  ParseDate(entry, line + 12, 2);
  ParseTime(entry, line + 22);
  const char* sizeColumn = line + 27;
  while (*sizeColumn == ' ') ++sizeColumn;
  if (*sizeColumn != '<') entry.size = SizeAt(sizeColumn);
}

void ParsePcnfsLine(ListingEntry& entry, char* line, const ParseContext&) {
  std::size_t length = std::strlen(line);
  if (length <= 13 || line[0] == ' ' || line[0] == '.') return;
  if (HasFolderMarker(line + 13)) {
    entry.kind = FERRIX_KIND_FOLDER;
  } else {
    entry.size = SizeAt(line + 13);
  }
  entry.year = ToYear(NumberAt(ColumnAt(line, length, 29)));
  entry.month = ToByte(NumberAt(ColumnAt(line, length, 23)));
  entry.day = ToByte(NumberAt(ColumnAt(line, length, 26)));
  entry.hour = ToByte(NumberAt(ColumnAt(line, length, 33)));
  entry.minute = ToByte(NumberAt(ColumnAt(line, length, 36)));
  ApplyLowerCaseMeridiem(entry, CharAt(line, length, 38));
  // An 8.3 name in columns 0-11: base, blank, extension.
  line[12] = '\0';
  if (line[9] != ' ') {
    line[8] = '.';
    if (line[7] == ' ') {
      char* out = line;
      for (const char* in = line; *in != '\0'; ++in) {
        if (!IsBlank(*in)) *out++ = *in;
      }
      *out = '\0';
    }
  }
  TrimRight(line);
  SetName(entry, line);
}

}  // namespace ferrix::decoder
