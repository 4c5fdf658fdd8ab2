// Turns batches of whole listing lines into pane items on two threads at
// once: the thread that hands the batches over and one helper thread. The
// items go to the end of one list, in listing order, as soon as the batches
// before theirs are done, so that little is left to gather when the listing
// ends. A listing of one batch starts no thread. The helper is behind when
// two batches wait; then the caller decodes one itself before it returns,
// so only a few batches of raw lines are held however fast the listing
// arrives.
//
// Thread rule: add, finish and clear from one thread, the one that owns the
// list of items; `decode` runs on that thread and on the helper, on
// different batches at once, so it may only read what nobody changes while
// the listing is decoded.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "listing/pane_item.h"
#include "platform/mutex.h"

namespace ferrix::listing {

class ParallelBatchDecoder {
 public:
  using Decode = std::function<void(std::string_view lines, std::vector<PaneItem>& items)>;

  // The items are added to `items`, which must outlive this.
  ParallelBatchDecoder(Decode decode, std::vector<PaneItem>& items);
  ~ParallelBatchDecoder();
  ParallelBatchDecoder(const ParallelBatchDecoder&) = delete;
  ParallelBatchDecoder& operator=(const ParallelBatchDecoder&) = delete;

  void add(std::string lines);
  // Decodes what still waits, waits for the helper, and adds the items of
  // every batch that is left.
  void finish();
  // Forgets every batch not yet added, waiting only for one the helper is
  // decoding.
  void clear();

 private:
  struct Batch {
    std::string lines;
    std::vector<PaneItem> items;
    bool decoded = false;
  };

  // The oldest batch nobody has taken, now counted as being decoded; none
  // when every batch is taken.
  Batch* takeWaiting() REQUIRES(mutex_);
  void decodeTaken(Batch& batch);
  // Decodes waiting batches on this thread while more than `keep` wait.
  void decodeWhileMoreThan(std::size_t keep);
  // Adds the items of the decoded batches that no undecoded one precedes.
  void addDecodedItems();
  void waitUntilNoneDecoding() REQUIRES(mutex_);
  void runHelper();

  const Decode decode_;
  std::vector<PaneItem>& items_;
  platform::Mutex mutex_;
  std::condition_variable_any changed_;
  // A deque keeps references to its batches valid when batches are added
  // at its end or taken from its front, so that happens while others are
  // decoded; it is emptied only when none is.
  std::deque<Batch> batches_ GUARDED_BY(mutex_);
  std::size_t firstWaiting_ GUARDED_BY(mutex_) = 0;
  std::size_t decoding_ GUARDED_BY(mutex_) = 0;
  bool stopping_ GUARDED_BY(mutex_) = false;
  std::thread helper_;
};

}  // namespace ferrix::listing
