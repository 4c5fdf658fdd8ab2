// IBM listings: VM (CMS), MVS data sets and members (plain and KNET servers),
// Spartacus KNET, AS/400 objects and members, and the R1000.
//
// The AS/400 parser remembers the date, time and size of the last object line
// for the member lines listed under it; that memory is process-wide, so the
// lines of one listing are decoded in order on one thread.
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "decoder/date_run.h"
#include "decoder/fixed_columns.h"
#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"
#include "decoder/parser_state.h"

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

// SetName without trailing blanks.
void SetTrimmedName(ListingEntry& entry, const char* begin, std::size_t length) {
  while (length > 0 && IsBlank(begin[length - 1])) --length;
  SetName(entry, begin, length);
}

// Three numbers with one separator between each ("12/25/97", "2003-12-25").
std::array<std::int32_t, 3> ReadThreeNumbers(const char* text) {
  std::array<std::int32_t, 3> numbers{};
  for (std::int32_t& number : numbers) {
    number = NumberAt(text);
    while (*text == ' ') ++text;
    if (*text == '-' || *text == '+') ++text;
    while (IsDigit(*text)) ++text;
    if (*text != '\0') ++text;
  }
  return numbers;
}

// ---- IBM VM ----

constexpr std::size_t kCmsNameColumns = 18;

// Layout A: mm/dd/yy hh:mm, a type letter at 22, the name from 48.
bool ParseVmDatedLine(ListingEntry& entry, const FixedColumns& row) {
  if (row.length() <= 48 || row.at(2) != '/' || row.at(5) != '/' || row.at(13) != ':') return false;
  entry.month = ToByte(NumberAt(row.from(0)));
  entry.day = ToByte(NumberAt(row.from(3)));
  entry.year = ToYear(NumberAt(row.from(6)));
  entry.hour = ToByte(NumberAt(row.from(11)));
  entry.minute = ToByte(NumberAt(row.from(14)));
  ApplyCentury(entry);

  const char type = row.at(22);
  if (type == 'D') {
    entry.kind = FERRIX_KIND_FOLDER;
  } else if ((type == 'E' && row.at(23) == '3') || (type == 'L' && row.blankAt(23))) {
    entry.kind = FERRIX_KIND_LINK;
  } else {
    entry.size = SizeProduct(SizeAt(row.from(23)), SizeAt(row.from(32)));
  }

  const char* name = row.from(48);
  if (*name == '\'') {
    ++name;
    std::size_t length = std::strlen(name);
    if (length > 0 && name[length - 1] == '\'') --length;
    SetName(entry, name, length);
  } else {
    SetName(entry, name);
  }
  return true;
}

// Date and time from 53: yyyy-mm-dd or mm/dd/yy, then hh:mm after a space.
void ReadCmsDate(ListingEntry& entry, const FixedColumns& row) {
  const char* date = SkipBlanks(row.from(53));
  const std::array<std::int32_t, 3> parts = ReadThreeNumbers(date);
  const bool yearFirst = std::strlen(date) > 4 && date[4] == '-';
  entry.year = ToYear(yearFirst ? parts[0] : parts[2]);
  entry.month = ToByte(yearFirst ? parts[1] : parts[0]);
  entry.day = ToByte(yearFirst ? parts[2] : parts[1]);
  const char* time = std::strchr(date, ' ');
  if (time != nullptr) {
    entry.hour = ToByte(NumberAt(time));
    const char* colon = std::strchr(time, ':');
    if (colon != nullptr) entry.minute = ToByte(NumberAt(colon + 1));
  }
  if (entry.year != 0) ApplyCentury(entry);
}

// "PROFILE  EXEC" in columns 0-17 becomes "PROFILE.EXEC".
std::string JoinCmsName(const FixedColumns& row) {
  std::string joined(row.begin(), std::min(row.length(), kCmsNameColumns));
  while (!joined.empty() && IsBlank(joined.back())) joined.pop_back();
  const std::size_t space = joined.find(' ');
  if (space != std::string::npos) {
    joined[space] = '.';
    const std::size_t next = joined.find_first_not_of(' ', space + 1);
    joined.erase(space + 1, (next == std::string::npos ? joined.size() : next) - space - 1);
  }
  return joined;
}

