// Parsers for UNIX-style long listings: permissions, links, owner, group,
// size, date and a name that runs to the end of the line.
#include <cstring>

#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"

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

bool ParseColumns(ListingEntry& entry, char* line, const UnixColumns& columns, int hostType) {
  char* namePos = FieldAt(line, columns.name);
  if (namePos == nullptr || *namePos == '\0') return false;
  SplitUnixName(entry, line, namePos);
  FillDateSizeFromFields(entry, line, columns.year, columns.month, columns.day, columns.time,
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

void ParseUnixLine(ListingEntry& entry, char* line, const ParseContext& context) {
  if (StartsWithTotal(line)) return;
  const char* fifth = FieldAt(line, 5);
  bool parsed;
  if (fifth != nullptr && IsDigit(*fifth)) {
    bool device = EndsWithComma(fifth);
    parsed = ParseColumns(entry, line, device ? kDeviceWithGroup : kWithGroup, context.hostType);
    if (parsed && device) entry.size = 0;
  } else {
    parsed = ParseColumns(entry, line, kWithoutGroup, context.hostType);
  }
  if (!parsed) ParseBareName(entry, line);
}

void ParseUniTreeLine(ListingEntry& entry, char* line, const ParseContext& context) {
  if (StartsWithTotal(line)) return;
  if (ParseColumns(entry, line, kUniTree, context.hostType)) return;
  char* name = LastField(line);
  if (*name == '\0') return;
  SplitUnixName(entry, line, name);
  SetName(entry, name);
}

}  // namespace ferrix::decoder
