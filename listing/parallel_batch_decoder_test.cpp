#include "listing/parallel_batch_decoder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ferrix::listing {
namespace {

// Every line of a batch becomes an item named after it; a line "slow"
// takes a while, so that the two threads finish batches out of order.
void decodeLines(std::string_view lines, std::vector<PaneItem>& items) {
  while (!lines.empty()) {
    const std::size_t end = lines.find('\n');
    const std::string_view line = lines.substr(0, end);
    if (line == "slow") std::this_thread::sleep_for(std::chrono::milliseconds(20));
    items.push_back(MakeNamedItem(PaneSide::kRemote, kKindFile, line));
    lines.remove_prefix(end == std::string_view::npos ? lines.size() : end + 1);
  }
}

std::vector<std::string> namesOf(const std::vector<PaneItem>& items) {
  std::vector<std::string> names;
  for (const PaneItem& item : items) names.emplace_back(item.name());
  return names;
}

TEST(ParallelBatchDecoder, ItemsFollowTheBatchesInTheOrderTheyCame) {
  for (const bool slowFirst : {true, false}) {
    SCOPED_TRACE(slowFirst ? "first batch slow" : "later batch slow");
    std::vector<PaneItem> items;
    ParallelBatchDecoder decoder(decodeLines, items);
    std::vector<std::string> expected;
    for (int batch = 0; batch < 12; ++batch) {
      std::string lines;
      if ((batch == 0) == slowFirst && (batch == 0 || batch == 5)) {
        lines = "slow\n";
        expected.emplace_back("slow");
      }
      for (int line = 0; line < 50; ++line) {
        const std::string name = std::to_string(batch) + "." + std::to_string(line);
        lines += name + "\n";
        expected.push_back(name);
      }
      decoder.add(std::move(lines));
    }
    decoder.finish();
    EXPECT_EQ(namesOf(items), expected);
  }
}

TEST(ParallelBatchDecoder, ClearDropsTheBatchesNotYetAddedAndDecodingGoesOn) {
  std::vector<PaneItem> items;
  ParallelBatchDecoder decoder(decodeLines, items);
  decoder.add("slow\nold1\n");
  decoder.add("slow\nold2\n");
  decoder.add("old3\n");
  decoder.clear();
  items.clear();
  decoder.add("new1\n");
  decoder.add("new2\n");
  decoder.finish();
  EXPECT_EQ(namesOf(items), (std::vector<std::string>{"new1", "new2"}));
}

TEST(ParallelBatchDecoder, OneBatchIsDecodedOnTheCallersThread) {
  std::vector<PaneItem> items;
  std::thread::id decodedOn;
  ParallelBatchDecoder decoder(
      [&](std::string_view lines, std::vector<PaneItem>& out) {
        decodedOn = std::this_thread::get_id();
        decodeLines(lines, out);
      },
      items);
  decoder.add("only\n");
  decoder.finish();
  EXPECT_EQ(decodedOn, std::this_thread::get_id());
  EXPECT_EQ(namesOf(items), std::vector<std::string>{"only"});
}

}  // namespace
}  // namespace ferrix::listing
