// The other large and mid-range systems: Tandem, Unisys A-Series and OS2200,
// CDC Cyber, BULL GCOS and CP6, GCOS 6 HVS, HP/3000 MPE, Stratus VOS,
// PRIMOS, AOS/VS and MUSIC/SP.
//
// The Stratus VOS parser remembers which section (files, folders, links) the
// listing is in; that state is process-wide, so the lines of one listing are
// decoded in order on one thread.
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>

#include "decoder/date_run.h"
#include "decoder/fixed_columns.h"
#include "decoder/month_words.h"
#include "decoder/parse_helpers.h"
#include "decoder/parser_state.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

using columns::FixedColumns;
using columns::IsBlank;
using columns::IsDigit;
using columns::NameByWord;
using columns::SizeProduct;
using columns::SkipBlanks;
using columns::StartsWith;
using columns::StartsWithNoCase;
using columns::ToByte;
using columns::ToYear;
using columns::WordEnd;

bool ContainsAny(const char* text, std::initializer_list<const char*> patterns) {
  for (const char* pattern : patterns) {
    if (std::strstr(text, pattern) != nullptr) return true;
  }
  return false;
}

bool StartsWithAny(const char* text, std::initializer_list<const char*> prefixes) {
  for (const char* prefix : prefixes) {
    if (StartsWith(text, prefix)) return true;
  }
  return false;
}

// Cuts the line just before its last field and names the entry by that field;
// false when the line has no last field.
bool NameByLastField(ListingEntry& entry, char* line) {
  char* name = LastField(line);
  if (name == nullptr || *name == '\0') return false;
  SetName(entry, name);
  if (name > line) name[-1] = '\0';
  return true;
}

// ---- Stratus VOS ----

enum class VosSection { kNone, kFiles, kFolders, kLinks };

VosSection vosSection = VosSection::kNone;

// Year, month, day, hour and minute in two-digit columns three apart.
void ReadVosDate(ListingEntry& entry, const FixedColumns& row, std::size_t first) {
  entry.year = ToYear(NumberAt(row.from(first)));
  entry.month = ToByte(NumberAt(row.from(first + 3)));
  entry.day = ToByte(NumberAt(row.from(first + 6)));
  entry.hour = ToByte(NumberAt(row.from(first + 9)));
  entry.minute = ToByte(NumberAt(row.from(first + 12)));
}

// "name -> target": the entry is the link's own name.
void NameVosLink(ListingEntry& entry, char* line) {
  TrimRight(line);
  const std::size_t length = std::strlen(line);
  if (length >= 2 && line[length - 2] == '-') {
    line[length - 2] = '\0';
    NameByLastField(entry, line);
  }
}

bool SwitchVosSection(const char* line) {
  if (StartsWith(line, "Files:")) {
    vosSection = VosSection::kFiles;
  } else if (StartsWith(line, "Dirs:")) {
    vosSection = VosSection::kFolders;
  } else if (StartsWith(line, "Links:")) {
    vosSection = VosSection::kLinks;
  } else {
    return false;
  }
  return true;
}

// "12-Jun-03" or "12-Jun-2003": Tandem's date, two-digit years from 1970.
bool ReadTandemDate(const Field& field, DateRun& run) {
  const char* position = field.begin;
  run.day = 0;
  while (position < field.end && IsDigit(*position) && run.day <= 31) {
    run.day = run.day * 10 + (*position++ - '0');
  }
  if (position == field.begin || position == field.end || *position != '-' || run.day > 31) {
    return false;
  }
  const char* month = ++position;
  while (position < field.end && *position != '-') ++position;
  run.month = MonthFromWord(month, position);
  if (run.month == 0 || run.day == 0 || position == field.end) return false;
  const char* year = ++position;
  run.year = 0;
  while (position < field.end && IsDigit(*position) && run.year < 10000) {
    run.year = run.year * 10 + (*position++ - '0');
  }
  if (position != field.end || position - year < 2) return false;
  if (position - year == 2) run.year += run.year >= 70 ? 1900 : 2000;
  run.hasYear = true;
  return true;
}

// The fields of a Tandem row, for rows whose code and size columns are wider
// or narrower than the fixed columns: the name, then a size just before a
// "dd-Mon-yy" date and a clock. False when the row has no such date.
bool ReadTandemFields(ListingEntry& entry, const char* line) {
  FieldList fields;
  SplitFields(line, fields);
  for (int index = 2; index < fields.count; ++index) {
    DateRun run;
    if (!ReadTandemDate(fields.items[index], run) || !IsAllDigits(fields.items[index - 1])) {
      continue;
    }
    if (index + 1 < fields.count) ReadClock(fields.items[index + 1], run);
    const Field& name = fields.items[0];
    SetName(entry, name.begin, static_cast<std::size_t>(name.end - name.begin));
    entry.size = SizeAt(fields.items[index - 1].begin);
    StoreDateRun(entry, run);
    return true;
  }
  return false;
}

