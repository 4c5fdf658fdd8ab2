#include "listing/listing_decoder.h"

#include <ferrixcore.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "session/message_log.h"
#include "session/sound_events.h"
#include "testing/scratch_folder.h"

namespace ferrix::listing {
namespace {

using namespace std::string_literals;

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;

// `text` laid out at the given columns of a line of blanks.
std::string columns(std::size_t width,
                    std::initializer_list<std::pair<std::size_t, const char*>> parts) {
  std::string line(width, ' ');
  for (const auto& [column, text] : parts) line.replace(column, std::string(text).size(), text);
  return line;
}

const std::string kMvsMemberHeader =
    columns(70, {{0, "Name"}, {44, "FB"}, {61, "PO"}, {64, "NO"}, {67, "x"}, {69, "y"}});
const std::string kKa9qLeft = "README.TXT      1,234  10:30  Dec-25-97";
const std::string kKa9qRight = "DOCS/        10:30 12/25/97";

class ListingFileTest : public ::testing::Test {
 protected:
  ListingFileTest() : session_(log_, clock_, resolver_) {
    session_.playSound = [this](int event) { sounds_.push_back(event); };
    nameRules_.asciiListPath = scratch_ / "FERRIX.EXT";
    nameRules_.conversionListPath = scratch_ / "FERRIX.CNV";
  }

  std::vector<std::string> decode(int hostType, const std::string& content) {
    session_.state.sessionProfile.hostType = hostType;
    const std::string path = scratch_ / "DIRtest.TMP";
    std::ofstream(path, std::ios::binary) << content;
    DecodeListingFile(session_, path, "/", nameRules_, pane_);
    return names();
  }

  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (const PaneItem& item : pane_.items()) result.emplace_back(item.name());
    return result;
  }

  const PaneItem& item(std::string_view name) const {
    for (const PaneItem& candidate : pane_.items()) {
      if (candidate.name() == name) return candidate;
    }
    throw std::runtime_error("no item " + std::string(name));
  }