// Layout B: the CMS file list.
void ParseCmsLine(ListingEntry& entry, const FixedColumns& row, const char* remoteFolder) {
  if (IsBlank(row.at(0))) return;
  const bool isFolder = std::strstr(row.begin(), " DIR ") != nullptr;
  ReadCmsDate(entry, row);
  entry.size = SizeProduct(SizeAt(row.from(23)), SizeAt(row.from(31)));

  std::string joined = JoinCmsName(row);
  if (joined.empty()) return;
  const std::size_t prefixLength = std::strlen(remoteFolder);
  if (isFolder) {
    entry.kind = FERRIX_KIND_FOLDER;
    SetName(entry, joined.c_str());
  } else if (prefixLength != 0 && joined.starts_with(remoteFolder)) {
    // A name that fills all 18 columns may run on past them.
    if (joined.size() == kCmsNameColumns) {
      joined.assign(row.begin(), static_cast<std::size_t>(WordEnd(row.begin()) - row.begin()));
    }
    SetName(entry, joined.c_str() + prefixLength);
  } else if (joined[0] == '.' || static_cast<unsigned char>(joined[0]) < '!' ||
             static_cast<unsigned char>(joined[0]) >= 0x80) {
    std::string rest;
    for (char c : joined.substr(1)) {
      if (c != ' ') rest.push_back(c);
    }
    SetName(entry, rest.c_str());
  } else {
    SetName(entry, joined.c_str());
  }
}

// ---- IBM MVS ----

// A partitioned data set, which lists as a folder of members: record format
// PO, or PO-E for the extended (PDSE) form.
bool IsPartitioned(const char* text) {
  return std::strstr(text, " PO ") != nullptr || std::strstr(text, " PO-E ") != nullptr;
}

// 'PREFIX.DATA' gives PREFIX.DATA., the qualifiers that the listed names repeat.
std::string MvsPrefix(const char* remoteFolder) {
  if (std::strlen(remoteFolder) <= 1) return {};
  std::string prefix(remoteFolder[0] == '\'' ? remoteFolder + 1 : remoteFolder);
  prefix = prefix.substr(0, prefix.find('\''));
  if (!prefix.empty() && prefix.back() != '.') prefix.push_back('.');
  return prefix;
}

// Member statistics: name, version, created, changed date and time, size ...
void ParseMvsMemberLine(ListingEntry& entry, char* line) {
  char* rest = WordEnd(SkipBlanks(line));
  if (FindText(rest, "MIGRAT") != nullptr) return;
  NameByWord(entry, line);
  if (IsPartitioned(rest)) entry.kind = FERRIX_KIND_FOLDER;
  char* colon = std::strrchr(rest, ':');
  if (colon == nullptr || colon - line < 11 || !IsDigit(colon[-11])) return;
  ParseDate(entry, colon - 11, 1);
  ParseTime(entry, colon - 2);
  if (colon[1] != '\0' && colon[2] != '\0') entry.size = SizeAt(SkipBlanks(colon + 3));
}

// MVS names cannot hold blanks, so the 9-character name field loses its padding.
void NameByFirstNine(ListingEntry& entry, const FixedColumns& row) {
  SetTrimmedName(entry, row.begin(), std::min<std::size_t>(9, row.length()));
}

void ParseMvsDataSetLine(ListingEntry& entry, const FixedColumns& row) {
  const bool partitioned = IsPartitioned(row.begin());
  if (!partitioned && row.blankAt(9) && row.digitAt(10)) {
    NameByFirstNine(entry, row);
    return;
  }
  if (row.digitAt(14)) {
    ParseDate(entry, row.from(14), 2);
    if (entry.year == 0) ParseDate(entry, row.from(14), 1);
  }
  SetName(entry, SkipBlanks(row.from(row.at(21) == '/' ? 56 : 54)));
  if (partitioned) entry.kind = FERRIX_KIND_FOLDER;
}

void ParseMvsShortLine(ListingEntry& entry, const FixedColumns& row) {
  if (!IsBlank(row.at(0)) && row.at(0) != '\0' && (row.blankAt(9) || row.at(9) == '\0')) {
    NameByFirstNine(entry, row);
  } else if (std::strchr(row.begin(), ' ') == nullptr) {
    SetName(entry, row.begin());
  }
}

// ---- IBM AS/400 ----

