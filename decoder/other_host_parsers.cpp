// Listing parsers for the smaller server families: NetWare and Novell,
// Macintosh servers, OS/2, QNX, OS-9, Amiga, AMOS, VxWorks, HellSoft and
// Passport. Each reads one work line; none keeps state between lines.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "decoder/date_run.h"
#include "decoder/fixed_columns.h"
#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"
#include "decoder/unix_anchored_reading.h"

namespace ferrix::decoder {
namespace {

constexpr int kNetWareHostType = 6035;
constexpr std::uint64_t kQnxBlockSize = 512;
constexpr std::uint64_t kAmosBlockSize = 512;

using columns::FixedColumns;
using columns::IsDigit;
using columns::SizeProduct;
using columns::ToByte;
using columns::ToYear;

bool IsFolderLetter(char c) { return c == 'd' || c == 'D'; }

using columns::StartsWith;
using columns::StartsWithNoCase;

// Field n, or the last field when the line has no field n.
char* NameField(char* line, int n) {
  char* name = FieldAt(line, n);
  return name != nullptr && *name != '\0' ? name : LastField(line);
}

// Copies the name found at name and cuts the line before it, so the date and
// size fields read afterwards cannot run into the name. Returns false when
// the name is empty (the line gives no entry).
bool TakeNameAndCutBefore(ListingEntry& entry, char* line, char* name) {
  SetName(entry, name);
  if (entry.name[0] == '\0') return false;
  FixedColumns(line).cutBefore(name);
  return true;
}

// Field numbers of a UNIX-like layout, counted as FieldAt counts them.
struct UnixLikeFields {
  int name;
  int year;
  int month;
  int day;
  int time;
  int size;
};

// The UNIX-like layouts of HellSoft, Peter Server and NetWare: name field
// (or the last field), cut, folder by the first letter, then the columns.
void ParseUnixLikeLine(ListingEntry& entry, char* line, const UnixLikeFields& fields,
                       int hostType) {
  const char first = line[0];
  if (!TakeNameAndCutBefore(entry, line, NameField(line, fields.name))) return;
  if (IsFolderLetter(first)) entry.kind = FERRIX_KIND_FOLDER;
  // The helper reads the size field too, for folders as for files.
  FillDateSizeFromFields(entry, line, fields.year, fields.month, fields.day, fields.time,
                         fields.size, hostType);
}

// UNIX without a group column: permissions, links, owner, size, date, name.
constexpr UnixLikeFields kNoGroupFields{
    .name = 8, .year = 7, .month = 5, .day = 6, .time = 7, .size = 4};

// NetWare's fixed-column layout:
//   -rw-rw-rw-  ...  size ending by column 47  Jan 5, 97  1:05 pm  name
void ParseNetWareColumns(ListingEntry& entry, FixedColumns& columns) {
  const char* comma = std::strchr(columns.from(55), ',');
  if (comma == nullptr) return;
  const std::size_t commaAt = columns.offsetOf(comma);

  if (columns.at(0) == 'd') entry.kind = FERRIX_KIND_FOLDER;
  entry.size = columns.sizeAfterLastBlank(47);
  entry.month = static_cast<std::uint8_t>(MonthFromInitials(columns.from(51)));
  entry.day = ToByte(NumberAt(columns.from(55)));
  std::int64_t year = NumberAt(columns.from(commaAt + 2));
  year += year >= 70 ? 1900 : 2000;
  entry.year = ToYear(year);

  std::size_t pos = columns.skipBlanks(commaAt + 4);
  std::int64_t hour = NumberAt(columns.from(pos));
  pos += IsDigit(columns.at(pos + 1)) ? 3 : 2;
  entry.minute = ToByte(NumberAt(columns.from(pos)));
  while (IsDigit(columns.at(pos))) ++pos;
  const std::size_t afterMinute = pos;
  ++pos;
  if (columns.at(pos) == 'p' && hour != 12) hour += 12;
  entry.hour = ToByte(hour);

  // A 24-hour clock has no am or pm word to step over before the name.
  const char mark = columns.at(pos);
  const bool meridiem = mark == 'a' || mark == 'A' || mark == 'p' || mark == 'P';
  SetName(entry, columns.from(columns.skipBlanks(meridiem ? pos + 2 : afterMinute)));
  TrimRight(entry.name);
}

// VersaTerm long lines: a dot-padded name in columns 0-30, then dot leaders
// between the size, date and time columns.
void ParseVersaTermColumns(ListingEntry& entry, FixedColumns& columns) {
  constexpr std::size_t kNameWidth = 31;
  std::size_t end = kNameWidth;
  while (end > 0 && columns.at(end - 1) == '.') --end;
  const bool folder = end > 0 && columns.at(end - 1) == '/';
  if (folder) --end;
  SetName(entry, columns.begin(), end);
  if (entry.name[0] == '\0') return;
  if (folder) entry.kind = FERRIX_KIND_FOLDER;

  // Blank the leaders in place so every column keeps its position.
  for (char* c = columns.from(kNameWidth); *c != '\0'; ++c) {
    if (*c == '.') *c = ' ';
  }
  entry.size = SizeAt(columns.from(columns.skipBlanks(41)));
  entry.year = ToYear(NumberAt(columns.from(76)));
  entry.month = static_cast<std::uint8_t>(MonthFromName(columns.from(57)));
  entry.day = ToByte(NumberAt(columns.from(61)));
  std::int64_t hour = NumberAt(columns.from(65));
  if (columns.at(71) == 'P' && hour < 12) hour += 12;
  entry.hour = ToByte(hour);
  entry.minute = ToByte(NumberAt(columns.from(68)));
  ApplyCentury(entry);
}

// VersaTerm short lines are bare name lists: a name ends at its first '/'
// (a folder) or at the dot run that pads it.
void ParseVersaTermName(ListingEntry& entry, const char* line) {
  const char* slash = std::strchr(line, '/');
  const char* dots = std::strstr(line, "..");
  if (slash == nullptr && dots == nullptr) return;
  const bool folder = slash != nullptr && (dots == nullptr || slash < dots);
  const char* end = folder ? slash : dots;
  SetName(entry, line, static_cast<std::size_t>(end - line));
  if (folder && entry.name[0] != '\0') entry.kind = FERRIX_KIND_FOLDER;
}

bool DateHolds(const ListingEntry& entry) {
  return entry.month >= 1 && entry.month <= 12 && entry.day >= 1 && entry.day <= 31 &&
         entry.hour <= 23;
}

void ParseOs2Columns(ListingEntry& entry, char* line) {
  const FixedColumns columns(line);
  SetName(entry, columns.from(53));
  if (entry.name[0] == '\0') return;
  if (HasFolderMarker(line)) entry.kind = FERRIX_KIND_FOLDER;
  ParseDate(entry, columns.from(35), 2);
  ParseTime(entry, columns.from(46));
  entry.size = columns.sizeAfterLastBlank(16);
}

bool IsFolderWord(const Field& field) {
  const auto length = static_cast<std::size_t>(field.end - field.begin);
  return (length == 3 && std::memcmp(field.begin, "DIR", 3) == 0) ||
         (length == 5 && std::memcmp(field.begin, "<DIR>", 5) == 0);
}

// "   345      A          06-07-24   13:49  CONFIG.SYS" or
// "0  DIR  06-07-2024 13:49  My Folder": the size first, attributes or DIR,
// a numeric date, a clock, and the rest of the line as the name.
bool ReadOs2Fields(ListingEntry& entry, const char* line) {
  FieldList fields;
  SplitFields(line, fields);
  for (int index = 1; index + 2 < fields.count; ++index) {
    DateRun run;
    if (!ReadNumericDate(fields.items[index], run) || !run.hasYear ||
        !ReadClock(fields.items[index + 1], run) || run.hour > 23) {
      continue;
    }
    if (IsAllDigits(fields.items[0])) entry.size = SizeAt(fields.items[0].begin);
    for (int before = 1; before < index; ++before) {
      if (IsFolderWord(fields.items[before])) entry.kind = FERRIX_KIND_FOLDER;
    }
    SetName(entry, fields.items[index + 2].begin);
    StoreDateRun(entry, run);
    return true;
  }
  return false;
}

bool WordHasColon(const char* word) {
  for (; *word != '\0' && !columns::IsBlank(*word); ++word) {
    if (*word == ':') return true;
  }
  return false;
}

// NetWare prints the clock, and am or pm, after the year; the anchored
// reading stops at the year, so the clock starts the name.
void TakeNetWareClock(ListingEntry& entry) {
  FieldList words;
  SplitFields(entry.name, words);
  DateRun clock;
  if (words.count < 2 || !ReadClock(words.items[0], clock) || clock.hour > 23) return;
  int taken = 1;
  const Field& marker = words.items[1];
  if (marker.end - marker.begin == 2 && (marker.begin[1] == 'm' || marker.begin[1] == 'M')) {
    const char letter = static_cast<char>(marker.begin[0] & ~0x20);
    if (letter == 'P' && clock.hour != 12) clock.hour += 12;
    if (letter == 'P' || letter == 'A') taken = 2;
  }
  if (taken == words.count) return;
  entry.hour = ToByte(clock.hour);
  entry.minute = ToByte(clock.minute);
  const char* name = words.items[taken].begin;
  std::memmove(entry.name, name, std::strlen(name) + 1);
}

// The UNIX-like layout: type, rights, owner, size, date, time, name. The
// field rule first; when its reading cannot stand (a clock where it expects
// the year, no real date), the reading anchored on the size and date.
void ParseNetWareFields(ListingEntry& entry, char* line) {
  char original[512];
  std::strncpy(original, line, sizeof original - 1);
  original[sizeof original - 1] = '\0';
  ParseUnixLikeLine(entry, line,
                    {.name = 10, .year = 7, .month = 5, .day = 6, .time = 8, .size = 4},
                    kNetWareHostType);
  const char* yearField = FieldAt(original, 7);
  const bool clockForYear = yearField != nullptr && WordHasColon(yearField);
  if (entry.name[0] != '\0' && DateHolds(entry) && !clockForYear) return;
  ListingEntry anchored{};
  anchored.mode = entry.mode;
  anchored.flags = entry.flags;
  if (!ReadUnixLineByDateRun(anchored, original)) return;
  TakeNetWareClock(anchored);
  entry = anchored;
}

}  // namespace

void ParseNetWareLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (StartsWithNoCase(line, "total")) return;
  FixedColumns columns(line);
  if (columns.blankAt(1)) {
    ParseNetWareFields(entry, line);
  } else if (columns.at(1) == 'r' || columns.at(1) == '-') {
    ParseNetWareColumns(entry, columns);
  }
}