  testing::ScratchFolder scratch_;
  session::MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  session::Session session_;
  transfer::NameRuleSettings nameRules_;
  PaneModel pane_{PaneSide::kRemote, 1};
  std::vector<int> sounds_;
};

struct LineRuleCase {
  const char* scenario;
  int hostType;
  std::string content;
  std::vector<std::string> names;  // besides ".."
};

TEST_F(ListingFileTest, LineRulesOfTheWrappingAndColumnFormats) {
  const LineRuleCase cases[] = {
      {"VMS name alone, attributes on the indented next line",
       FERRIX_HOST_TYPE_VMS_MULTINET,
       "NAME.TXT;1\r\n        2/3  12-MAR-2003 10:15:42\r\nNEXT.DAT;1  1/3\r\n",
       {"NAME.TXT;1", "NEXT.DAT;1"}},
      {"two short VMS entries in a row each decode alone",
       FERRIX_HOST_TYPE_VMS_MULTINET,
       "A.TXT;1  1/3\r\nB.TXT;1  2/3\r\nC.TXT;1  3/3\r\n",
       {"A.TXT;1", "B.TXT;1", "C.TXT;1"}},
      {"VMS name line at the end of the file",
       FERRIX_HOST_TYPE_VMS_UCX,
       "LAST.TXT;1  1/3\n",
       {"LAST.TXT;1"}},
      {"MVS member columns, several names a row",
       FERRIX_HOST_TYPE_IBM_MVS,
       kMvsMemberHeader + "\r\nMEMBER1   MEMB2     X\r\nALPHA     BETA\r\n",
       {"MEMBER1", "MEMB2", "X", "ALPHA", "BETA"}},
      {"KA9Q line gives both halves",
       FERRIX_HOST_TYPE_KA9Q_NOS,
       columns(41, {{0, kKa9qLeft.c_str()}}) + kKa9qRight + "\r\n",
       {"README.TXT", "DOCS"}},
      {"KA9Q left half gives nothing, so neither does the right",
       FERRIX_HOST_TYPE_KA9Q_NOS,
       columns(41, {{0, "Disk size 1440k, 20k free"}}) + kKa9qRight + "\r\n",
       {}},
      {"KA9Q short line decodes whole",
       FERRIX_HOST_TYPE_KA9Q_NOS,
       kKa9qLeft + "\r\n",
       {"README.TXT"}},
      {"a line ends at its first CR or NUL, whichever comes first",
       FERRIX_HOST_TYPE_UNIX,
       "-rw-r--r-- 1 u g 5 Mar 1 2003 a.txt\rjunk\n"
       "-rw-r--r-- 1 u g 5 Mar 1 2003 b.txt\0junk\rmore\n"
       "-rw-r--r-- 1 u g 5 Mar 1 2003 c.txt\n"s,
       {"a.txt", "b.txt", "c.txt"}},
  };
  for (const LineRuleCase& c : cases) {
    SCOPED_TRACE(c.scenario);
    std::vector<std::string> expected = c.names;
    expected.emplace_back("..");
    EXPECT_THAT(decode(c.hostType, c.content), UnorderedElementsAreArray(expected));
  }
}

TEST_F(ListingFileTest, JoinedVmsEntryKeepsTheSizeFromItsSecondLine) {
  decode(FERRIX_HOST_TYPE_VMS_MULTINET, "NAME.TXT;1\r\n        2/3  12-MAR-2003 10:15:42\r\n");
  EXPECT_EQ(item("NAME.TXT;1").size, 1024u);
  EXPECT_EQ(item("NAME.TXT;1").year, 2003);
}

TEST_F(ListingFileTest, MemberNamesAreFilesWithoutDateOrSize) {
  decode(FERRIX_HOST_TYPE_IBM_MVS, kMvsMemberHeader + "\nMEMBER1   MEMB2\n");
  EXPECT_EQ(item("MEMB2").kind, kKindFile);
  EXPECT_EQ(item("MEMB2").size, 0u);
  EXPECT_FALSE(item("MEMB2").hasDate());
}

TEST_F(ListingFileTest, ParentEntryLeadsAndDotEntriesAreDropped) {
  const std::string listing =
      "total 3\r\n"
      "drwxr-xr-x   2 ann  staff     512 Jan  5 10:20 .\r\n"
      "drwxr-xr-x   2 ann  staff     512 Jan  5 10:20 ..\r\n"
      "-rw-r--r--   1 ann  staff 5368709120 Jan  5 10:20 big.iso\r\n";
  EXPECT_THAT(decode(FERRIX_HOST_TYPE_UNIX, listing), ElementsAre("..", "big.iso"));
  EXPECT_EQ(item("..").kind, kKindFolder);
  EXPECT_EQ(item("big.iso").size, 5368709120u);
}

// One line is at most one entry, however long: a line cut into pieces would
// decode as phantom entries.
TEST_F(ListingFileTest, LongLinesAreReadWholeAndOverlongOnesSkippedWithANotice) {
  const auto unixLine = [](const std::string& name) {
    return "-rw-r--r--   1 ann  staff 1 Jan  5 10:20 " + name + "\r\n";
  };
  const std::string longName(250, 'n');
  const std::string overlong = unixLine(std::string(kLongestListingLine, 'x'));
  const std::vector<std::string> decoded =
      decode(FERRIX_HOST_TYPE_UNIX, unixLine(longName) + overlong + unixLine("after"));
  EXPECT_THAT(decoded, ::testing::UnorderedElementsAre("..", longName, "after"));
  EXPECT_THAT(log_.history(),
              ::testing::Contains("+ 1 listing line(s) longer than 65536 characters skipped"));
}

TEST_F(ListingFileTest, MemberHeaderCountsOnlyOnTheFirstLine) {
  const std::vector<std::string> decoded =
      decode(FERRIX_HOST_TYPE_IBM_MVS, "\r\n" + kMvsMemberHeader + "\r\nMEMBER1   MEMB2\r\n");
  EXPECT_THAT(decoded, ::testing::Not(::testing::Contains("MEMB2")));
}

// The names a listing decodes to when its bytes arrive in the given parts.
std::vector<std::string> streamedNames(int hostType, const std::vector<std::string_view>& parts) {
  std::vector<std::string> names;
  ListingStreamDecoder decoder({hostType, "/", "ann"},
                               [&](const ListingEntry& entry) { names.emplace_back(entry.name); });
  for (std::string_view part : parts) decoder.feed(part);
  decoder.finish();
  return names;
}

// However a listing is cut while it arrives, it decodes as the whole file
// does: lines split across parts, VMS continuations, long lines and NULs.
TEST_F(ListingFileTest, ListingArrivingInPartsDecodesAsTheWholeFile) {
  const std::pair<int, std::string> listings[] = {
      {FERRIX_HOST_TYPE_VMS_MULTINET,
       "NAME.TXT;1\r\n        2/3  12-MAR-2003 10:15:42\r\nNEXT.DAT;1  1/3\r\nLAST.TXT;1"},
      {FERRIX_HOST_TYPE_IBM_MVS, kMvsMemberHeader + "\r\nMEMBER1   MEMB2     X\r\nALPHA\r\n"},
      {FERRIX_HOST_TYPE_KA9Q_NOS, columns(41, {{0, kKa9qLeft.c_str()}}) + kKa9qRight + "\n"},
      {FERRIX_HOST_TYPE_UNIX,
       "total 3\r\n-rw-r--r--   1 ann  staff 7 Jan  5 10:20 a.txt\r\n"
       "-rw-r--r--   1 ann  staff 1 Jan  5 10:20 " +
           std::string(200, 'n') +
           "\r\n"
           "-rw-r--r--   1 ann  staff 2 Jan  5 10:20 cut" +
           std::string(1, '\0') +
           "here\n"
           "-rw-r--r--   1 ann  staff 3 Jan  5 10:20 last.bin"},
  };
  for (const auto& [hostType, listing] : listings) {
    SCOPED_TRACE(listing.substr(0, 20));
    const std::string path = scratch_ / "DIRwhole.TMP";
    std::ofstream(path, std::ios::binary) << listing;
    std::vector<std::string> whole;
    ASSERT_TRUE(
        DecodeListingEntries(log_, path, {hostType, "/", "ann"},
                             [&](const ListingEntry& entry) { whole.emplace_back(entry.name); }));
    ASSERT_FALSE(whole.empty());
    const std::string_view bytes = listing;
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
      EXPECT_EQ(streamedNames(hostType, {bytes.substr(0, cut), bytes.substr(cut)}), whole) << cut;
    }
    std::vector<std::string_view> single;
    for (std::size_t i = 0; i < bytes.size(); ++i) single.push_back(bytes.substr(i, 1));
    EXPECT_EQ(streamedNames(hostType, single), whole);
  }
}

