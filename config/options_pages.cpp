#include "config/options_pages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "config/site_editor.h"
#include "platform/ascii_text.h"

namespace ferrix::config {
namespace {

constexpr std::size_t kConversionLineLength = 79;
constexpr std::size_t kFontNameLength = 31;

using platform::equalsIgnoringCase;
using platform::startsWithIgnoringCase;

std::int32_t flag(bool value) { return value ? 1 : 0; }

std::string cut(std::string_view text, std::size_t maxLength) {
  return std::string(text.substr(0, maxLength));
}

void writeConfigInt(Configuration& configuration, std::string_view key, std::int32_t value) {
  configuration.WriteIntKey(kConfigSection, key, value);
}

// Sets the member and writes its key at the same moment.
void storeSetting(Configuration& configuration, std::int32_t ProgramSettings::*member,
                  std::string_view key, std::int32_t value) {
  configuration.settings().*member = value;
  writeConfigInt(configuration, key, value);
}

std::string_view withoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

// The configuration folder may not exist before the first write; made here,
// it is private to its owner like the INI file's.
bool writeLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  std::error_code error;
  if (std::filesystem::create_directories(path.parent_path(), error)) {
    std::filesystem::permissions(path.parent_path(), std::filesystem::perms::owner_all, error);
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) file << line << '\n';
  file.flush();
  return static_cast<bool>(file);
}

std::string conversionPrefix(std::string_view source) {
  std::string prefix = cut(source, ConversionList::kFieldLength);
  prefix.push_back('=');
  return prefix;
}

}  // namespace

std::int32_t bufferSizeFromField(std::string_view text) {
  return std::clamp(numberInField(text, false).value_or(0), kSmallestBuffer, kLargestBuffer);
}

GeneralPage loadGeneralPage(Configuration& configuration) {
  const ProgramSettings& settings = configuration.settings();
  GeneralPage page;
  page.mailAddress = settings.MAILADDR;
  page.viewer = configuration.viewer();
  page.logFileName = configuration.transferLogName();
  page.enableLog = configuration.keepTransferLog() != 0;
  page.verifyDeletions = settings.VRFYDEL != 0;
  page.remoteEditUsesShell = settings.UseFindExec != 0;
  page.debugMessages = settings.VERBOSE != 0;
  return page;
}

void applyGeneralPage(Configuration& configuration, const GeneralPage& page) {
  ProgramSettings& settings = configuration.settings();
  settings.MAILADDR = cut(page.mailAddress, kMailAddressLength);
  configuration.WriteConfigString("MAILADDR", settings.MAILADDR);
  configuration.WriteConfigString("VIEWER", cut(page.viewer, kViewerFieldLength));
  configuration.WriteConfigString("logfile", cut(page.logFileName, kLogFileFieldLength));
  writeConfigInt(configuration, "dolog", flag(page.enableLog));
  storeSetting(configuration, &ProgramSettings::VRFYDEL, "VRFYDEL", flag(page.verifyDeletions));
  storeSetting(configuration, &ProgramSettings::UseFindExec, "UseFindExec",
               flag(page.remoteEditUsesShell));
  storeSetting(configuration, &ProgramSettings::VERBOSE, "VERBOSE", flag(page.debugMessages));
}

AdvancedPage loadAdvancedPage(Configuration& configuration) {
  const ProgramSettings& settings = configuration.settings();
  AdvancedPage page;
  page.fullFolderInformation = settings.LONGDIR != 0;
  page.sitesOnStartup = settings.AUTOSTART != 0;
  page.rateDisplay = settings.tranrate;
  page.doubleClickAction = settings.DBLCLK;
  page.receiveSize = std::to_string(settings.RBP);
  page.sendSize = std::to_string(settings.SBP);
  return page;
}

