#include "transfer/name_rules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "decoder/include/ferrixcore.h"

namespace ferrix::transfer {
namespace {

constexpr long kLongNames = 255;
constexpr long kShortNames = 12;

class NameRulesTest : public ::testing::Test {
 protected:
  NameRulesTest() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ferrix-names-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    settings_.asciiListPath = folder_ / "FERRIX.EXT";
    settings_.conversionListPath = folder_ / "FERRIX.CNV";
  }
  ~NameRulesTest() override { std::filesystem::remove_all(folder_); }

  void write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path) << text;
  }

  std::filesystem::path folder_;
  NameRuleSettings settings_;
};

TEST_F(NameRulesTest, WithoutTheListOnlyTxtNamesAreAscii) {
  EXPECT_TRUE(IsAsciiName(settings_, "readme.txt"));
  EXPECT_TRUE(IsAsciiName(settings_, "RETR README.TXT"));
  EXPECT_FALSE(IsAsciiName(settings_, ".txt"));
  EXPECT_FALSE(IsAsciiName(settings_, "a.gif"));
}

TEST_F(NameRulesTest, ListEntriesMatchWholeNamesAndEndings) {
  write(settings_.asciiListPath, "README\r\n.TXT\nx\n.HTMLFILES_TOO_LONG\n");
  EXPECT_TRUE(IsAsciiName(settings_, "README"));
  EXPECT_TRUE(IsAsciiName(settings_, "MYREADME"));
  EXPECT_TRUE(IsAsciiName(settings_, "NOTES.TXT;7"));
  EXPECT_FALSE(IsAsciiName(settings_, "x"));
  EXPECT_TRUE(IsAsciiName(settings_, "page.HTMLFILE"));  // entries are cut to 9 characters
  EXPECT_FALSE(IsAsciiName(settings_, "image.png"));
}

// The list is kept between calls but an edit, a replacement or a removal of
// the file shows in the next call.
TEST_F(NameRulesTest, EditedListTakesEffectAtOnce) {
  write(settings_.asciiListPath, ".LOG\n");
  EXPECT_TRUE(IsAsciiName(settings_, "a.log"));
  EXPECT_FALSE(IsAsciiName(settings_, "a.csv"));
  write(settings_.asciiListPath, ".CSV\n.DAT\n");
  EXPECT_TRUE(IsAsciiName(settings_, "a.csv"));
  EXPECT_FALSE(IsAsciiName(settings_, "a.log"));
  const std::filesystem::path replacement = folder_ / "new.EXT";
  write(replacement, ".CSV\n.LOG\n");
  std::filesystem::rename(replacement, settings_.asciiListPath);
  EXPECT_TRUE(IsAsciiName(settings_, "a.log"));
  std::filesystem::remove(settings_.asciiListPath);
  EXPECT_FALSE(IsAsciiName(settings_, "a.log"));
  EXPECT_TRUE(IsAsciiName(settings_, "a.txt"));
}

TEST_F(NameRulesTest, ConversionAppliesTheFirstMatchingEntry) {
  write(settings_.conversionListPath, ".HTML=.HTM\nnoequals\n.X=.Y\n");
  settings_.convertExtensions = true;
  std::string name = "index.html";
  EXPECT_TRUE(ConvertTransferName(settings_, name, NameDirection::kDownload));
  EXPECT_EQ(name, "index.HTM");

  name = "PAGE.HTML;3";
  EXPECT_TRUE(ConvertTransferName(settings_, name, NameDirection::kUpload));
  EXPECT_EQ(name, "PAGE.HTM;3");
  name = "PAGE.HTML;3";
  EXPECT_TRUE(ConvertTransferName(settings_, name, NameDirection::kDownload));
  EXPECT_EQ(name, "PAGE.HTM");

  name = "a.X";  // the source ".X" has two characters and matches
  EXPECT_TRUE(ConvertTransferName(settings_, name, NameDirection::kDownload));
  EXPECT_EQ(name, "a.Y");

  settings_.convertExtensions = false;
  name = "index.html";
  EXPECT_FALSE(ConvertTransferName(settings_, name, NameDirection::kDownload));
  EXPECT_EQ(name, "index.html");
}

