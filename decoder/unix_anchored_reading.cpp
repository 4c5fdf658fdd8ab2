#include "decoder/unix_anchored_reading.h"

#include <cstdint>
#include <cstring>

#include "decoder/date_run.h"
#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

struct Anchor {
  int dateField = 0;
  DateRun run;
  std::uint64_t size = 0;
};

bool EndsWithComma(const Field& field) { return field.end > field.begin && field.end[-1] == ','; }

// "1,3": a device's major and minor numbers written without a blank.
bool IsJoinedDeviceNumbers(const Field& field) {
  const char* comma = static_cast<const char*>(
      std::memchr(field.begin, ',', static_cast<std::size_t>(field.end - field.begin)));
  return comma != nullptr && IsAllDigits(Field{field.begin, comma}) &&
         IsAllDigits(Field{comma + 1, field.end});
}

// The size column just before the date: a size, or a device's "major, minor"
// (no size), or, only when allowed, digits that ran into the group name.
bool ReadSizeBefore(const FieldList& fields, int dateField, bool allowRunIn, std::uint64_t& size) {
  const Field& column = fields.items[dateField - 1];
  if (IsJoinedDeviceNumbers(column)) {
    size = 0;
    return true;
  }
  if (ReadSize(column, size)) {
    if (dateField >= 3 && EndsWithComma(fields.items[dateField - 2])) size = 0;
    return true;
  }
  return allowRunIn && ReadTrailingSize(column, size);
}

// The first date run after the permissions that has a size before it and a
// name after it.
bool FindAnchor(const FieldList& fields, bool allowRunIn, Anchor& anchor) {
  for (int first = 2; first + 1 < fields.count; ++first) {
    DateRun run;
    if (!ReadDateRun(fields, first, run) || first + run.fieldCount >= fields.count) continue;
    if (!ReadSizeBefore(fields, first, allowRunIn, anchor.size)) continue;
    anchor.dateField = first;
    anchor.run = run;
    return true;
  }
  return false;
}

// A switch, not a search of a string: every UNIX line asks ten times.
bool IsPermissionCharacter(char c) {
  switch (c) {
    case '-': case 'r': case 'w': case 'x': case 's': case 'S': case 't': case 'T': case 'l':
    case 'L':
      return true;
    default:
      return false;
  }
}

bool IsFileTypeCharacter(char c) {
  switch (c) {
    case '-': case 'd': case 'l': case 'c': case 'b': case 'p': case 's': case 'D':
      return true;
    default:
      return false;
  }
}

}  // namespace

bool StartsWithPermissions(const char* line) {
  if (!IsFileTypeCharacter(line[0])) return false;
  for (int i = 1; i <= 9; ++i) {
    if (!IsPermissionCharacter(line[i])) return false;
  }
  return true;
}

bool ReadUnixLineByDateRun(ListingEntry& entry, char* line) {
  FieldList fields;
  SplitFields(line, fields);
  Anchor anchor;
  // Digits run into the group only when no clean size column exists.
  if (!FindAnchor(fields, false, anchor) && !FindAnchor(fields, true, anchor)) return false;
  const Field& lastOfRun = fields.items[anchor.dateField + anchor.run.fieldCount - 1];
  // Exactly one blank separates the date from the name; further ones belong to the name.
  char* name = line + (lastOfRun.end - line) + 1;
  entry.size = anchor.size;
  StoreDateRun(entry, anchor.run);
  SplitUnixName(entry, line, name);
  if (line[0] == 'l') entry.kind = FERRIX_KIND_LINK;
  SetName(entry, name);
  return true;
}

}  // namespace ferrix::decoder
