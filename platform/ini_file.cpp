#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "platform/ascii_text.h"
#include "platform/paths.h"

namespace ferrix::platform {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::string_view trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::string withoutQuotes(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::optional<std::int32_t> leadingInteger(std::string_view text) {
  bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  std::uint32_t number = 0;
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    number = number * 10u + static_cast<std::uint32_t>(text[digits] - '0');
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (negative) number = 0u - number;
  return static_cast<std::int32_t>(number);
}

bool holdsLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool isValidSectionName(std::string_view name) {
  return !name.empty() && !holdsLineBreakOrNul(name) && name.find(']') == std::string_view::npos;
}

bool isValidKey(std::string_view key) {
  return !key.empty() && key.front() != ';' && key.front() != '[' && !holdsLineBreakOrNul(key) &&
         key.find('=') == std::string_view::npos;
}

// Anything that cannot be read (no permission, a folder) reads as empty.
std::string readWholeFile(const std::string& path) {
  int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return {};
  std::string content;
  char buffer[8192];
  for (;;) {
    ssize_t count = read(descriptor, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) content.clear();
    if (count <= 0) break;
    content.append(buffer, static_cast<std::size_t>(count));
  }
  close(descriptor);
  return content;
}

// Creates the missing folders of `folder`; new ones are private to the owner
// because the configuration folder holds encoded passwords.
bool makeFolders(const std::string& folder) {
  struct stat status {};
  if (stat(folder.c_str(), &status) == 0) return S_ISDIR(status.st_mode);
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    std::string prefix = folder.substr(0, slash);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  return stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool writeAll(int descriptor, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    ssize_t written = write(descriptor, content.data() + done, content.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

// Writing through a symbolic link updates the file it points to and leaves
// the link in place.
std::string resolvedTarget(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

void syncFolder(const std::string& folder) {
  int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  fsync(descriptor);
  close(descriptor);
}

// Replaces the file's content so that a crash leaves either the old or the
// new file, never a mixture: temporary file beside it, fsync, rename.
bool replaceFile(const std::string& path, const std::string& content) {
  std::string target = resolvedTarget(path);
  std::size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "."
                       : slash == 0               ? "/"
                                                  : target.substr(0, slash);
  std::string baseName = slash == std::string::npos ? target : target.substr(slash + 1);
  if (!makeFolders(folder)) return false;

  struct stat existing {};
  bool exists = stat(target.c_str(), &existing) == 0;
  std::string pattern = joinPath(folder, "." + baseName + ".XXXXXX");
  std::vector<char> temporary(pattern.begin(), pattern.end());
  temporary.push_back('\0');
  // mkstemp creates the file with mode 0600: right for a new INI file.
  int descriptor = mkstemp(temporary.data());
  if (descriptor < 0) return false;
  bool written = writeAll(descriptor, content) &&
                 (!exists || fchmod(descriptor, existing.st_mode & 07777) == 0) &&
                 fsync(descriptor) == 0;
  written = close(descriptor) == 0 && written;
  if (!written || rename(temporary.data(), target.c_str()) != 0) {
    unlink(temporary.data());
    return false;
  }
  syncFolder(folder);
  return true;
}

}  // namespace

bool IniFile::DiskState::operator==(const DiskState& other) const {
  return exists == other.exists && device == other.device && inode == other.inode &&
         size == other.size && modified.tv_sec == other.modified.tv_sec &&
         modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec &&
         changed.tv_nsec == other.changed.tv_nsec;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) {
  const MutexLock lock(mutex_);
  refresh();
  const Line* line = findKeyLine(trim(section), trim(key));
  if (line == nullptr) return std::nullopt;
  return withoutQuotes(line->value);
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view fallback) {
  std::optional<std::string> value = find(section, key);
  return value ? *value : std::string(fallback);
}

std::vector<std::string> IniFile::keysOf(std::string_view section) {
  const MutexLock lock(mutex_);
  refresh();
  std::vector<std::string> keys;
  std::size_t header = findSection(lines_, trim(section));
  if (header == kNone) return keys;
  for (std::size_t i = header + 1; i < sectionEnd(lines_, header); ++i) {
    if (lines_[i].kind != LineKind::kKey) continue;
    bool seen = false;
    for (const std::string& key : keys) seen = seen || equalsIgnoringCase(key, lines_[i].name);
    if (!seen) keys.push_back(lines_[i].name);
  }
  return keys;
}

std::optional<std::int32_t> IniFile::findInt(std::string_view section, std::string_view key) {
  std::optional<std::string> value = find(section, key);
  return value ? leadingInteger(*value) : std::nullopt;
}

std::int32_t IniFile::readInt(std::string_view section, std::string_view key,
                              std::int32_t fallback) {
  return findInt(section, key).value_or(fallback);
}

bool IniFile::writeString(std::string_view section, std::string_view key,
                          std::optional<std::string_view> value) {
  section = trim(section);
  key = trim(key);
  if (!isValidSectionName(section) || !isValidKey(key) || (value && holdsLineBreakOrNul(*value))) {
    return false;
  }
  const MutexLock lock(mutex_);
  refresh();
  std::vector<Line> lines = lines_;
  bool changed = value ? setKey(lines, section, key, *value) : removeKey(lines, section, key);
  return !changed || store(std::move(lines));
}

bool IniFile::writeKeys(std::string_view section, const std::vector<KeyChange>& changes) {
  section = trim(section);
  if (!isValidSectionName(section)) return false;
  for (const KeyChange& change : changes) {
    if (!isValidKey(trim(change.key)) || (change.value && holdsLineBreakOrNul(*change.value))) {
      return false;
    }
  }
  const MutexLock lock(mutex_);
  refresh();
  std::vector<Line> lines = lines_;
  bool changed = false;
  for (const KeyChange& change : changes) {
    const std::string_view key = trim(change.key);
    changed |=
        change.value ? setKey(lines, section, key, *change.value) : removeKey(lines, section, key);
  }
  return !changed || store(std::move(lines));
}

bool IniFile::deleteSection(std::string_view section) {
  section = trim(section);
  if (section.empty()) return false;
  const MutexLock lock(mutex_);
  refresh();
  std::vector<Line> lines = lines_;
  bool changed = false;
  for (std::size_t header = findSection(lines, section); header != kNone;
       header = findSection(lines, section)) {
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header),
                lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd(lines, header)));
    changed = true;
  }
  return !changed || store(std::move(lines));
}

IniFile::DiskState IniFile::diskStateOf(const std::string& path) {
  struct stat status {};
  DiskState state;
  if (stat(path.c_str(), &status) != 0) return state;
  state.exists = true;
  state.device = status.st_dev;
  state.inode = status.st_ino;
  state.size = status.st_size;
  state.modified = status.st_mtim;
  state.changed = status.st_ctim;
  return state;
}

IniFile::Line IniFile::parseLine(std::string text, std::string ending) {
  Line line{std::move(text), std::move(ending), LineKind::kOther, {}, {}};
  std::string_view content = trim(line.text);
  if (content.empty() || content.front() == ';') return line;
  if (content.front() == '[') {
    std::size_t close = content.find(']');
    if (close == std::string_view::npos) return line;
    line.kind = LineKind::kSection;
    line.name = trim(content.substr(1, close - 1));
    return line;
  }
  std::size_t equals = content.find('=');
  if (equals == std::string_view::npos || trim(content.substr(0, equals)).empty()) return line;
  line.kind = LineKind::kKey;
  line.name = trim(content.substr(0, equals));
  line.value = trim(content.substr(equals + 1));
  return line;
}

void IniFile::refresh() {
  DiskState now = diskStateOf(path_);
  if (loaded_ && now == state_) return;
  parse(now.exists ? readWholeFile(path_) : std::string());
  state_ = now;
  loaded_ = true;
}

void IniFile::parse(const std::string& content) {
  std::string_view rest(content);
  byteOrderMark_ = rest.substr(0, kByteOrderMark.size()) == kByteOrderMark;
  if (byteOrderMark_) rest.remove_prefix(kByteOrderMark.size());
  lines_.clear();
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    std::string_view text = rest.substr(0, end);
    std::string ending;
    if (end != std::string_view::npos) {
      bool crlf = !text.empty() && text.back() == '\r';
      if (crlf) text.remove_suffix(1);
      ending = crlf ? "\r\n" : "\n";
    }
    lines_.push_back(parseLine(std::string(text), std::move(ending)));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
}

std::string IniFile::serialize(const std::vector<Line>& lines) const {
  std::string content(byteOrderMark_ ? kByteOrderMark : std::string_view());
  for (const Line& line : lines) {
    content += line.text;
    content += line.ending;
  }
  return content;
}

// New lines follow the file's own line ends.
std::string IniFile::newline() const {
  for (const Line& line : lines_) {
    if (!line.ending.empty()) return line.ending;
  }
  return "\n";
}

std::size_t IniFile::findSection(const std::vector<Line>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind == LineKind::kSection && equalsIgnoringCase(lines[i].name, section)) return i;
  }
  return kNone;
}