TEST_F(NameRulesTest, ForcedLowercaseAppliesToUploadsOnly) {
  settings_.forceLowercase = true;
  std::string name = "README.TXT";
  EXPECT_FALSE(ConvertTransferName(settings_, name, NameDirection::kUpload));
  EXPECT_EQ(name, "readme.txt");
  name = "README.TXT";
  ConvertTransferName(settings_, name, NameDirection::kDownload);
  EXPECT_EQ(name, "README.TXT");
}

struct LocalNameCase {
  const char* remote;
  int hostType;
  long maxNameLength;
  const char* local;
};

TEST_F(NameRulesTest, LocalNamesFitTheVolumeAndStayInsideTheFolder) {
  write(settings_.conversionListPath, ".HTML=.HTM\n");
  settings_.convertExtensions = true;
  const LocalNameCase cases[] = {
      {"index.html", FERRIX_HOST_TYPE_UNIX, kLongNames, "index.HTM"},
      {"index.html", FERRIX_HOST_TYPE_UNIX, kShortNames, "index.htm"},
      {"archive.tar.gz", FERRIX_HOST_TYPE_UNIX, kShortNames, "archive.tar"},
      {"a:b?c", FERRIX_HOST_TYPE_UNIX, kShortNames, "a_b$c"},
      {"a:b?c", FERRIX_HOST_TYPE_UNIX, kLongNames, "a:b$c"},
      {"x*<y>|z", FERRIX_HOST_TYPE_UNIX, kLongNames, "x@{y}+z"},
      {"/pub/deep/file.txt", FERRIX_HOST_TYPE_UNIX, kLongNames, "file.txt"},
      {"DKA0:[USER]NOTES.TXT;7", FERRIX_HOST_TYPE_VMS_MULTINET, kLongNames, "DKA0:[USER]NOTES.TXT"},
      {"DIR/FILE", FERRIX_HOST_TYPE_OS2200, kLongNames, "DIR.FILE"},
      {"  MY   DATA  SET  ", FERRIX_HOST_TYPE_IBM_SPARTACUS_KNET, kShortNames, "MY.DAT"},
      {"...hidden", FERRIX_HOST_TYPE_UNIX, kShortNames, "hidden"},
      {"", FERRIX_HOST_TYPE_UNIX, kLongNames, "aaremote"},
      {"..", FERRIX_HOST_TYPE_UNIX, kLongNames, "aaremote"},
      {"evil/..", FERRIX_HOST_TYPE_UNIX, kLongNames, "aaremote"},
      {".", FERRIX_HOST_TYPE_UNIX, kLongNames, "aaremote"},
  };
  for (const LocalNameCase& c : cases) {
    SCOPED_TRACE(c.remote);
    EXPECT_EQ(MakeLocalName(settings_, c.remote, c.hostType, folder_, c.maxNameLength), c.local);
  }
  const std::string longRemote(200, 'n');
  EXPECT_EQ(MakeLocalName(settings_, longRemote, FERRIX_HOST_TYPE_UNIX, folder_, kLongNames),
            "nnnnnnnn");
}

TEST_F(NameRulesTest, ReceiveUniqueNumbersExistingNames) {
  settings_.receiveUnique = true;
  write(folder_ / "report.txt", "old");
  EXPECT_EQ(MakeLocalName(settings_, "report.txt", FERRIX_HOST_TYPE_UNIX, folder_, kLongNames),
            "repor000.txt");
  write(folder_ / "repor000.txt", "old");
  EXPECT_EQ(MakeLocalName(settings_, "report.txt", FERRIX_HOST_TYPE_UNIX, folder_, kLongNames),
            "repor001.txt");
  write(folder_ / "a.gz", "old");
  EXPECT_EQ(MakeLocalName(settings_, "a.gz", FERRIX_HOST_TYPE_UNIX, folder_, kLongNames),
            "a000.gz");
  write(folder_ / "README", "old");
  EXPECT_EQ(MakeLocalName(settings_, "README", FERRIX_HOST_TYPE_UNIX, folder_, kLongNames),
            "README.000");
  EXPECT_EQ(MakeLocalName(settings_, "fresh.bin", FERRIX_HOST_TYPE_UNIX, folder_, kLongNames),
            "fresh.bin");
}

}  // namespace
}  // namespace ferrix::transfer
