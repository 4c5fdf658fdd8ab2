#include "listing/line_batches.h"

#include <utility>

namespace ferrix::listing {

void LineBatcher::feed(std::string_view bytes, const BatchSink& ready) {
  while (!bytes.empty()) {
    const std::size_t lineFeed = bytes.find('\n');
    if (lineFeed == std::string_view::npos) {
      takeLinePart(bytes);
      return;
    }
    takeLinePart(bytes.substr(0, lineFeed));
    bytes.remove_prefix(lineFeed + 1);
    if (skipping_) {
      skipping_ = false;
    } else {
      batch_.push_back('\n');
    }
    lineStart_ = batch_.size();
    if (batch_.size() >= kListingBatchBytes) {
      ready(std::exchange(batch_, {}));
      lineStart_ = 0;
    }
  }
}

void LineBatcher::takeLinePart(std::string_view part) {
  if (skipping_) return;
  if (batch_.size() - lineStart_ + part.size() > kLongestListingLine) {
    batch_.resize(lineStart_);
    skipping_ = true;
    ++skippedLines_;
    return;
  }
  batch_.append(part);
}

void LineBatcher::finish(const BatchSink& ready) {
  skipping_ = false;
  lineStart_ = 0;
  if (!batch_.empty()) ready(std::exchange(batch_, {}));
}

void LineBatcher::clear() { *this = LineBatcher(); }

}  // namespace ferrix::listing
