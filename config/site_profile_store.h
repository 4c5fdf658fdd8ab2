// Site profiles in the INI file: one section per site, named by the profile
// name, loaded into and saved from a SiteProfile by the keys and defaults of
// the site section; the list of sites; deleting a site; remembering the site
// in use (SESSION) and loading it at start.
//
// Loading also sets the per-site session options of the ProgramSettings
// (AMODE, MODE, RETAIN, ...) and, for an anonymous user without a password,
// asks for the e-mail address through the AskText callback the owner gives.
//
// A SiteProfileStore works on the INI file of the Configuration it is given
// and owns nothing; the records it fills belong to the caller. Thread rule:
// the thread that owns the Configuration.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/configuration.h"
#include "config/site_profile.h"

namespace ferrix::config {

// Asks the person for a line of text, the field pre-filled with `text`;
// leaves the entered text in `text` and returns true on OK.
using AskText = std::function<bool(std::string_view prompt, int helpTopic, std::string& text)>;

inline constexpr int kAutomaticHostType = 6000;
inline constexpr std::string_view kAskMailAddressPrompt = "Enter your e-mail address:";
inline constexpr int kAskMailAddressHelpTopic = 270;

// Widths of the profile's text fields (the longest text each holds).
inline constexpr std::size_t kProfileNameLength = 79;
inline constexpr std::size_t kHostNameLength = 250;
inline constexpr std::size_t kUserFieldLength = 79;  // user id, password, account
inline constexpr std::size_t kFolderLength = 143;
inline constexpr std::size_t kInitialCommandLength = 250;
inline constexpr std::size_t kMaskLength = 19;
inline constexpr std::size_t kCommentLength = 79;

// True for "anonymous" in any case.
bool isAnonymousUser(std::string_view userId);

class SiteProfileStore {
 public:
  // `askText` may be empty: then nothing is asked (unattended runs).
  SiteProfileStore(Configuration& configuration, AskText askText);

  // Fills `profile` from the section named by its profile name (every field
  // but the name and serverFeatureMask) and sets the per-site session
  // options. Returns 1 when the section has a HOST key, else 0; a missing
  // section gives a profile whose host name is its own name.
  int loadProfile(SiteProfile& profile);

  // Writes the profile into its section, each key by its rule (defaults and
  // empty texts are removed). Returns false, writing nothing, for an empty
  // name or a section that is not a site (`_config_`, FIREWALL).
  bool saveProfile(const SiteProfile& profile);

  // True when the section has a HOST key, the mark of a saved site.
  bool hasSite(std::string_view name);

  // The site names of the INI file, sorted without regard to case; every
  // section but `_config_` and FIREWALL.
  std::vector<std::string> listSites() const;

  // Deletes the site's whole section. Refuses (false) the sections that are
  // not sites, so `_config_` and FIREWALL cannot be lost this way.
  bool deleteSite(std::string_view name);

  // COMMENT of a site section (shown on the General page); written, or
  // deleted when empty.
  std::string comment(std::string_view name);
  void writeComment(std::string_view name, std::string_view comment);

  // The e-mail address sent as the anonymous password. While MAILADDR is
  // empty the person is asked (until they cancel); an address entered is
  // written to MAILADDR. Empty when none was given.
  std::string mailAddress();

  // Writes the profile name of `sessionProfile` to SESSION in `_config_`.
  void rememberCurrentSite(const SiteProfile& sessionProfile);

  // Clears the session profile and loads the site named by SESSION into
  // it; the step of loading the program settings that belongs to the site
  // profiles. Call after Configuration::LoadProgramSettings (also after
  // "-i", which loads them again).
  void loadSessionProfile(SiteProfile& sessionProfile);

  // True for the section names that are not sites.
  static bool isReservedSection(std::string_view name);

 private:
  std::string readText(std::string_view section, std::string_view key, std::size_t maxLength);
  std::optional<std::string> readSecret(std::string_view section, std::string_view key,
                                        const std::string& userId);
  void writeTextOrDelete(std::string_view section, std::string_view key, std::string_view text);
  void writeIntUnlessDefault(std::string_view section, std::string_view key, std::int32_t value,
                             std::int32_t defaultValue);
  void loadSessionOptions(std::string_view section);
  std::int32_t checkedHostType(std::int32_t hostType) const;

  Configuration& configuration_;
  AskText askText_;
  std::int32_t hostTypeCount_;
};

}  // namespace ferrix::config
