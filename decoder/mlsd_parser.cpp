// The MLSD parser: machine-readable fact lists, "fact=value;...; name".
//
// Facts are looked for only at the start of a fact and before the space that
// starts the name, so neither a name such as "size=1" nor a fact such as
// "media-type=" is taken for another fact.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <strings.h>

#include "decoder/fixed_columns.h"
#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

using columns::StartsWithNoCase;

// Where each fact this parser reads starts (its first occurrence), nullptr
// for the facts the line lacks.
struct Facts {
  const char* type = nullptr;
  const char* modify = nullptr;
  const char* size = nullptr;
  const char* unixMode = nullptr;
};

void TakeFirst(const char*& found, const char* fact, const char* name) {
  if (found == nullptr && StartsWithNoCase(fact, name)) found = fact;
}

// One pass over the fact starts (the line's start and each character after a
// ';') before the name.
Facts FindFacts(const char* line, const char* nameStart) {
  Facts facts;
  const char* fact = line;
  while (fact < nameStart) {
    TakeFirst(facts.type, fact, "type=");
    TakeFirst(facts.modify, fact, "modify=");
    TakeFirst(facts.size, fact, "size=");
    TakeFirst(facts.unixMode, fact, "UNIX.mode=");
    const void* semicolon = std::memchr(fact, ';', static_cast<std::size_t>(nameStart - fact));
    if (semicolon == nullptr) break;
    fact = static_cast<const char*>(semicolon) + 1;
  }
  return facts;
}

// Up to count digits as a number; stops at the first non-digit.
int DigitsAt(const char* text, std::size_t count) {
  int value = 0;
  for (std::size_t i = 0; i < count && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool ValueIs(const char* value, std::size_t length, const char* expected) {
  return length == std::strlen(expected) && strncasecmp(value, expected, length) == 0;
}

void ReadType(ListingEntry& entry, const char* fact) {
  constexpr std::size_t kFactLength = 5;  // "type="
  if (std::strlen(fact) < kFactLength + 2) return;
  const char* value = fact + kFactLength;
  const char* end = std::strchr(value, ';');
  if (end == nullptr) end = std::strchr(value, ' ');
  if (end == nullptr) end = value + std::strlen(value);
  std::size_t length = static_cast<std::size_t>(end - value);
  if (ValueIs(value, length, "dir")) {
    entry.kind = FERRIX_KIND_FOLDER;
  } else if (ValueIs(value, length, "cdir")) {
    entry.kind = FERRIX_KIND_FOLDER;
    SetName(entry, ".");
  } else if (ValueIs(value, length, "pdir")) {
    entry.kind = FERRIX_KIND_FOLDER;
    SetName(entry, "..");
  } else if (StartsWithNoCase(value, "OS.unix=slink") ||
             StartsWithNoCase(value, "OS.unix=symlink")) {
    entry.kind = FERRIX_KIND_LINK;
  } else if (ValueIs(value, length, "file")) {
    entry.kind = FERRIX_KIND_FILE_EXPLICIT;
  }
}

// "modify=YYYYMMDDHHMMSS[.sss]", taken as the server gives it (no time zone).
void ReadModify(ListingEntry& entry, const char* fact) {
  constexpr std::size_t kFactLength = 7;  // "modify="
  constexpr std::size_t kStampLength = 17;
  if (std::strlen(fact) <= 21) return;
  char stamp[kStampLength + 1];
  std::strncpy(stamp, fact + kFactLength, kStampLength);
  stamp[kStampLength] = '\0';
  stamp[std::strcspn(stamp, "; ")] = '\0';
  if (std::strlen(stamp) <= 13) return;
  entry.year = static_cast<std::uint16_t>(DigitsAt(stamp, 4));
  entry.month = static_cast<std::uint8_t>(DigitsAt(stamp + 4, 2));
  entry.day = static_cast<std::uint8_t>(DigitsAt(stamp + 6, 2));
  entry.hour = static_cast<std::uint8_t>(DigitsAt(stamp + 8, 2));
  entry.minute = static_cast<std::uint8_t>(DigitsAt(stamp + 10, 2));
  entry.second = static_cast<std::uint8_t>(DigitsAt(stamp + 12, 2));
}

// "UNIX.mode=0755" (or with the special bits, "04755"): the permission bits.
void ReadUnixMode(ListingEntry& entry, const char* fact) {
  constexpr std::size_t kFactLength = 10;  // "UNIX.mode="
  unsigned mode = 0;
  std::size_t digits = 0;
  for (const char* c = fact + kFactLength; *c >= '0' && *c <= '7'; ++c, ++digits) {
    mode = (mode << 3) | static_cast<unsigned>(*c - '0');
    if (digits == 6) return;
  }
  if (digits < 3) return;
  entry.mode = static_cast<std::uint16_t>(mode & 0777u);
  entry.flags |= FERRIX_FLAG_MODE_VALID;
}

// The blank that ends the facts. Usually the line's first space; when that
// space sits inside a fact's value, the first blank after a ';'.
const char* FactsEnd(const char* line) {
  const char* blank = std::strpbrk(line, " \t");
  if (blank == nullptr || blank == line || blank[-1] == ';') return blank;
  for (const char* c = blank; *c != '\0'; ++c) {
    if (*c == ';' && (c[1] == ' ' || c[1] == '\t')) return c + 1;
  }
  return std::strchr(line, ' ');
}

}  // namespace

void ParseMlsdLine(ListingEntry& entry, char* line, const ParseContext&) {
  const char* space = FactsEnd(line);
  // A name of blanks alone is padding, not a name.
  if (space == nullptr || space[1 + std::strspn(space + 1, " \t")] == '\0') return;
  SetName(entry, space + 1);
  const Facts facts = FindFacts(line, space);
  if (facts.type != nullptr) ReadType(entry, facts.type);
  if (facts.modify != nullptr) ReadModify(entry, facts.modify);
  if (facts.size != nullptr) entry.size = SizeAt(facts.size + 5);
  if (facts.unixMode != nullptr) ReadUnixMode(entry, facts.unixMode);
}

}  // namespace ferrix::decoder
