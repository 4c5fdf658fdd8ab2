#include "config/configuration.h"

#include <utility>

namespace ferrix::config {
namespace {

// Longest values kept of the string keys read where they are used.
constexpr std::size_t kViewerLength = 120;
constexpr std::size_t kTransferLogNameLength = 156;
constexpr std::size_t kPlacementLength = 80;
constexpr std::size_t kFontNameLength = 31;
constexpr std::size_t kWaveFileLength = 255;

// Cuts at a character boundary so a long value never ends in half a UTF-8
// sequence.
std::string cutToLength(std::string text, std::size_t maxLength) {
  if (text.size() <= maxLength) return text;
  std::size_t end = maxLength;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

std::string winIniPath(const platform::Paths& paths) {
  std::string folder = paths.configFolder();
  if (folder.empty()) return platform::absolutePath(kWinIniName, paths.currentFolder());
  return platform::joinPath(folder, kWinIniName);
}

}  // namespace

Configuration::Configuration(std::unique_ptr<platform::Paths> paths)
    : paths_(std::move(paths)),
      iniPath_(locateAbsolute(kIniFileName)),
      ini_(std::make_unique<platform::IniFile>(iniPath_)),
      winIni_(winIniPath(*paths_)),
      helpFilePath_(locateCompanion(kHelpFileName)),
      extensionListPath_(locateCompanion(kExtensionListName)),
      conversionListPath_(locateCompanion(kConversionListName)) {}

std::string Configuration::LocateProgramFile(std::string_view baseName) const {
  std::string current = paths_->currentFolder();
  const std::string candidates[] = {
      platform::absolutePath(baseName, current),
      platform::joinPath(current, baseName),
      platform::joinPath(paths_->programFolder(), baseName),
  };
  for (const std::string& candidate : candidates) {
    if (platform::fileExists(candidate)) return candidate;
  }
  return platform::joinPath(paths_->configFolder(), baseName);
}

std::string Configuration::absoluteForm(std::string_view path) const {
  return platform::absolutePath(path, paths_->currentFolder());
}

std::string Configuration::locateAbsolute(std::string_view baseName) const {
  std::string located = LocateProgramFile(baseName);
  return platform::needsAbsoluteForm(located) ? absoluteForm(located) : located;
}

std::string Configuration::locateCompanion(std::string_view baseName) const {
  std::string located = locateAbsolute(baseName);
  if (platform::fileExists(located)) return located;
  const std::string installed = platform::joinPath(paths_->dataFolder(), baseName);
  return !paths_->dataFolder().empty() && platform::fileExists(installed) ? installed : located;
}

const std::string& Configuration::extensionListPathForSaving() {
  return savedOutsideDataFolder(extensionListPath_, kExtensionListName);
}

const std::string& Configuration::conversionListPathForSaving() {
  return savedOutsideDataFolder(conversionListPath_, kConversionListName);
}

const std::string& Configuration::savedOutsideDataFolder(std::string& path,
                                                         std::string_view baseName) {
  const std::string dataFolder = paths_->dataFolder();
  if (!dataFolder.empty() && path == platform::joinPath(dataFolder, baseName)) {
    path = locateAbsolute(baseName);
  }
  return path;
}

std::string Configuration::ReadConfigString(std::string_view key, std::string_view fallback,
                                            std::size_t maxLength) {
  return cutToLength(ini_->readString(kConfigSection, key, fallback), maxLength);
}

std::int32_t Configuration::ReadConfigInt(std::string_view key, std::int32_t fallback) {
  return ini_->readInt(kConfigSection, key, fallback);
}

bool Configuration::WriteConfigString(std::string_view key, std::optional<std::string_view> text) {
  return ini_->writeString(kConfigSection, key, text);
}

bool Configuration::WriteIntKey(std::string_view section, std::string_view key,
                                std::int32_t value) {
  return ini_->writeString(section, key, std::to_string(static_cast<std::uint32_t>(value)));
}

std::int32_t Configuration::ReadSiteInt(std::string_view site, std::string_view key,
                                        std::int32_t fallback) {
  if (std::optional<std::int32_t> value = ini_->findInt(site, key)) return *value;
  return ReadConfigInt(key, fallback);
}

bool Configuration::WriteSiteInt(std::string_view site, std::string_view key, std::int32_t value) {
  std::int32_t siteDefault = ReadConfigInt(key, kNoDefaultSentinel);
  if (siteDefault != kNoDefaultSentinel && siteDefault == value) {
    return ini_->writeString(site, key, std::nullopt);
  }
  return WriteIntKey(site, key, value);
}

void Configuration::LoadProgramSettings() {
  const ProgramSettings builtIn;
  settings_.MAILADDR = ReadConfigString("MAILADDR", builtIn.MAILADDR, kMailAddressLength);
  settings_.SESSION = ReadConfigString("SESSION", builtIn.SESSION, kSessionNameLength);
  for (const StartupIntKey& entry : kStartupIntKeys) {
    std::int32_t& member = settings_.*entry.member;
    member = ReadConfigInt(entry.key, entry.currentIsDefault ? member : builtIn.*entry.member);
  }
}

void Configuration::useIniFile(std::string_view typedName) {
  if (!typedName.empty()) {
    std::string located = LocateProgramFile(typedName);
    if (platform::needsAbsoluteForm(located)) {
      iniPath_ = absoluteForm(located);
    } else if (platform::fileExists(located)) {
      iniPath_ = located;
    } else {
      iniPath_ = absoluteForm(typedName);
    }
    ini_ = std::make_unique<platform::IniFile>(iniPath_);
  }
  LoadProgramSettings();
}

std::string Configuration::viewer() {
  return ReadConfigString("VIEWER", "xdg-open", kViewerLength);
}
std::int32_t Configuration::keepTransferLog() { return ReadConfigInt("dolog", 1); }
std::string Configuration::transferLogName() {
  return ReadConfigString("logfile", "FERRIX.LOG", kTransferLogNameLength);
}
std::int32_t Configuration::startMaximized() { return ReadConfigInt("MAXIMIZE", 0); }

std::optional<std::string> Configuration::mainWindowPlacement() {
  std::optional<std::string> placement = ini_->find(kConfigSection, "LOC");
  if (!placement) return std::nullopt;
  return cutToLength(std::move(*placement), kPlacementLength);
}

std::string Configuration::localPaneRectangle() {
  return ReadConfigString("LOCL", "20,140,260,330", kPlacementLength);
}
std::string Configuration::remotePaneRectangle() {
  return ReadConfigString("LOCR", "20,140,260,330", kPlacementLength);
}
std::string Configuration::logWindowRectangle() {
  return ReadConfigString("SLOC", "0,0,0,0", kPlacementLength);
}
std::string Configuration::fontName() {
  return ReadConfigString("FNAME", "Courier New", kFontNameLength);
}
std::int32_t Configuration::fontHeight() { return ReadConfigInt("FHEIGHT", -11); }
std::int32_t Configuration::fontWidth() { return ReadConfigInt("FWIDTH", 0); }
std::int32_t Configuration::fontWeight() { return ReadConfigInt("FWEIGHT", 400); }
std::int32_t Configuration::fontPitch() { return ReadConfigInt("FPITCH", 49); }

std::int32_t Configuration::passwordSavingFlags() {
  if (std::optional<std::int32_t> flags = winIni_.findInt("FERRIX", "SPFLAGS")) return *flags;
  return ReadConfigInt("SPFLAGS", 0);
}

std::int32_t Configuration::soundOn() { return ReadConfigInt("BELL", 1); }
std::int32_t Configuration::playWaveFiles() { return ReadConfigInt("usewave", 1); }
std::int32_t Configuration::soundEventMask() { return ReadConfigInt("soundflags", 30); }

std::string Configuration::waveFile(std::string_view key, std::string_view defaultFileName) {
  std::string beside = platform::joinPath(paths_->programFolder(), defaultFileName);
  const std::string installed = platform::joinPath(paths_->dataFolder(), defaultFileName);
  if (!platform::fileExists(beside) && !paths_->dataFolder().empty() &&
      platform::fileExists(installed)) {
    beside = installed;
  }
  return ReadConfigString(key, beside, kWaveFileLength);
}

}  // namespace ferrix::config
