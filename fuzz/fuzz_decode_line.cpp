// Feeds arbitrary lines to the decoder for every host type and a few values
// outside the table, one line at a time and as a whole listing through the
// folder-list export, and checks the bounds every entry must keep.
//
// Input: byte 0 picks the host type, byte 1 the length of the remote folder
// text and byte 2 that of the user name, which follow; the rest is the listing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "decoder/include/ferrixcore.h"

namespace {

constexpr int32_t kOutsideValues[] = {0, -1, 7000, 6060, 5999, INT32_MIN, INT32_MAX, 59};

int32_t HostTypeFrom(std::uint8_t selector) {
  if (selector < FERRIX_HOST_TYPE_COUNT) return FERRIX_HOST_TYPE_FIRST + selector;
  return kOutsideValues[selector % std::size(kOutsideValues)];
}

std::string Take(const std::uint8_t*& data, std::size_t& size, std::size_t wanted) {
  std::size_t taken = wanted < size ? wanted : size;
  std::string text(reinterpret_cast<const char*>(data), taken);
  data += taken;
  size -= taken;
  return text;
}

void CheckEntry(const ListingEntry& entry, int32_t length) {
  std::size_t nameLength = strnlen(entry.name, sizeof entry.name);
  if (nameLength >= sizeof entry.name || static_cast<std::size_t>(length) != nameLength) {
    __builtin_trap();
  }
  if (entry.year > 2038 || entry.month > 12 || entry.day > 31) __builtin_trap();
}

void DecodeEachLine(const std::string& listing, int32_t hostType, const std::string& folder,
                    const std::string& user) {
  std::size_t start = 0;
  while (start <= listing.size()) {
    std::size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    std::string line = listing.substr(start, end - start);
    ListingEntry entry;
    CheckEntry(entry, FERRIX_DecodeLine(&entry, line.c_str(), hostType, folder.c_str(),
                                        user.c_str()));
    start = end + 1;
  }
}

void ParseListing(const std::string& listing, int32_t hostType, const std::string& folder,
                  const std::string& user) {
  FerrixConnection connection = {hostType, user.c_str(), 0, 0};
  FerrixFolderList list = {folder.c_str(), nullptr, 0, 0, 0};
  std::size_t start = 0;
  while (start <= listing.size()) {
    std::size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    std::string line = listing.substr(start, end - start + (end < listing.size() ? 1 : 0));
    FerrixListNode node;
    int32_t length = FERRIX_ParseLine(&connection, &list, &node, line.c_str());
    if (static_cast<std::size_t>(length) != strnlen(node.name, sizeof node.name)) __builtin_trap();
    start = end + 1;
  }
  for (const FerrixListNode* node = list.head; node != nullptr; node = node->next) {
    if (strnlen(node->name, sizeof node->name) > 8) __builtin_trap();
  }
  FERRIX_FreeFolderNodes(&list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  int32_t hostType = HostTypeFrom(data[0]);
  std::size_t folderLength = data[1] & 0x3f;
  std::size_t userLength = data[2] & 0x1f;
  data += 3;
  size -= 3;
  std::string folder = Take(data, size, folderLength);
  std::string user = Take(data, size, userLength);
  std::string listing = Take(data, size, size);
  DecodeEachLine(listing, hostType, folder, user);
  ParseListing(listing, hostType, folder, user);
  return 0;
}
