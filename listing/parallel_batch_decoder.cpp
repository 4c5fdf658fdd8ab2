#include "listing/parallel_batch_decoder.h"

#include <iterator>
#include <system_error>
#include <utility>

namespace ferrix::listing {
namespace {

// Waiting batches beyond which the helper counts as behind.
constexpr std::size_t kWaitingBeforeCallerDecodes = 2;

}  // namespace

ParallelBatchDecoder::ParallelBatchDecoder(Decode decode, std::vector<PaneItem>& items)
    : decode_(std::move(decode)), items_(items) {}

ParallelBatchDecoder::~ParallelBatchDecoder() {
  {
    const platform::MutexLock lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (helper_.joinable()) helper_.join();
}

void ParallelBatchDecoder::add(std::string lines) {
  bool startHelper = false;
  {
    const platform::MutexLock lock(mutex_);
    batches_.push_back(Batch{std::move(lines), {}, false});
    startHelper = !helper_.joinable() && batches_.size() - firstWaiting_ > 1;
  }
  if (startHelper) {
    try {
      helper_ = std::thread([this] { runHelper(); });
    } catch (const std::system_error&) {
      // No thread to be had (a process limit): this thread decodes every
      // batch, as it does for a listing of one batch.
    }
  } else {
    changed_.notify_one();
  }
  decodeWhileMoreThan(kWaitingBeforeCallerDecodes);
  addDecodedItems();
}

void ParallelBatchDecoder::finish() {
  decodeWhileMoreThan(0);
  {
    const platform::MutexLock lock(mutex_);
    waitUntilNoneDecoding();
  }
  addDecodedItems();
}

void ParallelBatchDecoder::clear() {
  const platform::MutexLock lock(mutex_);
  firstWaiting_ = batches_.size();
  waitUntilNoneDecoding();
  batches_.clear();
  firstWaiting_ = 0;
}

ParallelBatchDecoder::Batch* ParallelBatchDecoder::takeWaiting() {
  if (firstWaiting_ == batches_.size()) return nullptr;
  ++decoding_;
  return &batches_[firstWaiting_++];
}

void ParallelBatchDecoder::decodeTaken(Batch& batch) {
  decode_(batch.lines, batch.items);
  std::string().swap(batch.lines);
  {
    const platform::MutexLock lock(mutex_);
    batch.decoded = true;
    --decoding_;
  }
  changed_.notify_all();
}

void ParallelBatchDecoder::decodeWhileMoreThan(std::size_t keep) {
  for (;;) {
    Batch* batch = nullptr;
    {
      const platform::MutexLock lock(mutex_);
      if (batches_.size() - firstWaiting_ <= keep) return;
      batch = takeWaiting();
    }
    decodeTaken(*batch);
  }
}

void ParallelBatchDecoder::addDecodedItems() {
  for (;;) {
    std::vector<PaneItem> decoded;
    {
      const platform::MutexLock lock(mutex_);
      if (batches_.empty() || !batches_.front().decoded) return;
      decoded = std::move(batches_.front().items);
      batches_.pop_front();
      --firstWaiting_;
    }
    items_.insert(items_.end(), std::make_move_iterator(decoded.begin()),
                  std::make_move_iterator(decoded.end()));
  }
}

void ParallelBatchDecoder::waitUntilNoneDecoding() {
  while (decoding_ > 0) changed_.wait(mutex_);
}

void ParallelBatchDecoder::runHelper() {
  for (;;) {
    Batch* batch = nullptr;
    {
      const platform::MutexLock lock(mutex_);
      while (!stopping_ && firstWaiting_ == batches_.size()) changed_.wait(mutex_);
      if (stopping_) return;
      batch = takeWaiting();
    }
    decodeTaken(*batch);
  }
}

}  // namespace ferrix::listing
