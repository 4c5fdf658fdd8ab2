#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "decoder/include/ferrixcore.h"
#include "decoder/parse_helpers.h"

namespace ferrix::decoder {
namespace {

ListingEntry Decode(const std::string& line, int hostType = FERRIX_HOST_TYPE_UNIX) {
  ListingEntry entry;
  FERRIX_DecodeLine(&entry, line.c_str(), hostType, "/", "user");
  return entry;
}

TEST(DecodeLine, PermissionsGiveAModeOnlyWithoutSpecialBits) {
  struct Case {
    const char* line;
    bool valid;
    unsigned mode;
  };
  const Case cases[] = {
      {"drwxr-xr-x 2 o g 512 Jan 5 2003 d", true, 0755},
      {"-rw-r--r-- 1 o g 1 Jan 5 2003 f", true, 0644},
      {"-rwxr-sr-x 1 o g 1 Jan 5 2003 f", true, 0745},  // setgid drops group execute
      {"-rwsr-xr-x 1 o g 1 Jan 5 2003 f", false, 0},
      {"drwxrwxrwt 2 o g 1 Jan 5 2003 tmp", false, 0},
      {"---------x1", true, 01},
      {"-rw-r--r--", false, 0},  // not longer than 10 characters
      {"12-25-97  10:30PM       <DIR>          Projects", false, 0},
  };
  for (const Case& c : cases) {
    // Every host type sniffs, whatever its parser makes of the line.
    for (int hostType : {FERRIX_HOST_TYPE_UNIX, FERRIX_HOST_TYPE_IBM_VM, 7000}) {
      ListingEntry entry = Decode(c.line, hostType);
      EXPECT_EQ((entry.flags & FERRIX_FLAG_MODE_VALID) != 0, c.valid) << c.line;
      EXPECT_EQ(entry.mode, c.mode) << c.line;
    }
  }
}

TEST(DecodeLine, DatesAreNormalisedAndCapped) {
  struct Case {
    const char* date;
    int year;
    int month;
    int day;
  };
  const Case cases[] = {
      {"Jan 5 3", 2003, 1, 5},     {"Jan 5 50", 1950, 1, 5},   {"Jan 5 49", 2038, 1, 5},
      {"Jan 5 3000", 2038, 1, 5},  {"Jan 45 2003", 2003, 1, 31}, {"Jan 300 2003", 2003, 1, 31},
      {"Jan 5 1899", 2038, 1, 5},
  };
  for (const Case& c : cases) {
    ListingEntry entry = Decode(std::string("-rw-r--r-- 1 o g 1 ") + c.date + " f");
    EXPECT_EQ(entry.year, c.year) << c.date;
    EXPECT_EQ(entry.month, c.month) << c.date;
    EXPECT_EQ(entry.day, c.day) << c.date;
  }
}

TEST(DecodeLine, WorksOnABoundedCopyCutAtTheLineEnd) {
  const std::string prefix = "-rw-r--r-- 1 o g 1 Jan 5 2003 ";
  std::string name(100, 'a');
  // What lies beyond character 511 is never read.
  std::string line = prefix + name + std::string(511 - prefix.size() - name.size(), ' ') + "tail";
  EXPECT_STREQ(Decode(line).name, name.c_str());

  EXPECT_STREQ(Decode(prefix + "first\rsecond").name, "first");
  EXPECT_STREQ(Decode(prefix + "first\nsecond").name, "first");
  EXPECT_STREQ(Decode(prefix + "  caf\xC3\xA9 \x01\x7f \t\r\n").name, "caf\xC3\xA9 \x01\x7f");

  std::string input = prefix + "kept";
  const std::string original = input;
  Decode(input);
  EXPECT_EQ(input, original);
}

TEST(DecodeLine, LongNamesAreCutAt255) {
  ListingEntry entry;
  std::string line = "-rw-r--r-- 1 o g 1 Jan 5 2003 " + std::string(400, 'n');
  EXPECT_EQ(FERRIX_DecodeLine(&entry, line.c_str(), FERRIX_HOST_TYPE_UNIX, "/", "u"), 255);
  EXPECT_EQ(std::string(entry.name), std::string(255, 'n'));
}

TEST(DecodeLine, ClearsTheEntryAndToleratesMissingTexts) {
  ListingEntry entry;
  std::memset(&entry, 0x5a, sizeof entry);
  EXPECT_EQ(FERRIX_DecodeLine(&entry, "total 24", FERRIX_HOST_TYPE_UNIX, "/", "u"), 0);
  ListingEntry cleared;
  std::memset(&cleared, 0, sizeof cleared);
  EXPECT_EQ(std::memcmp(&entry, &cleared, sizeof entry), 0);

  EXPECT_EQ(FERRIX_DecodeLine(&entry, nullptr, FERRIX_HOST_TYPE_UNIX, nullptr, nullptr), 0);
  EXPECT_EQ(FERRIX_DecodeLine(nullptr, "readme", FERRIX_HOST_TYPE_UNIX, "/", "u"), 0);
  EXPECT_EQ(FERRIX_DecodeLine(&entry, "readme", INT32_MIN, nullptr, nullptr), 6);
  EXPECT_EQ(FERRIX_DecodeLine(&entry, "readme", INT32_MAX, nullptr, nullptr), 6);
}

// A header line of an MVS partitioned data set listed in member columns.
std::string MemberColumnsHeader() {
  std::string header(70, 'x');
  const std::pair<int, char> layout[] = {{40, ' '}, {44, 'F'}, {45, 'B'}, {46, ' '},
                                         {50, ' '}, {61, 'P'}, {62, 'O'}, {63, ' '},
                                         {64, 'N'}, {65, 'O'}, {66, ' '}, {68, ' '}};
  for (const auto& [position, character] : layout) header[position] = character;
  return header;
}

class ParseLineTest : public ::testing::Test {
 protected:
  void TearDown() override { FERRIX_FreeFolderNodes(&folder_); }

