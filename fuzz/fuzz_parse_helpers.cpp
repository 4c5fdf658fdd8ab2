// Runs every shared helper over arbitrary text, as the parsers of all host
// families call them on whatever a server sends. Byte 0 picks the date order
// and byte 1 the field numbers; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "decoder/parse_helpers.h"

namespace {

using namespace ferrix::decoder;

void CheckDate(const ListingEntry& entry) {
  if (entry.year > 2099 || entry.month > 12 || entry.day > 31) __builtin_trap();
}

void RunTextHelpers(std::string text, int field) {
  NumberAt(text.c_str());
  SizeAt(text.c_str());
  CountFields(text.c_str());
  HasFolderMarker(text.c_str());
  MonthFromName(text.c_str());
  MonthFromInitials(text.c_str());
  FindTextNoCase(text.c_str(), "type=");
  NextField(FieldAt(text.data(), field));
  NumberAt(FieldFromEnd(text.data(), field));
  char* last = LastField(text.data());
  if (last < text.data() || last > text.data() + text.size()) __builtin_trap();
}

void RunEntryHelpers(const std::string& text, int order, int field) {
  ListingEntry entry;
  std::memset(&entry, 0, sizeof entry);
  ParseDate(entry, text.c_str(), order);
  CheckDate(entry);
  ParseDayMonYear(entry, text.c_str());
  ParseTime(entry, text.c_str());
  ParseSizeWithCommas(entry, text.c_str());
  SetName(entry, text.c_str());
  if (std::strlen(entry.name) > 255) __builtin_trap();
  std::string line = text;
  FillDateSizeFromFields(entry, line.data(), field, field + 1, field + 2, field, field - 1,
                         order == 3 ? 6035 : 6010);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  int order = data[0] % 4;
  int field = data[1] % 16 - 2;
  std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  RunTextHelpers(text, field);
  RunEntryHelpers(text, order, field);
  return 0;
}
