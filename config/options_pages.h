// The values of the options sheet's pages and the rules by which each page
// reads them and writes them back: one plain record per page, loaded from the
// configuration (and the session profile for the two session pages) and
// applied by writing exactly the keys the page owns. Also the buttons that
// write at once ("Set as default", saving the current folders or the window
// locations, the custom list font) and the two list editors: the ASCII name
// list (FERRIX.EXT) and the extension conversion list (FERRIX.CNV).
//
// Records are plain data owned by whoever holds them; the functions own
// nothing. Thread rule: the thread that owns the Configuration.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/configuration.h"
#include "config/site_profile.h"

namespace ferrix::config {

inline constexpr std::size_t kViewerFieldLength = 120;
inline constexpr std::size_t kLogFileFieldLength = 156;
inline constexpr std::size_t kWaveFileFieldLength = 255;
inline constexpr std::int32_t kSmallestBuffer = 80;
inline constexpr std::int32_t kLargestBuffer = 1048576;

struct GeneralPage {
  std::string mailAddress;           // MAILADDR
  std::string viewer;                // VIEWER
  std::string logFileName;           // logfile
  bool enableLog = true;             // dolog
  bool verifyDeletions = true;       // VRFYDEL
  bool remoteEditUsesShell = false;  // UseFindExec
  bool debugMessages = false;        // VERBOSE
};

struct AdvancedPage {
  bool fullFolderInformation = true;   // LONGDIR
  bool sitesOnStartup = true;          // AUTOSTART
  std::int32_t rateDisplay = 0;        // tranrate: 0 bits, 1 bytes per second
  std::int32_t doubleClickAction = 0;  // DBLCLK: 0 transfer, 1 view, 2 nothing
  std::string receiveSize;             // RBP, as typed
  std::string sendSize;                // SBP, as typed
};

struct DisplayPage {
  bool alternateLayout = false;  // LAYOUT
  bool buttonsOnTop = false;     // BONTOP
  bool hideButtons = false;      // HIDBTN
  bool autoScaleFonts = false;   // SCALE
  bool balloonHelp = false;      // balloon
  bool fourDigitYears = true;    // LONGDATE
  std::int32_t dateFormat = 0;   // DateFmt: 0 y m d, 1 m d y, 2 d m y
  std::int32_t listFont = 3;     // FONT: 0..3 system and ANSI fonts, 4 custom
};

// The custom list font as the F* keys hold it: height in pixels, negative
// for the character height; weight 400 normal, 700 bold; pitch and family
// byte (49: fixed pitch, modern family).
struct CustomFont {
  std::int32_t height = -11;         // FHEIGHT
  std::int32_t width = 0;            // FWIDTH
  std::int32_t weight = 400;         // FWEIGHT
  std::int32_t pitch = 49;           // FPITCH
  std::string name = "Courier New";  // FNAME
};

// One sound event: its bit, check box caption, wave key and default wave.
struct SoundEventRow {
  std::int32_t event;
  const char* caption;
  const char* waveKey;
  const char* defaultWave;
};
inline constexpr std::array<SoundEventRow, 5> kSoundEventRows = {{
    {1, "Other Failures", "sndaf", "error.wav"},
    {2, "Connection Success", "sndcs", "connect.wav"},
    {4, "Connection Failure", "sndcf", "error.wav"},
    {8, "Transfer Complete Success", "sndts", "complete.wav"},
    {16, "Transfer Complete Failure", "sndtf", "error.wav"},
}};

enum class SoundChoice { kNone, kBeeps, kWave };

struct SoundsPage {
  std::array<bool, 5> enabled{};            // by kSoundEventRows; soundflags
  std::array<std::string, 5> waveFiles;     // sndaf, sndcs, sndcf, sndts, sndtf
  SoundChoice choice = SoundChoice::kWave;  // BELL and usewave
};

struct SortPage {
  std::int32_t localSort = 1;   // LSORT
  std::int32_t remoteSort = 1;  // RSORT
};

struct TransferPage {
  bool resumeDownloads = true;     // PROREGET
  bool keepFileTimes = true;       // PROTIMES
  bool askBeforeOverwrite = true;  // PROOVERW
  bool skipOlderInFolders = true;  // PRODIROW
};

// The options of the current site on the "Session" page.
struct SessionPage {
  std::int32_t hostType = 6000;    // TYPE, of the session profile
  bool updateFolders = true;       // DOUPDATE
  bool progressDialog = true;      // HASH
  bool passiveMode = true;         // PASVMODE, of the session profile
  bool useFirewall = false;        // FIREWALL, of the session profile
  bool forceLowercase = false;     // FORCLOW
  bool convertExtensions = false;  // CONVEXT
  bool rememberFolders = true;     // RETAIN
};

enum class StartupMode { kAscii, kBinary, kL8, kAutoDetect };

// The transfer mode in use: 'A', 'I' or 'L', and automatic choice by name.
struct TransferModeSetting {
  char mode = 'I';
  bool automatic = false;
};

struct SessionMorePage {
  bool sendUnique = false;     // STOU
  bool receiveUnique = false;  // RECU
  bool promptNames = false;    // PROMPT
  StartupMode mode = StartupMode::kBinary;
};

// The buffer size typed in a field, clamped to 80..1048576; a field that is not
// a number counts as 0 and so becomes 80.
std::int32_t bufferSizeFromField(std::string_view text);

GeneralPage loadGeneralPage(Configuration& configuration);
void applyGeneralPage(Configuration& configuration, const GeneralPage& page);

AdvancedPage loadAdvancedPage(Configuration& configuration);
void applyAdvancedPage(Configuration& configuration, const AdvancedPage& page);

DisplayPage loadDisplayPage(Configuration& configuration);
// What applying the Display page changed.
struct DisplayChanges {
  bool layout = false;  // LAYOUT, BONTOP, HIDBTN, SCALE, LONGDATE or DateFmt
  bool font = false;    // FONT
};
DisplayChanges applyDisplayPage(Configuration& configuration, const DisplayPage& page);

CustomFont loadCustomFont(Configuration& configuration);
// Whatever the font chooser returned: FONT becomes 4 and every F* key and
// FONT are written.
void storeCustomFont(Configuration& configuration, const CustomFont& font);

SoundsPage loadSoundsPage(Configuration& configuration);
void applySoundsPage(Configuration& configuration, const SoundsPage& page);

SortPage loadSortPage(Configuration& configuration);
void applySortPage(Configuration& configuration, const SortPage& page);

TransferPage loadTransferPage(Configuration& configuration);
void applyTransferPage(Configuration& configuration, const TransferPage& page);

SessionPage loadSessionPage(Configuration& configuration, const SiteProfile& sessionProfile);
// Writes TYPE always and the other options unless they equal their `_config_`
// default, into the session profile's section. Returns true when the host
// type changed.
bool applySessionPage(Configuration& configuration, SiteProfile& sessionProfile,
                      const SessionPage& page);
// "Set as default": the seven check boxes into `_config_`.
void setSessionPageAsDefault(Configuration& configuration, const SessionPage& page);
// "Save Current Folders as Connection Folders": DIR (in double quotes) and
// LOCDIR into the session profile's section. False, writing nothing, when
// not connected or the profile has no section.
bool saveCurrentFolders(Configuration& configuration, const SiteProfile& sessionProfile,
                        bool connected, std::string_view remoteFolder,
                        std::string_view localFolder);

SessionMorePage loadSessionMorePage(Configuration& configuration, TransferModeSetting current);
// Returns the transfer mode now in use: "Auto Detect" keeps the mode and
// sets the automatic choice.
TransferModeSetting applySessionMorePage(Configuration& configuration,
                                         const SiteProfile& sessionProfile,
                                         const SessionMorePage& page, TransferModeSetting current);
void setSessionMorePageAsDefault(Configuration& configuration, const SessionMorePage& page);

// Window placement as the window reports it for "Save Window Locations".
struct WindowRectangle {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};
struct WindowLocations {
  bool maximized = false;
  WindowRectangle mainWindow;
  std::array<std::int32_t, 2> splitters{};
  std::optional<WindowRectangle> logWindow;  // when it is open
  // Nothing for a pane in the fitting layout: its key is removed.
  std::optional<std::array<std::int32_t, 4>> localColumns;
  std::optional<std::array<std::int32_t, 4>> remoteColumns;
};
void saveWindowLocations(Configuration& configuration, const WindowLocations& locations);
// Deletes LOC, SLOC, LOCL and LOCR; the window moves itself.
void resetWindowLocations(Configuration& configuration);

// The ASCII name list of the "Extensions" page.
class AsciiNameList {
 public:
  static constexpr std::size_t kEntryLength = 9;