struct As400Memory {
  std::uint16_t year = 0;
  std::uint8_t month = 0;
  std::uint8_t day = 0;
  std::uint8_t hour = 0;
  std::uint8_t minute = 0;
  std::uint64_t size = 0;
};

As400Memory as400Memory;

bool IsAs400FolderType(const char* type) {
  return StartsWith(type, "DIR") || StartsWith(type, "DDI") || StartsWith(type, "LIB") ||
         StartsWith(type, "FLR");
}

// The word that ends before position (blanks before position skipped), copied
// so that the date and time readers stop at its end; empty when none.
std::string WordBefore(const char* line, const char*& position) {
  const char* end = position;
  while (end > line && IsBlank(end[-1])) --end;
  const char* begin = end;
  while (begin > line && !IsBlank(begin[-1])) --begin;
  position = begin;
  return std::string(begin, end);
}

// Year first as the rule reads it ("06/03/21"); when that gives no month or
// day, the job's other date formats: "21.03.06", "21/03/06", "21.03.2006".
void ReadAs400Date(ListingEntry& entry, const char* text) {
  ParseDate(entry, text, 1);
  if (entry.month != 0 && entry.day != 0) return;
  FieldList fields;
  SplitFields(text, fields);
  DateRun run;
  if (fields.count > 0 && ReadNumericDate(fields.items[0], run) && run.hasYear) {
    entry.year = static_cast<std::uint16_t>(run.year);
    entry.month = static_cast<std::uint8_t>(run.month);
    entry.day = static_cast<std::uint8_t>(run.day);
  }
}

// Size, date and time stand right to left before the *TYPE column.
void ReadAs400ObjectStatistics(ListingEntry& entry, const char* line, const char* star) {
  const char* position = star;
  const std::string time = WordBefore(line, position);
  const std::string date = WordBefore(line, position);
  const std::string size = WordBefore(line, position);
  ParseTime(entry, time.c_str());
  ReadAs400Date(entry, date.c_str());
  entry.size = SizeAt(size.c_str());
  as400Memory = {entry.year, entry.month, entry.day, entry.hour, entry.minute, entry.size};
}

void RecallAs400Statistics(ListingEntry& entry) {
  entry.year = as400Memory.year;
  entry.month = as400Memory.month;
  entry.day = as400Memory.day;
  entry.hour = as400Memory.hour;
  entry.minute = as400Memory.minute;
  entry.size = as400Memory.size;
}

bool EndsWithFileObject(const std::string& text) {
  constexpr std::string_view kFile = ".FILE";
  return text.size() > kFile.size() &&
         StartsWithNoCase(text.c_str() + text.size() - kFile.size(), kFile.data());
}

// LIB/FILE.MBR names the member FILE.MBR; a library listed as QGPL/ is QGPL.
// A member listed as FILE.FILE/MEMBER.MBR keeps that whole path, which is how
// the server names it again. The name runs to the end of the line, so names
// with blanks stay whole.
void NameAs400Object(ListingEntry& entry, char* afterType) {
  char* word = SkipBlanks(afterType);
  std::size_t length = std::strlen(word);
  if (length > 0 && word[length - 1] == '/') --length;
  std::string name(word, length);
  const std::size_t slash = name.rfind('/');
  if (slash != std::string::npos && !EndsWithFileObject(name.substr(0, slash))) {
    name.erase(0, slash + 1);
  }
  SetName(entry, name.c_str());
}

void ParseAs400ObjectLine(ListingEntry& entry, char* line, char* star) {
  const char* type = star + 1;
  if (IsAs400FolderType(type)) entry.kind = FERRIX_KIND_FOLDER;
  if (StartsWith(type, "MEM")) {
    RecallAs400Statistics(entry);
  } else {
    ReadAs400ObjectStatistics(entry, line, star);
  }
  NameAs400Object(entry, WordEnd(star + 1));
}

bool ParseAs400ColumnLine(ListingEntry& entry, const FixedColumns& row) {
  const bool wideDate = row.at(26) == '/';
  const char* type = row.from(wideDate ? 43 : 41);
  if (StartsWith(type, "MEM")) return false;
  if (IsAs400FolderType(type)) entry.kind = FERRIX_KIND_FOLDER;
  ReadAs400Date(entry, row.from(wideDate ? 24 : 22));
  ParseTime(entry, row.from(wideDate ? 33 : 31));
  SetName(entry, row.from(wideDate ? 53 : 51));
  return true;
}

}  // namespace

