#include "transfer/name_rules.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ascii_text.h"
#include "decoder/include/ferrixcore.h"

namespace ferrix::transfer {
namespace {

constexpr std::size_t kAsciiEntryLength = 9;
constexpr std::size_t kConversionLineLength = 79;
constexpr std::size_t kConversionDestinationLength = 20;
constexpr std::size_t kLongNameLimit = 150;
constexpr long kShortNameLimit = 12;
constexpr int kUniqueNameTries = 999;
constexpr char kEmptyNameReplacement[] = "aaremote";

using platform::equalsIgnoringCase;
using platform::lowerAscii;

// True when `name` is longer than `tail` and ends with it, ignoring case.
bool endsWithLongerNoCase(std::string_view name, std::string_view tail) {
  return name.size() > tail.size() && equalsIgnoringCase(name.substr(name.size() - tail.size()), tail);
}

std::string_view beforeVersion(std::string_view name) { return name.substr(0, name.find(';')); }

std::string_view withoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

// Entries of the ASCII name list, or nothing when the file cannot be read.
std::optional<std::vector<std::string>> readAsciiList(const std::filesystem::path& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::vector<std::string> entries;
  for (std::string line; std::getline(file, line);) {
    std::string_view entry = withoutLineEnd(line).substr(0, kAsciiEntryLength);
    if (entry.size() > 1) entries.emplace_back(entry);
  }
  return entries;
}

// What tells one version of a list file from another: a save in place
// changes the modification time or the size, a save by rename the inode.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modifiedSeconds = 0;
  long modifiedNanoseconds = 0;
  bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> stampOf(const std::filesystem::path& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileStamp{status.st_dev, status.st_ino, status.st_size, status.st_mtim.tv_sec,
                   status.st_mtim.tv_nsec};
}

using AsciiList = std::shared_ptr<const std::vector<std::string>>;

// The ASCII name list as last read, kept while its file is unchanged: the
// pane asks for every entry of a listing, and rereading the file each time
// dominated the decoding of large folders.
AsciiList asciiList(const std::filesystem::path& path) {
  struct Cached {
    std::filesystem::path path;
    FileStamp stamp;
    AsciiList entries;
  };
  static std::mutex mutex;
  static Cached cached;
  const std::optional<FileStamp> stamp = stampOf(path);
  if (!stamp) return nullptr;
  const std::lock_guard lock(mutex);
  if (cached.entries && cached.path == path && cached.stamp == *stamp) return cached.entries;
  std::optional<std::vector<std::string>> entries = readAsciiList(path);
  if (!entries) return nullptr;
  cached = {path, *stamp, std::make_shared<const std::vector<std::string>>(std::move(*entries))};
  return cached.entries;
}

struct Conversion {
  std::string source;
  std::string destination;
};

std::vector<Conversion> readConversionList(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::vector<Conversion> conversions;
  for (std::string line; std::getline(file, line);) {
    const std::string_view text = withoutLineEnd(line).substr(0, kConversionLineLength);
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    conversions.push_back({std::string(text.substr(0, equals)),
                           std::string(text.substr(equals + 1, kConversionDestinationLength))});
  }
  return conversions;
}

std::string_view afterLastSeparator(std::string_view name) {
  const std::size_t separator = name.find_last_of("/\\");
  return separator == std::string_view::npos ? name : name.substr(separator + 1);
}

void replaceForbiddenCharacters(std::string& name) {
  for (char& c : name) {
    switch (c) {
      case '*':
        c = '@';
        break;
      case '<':
        c = '{';
        break;
      case '>':
        c = '}';
        break;
      case '?':
        c = '$';
        break;
      case '|':
        c = '+';
        break;
      case '/':
        c = '_';
        break;
      default:
        break;
    }
  }
  // A server must not steer a download out of its folder or onto the folder itself.
  if (name.empty() || name == "." || name == "..") name = kEmptyNameReplacement;
}

// Trims, and folds each run of blanks into one blank.
std::string foldBlanks(std::string_view name) {
  std::string folded;
  for (char c : name) {
    if (c == ' ' && (folded.empty() || folded.back() == ' ')) continue;
    folded += c;
  }
  if (!folded.empty() && folded.back() == ' ') folded.pop_back();
  return folded;
}

struct ShortName {
  std::string base;
  std::string extension;
};

ShortName splitShortName(std::string_view name) {
  name = afterLastSeparator(name);
  while (!name.empty() && name.front() == '.') name.remove_prefix(1);
  ShortName parts;
  std::size_t position = 0;
  while (position < name.size() && parts.base.size() < 8 && name[position] != '.' &&
         name[position] != ' ') {
    parts.base += name[position] == ':' ? '_' : name[position];
    ++position;
  }
  std::size_t extension = name.find('.', position);
  if (extension == std::string_view::npos) extension = name.find(' ', position);
  if (extension == std::string_view::npos) return parts;
  while (extension < name.size() && (name[extension] == '.' || name[extension] == ' ')) {
    ++extension;
  }
  while (extension < name.size() && parts.extension.size() < 10 &&
         std::string_view(". ;").find(name[extension]) == std::string_view::npos) {
    parts.extension += name[extension++];
  }
  return parts;
}

std::string shortLocalName(const NameRuleSettings& settings, std::string_view remoteName,
                           int hostType, bool& extensionSplit) {
  std::string source(remoteName);
  if (hostType == FERRIX_HOST_TYPE_IBM_SPARTACUS_KNET) source = foldBlanks(remoteName);
  ShortName parts = splitShortName(source);
  extensionSplit = !parts.extension.empty();
  if (!extensionSplit) return parts.base;
  if (!ConvertTransferName(settings, parts.extension, NameDirection::kDownload)) {
    parts.extension.resize(std::min<std::size_t>(parts.extension.size(), 3));
  }
  return parts.base + "." + parts.extension;
}

bool fileExists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

std::string uniqueName(const std::string& name, bool extensionSplit,
                       const std::filesystem::path& folder) {
  const std::size_t dot = name.rfind('.');
  const bool hasExtension = extensionSplit || dot != std::string::npos;
  const std::string base = hasExtension ? name.substr(0, dot) : name;
  const std::string extension = hasExtension ? name.substr(dot + 1) : "";
  std::string candidate = name;
  char buffer[600];
  for (int tried = 0; fileExists(folder / candidate) && tried < kUniqueNameTries; ++tried) {
    const unsigned number = static_cast<unsigned>(tried);
    if (!hasExtension) {
      std::snprintf(buffer, sizeof buffer, "%s.%03u", base.c_str(), number);
    } else if (base.size() > 5) {
      std::snprintf(buffer, sizeof buffer, "%-5.5s%03u.%s", base.c_str(), number,
                    extension.c_str());
    } else {
      std::snprintf(buffer, sizeof buffer, "%s%03u.%s", base.c_str(), number, extension.c_str());
    }
    candidate = buffer;
  }
  return candidate;
}

}  // namespace

AsciiNameList AsciiNameList::load(const NameRuleSettings& settings) {
  AsciiNameList list;
  list.entries_ = asciiList(settings.asciiListPath);
  return list;
}

bool AsciiNameList::matches(std::string_view name) const {
  name = beforeVersion(name);
  if (!entries_) return endsWithLongerNoCase(name, ".TXT");
  return std::any_of(entries_->begin(), entries_->end(), [name](const std::string& entry) {
    return equalsIgnoringCase(name, entry) || endsWithLongerNoCase(name, entry);
  });
}

bool IsAsciiName(const NameRuleSettings& settings, std::string_view name) {
  return AsciiNameList::load(settings).matches(name);
}

bool ConvertTransferName(const NameRuleSettings& settings, std::string& name,
                         NameDirection direction) {
  if (direction == NameDirection::kUpload && settings.forceLowercase) {
    std::transform(name.begin(), name.end(), name.begin(), lowerAscii);
  }
  if (!settings.convertExtensions) return false;
  const std::size_t version = name.find(';');
  const std::string suffix = version == std::string::npos ? "" : name.substr(version);
  std::string stem = name.substr(0, version);
  bool converted = false;
  for (const Conversion& conversion : readConversionList(settings.conversionListPath)) {
    if (conversion.source.size() < 2) continue;
    if (equalsIgnoringCase(stem, conversion.source)) {
      stem = conversion.destination;
    } else if (endsWithLongerNoCase(stem, conversion.source)) {
      stem.replace(stem.size() - conversion.source.size(), conversion.source.size(),
                   conversion.destination);
    } else {
      continue;
    }
    converted = true;
    break;
  }
  if (!converted) return false;
  name = direction == NameDirection::kUpload ? stem + suffix : stem;
  return true;
}

std::string MakeLocalName(const NameRuleSettings& settings, std::string_view remoteName,
                          int hostType, const std::filesystem::path& localFolder,
                          long maxNameLength) {
  std::string name;
  bool extensionSplit = false;
  if (hostType == FERRIX_HOST_TYPE_OS2200) {
    name = remoteName;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == '/' || c == '\\'; }, '.');
    ConvertTransferName(settings, name, NameDirection::kDownload);
  } else if (maxNameLength > kShortNameLimit &&
             remoteName.size() < static_cast<std::size_t>(maxNameLength) &&
             remoteName.size() < kLongNameLimit) {
    name = afterLastSeparator(remoteName);
    if (hostType == FERRIX_HOST_TYPE_VMS_MULTINET || hostType == FERRIX_HOST_TYPE_VMS_UCX) {
      name = name.substr(0, name.rfind(';'));
    }
    ConvertTransferName(settings, name, NameDirection::kDownload);
  } else {
    name = shortLocalName(settings, remoteName, hostType, extensionSplit);
  }
  replaceForbiddenCharacters(name);
  if (!settings.receiveUnique) return name;
  return uniqueName(name, extensionSplit, localFolder);
}

}  // namespace ferrix::transfer
