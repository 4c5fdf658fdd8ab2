#include "config/configuration.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <utility>

#include "testing/scratch_folder.h"

namespace ferrix::config {
namespace {

using ferrix::testing::ScratchFolder;

class FixedPaths final : public platform::Paths {
 public:
  FixedPaths(std::string current, std::string program, std::string config, std::string data = {})
      : current_(std::move(current)),
        program_(std::move(program)),
        config_(std::move(config)),
        data_(std::move(data)) {}
  std::string currentFolder() const override { return current_; }
  std::string programFolder() const override { return program_; }
  std::string configFolder() const override { return config_; }
  std::string dataFolder() const override { return data_; }

 private:
  std::string current_, program_, config_, data_;
};

// Temporary folders stand in for the current, program and configuration
// folders; the configuration folder does not exist until a write makes it.
class ConfigurationTest : public ::testing::Test {
 protected:
  std::unique_ptr<Configuration> make(std::string configFolder) {
    return std::make_unique<Configuration>(
        std::make_unique<FixedPaths>(current_, program_, std::move(configFolder)));
  }
  std::unique_ptr<Configuration> make() { return make(config_); }

  ScratchFolder scratch_;
  std::string current_ = scratch_.makeFolder("current");
  std::string program_ = scratch_.makeFolder("program");
  std::string config_ = scratch_ / "config";
};

TEST_F(ConfigurationTest, CurrentBeatsProgramBeatsConfigFolder) {
  struct Case {
    bool inCurrent, inProgram, inConfig;
    const char* chosenFolder;
  };
  const Case cases[] = {
      {true, true, true, "current"},
      {false, true, true, "program"},
      {false, false, true, "config"},
      {false, false, false, "config"},
  };
  for (const Case& c : cases) {
    ScratchFolder scratch;
    std::string current = scratch.makeFolder("current");
    std::string program = scratch.makeFolder("program");
    std::string config = scratch.makeFolder("config");
    if (c.inCurrent) scratch.write("current/FERRIX.INI", "");
    if (c.inProgram) scratch.write("program/FERRIX.INI", "");
    if (c.inConfig) scratch.write("config/FERRIX.INI", "");
    Configuration configuration(std::make_unique<FixedPaths>(current, program, config));
    EXPECT_EQ(configuration.IniPath(), scratch / c.chosenFolder + "/FERRIX.INI") << c.chosenFolder;
  }
}

TEST_F(ConfigurationTest, CompanionFilesAreLocatedTheSameWay) {
  scratch_.write("program/FERRIX.EXT", ".TXT\n");
  scratch_.write("current/FERRIX.CNV", ".HTML=.HTM\n");
  auto configuration = make();
  EXPECT_EQ(configuration->extensionListPath(), program_ + "/FERRIX.EXT");
  EXPECT_EQ(configuration->conversionListPath(), current_ + "/FERRIX.CNV");
  EXPECT_EQ(configuration->helpFilePath(), config_ + "/FERRIX.HLP");
}

TEST_F(ConfigurationTest, InstalledCompanionFilesComeLastAndStayAsShipped) {
  const std::string data = scratch_.makeFolder("share");
  for (const char* name : {"FERRIX.INI", "FERRIX.EXT", "FERRIX.CNV", "FERRIX.HLP", "connect.wav"}) {
    scratch_.write(std::string("share/") + name, "shipped");
  }
  scratch_.makeFolder("config");
  scratch_.write("config/FERRIX.CNV", ".HTML=.HTM\n");
  scratch_.write("program/complete.wav", "beside the program");
  Configuration configuration(std::make_unique<FixedPaths>(current_, program_, config_, data));

  EXPECT_EQ(configuration.IniPath(), config_ + "/FERRIX.INI");  // settings are never shipped
  EXPECT_EQ(configuration.conversionListPath(), config_ + "/FERRIX.CNV");
  EXPECT_EQ(configuration.helpFilePath(), data + "/FERRIX.HLP");
  EXPECT_EQ(configuration.waveFile("sndcs", "connect.wav"), data + "/connect.wav");
  EXPECT_EQ(configuration.waveFile("sndts", "complete.wav"), program_ + "/complete.wav");
  EXPECT_EQ(configuration.waveFile("sndaf", "error.wav"), program_ + "/error.wav");

  EXPECT_EQ(configuration.extensionListPath(), data + "/FERRIX.EXT");
  EXPECT_EQ(configuration.extensionListPathForSaving(), config_ + "/FERRIX.EXT");
  EXPECT_EQ(configuration.extensionListPath(), config_ + "/FERRIX.EXT");
  EXPECT_EQ(configuration.conversionListPathForSaving(), config_ + "/FERRIX.CNV");
}

TEST_F(ConfigurationTest, AFolderNamedLikeTheFileIsPassedOver) {
  scratch_.makeFolder("current/FERRIX.INI");
  scratch_.write("program/FERRIX.INI", "");
  EXPECT_EQ(make()->IniPath(), program_ + "/FERRIX.INI");
}

TEST_F(ConfigurationTest, NoIniAnywhereGivesDefaultsAndTheFirstWriteCreatesIt) {
  auto configuration = make();
  configuration->LoadProgramSettings();
  EXPECT_EQ(configuration->IniPath(), config_ + "/FERRIX.INI");
  EXPECT_EQ(formatStartupSettings(configuration->settings()),
            formatStartupSettings(ProgramSettings{}));

  ASSERT_TRUE(configuration->WriteConfigString("MAILADDR", "me@example.org"));
  struct stat status {};
  ASSERT_EQ(stat(configuration->IniPath().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0600u);
  EXPECT_EQ(scratch_.read("config/FERRIX.INI"), "[_config_]\nMAILADDR=me@example.org\n");
}

TEST_F(ConfigurationTest, UnknownConfigFolderFallsBackToTheCurrentFolder) {
  EXPECT_EQ(make("")->IniPath(), current_ + "/FERRIX.INI");
}

TEST_F(ConfigurationTest, LoadsTheStartupKeys) {
  scratch_.write("current/FERRIX.INI",
                 "[_config_]\r\nMAILADDR=a@b\r\nSESSION=work\r\nDateFmt=2\r\nFONT=4\r\n"
                 "RBP=2048\r\nRSORT=0\r\nLONGDIR=junk\r\n");
  auto configuration = make();
  configuration->LoadProgramSettings();
  const ProgramSettings& settings = configuration->settings();
  EXPECT_EQ(settings.MAILADDR, "a@b");
  EXPECT_EQ(settings.SESSION, "work");
  EXPECT_EQ(settings.DateFmt, 2);
  EXPECT_EQ(settings.FONT, 4);
  EXPECT_EQ(settings.RBP, 2048);
  EXPECT_EQ(settings.RSORT, 0);
  EXPECT_EQ(settings.LONGDIR, 1);
  EXPECT_EQ(settings.SBP, 65536);
}

TEST_F(ConfigurationTest, BlockSizesDefaultTo64KiBAndAStoredValueIsUsedAsStored) {
  const std::pair<const char*, std::pair<int, int>> cases[] = {
      {"", {65536, 65536}},
      {"RBP=4096\r\nSBP=512\r\n", {4096, 512}},
      {"RBP=1048576\r\nSBP=80\r\n", {1048576, 80}}};
  for (const auto& [keys, sizes] : cases) {
    scratch_.write("current/FERRIX.INI", std::string("[_config_]\r\n") + keys);
    auto configuration = make();
    configuration->LoadProgramSettings();
    EXPECT_EQ(configuration->settings().RBP, sizes.first) << keys;
    EXPECT_EQ(configuration->settings().SBP, sizes.second) << keys;
  }
}

TEST_F(ConfigurationTest, LongStringsAreCutWithoutSplittingACharacter) {
  std::string session = std::string(78, 's') + "\xC3\xA9";  // 80 bytes, 'é' straddles 79
  scratch_.write("current/FERRIX.INI",
                 "[_config_]\nMAILADDR=" + std::string(200, 'm') + "\nSESSION=" + session + "\n");
  auto configuration = make();
  configuration->LoadProgramSettings();
  EXPECT_EQ(configuration->settings().MAILADDR, std::string(127, 'm'));
  EXPECT_EQ(configuration->settings().SESSION, std::string(78, 's'));
}

TEST_F(ConfigurationTest, FourKeysKeepTheirCurrentValueWhenTheNewFileLacksThem) {
  scratch_.write("current/FERRIX.INI",
                 "[_config_]\nballoon=1\nVERBOSE=1\nHASH=0\nAUTOSTART=0\nLONGDIR=0\nFONT=0\n");
  scratch_.write("current/other.ini", "[_config_]\nMAILADDR=x@y\n");
  auto configuration = make();
  configuration->LoadProgramSettings();
  configuration->useIniFile("other.ini");
  const ProgramSettings& settings = configuration->settings();
  EXPECT_EQ(settings.balloon, 1);
  EXPECT_EQ(settings.VERBOSE, 1);
  EXPECT_EQ(settings.HASH, 0);
  EXPECT_EQ(settings.AUTOSTART, 0);
  EXPECT_EQ(settings.LONGDIR, 1);
  EXPECT_EQ(settings.FONT, 3);
  EXPECT_EQ(settings.MAILADDR, "x@y");
}

TEST_F(ConfigurationTest, OptionIChoosesTheIniFile) {
  struct Case {
    const char* label;
    std::string typed;
    std::string expected;
  };
  scratch_.write("current/here.ini", "[_config_]\nSESSION=here\n");
  scratch_.write("program/beside.ini", "[_config_]\nSESSION=beside\n");
  scratch_.write("elsewhere.ini", "[_config_]\nSESSION=elsewhere\n");
  const Case cases[] = {
      {"found in the current folder", "here.ini", current_ + "/here.ini"},
      {"found beside the program", "beside.ini", program_ + "/beside.ini"},
      {"relative path resolved", "./sub/../../elsewhere.ini", scratch_ / "elsewhere.ini"},
      {"absolute path", scratch_ / "elsewhere.ini", scratch_ / "elsewhere.ini"},
      {"missing keeps the typed name", "new.ini", current_ + "/new.ini"},
      {"missing absolute kept as typed", scratch_ / "none/new.ini", scratch_ / "none/new.ini"},
  };
  for (const Case& c : cases) {
    auto configuration = make();
    configuration->useIniFile(c.typed);
    EXPECT_EQ(configuration->IniPath(), c.expected) << c.label;
  }
}

TEST_F(ConfigurationTest, OptionIWithAMissingFileUsesDefaultsAndCreatesIt) {
  scratch_.write("current/FERRIX.INI", "[_config_]\nSESSION=old\nFONT=1\n");
  auto configuration = make();
  configuration->LoadProgramSettings();
  configuration->useIniFile("fresh.ini");
  EXPECT_EQ(configuration->settings().SESSION, "");
  EXPECT_EQ(configuration->settings().FONT, 3);
  ASSERT_TRUE(configuration->WriteIntKey("_config_", "FONT", 2));
  EXPECT_EQ(scratch_.read("current/fresh.ini"), "[_config_]\nFONT=2\n");
}

TEST_F(ConfigurationTest, OptionIWithoutANameKeepsTheFileAndReloads) {
  scratch_.write("current/FERRIX.INI", "[_config_]\nFONT=1\n");
  auto configuration = make();
  configuration->useIniFile("");
  EXPECT_EQ(configuration->IniPath(), current_ + "/FERRIX.INI");
  EXPECT_EQ(configuration->settings().FONT, 1);
}

TEST_F(ConfigurationTest, NegativeIntegersRoundTrip) {
  auto configuration = make();
  ASSERT_TRUE(configuration->WriteIntKey("_config_", "FHEIGHT", -11));
  EXPECT_EQ(scratch_.read("config/FERRIX.INI"), "[_config_]\nFHEIGHT=4294967285\n");
  EXPECT_EQ(configuration->ReadConfigInt("FHEIGHT", 0), -11);
  EXPECT_EQ(configuration->fontHeight(), -11);
}

TEST_F(ConfigurationTest, SiteIntegersFallBackToConfigThenToTheCaller) {
  scratch_.write("current/FERRIX.INI", "[_config_]\nPASVMODE=0\nRECU=1\n[site]\nRECU=0\n");
  auto configuration = make();
  EXPECT_EQ(configuration->ReadSiteInt("site", "RECU", 7), 0);
  EXPECT_EQ(configuration->ReadSiteInt("site", "PASVMODE", 7), 0);
  EXPECT_EQ(configuration->ReadSiteInt("site", "STOU", 7), 7);
  EXPECT_EQ(configuration->ReadSiteInt("nosuchsite", "RECU", 7), 1);
}

TEST_F(ConfigurationTest, SiteValueEqualToTheDefaultIsRemovedAndFollowsIt) {
  scratch_.write("current/FERRIX.INI", "[_config_]\nPASVMODE=1\n[site]\nHOST=h\nPASVMODE=0\n");
  auto configuration = make();
  ASSERT_TRUE(configuration->WriteSiteInt("site", "PASVMODE", 1));
  EXPECT_EQ(scratch_.read("current/FERRIX.INI"), "[_config_]\nPASVMODE=1\n[site]\nHOST=h\n");

  ASSERT_TRUE(configuration->WriteConfigString("PASVMODE", "0"));
  EXPECT_EQ(configuration->ReadSiteInt("site", "PASVMODE", 1), 0);

  ASSERT_TRUE(configuration->WriteSiteInt("site", "PASVMODE", 1));
  EXPECT_EQ(configuration->ReadSiteInt("site", "PASVMODE", 0), 1);
}

TEST_F(ConfigurationTest, WithoutAConfigDefaultEverySiteValueIsWritten) {
  struct Case {
    const char* configLine;  // the _config_ copy of MODE, if any
    std::int32_t value;
    const char* siteSection;
  };
  const Case cases[] = {
      {"", 73, "[site]\nMODE=73\n"},          {"", 99, "[site]\nMODE=99\n"},
      {"MODE=99\n", 99, "[site]\nMODE=99\n"},  // 99 is the "no default" sentinel
      {"MODE=65\n", 73, "[site]\nMODE=73\n"}, {"MODE=73\n", 73, ""},
  };
  for (const Case& c : cases) {
    std::string before = std::string("[_config_]\n") + c.configLine;
    scratch_.write("current/FERRIX.INI", before);
    auto configuration = make();
    ASSERT_TRUE(configuration->WriteSiteInt("site", "MODE", c.value));
    std::string expected = before + (*c.siteSection ? std::string("\n") + c.siteSection : "");
    EXPECT_EQ(scratch_.read("current/FERRIX.INI"), expected) << c.configLine << c.value;
  }
}

TEST_F(ConfigurationTest, ViewerAndWaveFilesDefaultToThisSystem) {
  auto configuration = make();
  EXPECT_EQ(configuration->viewer(), "xdg-open");
  EXPECT_EQ(configuration->waveFile("sndcs", "connect.wav"), program_ + "/connect.wav");
}

TEST_F(ConfigurationTest, PasswordSavingFlagsComeFromWinIniFirst) {
  scratch_.write("current/FERRIX.INI", "[_config_]\nSPFLAGS=2\nLOC=1,2,3,4,5,6\n");
  auto configuration = make();
  EXPECT_EQ(configuration->passwordSavingFlags(), 2);
  EXPECT_EQ(configuration->mainWindowPlacement(), "1,2,3,4,5,6");
  scratch_.makeFolder("config");
  scratch_.write("config/win.ini", "[FERRIX]\nSPFLAGS=0\n");
  EXPECT_EQ(configuration->passwordSavingFlags(), 0);
}

}  // namespace
}  // namespace ferrix::config
