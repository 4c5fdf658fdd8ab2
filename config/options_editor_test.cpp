#include "config/options_editor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "config/scratch_configuration.h"
#include "testing/scratch_folder.h"

namespace ferrix::config {
namespace {

using testing::ScratchConfiguration;

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "section/key" -> value of every key line of an INI text.
std::map<std::string, std::string> iniKeys(const std::string& text) {
  std::map<std::string, std::string> keys;
  std::string section;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.front() == '[') {
      section = line.substr(1, line.find(']') - 1);
    } else if (const std::size_t equals = line.find('='); equals != std::string::npos) {
      keys[section + "/" + line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  return keys;
}

// The keys added, changed or removed between two INI texts.
std::set<std::string> changedKeys(const std::string& before, const std::string& after) {
  const auto old = iniKeys(before);
  const auto now = iniKeys(after);
  std::set<std::string> changed;
  for (const auto& [key, value] : now) {
    auto found = old.find(key);
    if (found == old.end() || found->second != value) changed.insert(key);
  }
  for (const auto& [key, value] : old) {
    if (!now.contains(key)) changed.insert(key);
  }
  return changed;
}

constexpr char kStartingIni[] = "[_config_]\nMAILADDR=me@here\n\n[work]\nHOST=ftp.example\n";

struct Fixture {
  ScratchConfiguration configuration;
  SiteProfile profile;
  TransferModeSetting mode;

  explicit Fixture(const std::string& ini = kStartingIni, bool connected = false) {
    configuration.writeIni(ini);
    configuration.reopen();
    configuration->LoadProgramSettings();
    profile.profileName = "work";
    profile.hostType = 6010;
    editor_.emplace(*configuration, SessionOptionsState{profile, mode, connected, "/pub", "/home"});
  }
  OptionsEditor& editor() { return *editor_; }
  std::string winIni() { return fileText(configuration->winIni().path()); }
  std::string allText() { return configuration.readIni() + "\n[win.ini]\n" + winIni(); }

 private:
  std::optional<OptionsEditor> editor_;
};

struct PageCase {
  const char* label;
  OptionsPage page;
  std::function<void(OptionsEditor&)> change;
  std::set<std::string> keys;
};

const PageCase kPageCases[] = {
    {"General",
     OptionsPage::kGeneral,
     [](OptionsEditor& e) { e.general().mailAddress = "you@there"; },
     {"_config_/MAILADDR", "_config_/VIEWER", "_config_/logfile", "_config_/dolog",
      "_config_/VRFYDEL", "_config_/UseFindExec", "_config_/VERBOSE"}},
    {"Advanced",
     OptionsPage::kAdvanced,
     [](OptionsEditor& e) { e.advanced().doubleClickAction = 2; },
     {"_config_/LONGDIR", "_config_/AUTOSTART", "_config_/tranrate", "_config_/DBLCLK",
      "_config_/RBP", "_config_/SBP"}},
    {"Display",
     OptionsPage::kDisplay,
     [](OptionsEditor& e) { e.display().dateFormat = 2; },
     {"_config_/LAYOUT", "_config_/BONTOP", "_config_/HIDBTN", "_config_/SCALE", "_config_/balloon",
      "_config_/LONGDATE", "_config_/DateFmt", "_config_/FONT"}},
    {"Sounds",
     OptionsPage::kSounds,
     [](OptionsEditor& e) { e.sounds().enabled[0] = true; },
     {"_config_/soundflags", "_config_/sndaf", "_config_/sndcs", "_config_/sndcf", "_config_/sndts",
      "_config_/sndtf", "_config_/BELL", "_config_/usewave"}},
    {"Sort",
     OptionsPage::kSort,
     [](OptionsEditor& e) { e.sort().remoteSort = 3 + 8; },
     {"_config_/LSORT", "_config_/RSORT"}},
    {"Transfer",
     OptionsPage::kTransfer,
     [](OptionsEditor& e) { e.transfer().keepFileTimes = false; },
     {"_config_/PROREGET", "_config_/PROTIMES", "_config_/PROOVERW", "_config_/PRODIROW"}},
    {"Session",
     OptionsPage::kSession,
     [](OptionsEditor& e) { e.session().hostType = 6016; },
     {"work/TYPE", "work/DOUPDATE", "work/HASH", "work/PASVMODE", "work/FIREWALL", "work/FORCLOW",
      "work/CONVEXT", "work/RETAIN"}},
    {"Session (cont'd)",
     OptionsPage::kSessionMore,
     [](OptionsEditor& e) { e.sessionMore().mode = StartupMode::kAscii; },
     {"work/STOU", "work/RECU", "work/PROMPT", "work/AMODE", "work/MODE"}},
    {"Convert",
     OptionsPage::kConvert,
     [](OptionsEditor& e) { e.conversions().add(".HTML", ".HTM"); },
     {}},
    {"Extensions",
     OptionsPage::kExtensions,
     [](OptionsEditor& e) { e.asciiNames().add("README"); },
     {}},
};

TEST(OptionsSheet, EachChangedPageWritesExactlyItsKeys) {
  for (const PageCase& c : kPageCases) {
    Fixture fixture;
    const std::string before = fixture.allText();
    c.change(fixture.editor());
    fixture.editor().markChanged(c.page);
    fixture.editor().apply();
    EXPECT_EQ(changedKeys(before, fixture.allText()), c.keys) << c.label;
  }
}

TEST(OptionsSheet, ListPagesRewriteTheirFiles) {
  Fixture fixture;
  fixture.editor().conversions().add(".HTML", ".HTM");
  fixture.editor().asciiNames().add("README");
  fixture.editor().markChanged(OptionsPage::kConvert);
  fixture.editor().markChanged(OptionsPage::kExtensions);
  fixture.editor().apply();
  EXPECT_EQ(fileText(fixture.configuration->conversionListPath()), ".HTML=.HTM\n");
  EXPECT_EQ(fileText(fixture.configuration->extensionListPath()), ".TXT\nREADME\n");
  EXPECT_EQ(fixture.winIni(), "");
}

// An installation's folders: the current, program and configuration folders
// are empty or missing, the shipped lists are in the data folder.
class InstalledPaths final : public platform::Paths {
 public:
  explicit InstalledPaths(const testing::ScratchFolder& scratch) : scratch_(scratch) {}
  std::string currentFolder() const override { return scratch_ / "current"; }
  std::string programFolder() const override { return scratch_ / "bin"; }
  std::string configFolder() const override { return scratch_ / "config"; }
  std::string dataFolder() const override { return scratch_ / "share"; }

 private:
  const testing::ScratchFolder& scratch_;
};

TEST(OptionsSheet, ChangedListsLeaveTheShippedCopiesAsTheyAre) {
  testing::ScratchFolder scratch;
  scratch.makeFolder("current");
  scratch.makeFolder("bin");
  scratch.makeFolder("share");
  scratch.write("share/FERRIX.EXT", ".TXT\n.HTML\n");
  scratch.write("share/FERRIX.CNV", ".HTML=.HTM\n");
  Configuration configuration(std::make_unique<InstalledPaths>(scratch));
  SiteProfile profile;
  TransferModeSetting mode;
  OptionsEditor editor(configuration, SessionOptionsState{profile, mode, false, "/", "/"});

  EXPECT_EQ(editor.asciiNames().entries(), (std::vector<std::string>{".TXT", ".HTML"}));
  editor.asciiNames().add("README");
  editor.conversions().add(".JPEG", ".JPG");
  editor.markChanged(OptionsPage::kExtensions);
  editor.markChanged(OptionsPage::kConvert);
  editor.apply();

  EXPECT_EQ(scratch.read("share/FERRIX.EXT"), ".TXT\n.HTML\n");
  EXPECT_EQ(scratch.read("share/FERRIX.CNV"), ".HTML=.HTM\n");
  EXPECT_EQ(scratch.read("config/FERRIX.EXT"), ".TXT\n.HTML\nREADME\n");
  EXPECT_EQ(scratch.read("config/FERRIX.CNV"), ".HTML=.HTM\n.JPEG=.JPG\n");
  EXPECT_EQ(configuration.extensionListPath(), scratch / "config/FERRIX.EXT");
  EXPECT_EQ(std::filesystem::status(scratch / "config").permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
}

TEST(OptionsSheet, PagesShownButNotChangedWriteNothing) {
  Fixture fixture;
  const std::string before = fixture.allText();
  OptionsEditor& editor = fixture.editor();
  editor.general().viewer = "changed without a mark";
  editor.advanced();
  editor.display();
  editor.sounds();
  editor.session().passiveMode = false;
  editor.sessionMore();
  editor.asciiNames().add("NOTES");
  editor.apply();
  EXPECT_EQ(fixture.allText(), before);
  EXPECT_FALSE(std::filesystem::exists(fixture.configuration->extensionListPath()));
}

TEST(OptionsSheet, StartsOnSessionWhileConnected) {
  EXPECT_EQ(Fixture(kStartingIni, true).editor().startPage(), OptionsPage::kSession);
  EXPECT_EQ(Fixture(kStartingIni, false).editor().startPage(), OptionsPage::kGeneral);
}

TEST(OptionsSheet, BufferSizesAreClampedAndUnreadableCountsAsZero) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"10", 80},        {"79", 80},          {"80", 80},           {"100000", 100000},
      {"512", 512},      {"1048576", 1048576}, {"1048577", 1048576}, {"abc", 80},
      {"", 80},          {"-5", 80},          {"99999999999", 80},  {" 2048 ", 2048}};
  for (const auto& [typed, stored] : cases) {
    EXPECT_EQ(bufferSizeFromField(typed), stored) << typed;
  }
  Fixture fixture;
  fixture.editor().advanced().receiveSize = "10";
  fixture.editor().advanced().sendSize = "2000000";
  fixture.editor().markChanged(OptionsPage::kAdvanced);
  fixture.editor().apply();
  const auto keys = iniKeys(fixture.configuration.readIni());
  EXPECT_EQ(keys.at("_config_/RBP"), "80");
  EXPECT_EQ(keys.at("_config_/SBP"), "1048576");
  EXPECT_EQ(fixture.configuration->settings().RBP, 80);
}

TEST(OptionsSheet, SetAsDefaultStaysWrittenWithoutOk) {
  Fixture fixture;
  fixture.editor().session().useFirewall = true;
  fixture.editor().setSessionAsDefault();
  fixture.mode = {'A', false};
  // "Auto Detect" while the mode is ASCII: the default mode is binary.
  fixture.editor().sessionMore().mode = StartupMode::kAutoDetect;
  fixture.editor().setSessionMoreAsDefault();
  const auto keys = iniKeys(fixture.configuration.readIni());
  const std::map<std::string, std::string> expected = {
      {"DOUPDATE", "1"}, {"HASH", "1"},    {"PASVMODE", "1"}, {"FIREWALL", "1"},
      {"FORCLOW", "0"},  {"CONVEXT", "0"}, {"RETAIN", "1"},   {"STOU", "0"},
      {"RECU", "0"},     {"PROMPT", "0"},  {"AMODE", "1"},    {"MODE", "73"}};
  for (const auto& [key, value] : expected) {
    EXPECT_EQ(keys.at("_config_/" + key), value) << key;
  }
  EXPECT_FALSE(keys.contains("work/FIREWALL"));
}

TEST(OptionsSheet, AutoDetectKeepsTheModeInUse) {
  Fixture fixture;
  fixture.mode = {'A', false};
  EXPECT_EQ(fixture.editor().sessionMore().mode, StartupMode::kAscii);
  fixture.editor().sessionMore().mode = StartupMode::kAutoDetect;
  fixture.editor().markChanged(OptionsPage::kSessionMore);
  fixture.editor().apply();
  EXPECT_EQ(fixture.mode.mode, 'A');
  EXPECT_TRUE(fixture.mode.automatic);
  const auto keys = iniKeys(fixture.configuration.readIni());
  EXPECT_EQ(keys.at("work/MODE"), "65");
  EXPECT_EQ(keys.at("work/AMODE"), "1");
}

TEST(OptionsSheet, SiteValueEqualToTheDefaultIsRemoved) {
  Fixture fixture("[_config_]\nPASVMODE=1\n[work]\nHOST=h\nPASVMODE=0\n");
  fixture.profile.passiveMode = 0;
  fixture.editor().session().passiveMode = true;
  fixture.editor().markChanged(OptionsPage::kSession);
  fixture.editor().apply();
  const auto keys = iniKeys(fixture.configuration.readIni());
  EXPECT_FALSE(keys.contains("work/PASVMODE"));
  EXPECT_EQ(keys.at("work/TYPE"), "6010");
  EXPECT_EQ(fixture.profile.passiveMode, 1);
}

TEST(OptionsSheet, ListingIsDecodedAgainOnlyWhenConnectedAndTheHostTypeChanged) {
  for (bool connected : {false, true}) {
    for (std::int32_t hostType : {6010, 6016}) {
      Fixture fixture(kStartingIni, connected);
      fixture.editor().session().hostType = hostType;
      fixture.editor().markChanged(OptionsPage::kSession);
      EXPECT_EQ(fixture.editor().apply().redecodeListing, connected && hostType == 6016);
      EXPECT_EQ(fixture.profile.hostType, hostType);
    }
  }
}

TEST(OptionsSheet, DisplayTellsWhetherLayoutOrFontChanged) {
  Fixture fixture;
  fixture.editor().display().balloonHelp = true;
  fixture.editor().markChanged(OptionsPage::kDisplay);
  AppliedOptions applied = fixture.editor().apply();
  EXPECT_FALSE(applied.relayout);
  EXPECT_FALSE(applied.reapplyListFont);

  Fixture other;
  other.editor().display().fourDigitYears = false;
  other.editor().display().listFont = 0;
  other.editor().markChanged(OptionsPage::kDisplay);
  applied = other.editor().apply();
  EXPECT_TRUE(applied.relayout);
  EXPECT_TRUE(applied.reapplyListFont);
}

TEST(OptionsSheet, CustomFontWritesItsKeysAtOnce) {
  Fixture fixture;
  fixture.editor().display().listFont = 1;
  fixture.editor().storeCustomFont({-11, 0, 700, 49, "DejaVu Sans Mono"});
  const auto keys = iniKeys(fixture.configuration.readIni());
  EXPECT_EQ(keys.at("_config_/FONT"), "4");
  EXPECT_EQ(keys.at("_config_/FHEIGHT"), "4294967285");
  EXPECT_EQ(keys.at("_config_/FWEIGHT"), "700");
  EXPECT_EQ(keys.at("_config_/FNAME"), "DejaVu Sans Mono");
  EXPECT_EQ(fixture.editor().display().listFont, 4);
  EXPECT_EQ(loadCustomFont(*fixture.configuration).height, -11);
}

TEST(OptionsSheet, SaveCurrentFoldersOnlyWhileConnected) {
  Fixture offline;
  EXPECT_FALSE(offline.editor().saveCurrentFolders());
  Fixture online(kStartingIni, true);
  EXPECT_TRUE(online.editor().saveCurrentFolders());
  const std::string ini = online.configuration.readIni();
  EXPECT_NE(ini.find("DIR=\"/pub\""), std::string::npos) << ini;
  EXPECT_NE(ini.find("LOCDIR=/home"), std::string::npos) << ini;
}

TEST(WindowLocations, SavedByStateAndReset) {
  Fixture fixture("[_config_]\nMAXIMIZE=1\nSLOC=1,2,3,4\n");
  WindowLocations locations;
  locations.mainWindow = {10, 20, 800, 600};
  locations.splitters = {400, 450};
  locations.logWindow = WindowRectangle{5, 6, 0, 100};
  locations.localColumns = {20, 140, 260, 330};
  locations.remoteColumns = {20, 150, 270, 340};
  saveWindowLocations(*fixture.configuration, locations);
  auto keys = iniKeys(fixture.configuration.readIni());
  EXPECT_FALSE(keys.contains("_config_/MAXIMIZE"));
  EXPECT_EQ(keys.at("_config_/LOC"), "10,20,800,600,400,450");
  EXPECT_EQ(keys.at("_config_/SLOC"), "1,2,3,4");  // a log window of no width is not saved
  EXPECT_EQ(keys.at("_config_/LOCR"), "20,150,270,340");

  locations.maximized = true;
  locations.mainWindow = {};
  saveWindowLocations(*fixture.configuration, locations);
  keys = iniKeys(fixture.configuration.readIni());
  EXPECT_EQ(keys.at("_config_/MAXIMIZE"), "1");
  EXPECT_EQ(keys.at("_config_/LOC"), "10,20,800,600,400,450");

  resetWindowLocations(*fixture.configuration);
  keys = iniKeys(fixture.configuration.readIni());
  for (const char* key : {"LOC", "SLOC", "LOCL", "LOCR"}) {
    EXPECT_FALSE(keys.contains(std::string("_config_/") + key)) << key;
  }
  EXPECT_TRUE(keys.contains("_config_/MAXIMIZE"));
}

TEST(SoundsPage, RadioButtonsAndMaskRoundTrip) {
  Fixture fixture("[_config_]\nBELL=1\nusewave=0\nsoundflags=6\n");
  SoundsPage& page = fixture.editor().sounds();
  EXPECT_EQ(page.choice, SoundChoice::kBeeps);
  EXPECT_EQ(page.enabled, (std::array<bool, 5>{false, true, true, false, false}));
  EXPECT_EQ(page.waveFiles[1],
            platform::joinPath(
                std::filesystem::path(fixture.configuration->IniPath()).parent_path().string(),
                "connect.wav"));
  page.choice = SoundChoice::kNone;
  page.enabled = {true, false, false, false, true};
  fixture.editor().markChanged(OptionsPage::kSounds);
  fixture.editor().apply();
  const auto keys = iniKeys(fixture.configuration.readIni());
  EXPECT_EQ(keys.at("_config_/soundflags"), "17");
  EXPECT_EQ(keys.at("_config_/BELL"), "0");
  EXPECT_EQ(keys.at("_config_/usewave"), "0");
}

TEST(AsciiNameList, AddsOnlyNewNamesOfTwoCharactersOrMore) {
  AsciiNameList list = AsciiNameList::load("/nonexistent/FERRIX.EXT");
  EXPECT_EQ(list.entries(), std::vector<std::string>{".TXT"});
  EXPECT_FALSE(list.add(".txt"));
  EXPECT_FALSE(list.add("x"));
  EXPECT_TRUE(list.add("README.LONGER"));
  EXPECT_EQ(list.entries().back(), "README.LO");
  EXPECT_TRUE(list.remove(".txt"));
  EXPECT_FALSE(list.remove(".txt"));
  EXPECT_EQ(list.entries(), std::vector<std::string>{"README.LO"});
}

TEST(ConversionList, AddReplacesAndDeleteFindsLongSources) {
  testing::ScratchFolder folder;
  ConversionList list =
      ConversionList::load(folder.write("FERRIX.CNV", ".HTML=.HTM\r\nnoequals\n.jpeg=.jpg\n"));
  list.add(".html", ".H");
  list.add(".markdown-long", ".md");
  EXPECT_EQ(list.entries(),
            (std::vector<std::string>{"noequals", ".jpeg=.jpg", ".html=.H", ".markdown-long=.md"}));
  EXPECT_TRUE(list.remove(".markdown-long"));
  EXPECT_FALSE(list.remove(".jpe"));
  EXPECT_EQ(ConversionList::split(".jpeg=.jpg"),
            std::make_pair(std::string(".jpeg"), std::string(".jpg")));
  EXPECT_TRUE(list.save(folder / "FERRIX.CNV"));
  EXPECT_EQ(folder.read("FERRIX.CNV"), ".jpeg=.jpg\n.html=.H\n");
}

}  // namespace
}  // namespace ferrix::config