void applyAdvancedPage(Configuration& configuration, const AdvancedPage& page) {
  storeSetting(configuration, &ProgramSettings::LONGDIR, "LONGDIR",
               flag(page.fullFolderInformation));
  storeSetting(configuration, &ProgramSettings::AUTOSTART, "AUTOSTART", flag(page.sitesOnStartup));
  storeSetting(configuration, &ProgramSettings::tranrate, "tranrate", page.rateDisplay);
  storeSetting(configuration, &ProgramSettings::DBLCLK, "DBLCLK", page.doubleClickAction);
  storeSetting(configuration, &ProgramSettings::RBP, "RBP", bufferSizeFromField(page.receiveSize));
  storeSetting(configuration, &ProgramSettings::SBP, "SBP", bufferSizeFromField(page.sendSize));
}

DisplayPage loadDisplayPage(Configuration& configuration) {
  const ProgramSettings& settings = configuration.settings();
  DisplayPage page;
  page.alternateLayout = settings.LAYOUT != 0;
  page.buttonsOnTop = settings.BONTOP != 0;
  page.hideButtons = settings.HIDBTN != 0;
  page.autoScaleFonts = settings.SCALE != 0;
  page.balloonHelp = settings.balloon != 0;
  page.fourDigitYears = settings.LONGDATE != 0;
  page.dateFormat = settings.DateFmt;
  page.listFont = settings.FONT;
  return page;
}

DisplayChanges applyDisplayPage(Configuration& configuration, const DisplayPage& page) {
  struct Row {
    const char* key;
    std::int32_t ProgramSettings::*member;
    std::int32_t value;
    bool affectsLayout;
    bool isFont;
  };
  const Row rows[] = {
      {"LAYOUT", &ProgramSettings::LAYOUT, flag(page.alternateLayout), true, false},
      {"BONTOP", &ProgramSettings::BONTOP, flag(page.buttonsOnTop), true, false},
      {"HIDBTN", &ProgramSettings::HIDBTN, flag(page.hideButtons), true, false},
      {"SCALE", &ProgramSettings::SCALE, flag(page.autoScaleFonts), true, false},
      {"balloon", &ProgramSettings::balloon, flag(page.balloonHelp), false, false},
      {"LONGDATE", &ProgramSettings::LONGDATE, flag(page.fourDigitYears), true, false},
      {"DateFmt", &ProgramSettings::DateFmt, page.dateFormat, true, false},
      {"FONT", &ProgramSettings::FONT, page.listFont, false, true},
  };
  DisplayChanges changes;
  for (const Row& row : rows) {
    const bool changed = configuration.settings().*row.member != row.value;
    if (row.affectsLayout) changes.layout = changes.layout || changed;
    if (row.isFont) changes.font = changed;
    storeSetting(configuration, row.member, row.key, row.value);
  }
  return changes;
}

CustomFont loadCustomFont(Configuration& configuration) {
  return {configuration.fontHeight(), configuration.fontWidth(), configuration.fontWeight(),
          configuration.fontPitch(), configuration.fontName()};
}

void storeCustomFont(Configuration& configuration, const CustomFont& font) {
  configuration.settings().FONT = 4;
  writeConfigInt(configuration, "FHEIGHT", font.height);
  writeConfigInt(configuration, "FWIDTH", font.width);
  writeConfigInt(configuration, "FWEIGHT", font.weight);
  writeConfigInt(configuration, "FPITCH", font.pitch);
  writeConfigInt(configuration, "FONT", 4);
  configuration.WriteConfigString("FNAME", cut(font.name, kFontNameLength));
}

SoundsPage loadSoundsPage(Configuration& configuration) {
  SoundsPage page;
  const std::int32_t mask = configuration.soundEventMask();
  for (std::size_t i = 0; i < kSoundEventRows.size(); ++i) {
    page.enabled[i] = (mask & kSoundEventRows[i].event) != 0;
    page.waveFiles[i] =
        configuration.waveFile(kSoundEventRows[i].waveKey, kSoundEventRows[i].defaultWave);
  }
  if (configuration.soundOn() == 0) {
    page.choice = SoundChoice::kNone;
  } else {
    page.choice = configuration.playWaveFiles() != 0 ? SoundChoice::kWave : SoundChoice::kBeeps;
  }
  return page;
}