void ParseTandemColumns(ListingEntry& entry, char* line) {
  FixedColumns row(line);
  entry.size = SizeAt(row.from(row.afterLastBlankAtOrBefore(33)));
  // A one-digit day leaves its tens column blank.
  if (row.blankAt(35)) line[35] = '0';
  entry.day = ToByte(NumberAt(row.from(35)));
  entry.month = ToByte(MonthFromInitials(row.from(38)));
  // A line without a year keeps the date unknown rather than inventing 2000.
  const char* yearText = row.from(42);
  while (*yearText == ' ') ++yearText;
  if (IsDigit(*yearText)) {
    const std::int32_t year = std::min(NumberAt(yearText), 9999);
    entry.year = ToYear(year + (year >= 70 ? 1900 : 2000));
  }
  ParseTime(entry, row.from(45));
  row.cut(10);
  TrimRight(line);
  SetName(entry, line);
}

}  // namespace

void ResetVosSection() { vosSection = VosSection::kNone; }

void ResetParserState() {
  ResetVosSection();
  ResetAs400Memory();
}

// The fixed columns first; a row they give no date for is read by its fields
// (read before the columns cut the line).
void ParseTandemLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (StartsWith(line, "File")) return;
  ListingEntry byFields{};
  byFields.mode = entry.mode;
  byFields.flags = entry.flags;
  const bool readByFields = ReadTandemFields(byFields, line);
  ParseTandemColumns(entry, line);
  if ((entry.month == 0 || entry.day == 0) && readByFields) entry = byFields;
}

void ParseASeriesLine(ListingEntry& entry, char* line, const ParseContext&) {
  const FixedColumns row(line);
  if (row.length() <= 30 || ContainsAny(line, {"Report for", " Octets"})) return;
  if (row.length() > 55 && row.digitAt(56)) {
    entry.size = SizeAt(row.from(row.afterLastBlankAtOrBefore(55)));
  }
  if (row.length() >= 70) {
    ParseDate(entry, row.from(58), 2);
    const char* colon = std::strchr(row.from(58), ':');
    if (colon != nullptr) ParseTime(entry, colon - 2);
  }
  const char* space = std::strchr(line, ' ');
  SetName(entry, line, space == nullptr ? row.length() : static_cast<std::size_t>(space - line));
}

void ParseCyberLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (line[0] != ' ') return;
  FixedColumns row(line);
  std::uint64_t size = 0;
  for (std::size_t p = 11; p <= 21; ++p) {
    if (row.digitAt(p)) size = SizeProduct(size, 10) + static_cast<std::uint64_t>(row.at(p) - '0');
  }
  entry.size = size;
  // The system shows no dates; every entry carries the same fixed one.
  entry.year = 1980;
  entry.month = 1;
  entry.day = 1;
  if (std::strlen(row.from(23)) >= 7) entry.kind = FERRIX_KIND_FOLDER;
  row.cut(10);
  TrimRight(line);
  SetName(entry, line);
}

void ParseGcosLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (std::strlen(line) <= 3) return;
  const bool isFolder = StartsWith(line, " d ");
  const bool isFile = StartsWith(line, " - ");
  if (!isFolder && !isFile) return;
  if (!NameByLastField(entry, line)) return;
  if (isFolder) entry.kind = FERRIX_KIND_FOLDER;
}

void ParseCp6Line(ListingEntry& entry, char* line, const ParseContext&) {
  const FixedColumns row(line);
  if (row.length() < 45 || row.at(2) == ':' || ContainsAny(line, {"t modified", "s listed"})) return;
  char* word = SkipBlanks(row.from(43));
  const char* space = std::strchr(word, ' ');
  SetName(entry, word, space == nullptr ? std::strlen(word) : static_cast<std::size_t>(space - word));
}

void ParseHvsOsLine(ListingEntry& entry, char* line, const ParseContext&) {
  const char* text = SkipBlanks(line);
  if (StartsWithAny(text, {"Directory:", "Time:", "Record CI", "Entry Nam", "*"})) return;
  const FixedColumns row(line);
  entry.kind = HasFolderMarker(row.from(13)) ? FERRIX_KIND_FOLDER : FERRIX_KIND_FILE_EXPLICIT;
  entry.size = SizeProduct(SizeAt(row.from(24)), SizeAt(row.from(33)));
  NameByWord(entry, line);
}

