// The program's configuration: which INI file is in use (`IniPath`), where
// its companion files are (help file, ASCII name list, extension conversion
// list), the small set of operations through which every other part reads
// and writes the INI file, and the program-wide settings loaded from it.
//
// Files are searched in the current folder, then the program's folder, then
// the per-user configuration folder, which is also where a missing INI file
// is created. The companion files (help, lists, sounds) are looked for last
// in the installed data folder, whose copies are never written. Reading
// never fails (missing files and keys give defaults); a failed write returns
// false and changes nothing, and the program goes on.
//
// A Configuration owns its paths service, the INI file objects and the
// ProgramSettings record. Thread rule: construct it, switch files ("-i") and
// load the settings on the start-up thread before other threads exist; the
// INI read and write operations may then be called from any thread (the file
// serializes them); the settings record belongs to the thread that owns the
// window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/program_settings.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

namespace ferrix::config {

inline constexpr std::string_view kConfigSection = "_config_";
inline constexpr std::string_view kIniFileName = "FERRIX.INI";
inline constexpr std::string_view kHelpFileName = "FERRIX.HLP";
inline constexpr std::string_view kExtensionListName = "FERRIX.EXT";
inline constexpr std::string_view kConversionListName = "FERRIX.CNV";
inline constexpr std::string_view kWinIniName = "win.ini";
// Stands for "no `_config_` default" in WriteSiteInt.
inline constexpr std::int32_t kNoDefaultSentinel = 99;

class Configuration {
 public:
  // Locates the INI file and the companion files through `paths`; the
  // settings keep their built-in defaults until LoadProgramSettings.
  explicit Configuration(std::unique_ptr<platform::Paths> paths);

  // The first existing file among: the name made absolute against the
  // current folder, the current folder, the program's folder; else the name
  // in the configuration folder whether or not it exists there (the bare
  // name when that folder is unknown).
  std::string LocateProgramFile(std::string_view baseName) const;

  const std::string& IniPath() const { return iniPath_; }
  const std::string& helpFilePath() const { return helpFilePath_; }
  const std::string& extensionListPath() const { return extensionListPath_; }
  const std::string& conversionListPath() const { return conversionListPath_; }
  // Where a changed list is saved: where it was found, unless that is the
  // installed copy, which stays as shipped; then the configuration folder's
  // file, which is read from then on.
  const std::string& extensionListPathForSaving();
  const std::string& conversionListPathForSaving();

  // The key's value in `_config_` or the fallback, cut to `maxLength` bytes
  // without splitting a UTF-8 character.
  std::string ReadConfigString(std::string_view key, std::string_view fallback,
                               std::size_t maxLength);
  std::int32_t ReadConfigInt(std::string_view key, std::int32_t fallback);
  // Without text the key is deleted.
  bool WriteConfigString(std::string_view key, std::optional<std::string_view> text);
  // Written as unsigned decimal: -11 is stored as 4294967285 and reads back as -11.
  bool WriteIntKey(std::string_view section, std::string_view key, std::int32_t value);

  // The key from the site section, else from `_config_`, else the fallback.
  std::int32_t ReadSiteInt(std::string_view site, std::string_view key, std::int32_t fallback);
  // Removes the key from the site section when it equals the `_config_`
  // value (so the site follows later changes of that default); writes it
  // otherwise, and always while `_config_` lacks the key.
  bool WriteSiteInt(std::string_view site, std::string_view key, std::int32_t value);

  // Reads the start-up keys of `_config_` into the settings. The site
  // profile named by SESSION is not loaded here: site profiles come with
  // their own module, so the name is kept in `settings().SESSION` and
  // SiteProfileStore::loadSessionProfile loads it (after "-i" too).
  void LoadProgramSettings();

  // "-i": switches to another INI file and loads the settings from it. A
  // name found by the search (or one with a relative result) becomes
  // absolute; a file found nowhere keeps the typed name, anchored to the
  // current folder so that later changes of folder do not move it. An
  // empty name keeps the file in use.
  void useIniFile(std::string_view typedName);

  ProgramSettings& settings() { return settings_; }

  // The INI file in use, for the sections other than `_config_` (site
  // profiles, FIREWALL, resume records). "-i" replaces it, so callers look it
  // up each time rather than keeping it.
  platform::IniFile& iniFile() { return *ini_; }
  // Our WIN.INI (`win.ini` in the configuration folder): SPFLAGS and the
  // file associations of the `Extensions` section.
  platform::IniFile& winIni() { return winIni_; }

  // Keys read where they are used, with their defaults.
  std::string viewer();  // "xdg-open" where Windows had "notepad"
  std::int32_t keepTransferLog();
  std::string transferLogName();
  std::int32_t startMaximized();
  std::optional<std::string> mainWindowPlacement();
  std::string localPaneRectangle();
  std::string remotePaneRectangle();
  std::string logWindowRectangle();
  std::string fontName();
  std::int32_t fontHeight();
  std::int32_t fontWidth();
  std::int32_t fontWeight();
  std::int32_t fontPitch();
  // SPFLAGS, looked up in win.ini first; above 0 no site password is saved.
  std::int32_t passwordSavingFlags();
  std::int32_t soundOn();         // BELL
  std::int32_t playWaveFiles();   // usewave
  std::int32_t soundEventMask();  // soundflags
  // A sound event's wave file key (sndcs, sndcf, sndts, sndtf, sndaf); by
  // default the named file beside the program, or the installed one when
  // only that exists.
  std::string waveFile(std::string_view key, std::string_view defaultFileName);

 private:
  std::string absoluteForm(std::string_view path) const;
  std::string locateAbsolute(std::string_view baseName) const;
  std::string locateCompanion(std::string_view baseName) const;
  const std::string& savedOutsideDataFolder(std::string& path, std::string_view baseName);

  std::unique_ptr<platform::Paths> paths_;
  std::string iniPath_;
  std::unique_ptr<platform::IniFile> ini_;
  platform::IniFile winIni_;
  std::string helpFilePath_;
  std::string extensionListPath_;
  std::string conversionListPath_;
  ProgramSettings settings_;
};

}  // namespace ferrix::config
