// One INI file in the private-profile format: "[section]" lines, "key=value"
// lines, comments starting with ';'. This is where every persistent setting
// and site profile lives, so it follows the private-profile rules:
//
// - sections and keys match without regard to (ASCII) case; the first of
//   duplicate sections or keys wins; whitespace around names and values is
//   trimmed, and one pair of surrounding double quotes is removed on reading;
// - a missing file, section or key gives the caller's default; unreadable
//   files read as empty;
// - every write reaches the disk at once and atomically (a temporary file
//   beside it, fsync, rename), keeps every other line as it was, creates the
//   folder and a new file readable by the owner only (the file holds encoded
//   passwords) and keeps an existing file's mode. A failed write changes
//   nothing and returns false.
//
// The parsed file is cached and read again only when the file on disk
// changes. Thread rule: all members may be called from any thread; calls are
// serialized inside.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mutex.h"

namespace ferrix::platform {

class IniFile {
 public:
  explicit IniFile(std::string path);
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  const std::string& path() const { return path_; }

  // The key's value (trimmed, one pair of surrounding quotes removed), or
  // nothing when the section or key is absent.
  std::optional<std::string> find(std::string_view section, std::string_view key);
  std::string readString(std::string_view section, std::string_view key, std::string_view fallback);
  // The keys of the section in file order (the first of duplicates only);
  // empty when the section is absent.
  std::vector<std::string> keysOf(std::string_view section);

  // The key's leading decimal digits (an optional '-' first) as a 32-bit
  // pattern, so "4294967285" reads as -11. Nothing (or the fallback) when
  // the key is absent or its value starts with no digit.
  std::optional<std::int32_t> findInt(std::string_view section, std::string_view key);
  std::int32_t readInt(std::string_view section, std::string_view key, std::int32_t fallback);

  // Sets the key to the value; with no value the key is deleted. Returns
  // false when the file could not be written, and refuses (false) names or
  // values that would not read back as written: line breaks or NULs
  // anywhere, ']' in a section name, '=' in a key, an empty name.
  bool writeString(std::string_view section, std::string_view key,
                   std::optional<std::string_view> value);

  // Sets or deletes several keys of one section in a single write, so the
  // file holds either all of the changes or none of them. Refuses (false,
  // nothing written) when any name or value would be refused alone.
  struct KeyChange {
    std::string_view key;
    std::optional<std::string_view> value;  // none deletes the key
  };
  bool writeKeys(std::string_view section, const std::vector<KeyChange>& changes);

  // Deletes every section of that name with all its lines.
  bool deleteSection(std::string_view section);

 private:
  enum class LineKind { kOther, kSection, kKey };
  struct Line {
    std::string text;    // without its line end
    std::string ending;  // "\n", "\r\n", or empty for a last line without one
    LineKind kind = LineKind::kOther;
    std::string name;   // section name or key, trimmed
    std::string value;  // trimmed value of a key line, quotes still on
  };
  struct DiskState {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};  // also moves on chmod, so a file made readable is read again
    bool operator==(const DiskState& other) const;
  };

  static DiskState diskStateOf(const std::string& path);
  static Line parseLine(std::string text, std::string ending);
  void refresh() REQUIRES(mutex_);
  void parse(const std::string& content) REQUIRES(mutex_);
  std::string serialize(const std::vector<Line>& lines) const REQUIRES(mutex_);
  std::string newline() const REQUIRES(mutex_);
  const Line* findKeyLine(std::string_view section, std::string_view key) const REQUIRES(mutex_);
  static std::size_t findSection(const std::vector<Line>& lines, std::string_view section);
  static std::size_t sectionEnd(const std::vector<Line>& lines, std::size_t header);
  bool setKey(std::vector<Line>& lines, std::string_view section, std::string_view key,
              std::string_view value) const REQUIRES(mutex_);
  void insertLine(std::vector<Line>& lines, std::size_t at, std::string text) const REQUIRES(mutex_);
  static bool removeKey(std::vector<Line>& lines, std::string_view section, std::string_view key);
  bool store(std::vector<Line> lines) REQUIRES(mutex_);

  const std::string path_;
  Mutex mutex_;
  // State below is protected by mutex_.
  bool loaded_ GUARDED_BY(mutex_) = false;
  DiskState state_ GUARDED_BY(mutex_);
  bool byteOrderMark_ GUARDED_BY(mutex_) = false;
  std::vector<Line> lines_ GUARDED_BY(mutex_);
};

}  // namespace ferrix::platform