void applySoundsPage(Configuration& configuration, const SoundsPage& page) {
  std::int32_t mask = 0;
  for (std::size_t i = 0; i < kSoundEventRows.size(); ++i) {
    if (page.enabled[i]) mask |= kSoundEventRows[i].event;
  }
  writeConfigInt(configuration, "soundflags", mask);
  for (std::size_t i = 0; i < kSoundEventRows.size(); ++i) {
    configuration.WriteConfigString(kSoundEventRows[i].waveKey,
                                    cut(page.waveFiles[i], kWaveFileFieldLength));
  }
  writeConfigInt(configuration, "BELL", flag(page.choice != SoundChoice::kNone));
  writeConfigInt(configuration, "usewave", flag(page.choice == SoundChoice::kWave));
}

SortPage loadSortPage(Configuration& configuration) {
  return {configuration.settings().LSORT, configuration.settings().RSORT};
}

void applySortPage(Configuration& configuration, const SortPage& page) {
  storeSetting(configuration, &ProgramSettings::LSORT, "LSORT", page.localSort);
  storeSetting(configuration, &ProgramSettings::RSORT, "RSORT", page.remoteSort);
}

TransferPage loadTransferPage(Configuration& configuration) {
  const ProgramSettings& settings = configuration.settings();
  return {settings.PROREGET != 0, settings.PROTIMES != 0, settings.PROOVERW != 0,
          settings.PRODIROW != 0};
}

void applyTransferPage(Configuration& configuration, const TransferPage& page) {
  storeSetting(configuration, &ProgramSettings::PROREGET, "PROREGET", flag(page.resumeDownloads));
  storeSetting(configuration, &ProgramSettings::PROTIMES, "PROTIMES", flag(page.keepFileTimes));
  storeSetting(configuration, &ProgramSettings::PROOVERW, "PROOVERW",
               flag(page.askBeforeOverwrite));
  storeSetting(configuration, &ProgramSettings::PRODIROW, "PRODIROW",
               flag(page.skipOlderInFolders));
}

SessionPage loadSessionPage(Configuration& configuration, const SiteProfile& sessionProfile) {
  const ProgramSettings& settings = configuration.settings();
  SessionPage page;
  page.hostType = sessionProfile.hostType;
  page.updateFolders = settings.DOUPDATE != 0;
  page.progressDialog = settings.HASH != 0;
  page.passiveMode = sessionProfile.passiveMode != 0;
  page.useFirewall = sessionProfile.useFirewall != 0;
  page.forceLowercase = settings.FORCLOW != 0;
  page.convertExtensions = settings.CONVEXT != 0;
  page.rememberFolders = settings.RETAIN != 0;
  return page;
}

bool applySessionPage(Configuration& configuration, SiteProfile& sessionProfile,
                      const SessionPage& page) {
  ProgramSettings& settings = configuration.settings();
  const std::string& site = sessionProfile.profileName;
  const bool hostTypeChanged = sessionProfile.hostType != page.hostType;
  sessionProfile.hostType = page.hostType;
  configuration.WriteIntKey(site, "TYPE", page.hostType);

  settings.DOUPDATE = flag(page.updateFolders);
  settings.HASH = flag(page.progressDialog);
  sessionProfile.passiveMode = flag(page.passiveMode);
  sessionProfile.useFirewall = flag(page.useFirewall);
  settings.FORCLOW = flag(page.forceLowercase);
  settings.CONVEXT = flag(page.convertExtensions);
  settings.RETAIN = flag(page.rememberFolders);
  configuration.WriteSiteInt(site, "DOUPDATE", settings.DOUPDATE);
  configuration.WriteSiteInt(site, "HASH", settings.HASH);
  configuration.WriteSiteInt(site, "PASVMODE", sessionProfile.passiveMode);
  configuration.WriteSiteInt(site, "FIREWALL", sessionProfile.useFirewall);
  configuration.WriteSiteInt(site, "FORCLOW", settings.FORCLOW);
  configuration.WriteSiteInt(site, "CONVEXT", settings.CONVEXT);
  configuration.WriteSiteInt(site, "RETAIN", settings.RETAIN);
  return hostTypeChanged;
}

