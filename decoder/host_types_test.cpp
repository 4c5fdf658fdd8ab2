#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/include/ferrixcore.h"

namespace ferrix::decoder {
namespace {

TEST(HostTypes, NamesByIdentifierOrIndex) {
  EXPECT_EQ(FERRIX_ReturnMaxHostTypes(), 60);
  struct Case {
    int32_t hostType;
    const char* name;  // nullptr = none
  };
  const Case cases[] = {
      {6000, "Automatic detect"}, {0, "Automatic detect"},  {6009, "Unisys 5000 (EXOS)"},
      {6010, "UNIX (standard)"},  {6013, "QVT/Net 2/3"},    {6045, "UniTree"},
      {6058, "GCOS 6 HVS AIX"},   {6059, "MLSD"},           {59, "MLSD"},
      {6060, nullptr},            {60, nullptr},            {-1, nullptr},
      {INT32_MIN, nullptr},       {INT32_MAX, nullptr},
  };
  for (const Case& c : cases) {
    const char* name = FERRIX_ReturnHostTypeName(c.hostType);
    if (c.name == nullptr) {
      EXPECT_EQ(name, nullptr) << c.hostType;
    } else {
      ASSERT_NE(name, nullptr) << c.hostType;
      EXPECT_STREQ(name, c.name) << c.hostType;
    }
  }
}

// A list box that records what it was given and refuses chosen items.
struct RecordingControl {
  std::vector<std::string> items;
  std::vector<int32_t> data;
  std::vector<int32_t> kinds;
  int refuseEvery = 0;
  int offered = 0;

  static int32_t Add(void* context, int32_t isComboBox, const char* text) {
    auto* self = static_cast<RecordingControl*>(context);
    self->kinds.push_back(isComboBox);
    if (self->refuseEvery != 0 && ++self->offered % self->refuseEvery == 0) return -1;
    self->items.push_back(text);
    self->data.push_back(-1);
    return static_cast<int32_t>(self->items.size() - 1);
  }

  static void SetData(void* context, int32_t, int32_t index, int32_t value) {
    static_cast<RecordingControl*>(context)->data.at(static_cast<std::size_t>(index)) = value;
  }

  FerrixListControl control() { return {this, &Add, &SetData}; }
};

TEST(HostTypes, ListBoxItemsCarryTheirIdentifiers) {
  RecordingControl box;
  FerrixListControl control = box.control();
  EXPECT_EQ(FERRIX_AddHostTypesToListBox(&control, 1), 60);
  ASSERT_EQ(box.items.size(), 60u);
  for (std::size_t i = 0; i < box.items.size(); ++i) {
    EXPECT_EQ(box.data[i], 6000 + static_cast<int32_t>(i));
    EXPECT_EQ(box.items[i], FERRIX_ReturnHostTypeName(box.data[i]));
    EXPECT_EQ(box.kinds[i], 1);
  }
}

TEST(HostTypes, RefusedItemsAreNotCounted) {
  RecordingControl box;
  box.refuseEvery = 10;
  FerrixListControl control = box.control();
  EXPECT_EQ(FERRIX_AddHostTypesToListBox(&control, 0), 54);
  EXPECT_EQ(box.items[9], "UNIX (standard)");  // the tenth, "Unisys 5000 (EXOS)", was refused
  EXPECT_EQ(box.data[9], 6010);
  EXPECT_EQ(FERRIX_AddHostTypesToListBox(nullptr, 0), 0);
}

struct DetectCase {
  const char* text;
  int32_t hostType;
};

TEST(HostTypes, SystRepliesInTestOrder) {
  const DetectCase cases[] = {
      {"215 UNIX Type: L8", 6010},
      {"215 Windows_NT version 4.0", 6016},
      {"215 VMS MultiNet V4.3", 6011},
      {"215 VMS", 6012},
      {"215 UNIX NetWare v4", 6035},  // earlier tests win over "unix"
      {"215 MPE/iX: HP-3000", 6032},
      {"215 mpe/ix", 6000},  // the first ten tests keep their case
      {"215 QVT/Net 4.0", 6039},
      {"215 QVT/Net 3.1", 6013},
      {"215 OS/400 is the remote operating system", 6017},
      {"215 VM/ESA is the operating system", 6004},
      {"215 NOS 2 CYBERB", 6026},
      {"215 Stratus VOS", 6031},
      {"215 AMOS", 6055},
      {"215 something else", 6000},
      {"", 6000},
      {nullptr, 6000},
  };
  for (const DetectCase& c : cases) {
    EXPECT_EQ(FERRIX_DetectFromSystString(c.text, 6000), c.hostType) << (c.text ? c.text : "null");
  }
}

TEST(HostTypes, GreetingsInTestOrder) {
  const DetectCase cases[] = {
      {"220 Novell LAN WorkPlace Pro FTP server", 6053},
      {"220 Novell LAN Workgroup", 6008},
      {"220 *GCOS 6 HVS* ready", 6058},
      {"220 BULL GCOS 8", 6023},
      {"220 Serv-U FTP Server v6.4 ready", 6033},
      {"220 wftpd ready", 6000},  // case-sensitive
      {"220 Welcome to WAR-FTPD 1.65", 6047},
      {"220 host FERRIX Server 1.0", 6059},
      {"220 VxWorks (5.4) FTP server ready", 6057},
      {"220 ProFTPD Server ready", 6000},
  };
  for (const DetectCase& c : cases) {
    EXPECT_EQ(FERRIX_DoAutoCheck(c.text, 6000), c.hostType) << c.text;
  }
}

TEST(HostTypes, AnExplicitChoiceIsNeverOverridden) {
  EXPECT_EQ(FERRIX_DetectFromSystString("215 Windows_NT", 6010), 6010);
  EXPECT_EQ(FERRIX_DoAutoCheck("220 Serv-U FTP", 6016), 6016);
  EXPECT_EQ(FERRIX_DoAutoCheck("220 Serv-U FTP", 7000), 7000);
}

TEST(HostTypes, OnlyTheFirst999CharactersOfLongTextsAreTested) {
  std::string exact(1000, '.');
  exact.replace(996, 4, "unix");
  EXPECT_EQ(FERRIX_DetectFromSystString(exact.c_str(), 6000), 6010);  // 1000 are read whole

  std::string longer = exact + ".";
  EXPECT_EQ(FERRIX_DetectFromSystString(longer.c_str(), 6000), 6000);  // "uni" then cut
  longer.replace(990, 4, "RSX ");
  EXPECT_EQ(FERRIX_DoAutoCheck(longer.c_str(), 6000), 6019);
}

}  // namespace
}  // namespace ferrix::decoder