  // The entries of the file, or ".TXT" alone when it cannot be read.
  static AsciiNameList load(const std::filesystem::path& path);

  const std::vector<std::string>& entries() const { return entries_; }
  // Adds a text longer than one character unless an entry equals it
  // (ignoring case). True when added.
  bool add(std::string_view text);
  // Removes the entry equal to the text (ignoring case). True when removed.
  bool remove(std::string_view text);
  // One entry a line, entries of one character left out.
  bool save(const std::filesystem::path& path) const;

 private:
  std::vector<std::string> entries_;
};

// The extension conversion list of the "Convert" page: "source=destination".
class ConversionList {
 public:
  static constexpr std::size_t kFieldLength = 19;

  static ConversionList load(const std::filesystem::path& path);

  const std::vector<std::string>& entries() const { return entries_; }
  // Replaces the entry for the source, if any, by source=destination.
  void add(std::string_view source, std::string_view destination);
  // Removes the entry for the source. True when one was removed.
  bool remove(std::string_view source);
  // The two fields an entry shows when chosen.
  static std::pair<std::string, std::string> split(std::string_view entry);
  // Every entry holding "=", one a line.
  bool save(const std::filesystem::path& path) const;

 private:
  std::vector<std::string> entries_;
};

}  // namespace ferrix::config
