// Bounded reading of fixed-column listing lines.
//
// Mainframe and minicomputer listings are column reports: a parser reads "the
// character at 22" or "the number at 33" whether or not the line reaches that
// far. FixedColumns wraps the parser's work line (it owns nothing; the line
// stays the parser's) and answers every position past the end with NUL or with
// the empty text at the end, so no rule can read beyond the terminating NUL.
// The other helpers here read words and turn the shared helpers' 32-bit
// numbers into the entry's field widths without wrapping. Stateless; safe on any thread.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "decoder/include/ferrixcore.h"
#include "decoder/parse_helpers.h"

namespace ferrix::decoder::columns {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number that does not fit an 8-bit date field is clamped rather than wrapped,
// so the decoder's final caps see it as out of range.
inline std::uint8_t ToByte(std::int64_t value) {
  return static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, 255));
}

inline std::uint16_t ToYear(std::int64_t value) {
  return static_cast<std::uint16_t>(std::clamp<std::int64_t>(value, 0, 65535));
}

// records × record length, blocks × block size: saturates instead of wrapping.
inline std::uint64_t SizeProduct(std::uint64_t count, std::uint64_t unit) {
  if (unit != 0 && count > std::numeric_limits<std::uint64_t>::max() / unit) {
    return std::numeric_limits<std::uint64_t>::max();
  }
  return count * unit;
}

inline bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Folds ASCII letters only (other bytes compare exactly); stops at the
// first difference, so a short text is never read past its NUL.
inline bool StartsWithNoCase(const char* text, const char* prefix) {
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (lower(*text) != lower(*prefix)) return false;
  }
  return true;
}

inline char* SkipBlanks(char* text) {
  while (IsBlank(*text)) ++text;
  return text;
}

inline char* WordEnd(char* text) {
  while (*text != '\0' && !IsBlank(*text)) ++text;
  return text;
}

// Names the entry by the word at text (blanks before it skipped); returns where
// the word ends, which is where the rest of the line begins.
inline char* NameByWord(ListingEntry& entry, char* text) {
  char* word = SkipBlanks(text);
  char* end = WordEnd(word);
  SetName(entry, word, static_cast<std::size_t>(end - word));
  return end;
}

class FixedColumns {
 public:
  explicit FixedColumns(char* line) : line_(line), length_(std::strlen(line)) {}

  std::size_t length() const { return length_; }
  char* begin() const { return line_; }
  char* end() const { return line_ + length_; }

  // The character at position, NUL past the end.
  char at(std::size_t position) const { return position < length_ ? line_[position] : '\0'; }
  bool blankAt(std::size_t position) const { return IsBlank(at(position)); }
  bool digitAt(std::size_t position) const { return IsDigit(at(position)); }

  // The text from position; the empty text at the end when the line is shorter.
  char* from(std::size_t position) const { return line_ + std::min(position, length_); }

  std::size_t offsetOf(const char* position) const {
    return static_cast<std::size_t>(position - line_);
  }

  // Ends the line at position when the line reaches that far.
  void cut(std::size_t position) {
    if (position < length_) {
      line_[position] = '\0';
      length_ = position;
    }
  }

  // Makes the character just before position the end of the line, so later
  // field look-ups stop short of it. A position at the very start leaves
  // nothing before it: the line becomes empty, which requires the caller to
  // have copied what starts there first.
  void cutBefore(const char* position) {
    const std::size_t offset = offsetOf(position);
    cut(offset == 0 ? 0 : offset - 1);
  }

  // The first non-blank at or after position (the length when none).
  std::size_t skipBlanks(std::size_t position) const {
    while (blankAt(position)) ++position;
    return std::min(position, length_);
  }

  // Where the number starts that ends at or runs through position: the
  // character after the last blank at or before it (none found gives 0).
  std::size_t afterLastBlankAtOrBefore(std::size_t position) const {
    for (std::size_t p = std::min(position + 1, length_); p > 0; --p) {
      if (IsBlank(line_[p - 1])) return p;
    }
    return 0;
  }

  // The size that starts after the last blank at or before position; 0 when
  // the line has no blank there.
  std::uint64_t sizeAfterLastBlank(std::size_t position) const {
    const std::size_t start = afterLastBlankAtOrBefore(position);
    return start == 0 ? 0 : SizeAt(from(start));
  }

 private:
  char* line_;
  std::size_t length_;
};

}  // namespace ferrix::decoder::columns