void ParseHellSoftLine(ListingEntry& entry, char* line, const ParseContext& context) {
  if (StartsWithNoCase(line, "total")) return;
  ParseUnixLikeLine(entry, line, kNoGroupFields, context.hostType);
}

void ParsePeterServerLine(ListingEntry& entry, char* line, const ParseContext& context) {
  if (StartsWithNoCase(line, "total")) return;
  // Folder lines have no links column, so every field sits one to the left.
  if (IsFolderLetter(line[0])) {
    const int name = line[0] == 'd' ? 7 : 8;
    ParseUnixLikeLine(entry, line,
                      {.name = name, .year = 6, .month = 4, .day = 5, .time = 6, .size = 3},
                      context.hostType);
  } else {
    ParseUnixLikeLine(entry, line, kNoGroupFields, context.hostType);
  }
}

void ParseLwpLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (FindText(line, "File(s)") != nullptr || !IsDigit(line[0])) return;
  ParseDate(entry, line, 2);
  ParseTime(entry, FieldAt(line, 2));
  entry.size = SizeAt(FieldAt(line, 3));
  char* name = NameField(line, 4);
  SetName(entry, name);
  if (entry.name[0] == '\0') return;
  FixedColumns columns(line);
  columns.cut(columns.offsetOf(name));
  if (HasFolderMarker(line)) entry.kind = FERRIX_KIND_FOLDER;
}

