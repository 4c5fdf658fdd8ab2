#include "listing/line_batches.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace ferrix::listing {
namespace {

struct Batched {
  std::vector<std::string> batches;
  std::size_t skipped = 0;
};

Batched batchInParts(std::string_view bytes, std::size_t partSize) {
  Batched result;
  LineBatcher batcher;
  const auto ready = [&](std::string batch) { result.batches.push_back(std::move(batch)); };
  for (std::size_t at = 0; at < bytes.size(); at += partSize) {
    batcher.feed(bytes.substr(at, partSize), ready);
  }
  batcher.finish(ready);
  result.skipped = batcher.skippedLines();
  return result;
}

std::string joined(const std::vector<std::string>& batches) {
  std::string all;
  for (const std::string& batch : batches) all += batch;
  return all;
}

// Whatever parts the bytes arrive in, the batches hold every line that is
// not too long, whole and in order, and only the last may end without a
// line feed.
TEST(LineBatcher, BatchesHoldTheWholeLinesInOrderAndLeaveOutOverlongOnes) {
  const std::string longest(kLongestListingLine, 'k');
  const std::string overlong(kLongestListingLine + 1, 'o');
  struct Case {
    const char* what;
    std::string bytes;
    std::string kept;
    std::size_t skipped;
  };
  const Case cases[] = {
      {"plain lines", "a\r\nbb\n\nccc", "a\r\nbb\n\nccc", 0},
      {"a NUL stays for the reader", std::string("a\0b\n", 4), std::string("a\0b\n", 4), 0},
      {"the longest line is kept", "x\n" + longest + "\ny\n", "x\n" + longest + "\ny\n", 0},
      {"an overlong line goes", "x\n" + overlong + "\r\ny\n", "x\ny\n", 1},
      {"an overlong last line goes", "x\n" + overlong, "x\n", 1},
      {"overlong lines one after another", overlong + "\n" + overlong + "\nz", "z", 2},
  };
  for (const Case& test : cases) {
    for (const std::size_t partSize : {std::size_t{1}, std::size_t{7}, std::size_t{4096},
                                       test.bytes.size() + 1}) {
      SCOPED_TRACE(std::string(test.what) + ", parts of " + std::to_string(partSize));
      if (partSize == 1 && test.bytes.size() > 1000) continue;
      const Batched result = batchInParts(test.bytes, partSize);
      EXPECT_EQ(joined(result.batches), test.kept);
      EXPECT_EQ(result.skipped, test.skipped);
      for (std::size_t i = 0; i + 1 < result.batches.size(); ++i) {
        EXPECT_EQ(result.batches[i].back(), '\n');
      }
    }
  }
}

TEST(LineBatcher, ABatchIsHandedOverOnceFullAndEndsAtALine) {
  const std::string line = "-rw-r--r--   1 ann  staff 7 Jan  5 10:20 a_file_of_some_name.txt\r\n";
  std::string listing;
  while (listing.size() < 3 * kListingBatchBytes) listing += line;
  const Batched result = batchInParts(listing, 65536);
  ASSERT_GE(result.batches.size(), 3u);
  for (const std::string& batch : result.batches) {
    EXPECT_LE(batch.size(), kListingBatchBytes + line.size());
    EXPECT_EQ(batch.size() % line.size(), 0u);
  }
  EXPECT_EQ(joined(result.batches), listing);
}

TEST(LineBatcher, ClearForgetsHeldBytesAndSkippedLines) {
  LineBatcher batcher;
  std::vector<std::string> batches;
  const auto ready = [&](std::string batch) { batches.push_back(std::move(batch)); };
  batcher.feed(std::string(kLongestListingLine + 1, 'o') + "\nheld", ready);
  batcher.clear();
  batcher.feed("new\n", ready);
  batcher.finish(ready);
  EXPECT_EQ(batches, std::vector<std::string>{"new\n"});
  EXPECT_EQ(batcher.skippedLines(), 0u);
}

}  // namespace
}  // namespace ferrix::listing