void ResetAs400Memory() { as400Memory = {}; }

void ParseVmLine(ListingEntry& entry, char* line, const ParseContext& context) {
  const FixedColumns row(line);
  if (!ParseVmDatedLine(entry, row)) ParseCmsLine(entry, row, context.remoteFolder);
}

void ParseMvsLine(ListingEntry& entry, char* line, const ParseContext& context) {
  const FixedColumns row(line);
  if (row.length() > 50 && !IsBlank(row.at(6)) && !StartsWithNoCase(line, "Migrated")) {
    ParseMvsMemberLine(entry, line);
  } else if (row.length() < 55 || std::strstr(line, "Not Direct Acc") != nullptr ||
             std::strstr(line, " VSAM ") != nullptr || std::strstr(line, "Lrecl") != nullptr ||
             IsBlank(row.at(0))) {
    ParseMvsShortLine(entry, row);
  } else {
    ParseMvsDataSetLine(entry, row);
  }

  const std::string prefix = MvsPrefix(context.remoteFolder);
  if (!prefix.empty() && StartsWith(entry.name, prefix.c_str())) {
    std::memmove(entry.name, entry.name + prefix.size(), std::strlen(entry.name) - prefix.size() + 1);
  }
}

void ParseKnetMvsLine(ListingEntry& entry, char* line, const ParseContext& context) {
  if (std::strstr(line, "Migrated") != nullptr) return;
  char* rest = NameByWord(entry, line);
  if (IsPartitioned(rest)) entry.kind = FERRIX_KIND_FOLDER;
  // A KNET server repeats the user's own high-level qualifier before each name.
  const std::size_t userLength = std::strlen(context.userName);
  if (userLength != 0 && StartsWithNoCase(entry.name, context.userName) &&
      entry.name[userLength] == '.') {
    std::memmove(entry.name, entry.name + userLength + 1, std::strlen(entry.name) - userLength);
  }
}

void ParseSpartacusLine(ListingEntry& entry, char* line, const ParseContext&) {
  if (std::strstr(line, "Migrated") != nullptr) return;
  const FixedColumns row(line);
  const char* end = row.from(23);
  while (end > row.begin() && IsBlank(end[-1])) --end;
  // Name words stand in separate columns; each gap between them is one '.'.
  std::string name;
  for (const char* c = row.begin(); c < end; ++c) {
    if (*c != ' ') {
      name.push_back(*c);
    } else if (c == row.begin() || c[-1] != ' ') {
      name.push_back('.');
    }
  }
  if (name.size() <= 1) return;
  SetName(entry, name.c_str());

  if (row.digitAt(57)) ParseDate(entry, row.from(57), 2);
  entry.hour = ToByte(NumberAt(row.from(67)));
  entry.minute = ToByte(NumberAt(row.from(70)));
  entry.second = ToByte(NumberAt(row.from(73)));
  entry.size = SizeProduct(SizeAt(row.from(33)), SizeAt(row.from(27)));
}

void ParseAs400Line(ListingEntry& entry, char* line, const ParseContext&) {
  const FixedColumns row(line);
  if (row.length() <= 51) return;
  char* star = std::strchr(row.from(16), '*');
  if (star != nullptr) {
    ParseAs400ObjectLine(entry, line, star);
  } else if (!ParseAs400ColumnLine(entry, row)) {
    return;
  }
  if (!row.blankAt(20)) entry.size = SizeAt(row.from(row.afterLastBlankAtOrBefore(19)));
  if (entry.name[0] != '\0') as400Memory.size = entry.size;
}

void ParseR1000Line(ListingEntry& entry, char* line, const ParseContext&) {
  const char* rest = SkipBlanks(WordEnd(SkipBlanks(line)));
  if (std::strstr(rest, "SESSION") != nullptr) return;
  NameByWord(entry, line);
  if (std::strstr(rest, "DIRECTORY") != nullptr || std::strstr(rest, "WORLD") != nullptr) {
    entry.kind = FERRIX_KIND_FOLDER;
  }
}

}  // namespace ferrix::decoder