std::size_t IniFile::sectionEnd(const std::vector<Line>& lines, std::size_t header) {
  std::size_t end = header + 1;
  while (end < lines.size() && lines[end].kind != LineKind::kSection) ++end;
  return end;
}

const IniFile::Line* IniFile::findKeyLine(std::string_view section, std::string_view key) const {
  std::size_t header = findSection(lines_, section);
  if (header == kNone) return nullptr;
  for (std::size_t i = header + 1; i < sectionEnd(lines_, header); ++i) {
    if (lines_[i].kind == LineKind::kKey && equalsIgnoringCase(lines_[i].name, key))
      return &lines_[i];
  }
  return nullptr;
}

bool IniFile::setKey(std::vector<Line>& lines, std::string_view section, std::string_view key,
                     std::string_view value) const {
  std::size_t header = findSection(lines, section);
  if (header == kNone) {
    if (!lines.empty() && !trim(lines.back().text).empty()) insertLine(lines, lines.size(), "");
    header = lines.size();
    std::string headerLine = "[";
    headerLine.append(section).append("]");
    insertLine(lines, header, headerLine);
  }
  std::size_t end = sectionEnd(lines, header);
  std::size_t insertAt = header + 1;
  for (std::size_t i = header + 1; i < end; ++i) {
    if (lines[i].kind != LineKind::kKey) continue;
    if (equalsIgnoringCase(lines[i].name, key)) {
      std::string ending = lines[i].ending;
      lines[i] = parseLine(lines[i].name + "=" + std::string(value), std::move(ending));
      return true;
    }
    insertAt = i + 1;
  }
  insertLine(lines, insertAt, std::string(key) + "=" + std::string(value));
  return true;
}

void IniFile::insertLine(std::vector<Line>& lines, std::size_t at, std::string text) const {
  std::string ending = newline();
  if (at == lines.size() && !lines.empty() && lines.back().ending.empty()) {
    lines.back().ending = ending;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at),
               parseLine(std::move(text), std::move(ending)));
}

bool IniFile::removeKey(std::vector<Line>& lines, std::string_view section, std::string_view key) {
  std::size_t header = findSection(lines, section);
  if (header == kNone) return false;
  bool removed = false;
  // Every copy goes: with only the first removed, a later duplicate would
  // show through and the key would seem not deleted.
  for (std::size_t i = header + 1; i < sectionEnd(lines, header);) {
    if (lines[i].kind == LineKind::kKey && equalsIgnoringCase(lines[i].name, key)) {
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
      removed = true;
    } else {
      ++i;
    }
  }
  return removed;
}

bool IniFile::store(std::vector<Line> lines) {
  if (!replaceFile(path_, serialize(lines))) return false;
  lines_ = std::move(lines);
  state_ = diskStateOf(path_);
  return true;
}

}  // namespace ferrix::platform