// A listing many batches long decodes on two threads; every entry arrives
// once, with its own columns, and an overlong line is still left out.
TEST_F(ListingFileTest, ListingOfManyBatchesGivesEveryEntryOnce) {
  constexpr int kEntries = 20000;
  std::string listing = "total 20000\r\n";
  for (int i = kEntries; i > 0; --i) {
    listing += "-rw-r--r--   1 ann  staff " + std::to_string(i) + " Jan  5 10:20 file_" +
               std::to_string(i) + ".txt\r\n";
    if (i == kEntries / 2) listing += std::string(kLongestListingLine + 1, 'x') + "\r\n";
  }
  ASSERT_GT(listing.size(), 4 * kListingBatchBytes);
  const std::vector<std::string> decoded = decode(FERRIX_HOST_TYPE_UNIX, listing);
  ASSERT_EQ(decoded.size(), kEntries + 1u);
  EXPECT_EQ(decoded.front(), "..");
  std::vector<bool> seen(kEntries + 1);
  for (const PaneItem& entry : pane_.items()) {
    if (entry.isParent()) continue;
    const std::string expected = "file_" + std::to_string(entry.size) + ".txt";
    ASSERT_EQ(entry.name(), expected);
    ASSERT_FALSE(seen[entry.size]) << expected;
    seen[entry.size] = true;
  }
  EXPECT_TRUE(std::is_sorted(decoded.begin() + 1, decoded.end()));
  EXPECT_THAT(log_.history(),
              ::testing::Contains("+ 1 listing line(s) longer than 65536 characters skipped"));
}

// VMS entries may go on on the next line; a listing too long for one batch
// still joins the two halves wherever a batch would end.
TEST_F(ListingFileTest, VmsContinuationsJoinInListingsOfManyBatches) {
  const std::string nameLine = "NAME_00000.TXT;1\r\n";
  const std::string attributes = "        2/3  12-MAR-2003 10:15:42\r\n";
  for (const std::string& lead : {std::string(), std::string(nameLine.size() - 2, ' ') + "\r\n"}) {
    std::string listing = lead;
    int entries = 0;
    while (listing.size() < 2 * kListingBatchBytes) {
      std::string name = std::to_string(entries++);
      name.insert(0, 5 - name.size(), '0');
      listing += nameLine.substr(0, 5) + name + nameLine.substr(10) + attributes;
    }
    const std::vector<std::string> decoded = decode(FERRIX_HOST_TYPE_VMS_MULTINET, listing);
    ASSERT_EQ(decoded.size(), entries + 1u);
    for (const PaneItem& entry : pane_.items()) {
      if (entry.isParent()) continue;
      ASSERT_EQ(entry.year, 2003) << entry.name();
    }
  }
}

TEST_F(ListingFileTest, FileThatCannotBeOpenedLeavesTheParentEntryAlone) {
  pane_.add(MakeNamedItem(PaneSide::kRemote, kKindFile, "stale"));
  const std::string path = scratch_ / "DIRmissing.TMP";
  DecodeListingFile(session_, path, "/", nameRules_, pane_);
  EXPECT_THAT(names(), ElementsAre(".."));
  EXPECT_THAT(log_.history(), ::testing::Contains("! couldn't open " + path + " for read."));
  EXPECT_THAT(sounds_, ElementsAre(session::sound_event::kActionFailed));
}

}  // namespace
}  // namespace ferrix::listing