void ParseVersaTermLine(ListingEntry& entry, char* line, const ParseContext&) {
  constexpr std::size_t kLongLine = 77;
  FixedColumns columns(line);
  if (columns.length() >= kLongLine) {
    ParseVersaTermColumns(entry, columns);
  } else {
    ParseVersaTermName(entry, line);
  }
}

// The fixed columns first; when they give no name or date, or the name
// column starts inside a word, the field layout some OS/2 servers send.
void ParseOs2Line(ListingEntry& entry, char* line, const ParseContext&) {
  ParseOs2Columns(entry, line);
  const bool columnsHold = entry.name[0] != '\0' && DateHolds(entry) && columns::IsBlank(line[52]);
  if (columnsHold) return;
  ListingEntry byFields{};
  byFields.mode = entry.mode;
  byFields.flags = entry.flags;
  if (ReadOs2Fields(byFields, line)) entry = byFields;
}

void ParseWarpLine(ListingEntry& entry, char* line, const ParseContext&) {
  SetName(entry, NameField(line, 6));
  if (entry.name[0] == '\0') return;
  // mm-dd-yy and hh:mm, read only when the whole pattern fits on the line.
  const char* date = FieldAt(line, 4);
  if (date != nullptr && std::strlen(date) > 8) {
    entry.month = ToByte(NumberAt(date));
    entry.day = ToByte(NumberAt(date + 3));
    entry.year = ToYear(NumberAt(date + 6));
  }
  const char* time = FieldAt(line, 5);
  if (time != nullptr && std::strlen(time) > 5) {
    entry.hour = ToByte(NumberAt(time));
    entry.minute = ToByte(NumberAt(time + 3));
  }
  entry.size = SizeAt(FieldAt(line, 2));
  ApplyCentury(entry);
  if (FindText(line, " DIR ") != nullptr) entry.kind = FERRIX_KIND_FOLDER;
}