void setSessionPageAsDefault(Configuration& configuration, const SessionPage& page) {
  writeConfigInt(configuration, "DOUPDATE", flag(page.updateFolders));
  writeConfigInt(configuration, "HASH", flag(page.progressDialog));
  writeConfigInt(configuration, "PASVMODE", flag(page.passiveMode));
  writeConfigInt(configuration, "FIREWALL", flag(page.useFirewall));
  writeConfigInt(configuration, "FORCLOW", flag(page.forceLowercase));
  writeConfigInt(configuration, "CONVEXT", flag(page.convertExtensions));
  writeConfigInt(configuration, "RETAIN", flag(page.rememberFolders));
}

bool saveCurrentFolders(Configuration& configuration, const SiteProfile& sessionProfile,
                        bool connected, std::string_view remoteFolder,
                        std::string_view localFolder) {
  if (!connected || sessionProfile.profileName.empty()) return false;
  std::string quotedFolder = "\"";
  quotedFolder.append(remoteFolder).push_back('"');
  return configuration.iniFile().writeKeys(sessionProfile.profileName,
                                           {{"DIR", quotedFolder}, {"LOCDIR", localFolder}});
}

SessionMorePage loadSessionMorePage(Configuration& configuration, TransferModeSetting current) {
  const ProgramSettings& settings = configuration.settings();
  SessionMorePage page;
  page.sendUnique = settings.STOU != 0;
  page.receiveUnique = settings.RECU != 0;
  page.promptNames = settings.PROMPT != 0;
  if (current.automatic) {
    page.mode = StartupMode::kAutoDetect;
  } else if (current.mode == 'A') {
    page.mode = StartupMode::kAscii;
  } else if (current.mode == 'L') {
    page.mode = StartupMode::kL8;
  } else {
    page.mode = StartupMode::kBinary;
  }
  return page;
}

TransferModeSetting applySessionMorePage(Configuration& configuration,
                                         const SiteProfile& sessionProfile,
                                         const SessionMorePage& page, TransferModeSetting current) {
  TransferModeSetting result{current.mode, page.mode == StartupMode::kAutoDetect};
  if (page.mode == StartupMode::kAscii) result.mode = 'A';
  if (page.mode == StartupMode::kBinary) result.mode = 'I';
  if (page.mode == StartupMode::kL8) result.mode = 'L';

  ProgramSettings& settings = configuration.settings();
  settings.STOU = flag(page.sendUnique);
  settings.RECU = flag(page.receiveUnique);
  settings.PROMPT = flag(page.promptNames);
  settings.AMODE = flag(result.automatic);
  settings.MODE = result.mode;
  const std::string& site = sessionProfile.profileName;
  configuration.WriteSiteInt(site, "STOU", settings.STOU);
  configuration.WriteSiteInt(site, "RECU", settings.RECU);
  configuration.WriteSiteInt(site, "PROMPT", settings.PROMPT);
  configuration.WriteSiteInt(site, "AMODE", settings.AMODE);
  configuration.WriteSiteInt(site, "MODE", settings.MODE);
  return result;
}

void setSessionMorePageAsDefault(Configuration& configuration, const SessionMorePage& page) {
  writeConfigInt(configuration, "STOU", flag(page.sendUnique));
  writeConfigInt(configuration, "RECU", flag(page.receiveUnique));
  writeConfigInt(configuration, "PROMPT", flag(page.promptNames));
  writeConfigInt(configuration, "AMODE", flag(page.mode == StartupMode::kAutoDetect));
  std::int32_t mode = 'I';
  if (page.mode == StartupMode::kAscii) mode = 'A';
  if (page.mode == StartupMode::kL8) mode = 'L';
  writeConfigInt(configuration, "MODE", mode);
}