void ParseHvsAixLine(ListingEntry& entry, char* line, const ParseContext&) {
  const FixedColumns row(line);
  if (row.length() <= 50 || row.blankAt(11) || row.at(9) == '*' ||
      ContainsAny(line, {"Directory:", "Entry Name"})) {
    return;
  }
  if (StartsWithNoCase(row.from(25), "DIR")) {
    entry.kind = FERRIX_KIND_FOLDER;
  } else if (StartsWithNoCase(row.from(25), "LNK")) {
    entry.kind = FERRIX_KIND_LINK;
  }
  NameByWord(entry, row.from(11));
}

void ParseMpeLine(ListingEntry& entry, char* line, const ParseContext&) {
  const FixedColumns row(line);
  if (row.length() <= 60 || ContainsAny(line, {"PATH=", "SIZE  TY", "-------"})) return;
  if (row.digitAt(61) && row.blankAt(62)) {
    const char* space = std::strchr(line + 1, ' ');
    SetName(entry, line, space == nullptr ? row.length() : static_cast<std::size_t>(space - line));
  } else {
    SetName(entry, row.from(61));
  }
}

void ParseVosLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (SwitchVosSection(line) || std::strlen(line) <= 20 || vosSection == VosSection::kNone) return;
  if (!NameByLastField(entry, line)) return;
  const FixedColumns row(line);
  switch (vosSection) {
    case VosSection::kFiles:
      if (row.length() > 33) {
        ReadVosDate(entry, row, 21);
        entry.size = SizeAt(row.from(4));
      }
      break;
    case VosSection::kFolders:
      entry.kind = FERRIX_KIND_FOLDER;
      if (row.length() > 23) {
        ReadVosDate(entry, row, 11);
        entry.size = SizeAt(row.from(4));
      }
      break;
    case VosSection::kLinks:
      entry.kind = FERRIX_KIND_LINK;
      if (row.length() > 12) ReadVosDate(entry, row, 0);
      NameVosLink(entry, line);
      break;
    case VosSection::kNone:
      break;
  }
  ApplyCentury(entry);
}

// The PRIMOS listing layout is not known, so its lines give no entries and its
// folders show empty rather than with misread names.
void ParsePrimosLine(ListingEntry&, char*, const ParseContext&) {}

void ParseOs2200Line(ListingEntry& entry, char* line, const ParseContext&) {
  const FixedColumns row(line);
  if (row.length() <= 51) return;
  ParseDate(entry, row.from(36), 2);
  ParseTime(entry, row.from(48));
  if (row.length() > 57) entry.size = SizeAt(row.from(56));
  const char* type = row.from(32);
  if (StartsWith(type, "SYM")) {
    entry.kind = FERRIX_KIND_FILE_EXPLICIT;
  } else if (StartsWith(type, "REL") || StartsWith(type, "ABS")) {
    entry.kind = FERRIX_KIND_BINARY_ELEMENT;
  }
  char* first = SkipBlanks(line);
  std::string name(first, WordEnd(first));
  // An element is named file/element.
  if (!row.blankAt(16)) {
    char* element = row.from(16);
    name += '/';
    name.append(element, WordEnd(element));
  }
  SetName(entry, name.c_str());
}

void ParseAosVsLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (line[0] == ' ') return;
  const FixedColumns row(line);
  if (row.length() > 44) entry.size = SizeAt(row.from(44));
  const char* rest = NameByWord(entry, line);
  if (ContainsAny(rest, {" DIR ", " CPD ", " LDU "})) {
    entry.kind = FERRIX_KIND_FOLDER;
  } else if (std::strstr(rest, " LNK ") != nullptr) {
    entry.kind = FERRIX_KIND_LINK;
  }
  const char* dash = std::strchr(rest, '-');
  if (dash != nullptr) {
    const std::size_t at = row.offsetOf(dash);
    entry.day = ToByte(NumberAt(row.from(at < 2 ? 0 : at - 2)));
    entry.month = ToByte(MonthFromName(dash + 1));
    entry.year = ToYear(NumberAt(row.from(at + 5)));
  }
  const char* colon = std::strchr(rest, ':');
  if (colon != nullptr) {
    const std::size_t at = row.offsetOf(colon);
    ParseTime(entry, row.from(at < 2 ? 0 : at - 2));
  }
}

void ParseMusicLine(ListingEntry& entry, char* line, const ParseContext&) {
  const FixedColumns row(line);
  if (line[0] == ' ' || row.length() <= 60 || std::strchr(line, ' ') == nullptr) return;
  NameByWord(entry, line);
  entry.day = ToByte(NumberAt(row.from(45)));
  entry.month = ToByte(MonthFromName(row.from(47)));
  entry.year = ToYear(NumberAt(row.from(50)));
  entry.hour = ToByte(NumberAt(row.from(53)));
  entry.minute = ToByte(NumberAt(row.from(56)));
  entry.size = SizeProduct(SizeAt(row.from(30)), 1024);
}

}  // namespace ferrix::decoder