  int32_t Parse(const std::string& line) {
    return FERRIX_ParseLine(&connection_, &folder_, &node_, line.c_str());
  }

  std::string ListedNames() const {
    std::string names;
    for (const FerrixListNode* node = folder_.head; node != nullptr; node = node->next) {
      names += std::string(node->name) + "|";
    }
    return names;
  }

  FerrixConnection connection_ = {FERRIX_HOST_TYPE_UNIX, "user", 0, 0};
  FerrixFolderList folder_ = {"/pub", nullptr, 0, 0, 0};
  FerrixListNode node_{};
};

TEST_F(ParseLineTest, KindsBecomeNodeKindsAndAreCounted) {
  EXPECT_EQ(Parse("drwxr-xr-x 2 o g 512 Jan 5 2003 src"), 3);
  EXPECT_EQ(node_.kind, FERRIX_NODE_FOLDER);
  EXPECT_EQ(node_.folder, &folder_);
  EXPECT_EQ(node_.mode, 0755u);
  EXPECT_EQ(node_.flags, FERRIX_FLAG_MODE_VALID);

  EXPECT_EQ(Parse("lrwxrwxrwx 1 o g 7 Jan 5 2003 bin -> usr/bin"), 3);
  EXPECT_EQ(node_.kind, FERRIX_NODE_LINK);

  EXPECT_EQ(Parse("-rw-r--r-- 1 o g 5000000000 Jan 5 2003 big.iso"), 7);
  EXPECT_EQ(node_.kind, FERRIX_NODE_FILE);
  EXPECT_EQ(node_.size, 5000000000ull);
  EXPECT_EQ(node_.year, 2003u);

  EXPECT_EQ(Parse("total 24"), 0);
  EXPECT_EQ(folder_.files, 1u);
  EXPECT_EQ(folder_.folders, 1u);
  EXPECT_EQ(folder_.links, 1u);
  EXPECT_EQ(connection_.lineCount, 4u);
  EXPECT_EQ(folder_.head, nullptr);  // appending decoded nodes is the caller's business
}

TEST_F(ParseLineTest, MvsMemberColumnsBecomeFileNodes) {
  connection_.hostType = FERRIX_HOST_TYPE_IBM_MVS;
  EXPECT_EQ(Parse(MemberColumnsHeader()), 0);
  EXPECT_NE(connection_.flags & FERRIX_CONNECTION_MEMBER_COLUMNS, 0u);

  EXPECT_EQ(Parse("MEMBER1   MEMBER2   LONGNAMEX M4\r\n"), 0);
  EXPECT_EQ(Parse("ALONE     \r\n"), 0);
  EXPECT_EQ(ListedNames(), "MEMBER1|MEMBER2|LONGNAME|M4|ALONE|");
  EXPECT_EQ(folder_.files, 5u);
  for (const FerrixListNode* node = folder_.head; node != nullptr; node = node->next) {
    EXPECT_EQ(node->kind, FERRIX_NODE_FILE);
    EXPECT_EQ(node->folder, &folder_);
  }

  // Any other line ends the member table and is decoded as usual.
  const std::string other = " Name     VV.MM   Created       Changed      Size  Init   Mod   Id";
  ListingEntry expected;
  int32_t expectedLength = FERRIX_DecodeLine(&expected, other.c_str(), FERRIX_HOST_TYPE_IBM_MVS,
                                             "/pub", "user");
  EXPECT_EQ(Parse(other), expectedLength);
  EXPECT_EQ(connection_.flags & FERRIX_CONNECTION_MEMBER_COLUMNS, 0u);
  Parse("MEMBER9   MEMBER8");
  EXPECT_EQ(ListedNames(), "MEMBER1|MEMBER2|LONGNAME|M4|ALONE|");
}

TEST_F(ParseLineTest, MemberHeaderCountsOnlyOnTheFirstLineOfMvs) {
  connection_.hostType = FERRIX_HOST_TYPE_IBM_MVS;
  Parse("first line");
  Parse(MemberColumnsHeader());
  EXPECT_EQ(connection_.flags & FERRIX_CONNECTION_MEMBER_COLUMNS, 0u);

  connection_ = {FERRIX_HOST_TYPE_UNIX, "user", 0, 0};
  Parse(MemberColumnsHeader());
  EXPECT_EQ(connection_.flags & FERRIX_CONNECTION_MEMBER_COLUMNS, 0u);
}

TEST_F(ParseLineTest, RefusesMissingRecords) {
  EXPECT_EQ(FERRIX_ParseLine(nullptr, &folder_, &node_, "readme"), 0);
  EXPECT_EQ(FERRIX_ParseLine(&connection_, nullptr, &node_, "readme"), 0);
  EXPECT_EQ(FERRIX_ParseLine(&connection_, &folder_, nullptr, "readme"), 0);
  EXPECT_EQ(FERRIX_ParseLine(&connection_, &folder_, &node_, nullptr), 0);
  FERRIX_FreeFolderNodes(nullptr);
}

}  // namespace
}  // namespace ferrix::decoder
