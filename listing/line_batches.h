// Cuts a listing that arrives in parts of any size into batches of whole
// lines, so that each batch can be decoded on its own, on any thread. A line
// longer than kLongestListingLine is left out of every batch and counted,
// exactly as the one-line-at-a-time reader skips it, and so a batch never
// holds more than kListingBatchBytes plus one line.
//
// Thread rule: a plain value; one thread at a time.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace ferrix::listing {

// Lines longer than this are no listing entry anyone sends; they are skipped.
inline constexpr std::size_t kLongestListingLine = 64 * 1024;
inline constexpr std::size_t kListingBatchBytes = 256 * 1024;

class LineBatcher {
 public:
  using BatchSink = std::function<void(std::string batch)>;

  // Adds `bytes`; every batch that has filled up goes to `ready`.
  void feed(std::string_view bytes, const BatchSink& ready);
  // The listing has ended: what is held, a last line without a line feed
  // included, goes to `ready` (nothing when nothing is held).
  void finish(const BatchSink& ready);
  // Forgets what is held and what was skipped.
  void clear();
  // Lines left out for being longer than kLongestListingLine.
  std::size_t skippedLines() const { return skippedLines_; }

 private:
  void takeLinePart(std::string_view part);

  std::string batch_;
  std::size_t lineStart_ = 0;  // where the unfinished line starts in batch_
  bool skipping_ = false;      // the unfinished line is too long and is dropped
  std::size_t skippedLines_ = 0;
};

}  // namespace ferrix::listing
