// Parsers for UNIX-style long listings: permissions, links, owner, group,
// size, date and a name that runs to the end of the line.
#include <algorithm>
#include <cstring>

#include "decoder/date_run.h"
#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"
#include "decoder/unix_anchored_reading.h"

namespace ferrix::decoder {
namespace {

// Field numbers, counted from 1, of one column layout.
struct UnixColumns {
  int name;
  int year;
  int month;
  int day;
  int time;
  int size;
};

constexpr UnixColumns kWithGroup{9, 8, 6, 7, 8, 5};
constexpr UnixColumns kWithoutGroup{8, 7, 5, 6, 7, 4};
// A device file shows "major, minor" in place of its size, one column more.
constexpr UnixColumns kDeviceWithGroup{10, 9, 7, 8, 9, 5};
constexpr UnixColumns kUniTree{11, 10, 8, 9, 10, 7};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithTotal(const char* line) {
  static constexpr char kTotal[] = "total";
  for (std::size_t i = 0; kTotal[i] != '\0'; ++i) {
    char c = line[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kTotal[i]) return false;
  }
  return true;
}

bool EndsWithComma(const char* field) {
  const char* end = field;
  while (*end != '\0' && *end != ' ') ++end;
  return end > field && end[-1] == ',';
}

bool EndsWithSlash(const char* name) {
  std::size_t length = std::strlen(name);
  return length > 0 && (name[length - 1] == '/' || name[length - 1] == '\\');
}

// Cuts a link's name before " -> target"; true when there was one.
bool CutLinkTarget(char* name) {
  char* arrow = FindText(name, " ->");
  if (arrow == nullptr) return false;
  *arrow = '\0';
  return true;
}

// Room for the whole work line.
constexpr std::size_t kLineCopySize = 512;

// Enough fields for every layout of a UNIX line, found once per line.
constexpr int kUnixFieldsRead = 10;

bool ParseColumns(ListingEntry& entry, char* line, FieldStarts& fields, const UnixColumns& columns,
                  int hostType) {
  char* namePos = fields[columns.name];
  if (namePos == nullptr || *namePos == '\0') return false;
  SplitUnixName(entry, line, namePos);
  fields.endBefore(columns.name);
  FillDateSizeFromFields(entry, fields, columns.year, columns.month, columns.day, columns.time,
                         columns.size, hostType);
  SetName(entry, namePos);
  return true;
}

// A line that is only a name, as some servers send for LIST.
void ParseBareName(ListingEntry& entry, char* line) {
  char* name = LastField(line);
  if (*name == '\0') return;
  if (line[0] == 'd' || line[0] == 'D' || HasFolderMarker(line)) entry.kind = FERRIX_KIND_FOLDER;
  SetName(entry, name);
}

// The column rule: owner and group columns when field 5 is a number, else
// no group column; a bare name when the name field is missing. Returns the
// layout it read, nullptr for the bare-name reading.
const UnixColumns* ParseByFieldCounts(ListingEntry& entry, char* line, FieldStarts& fields,
                                      int hostType) {
  const char* fifth = fields[5];
  if (fifth != nullptr && IsDigit(*fifth)) {
    const bool device = EndsWithComma(fifth);
    const UnixColumns& columns = device ? kDeviceWithGroup : kWithGroup;
    if (ParseColumns(entry, line, fields, columns, hostType)) {
      if (device) entry.size = 0;
      return &columns;
    }
  } else if (ParseColumns(entry, line, fields, kWithoutGroup, hostType)) {
    return &kWithoutGroup;
  }
  ParseBareName(entry, line);
  return nullptr;
}

// The field up to its first blank.
Field FirstWord(const char* text) {
  const char* end = text;
  while (*end != '\0' && *end != ' ' && *end != '\t') ++end;
  return Field{text, end};
}

bool HasSeconds(const char* timeField) {
  const Field field = FirstWord(timeField);
  return std::count(field.begin, field.end, ':') >= 2;
}

// A name that starts with a time or a full numeric date took in what should
// have been the date.
bool NameStartsWithDate(const char* name) {
  DateRun run;
  const Field word = FirstWord(name);
  return ReadClock(word, run) || (ReadNumericDate(word, run) && run.hasYear);
}

// Whether the column rule's reading of a permissions line can stand: a real
// month and day, a clock below 24:00, plain digits in the size column, no seconds
// that the rule would drop, and a name that is not the tail of the date.
// The size and time columns end before the name, so the fields of the line
// as the reading left it serve.
bool ColumnReadingHolds(const ListingEntry& entry, const FieldStarts& fields,
                        const UnixColumns& columns) {
  if (entry.month < 1 || entry.month > 12 || entry.day < 1 || entry.day > 31 || entry.hour > 23) {
    return false;
  }
  const char* size = fields[columns.size];
  if (size == nullptr || !IsDigit(*size)) return false;
  // "12.5k", "1,3" (device numbers without a blank) and the like are read by
  // the anchored reading; the device layout's "1," is its own.
  if (&columns != &kDeviceWithGroup && !IsAllDigits(FirstWord(size))) return false;
  const char* time = fields[columns.time];
  if (time != nullptr && HasSeconds(time)) return false;
  return !NameStartsWithDate(entry.name);
}

void CopyLine(char (&copy)[kLineCopySize], const char* line) {
  const std::size_t length = std::strlen(line);
  const std::size_t kept = length < kLineCopySize - 1 ? length : kLineCopySize - 1;
  std::memcpy(copy, line, kept);
  copy[kept] = '\0';
}

}  // namespace

void SplitUnixName(ListingEntry& entry, char* line, char* namePos) {
  bool folder = line[0] == 'd' || line[0] == 'D';
  if (namePos > line) {
    namePos[-1] = '\0';
    // Only the columns count: a file named "old dir list" is still a file.
    folder = folder || HasFolderMarker(line);
  }
  if (folder) {
    if (EndsWithSlash(namePos)) namePos[std::strlen(namePos) - 1] = '\0';
    entry.kind = CutLinkTarget(namePos) ? FERRIX_KIND_LINK : FERRIX_KIND_FOLDER;
  } else if (CutLinkTarget(namePos)) {
    entry.kind = FERRIX_KIND_LINK;
  }
}

// The column rule first; on a permissions line whose reading cannot stand,
// the reading anchored on the size-and-date run, when the line has one.
void ParseUnixLine(ListingEntry& entry, char* line, const ParseContext& context) {
  if (StartsWithTotal(line)) return;
  FieldStarts fields(line, kUnixFieldsRead);
  if (!StartsWithPermissions(line)) {
    ParseByFieldCounts(entry, line, fields, context.hostType);
    return;
  }
  char original[kLineCopySize];
  CopyLine(original, line);
  const UnixColumns* columns = ParseByFieldCounts(entry, line, fields, context.hostType);
  if (columns != nullptr && ColumnReadingHolds(entry, fields, *columns)) {
    if (original[0] == 'l') entry.kind = FERRIX_KIND_LINK;
    return;
  }
  ListingEntry anchored{};
  anchored.mode = entry.mode;
  anchored.flags = entry.flags;
  if (ReadUnixLineByDateRun(anchored, original)) entry = anchored;
}

void ParseUniTreeLine(ListingEntry& entry, char* line, const ParseContext& context) {
  if (StartsWithTotal(line)) return;
  FieldStarts fields(line, kUniTree.name);
  if (ParseColumns(entry, line, fields, kUniTree, context.hostType)) return;
  char* name = LastField(line);
  if (*name == '\0') return;
  SplitUnixName(entry, line, name);
  SetName(entry, name);
}

}  // namespace ferrix::decoder
