// VMS directory listings (MultiNet and UCX servers) and the PDP-11 RSX-11M
// listings that share their layout: NAME.TYPE;VERSION, used/allocated blocks,
// dd-MMM-yyyy hh:mm:ss, owner and protection.
#include <cstdio>
#include <cstring>

#include "decoder/fixed_columns.h"
#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

using columns::IsBlank;
using columns::IsDigit;
using columns::SizeProduct;

constexpr std::uint64_t kVmsBlockSize = 512;
constexpr char kFolderSuffix[] = ".DIR";
constexpr std::size_t kFolderSuffixLength = sizeof(kFolderSuffix) - 1;

// Two characters before position, but never before the line's start.
const char* TwoBefore(const char* line, const char* position) {
  return position - line >= 2 ? position - 2 : line;
}

void ReadTime(ListingEntry& entry, const char* line, const char* version) {
  const char* colon = std::strchr(version, ':');
  if (colon != nullptr) ParseTime(entry, TwoBefore(line, colon));
}

// dd-MMM-yyyy; a one-digit day has a blank before it, which would hide it
// from the number reader when that blank is a tab.
void ReadDate(ListingEntry& entry, const char* line, const char* version) {
  const char* dash = std::strchr(version, '-');
  if (dash == nullptr) return;
  const char* start = TwoBefore(line, dash);
  if (dash - line >= 2 && IsBlank(*start)) start = dash - 1;
  if (!ParseDayMonYear(entry, start)) ParseDate(entry, start, 0);
}

// The used count of the used/allocated pair, in blocks of 512 bytes.
void ReadUsedBlocks(ListingEntry& entry, const char* line, const char* slash) {
  const char* used = slash;
  while (used > line && !IsBlank(used[-1])) --used;
  entry.size = SizeProduct(SizeAt(used), kVmsBlockSize);
}

// The text without a leading copy of the whole remote folder (USER:NOTES.TXT
// listed in USER: is NOTES.TXT). An empty folder is no prefix.
const char* WithoutFolderPrefix(const char* text, const char* remoteFolder) {
  std::size_t prefixLength = std::strlen(remoteFolder);
  if (prefixLength != 0 && std::strncmp(text, remoteFolder, prefixLength) == 0) {
    return text + prefixLength;
  }
  return text;
}

// NAME.DIR;1 is the folder NAME; RSX-11M names its UIC folders 001002.DIR
// as [001,002].
void NameFolder(ListingEntry& entry, char* line, std::size_t stemLength, bool rsxNames,
                const char* remoteFolder) {
  entry.kind = FERRIX_KIND_FOLDER;
  line[stemLength] = '\0';
  if (rsxNames) {
    const char* group = line + std::min<std::size_t>(3, stemLength);
    std::snprintf(entry.name, sizeof entry.name, "[%3.3s,%3.3s]", line, group);
    return;
  }
  SetName(entry, WithoutFolderPrefix(line, remoteFolder));
}

// A file keeps its ;version. Returns where the name ended in the line.
const char* NameFile(ListingEntry& entry, char* line, char* version, bool rsxNames,
                     const char* remoteFolder) {
  char* end = version + 1;
  while (IsDigit(*end)) ++end;
  char* blank = std::strpbrk(line, " \t");
  if (blank != nullptr && blank < end) end = blank;
  const char saved = *end;
  *end = '\0';
  SetName(entry, rsxNames ? line : WithoutFolderPrefix(line, remoteFolder));
  *end = saved;
  return end;
}

void ParseVmsEntry(ListingEntry& entry, char* line, const char* remoteFolder, bool rsxNames) {
  if (line[0] == ' ') return;
  char* version = std::strchr(line, ';');
  if (version == nullptr) return;

  ReadTime(entry, line, version);
  ReadDate(entry, line, version);
  const char* slash = std::strchr(version, '/');
  if (slash != nullptr) ReadUsedBlocks(entry, line, slash);

  const std::size_t stemLength = static_cast<std::size_t>(version - line);
  if (stemLength >= 5 &&
      std::strncmp(version - kFolderSuffixLength, kFolderSuffix, kFolderSuffixLength) == 0) {
    NameFolder(entry, line, stemLength - kFolderSuffixLength, rsxNames, remoteFolder);
    return;
  }

  const char* nameEnd = NameFile(entry, line, version, rsxNames, remoteFolder);
  // Some servers print a bare used count with no allocation beside it.
  if (entry.size == 0 && std::strchr(nameEnd, '/') == nullptr) {
    entry.size = SizeProduct(SizeAt(NextField(nameEnd)), kVmsBlockSize);
  }
}

}  // namespace

void ParseMultiNetLine(ListingEntry& entry, char* line, const ParseContext& context) {
  ParseVmsEntry(entry, line, context.remoteFolder, context.hostType == FERRIX_HOST_TYPE_PDP11_RSX11M);
}

void ParseUcxLine(ListingEntry& entry, char* line, const ParseContext& context) {
  if (std::strstr(line, ", file not found") != nullptr) return;
  ParseVmsEntry(entry, line, context.remoteFolder, false);
}

}  // namespace ferrix::decoder