void ParseQnxLine(ListingEntry& entry, char* line, const ParseContext&) {
  const FixedColumns columns(line);
  if (columns.at(0) == '+') {
    SetName(entry, columns.from(1));
    entry.kind = FERRIX_KIND_FOLDER;
    return;
  }
  if (columns.at(0) == 'T' || columns.at(1) == 'B' || columns.length() < 60) return;
  entry.month = static_cast<std::uint8_t>(MonthFromName(columns.from(47)));
  entry.day = ToByte(NumberAt(columns.from(44)));
  // Two-digit years: 00-49 mean this century once the date is complete.
  std::int64_t year = std::int64_t{NumberAt(columns.from(51))} + 1900;
  if (year < 1950 && entry.month != 0 && entry.day != 0) year += 100;
  entry.year = ToYear(year);
  entry.hour = ToByte(NumberAt(columns.from(54)));
  entry.minute = ToByte(NumberAt(columns.from(57)));
  entry.size = SizeProduct(SizeAt(line), kQnxBlockSize);
  SetName(entry, columns.from(60));
}

void ParseOs9Line(ListingEntry& entry, char* line, const ParseContext&) {
  if (FindText(line, "Directory") != nullptr || FindText(line, "Owner") != nullptr) return;
  if (FixedColumns(line).at(1) == '-') return;
  if (!TakeNameAndCutBefore(entry, line, LastField(line))) return;
  if (FixedColumns(line).at(26) == 'd') entry.kind = FERRIX_KIND_FOLDER;
  entry.size = SizeAt(FieldAt(line, 7));
  ParseDate(entry, FieldAt(line, 3), 1);
  // hhmm without a separator; below 100 it cannot be told from minutes alone.
  const std::int32_t time = NumberAt(FieldAt(line, 4));
  if (time >= 100) {
    entry.hour = ToByte(time / 100);
    entry.minute = ToByte(time % 100);
  }
}

void ParseAmigaLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (StartsWithNoCase(line, "Dirs:")) return;
  SetName(entry, LastField(line));
  if (entry.name[0] == '\0') return;
  if (HasFolderMarker(line) || StartsWith(line, "drw") || StartsWith(line, "dr-")) {
    entry.kind = FERRIX_KIND_FOLDER;
  }
}

void ParseAmosLine(ListingEntry& entry, char* line, const ParseContext&) {
  constexpr std::size_t kMinimumLength = 27;
  constexpr std::size_t kNameWidth = 6;
  constexpr std::size_t kExtensionAt = 7;
  constexpr std::size_t kExtensionWidth = 3;
  if (FindText(line, "files in") != nullptr) return;
  const FixedColumns columns(line);
  if (columns.length() < kMinimumLength) return;
  ParseDate(entry, columns.from(16), 0);
  ParseTime(entry, columns.from(26));
  entry.size = SizeProduct(SizeAt(columns.from(11)), kAmosBlockSize);

  // Name and extension are fixed columns: "ABC    TXT" is ABC.TXT.
  char name[kNameWidth + 1 + kExtensionWidth + 1] = {};
  std::memcpy(name, line, kNameWidth);
  TrimRight(name);
  if (!columns.blankAt(kExtensionAt)) {
    const std::size_t used = std::strlen(name);
    name[used] = '.';
    std::memcpy(name + used + 1, line + kExtensionAt, kExtensionWidth);
    TrimRight(name);
  }
  SetName(entry, name);
}

void ParseVxWorksLine(ListingEntry& entry, char* line, const ParseContext&) {
  constexpr std::size_t kNameAt = 36;
  if (FindText(line, "size") != nullptr && FindText(line, "date") != nullptr) return;
  if (StartsWith(line, "-------")) return;
  const FixedColumns columns(line);
  if (columns.length() < kNameAt) return;
  ParseDate(entry, columns.from(12), 0);
  ParseTime(entry, columns.from(25));
  entry.size = SizeAt(line);
  std::size_t end = kNameAt;
  while (end < columns.length() && !columns.blankAt(end)) ++end;
  SetName(entry, columns.from(kNameAt), end - kNameAt);
  if (FindText(line, "<DIR>") != nullptr) entry.kind = FERRIX_KIND_FOLDER;
}

void ParsePassportLine(ListingEntry& entry, char* line, const ParseContext&) {
  constexpr std::size_t kNameAt = 36;
  constexpr std::size_t kNameWidth = 18;
  constexpr std::size_t kFolderMarkAt = 54;
  const FixedColumns columns(line);
  if (columns.length() < kNameAt || columns.at(0) == '-' || columns.at(2) == 's') return;
  if (StartsWith(columns.from(kFolderMarkAt), "<DIR>")) entry.kind = FERRIX_KIND_FOLDER;
  entry.size = columns.sizeAfterLastBlank(7);
  entry.month = static_cast<std::uint8_t>(MonthFromInitials(columns.from(12)));
  entry.day = ToByte(NumberAt(columns.from(16)));
  entry.year = ToYear(NumberAt(columns.from(19)));
  ParseTime(entry, columns.from(25));
  SetName(entry, columns.from(kNameAt), kNameWidth);
  TrimRight(entry.name);
}

}  // namespace ferrix::decoder