void saveWindowLocations(Configuration& configuration, const WindowLocations& locations) {
  auto number = [](std::int32_t value) {
    return std::to_string(static_cast<std::uint32_t>(value));
  };
  auto rectangle = [&](const WindowRectangle& r) {
    return number(r.left) + ',' + number(r.top) + ',' + number(r.width) + ',' + number(r.height);
  };
  auto columns = [&](const std::array<std::int32_t, 4>& stops) {
    return number(stops[0]) + ',' + number(stops[1]) + ',' + number(stops[2]) + ',' +
           number(stops[3]);
  };
  if (locations.maximized) {
    configuration.WriteConfigString("MAXIMIZE", "1");
  } else {
    configuration.WriteConfigString("MAXIMIZE", std::nullopt);
    configuration.WriteConfigString("LOC", rectangle(locations.mainWindow) + ',' +
                                               number(locations.splitters[0]) + ',' +
                                               number(locations.splitters[1]));
  }
  if (locations.logWindow && locations.logWindow->width != 0) {
    configuration.WriteConfigString("SLOC", rectangle(*locations.logWindow));
  }
  for (const auto& [key, stops] : {std::pair{"LOCL", locations.localColumns},
                                   std::pair{"LOCR", locations.remoteColumns}}) {
    configuration.WriteConfigString(key, stops ? std::optional<std::string>(columns(*stops)) : std::nullopt);
  }
}

void resetWindowLocations(Configuration& configuration) {
  configuration.iniFile().writeKeys(kConfigSection, {{"LOC", std::nullopt},
                                                     {"SLOC", std::nullopt},
                                                     {"LOCL", std::nullopt},
                                                     {"LOCR", std::nullopt}});
}

AsciiNameList AsciiNameList::load(const std::filesystem::path& path) {
  AsciiNameList list;
  std::ifstream file(path);
  if (!file) {
    list.entries_.emplace_back(".TXT");
    return list;
  }
  for (std::string line; std::getline(file, line);) {
    const std::string_view entry = withoutLineEnd(line).substr(0, kEntryLength);
    if (entry.size() > 1) list.entries_.emplace_back(entry);
  }
  return list;
}

bool AsciiNameList::add(std::string_view text) {
  text = text.substr(0, kEntryLength);
  if (text.size() < 2) return false;
  const bool listed = std::any_of(entries_.begin(), entries_.end(), [&](const std::string& entry) {
    return equalsIgnoringCase(entry, text);
  });
  if (listed) return false;
  entries_.emplace_back(text);
  return true;
}

bool AsciiNameList::remove(std::string_view text) {
  auto found = std::find_if(entries_.begin(), entries_.end(), [&](const std::string& entry) {
    return equalsIgnoringCase(entry, text);
  });
  if (found == entries_.end()) return false;
  entries_.erase(found);
  return true;
}

bool AsciiNameList::save(const std::filesystem::path& path) const {
  std::vector<std::string> kept;
  std::copy_if(entries_.begin(), entries_.end(), std::back_inserter(kept),
               [](const std::string& entry) { return entry.size() > 1; });
  return writeLines(path, kept);
}

ConversionList ConversionList::load(const std::filesystem::path& path) {
  ConversionList list;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    const std::string_view entry = withoutLineEnd(line).substr(0, kConversionLineLength);
    if (!entry.empty()) list.entries_.emplace_back(entry);
  }
  return list;
}

void ConversionList::add(std::string_view source, std::string_view destination) {
  const std::string prefix = conversionPrefix(source);
  remove(source);
  entries_.push_back(prefix + cut(destination, kFieldLength));
}

bool ConversionList::remove(std::string_view source) {
  const std::string prefix = conversionPrefix(source);
  auto found = std::find_if(entries_.begin(), entries_.end(), [&](const std::string& entry) {
    return startsWithIgnoringCase(entry, prefix);
  });
  if (found == entries_.end()) return false;
  entries_.erase(found);
  return true;
}

std::pair<std::string, std::string> ConversionList::split(std::string_view entry) {
  const std::size_t equals = entry.find('=');
  if (equals == std::string_view::npos) return {std::string(entry), std::string()};
  return {std::string(entry.substr(0, equals)), std::string(entry.substr(equals + 1))};
}

bool ConversionList::save(const std::filesystem::path& path) const {
  std::vector<std::string> kept;
  std::copy_if(entries_.begin(), entries_.end(), std::back_inserter(kept),
               [](const std::string& entry) { return entry.find('=') != std::string::npos; });
  return writeLines(path, kept);
}

}  // namespace ferrix::config
