// A bounded view of a parser's work line for fixed-column listing rules.
//
// Column layouts name positions that a short or truncated line may not reach.
// ColumnLine answers every read at or beyond the line's end as if it found the
// terminating NUL, so a rule reads top to bottom without length checks and
// never touches memory past the NUL. It borrows the caller's buffer (the
// parser owns it for the duration of one call) and keeps its length in step
// with its own cuts; a cut made behind its back is not seen. One instance per
// call, on the caller's thread.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "decoder/parse_helpers.h"

namespace ferrix::decoder {

class ColumnLine {
 public:
  explicit ColumnLine(char* line) : line_(line), length_(std::strlen(line)) {}

  std::size_t length() const { return length_; }
  char* text() const { return line_; }

  // The character at pos, or '\0' at and beyond the end.
  char at(std::size_t pos) const { return pos < length_ ? line_[pos] : '\0'; }

  bool isBlankAt(std::size_t pos) const { return at(pos) == ' ' || at(pos) == '\t'; }

  // The text from pos on; empty (the terminating NUL) when pos lies beyond the end.
  char* from(std::size_t pos) const { return line_ + std::min(pos, length_); }

  // Offset of a position inside this line.
  std::size_t offsetOf(const char* position) const {
    return static_cast<std::size_t>(position - line_);
  }

  // Ends the line at pos; a pos at or beyond the end changes nothing.
  void cutAt(std::size_t pos) {
    if (pos < length_) {
      line_[pos] = '\0';
      length_ = pos;
    }
  }

  // Makes the character just before position the end of the line, so later
  // field look-ups stop short of it. A position at the very start leaves
  // nothing before it: the line becomes empty, which requires the caller to
  // have copied what starts there first.
  void cutBefore(const char* position) { cutAt(offsetOf(position) == 0 ? 0 : offsetOf(position) - 1); }

  // The last space or tab at or before pos, searching backwards; none gives
  // the line's length (no such column).
  std::size_t lastBlankAtOrBefore(std::size_t pos) const {
    for (std::size_t i = std::min(pos + 1, length_); i > 0; --i) {
      if (isBlankAt(i - 1)) return i - 1;
    }
    return length_;
  }

  // Offset of the first non-blank at or after pos (the length when none).
  std::size_t skipBlanks(std::size_t pos) const {
    while (isBlankAt(pos)) ++pos;
    return std::min(pos, length_);
  }

  // The number that starts after the last blank at or before pos; 0 when the
  // line holds no blank there.
  std::uint64_t sizeAfterLastBlank(std::size_t pos) const {
    const std::size_t blank = lastBlankAtOrBefore(pos);
    return blank < length_ ? SizeAt(from(blank + 1)) : 0;
  }

 private:
  char* line_;
  std::size_t length_;
};

// A number read from the line, stored into a narrow entry field: values out
// of the field's range saturate instead of wrapping into a plausible one.
template <typename Field>
Field Clamped(std::int64_t value) {
  constexpr auto kMax = static_cast<std::int64_t>(std::numeric_limits<Field>::max());
  return static_cast<Field>(std::clamp<std::int64_t>(value, 0, kMax));
}

// Counts of fixed-size blocks or records in bytes, saturating rather than
// wrapping when a hostile count would overflow.
inline std::uint64_t BlocksToBytes(std::uint64_t blocks, std::uint64_t blockSize) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  return blockSize != 0 && blocks > kMax / blockSize ? kMax : blocks * blockSize;
}

}  // namespace ferrix::decoder
