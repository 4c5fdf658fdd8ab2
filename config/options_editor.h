// OptionsEditor: the state of one opening of the options sheet. It reads
// each page's values the first time the page is shown, remembers which pages
// the person changed, and on OK writes the pages that were changed, each by
// its own rules (options_pages.h). Cancel is simply dropping the editor: the
// buttons that act at once have already written what they write.
//
// The editor works on the configuration and the session state it is given
// (the session profile and the transfer mode in use are changed on OK) and
// owns the page records. Thread rule: the thread that owns the Configuration.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "config/configuration.h"
#include "config/options_pages.h"
#include "config/site_profile.h"

namespace ferrix::config {

// The pages in sheet order.
enum class OptionsPage {
  kGeneral,
  kAdvanced,
  kDisplay,
  kSounds,
  kSort,
  kTransfer,
  kSession,
  kSessionMore,
  kConvert,
  kExtensions,
  kAssociations,
};
inline constexpr std::size_t kOptionsPageCount = 11;

// The session state the Session pages show and change.
struct SessionOptionsState {
  SiteProfile& sessionProfile;
  TransferModeSetting& transferMode;
  bool connected = false;
  std::string remoteFolder;  // current folders, for "Save Current Folders"
  std::string localFolder;
};

// What the window has to do after OK.
struct AppliedOptions {
  bool redecodeListing = false;  // connected and the host type changed
  bool relayout = false;         // a layout key of the Display page changed
  bool reapplyListFont = false;  // FONT changed
  bool soundsChanged = false;
  bool sortChanged = false;
};

class OptionsEditor {
 public:
  OptionsEditor(Configuration& configuration, SessionOptionsState session);

  // "Session" while connected, otherwise "General".
  OptionsPage startPage() const;

  // A page's values, read when first asked for.
  GeneralPage& general();
  AdvancedPage& advanced();
  DisplayPage& display();
  SoundsPage& sounds();
  SortPage& sort();
  TransferPage& transfer();
  SessionPage& session();
  SessionMorePage& sessionMore();
  ConversionList& conversions();
  AsciiNameList& asciiNames();

  void markChanged(OptionsPage page) { changed_[static_cast<std::size_t>(page)] = true; }
  bool isChanged(OptionsPage page) const { return changed_[static_cast<std::size_t>(page)]; }

  // OK: writes every changed page, in sheet order. The Associations page
  // keeps its entries in WIN.INI, which the page itself writes.
  AppliedOptions apply();

  // The buttons that act at once, with the page's values as they stand.
  void setSessionAsDefault();
  void setSessionMoreAsDefault();
  bool saveCurrentFolders();
  void storeCustomFont(const CustomFont& font);

  Configuration& configuration() { return configuration_; }
  const SessionOptionsState& sessionState() const { return session_; }

 private:
  Configuration& configuration_;
  SessionOptionsState session_;
  std::array<bool, kOptionsPageCount> changed_{};
  std::optional<GeneralPage> general_;
  std::optional<AdvancedPage> advanced_;
  std::optional<DisplayPage> display_;
  std::optional<SoundsPage> sounds_;
  std::optional<SortPage> sort_;
  std::optional<TransferPage> transfer_;
  std::optional<SessionPage> sessionPage_;
  std::optional<SessionMorePage> sessionMore_;
  std::optional<ConversionList> conversions_;
  std::optional<AsciiNameList> asciiNames_;
};

}  // namespace ferrix::config
