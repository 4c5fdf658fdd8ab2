// SiteEditor: the engine side of the site dialog. It holds the edited
// profile and the list of sites, and carries out what the four pages do
// (General, Startup, Advanced, Firewall): choosing, creating and deleting a
// site, and taking each page's entries on OK by that page's rules (limits,
// defaults and clamps), then saving. The window only wires widgets to it.
//
// The editor works on the session profile and the store it is given and
// owns the edited profile. Thread rule: the thread that owns the dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/configuration.h"
#include "config/site_profile.h"
#include "config/site_profile_store.h"

namespace ferrix::config {

// What the General page holds when OK is pressed.
struct GeneralEntries {
  std::string profileName;
  std::string hostName;
  std::string userId;
  std::string password;
  std::string account;
  bool savePassword = false;
  std::optional<std::int32_t> hostType;  // item data of the selected type
  std::string comment;
  std::string port;
  int tls = SiteProfile::kTlsWhenOffered;  // SiteProfile::Tls
};

// The Startup page's fields, as typed.
struct StartupEntries {
  std::string remoteFolder;
  std::string localFolder;
  std::string initialCommand;
  std::string localMask;
  std::string remoteMask;
  std::string timeOffsetHours;
};

// The Advanced page's fields, as typed.
struct AdvancedEntries {
  std::string retries;
  std::string timeoutSeconds;
  bool passiveMode = true;
  std::string charset = std::string(SiteProfile::kAutomaticCharset);
  bool useServerPassiveAddress = false;
};

// The port the field shows after the encryption choice moved from `fromTls`
// to `toTls`: the standard port of the one becomes that of the other; a port
// of the user's own stays.
std::int32_t portForEncryption(std::int32_t port, int fromTls, int toTls);

// The Firewall page, as shown and as taken on OK. `type` is the checked
// logon scheme button, nothing when none is checked.
struct FirewallEntries {
  bool useFirewall = false;
  std::string host;
  std::string userId;
  std::string password;
  bool savePassword = false;
  std::string port;
  std::optional<std::int32_t> type;
};

// The number typed in a field: blanks around it allowed, a leading '-' only
// when `isSigned`; nothing when it is not a number or does not fit 32 bits.
std::optional<std::int32_t> numberInField(std::string_view text, bool isSigned);

// The clamps of the pages, from the text typed in the field.
std::int32_t retriesFromField(std::string_view text);          // above 49: 40
std::int32_t timeoutFromField(std::string_view text);          // 0 or unreadable: 65
std::int32_t portFromField(std::string_view text);             // below 10: 21
std::int32_t firewallPortFromField(std::string_view text);     // below 28: 21
std::int32_t timeOffsetFromField(std::string_view text);       // unreadable: 0
std::string charsetFromField(std::string_view text);           // blank or any case of auto: "auto"

class SiteEditor {
 public:
  SiteEditor(Configuration& configuration, SiteProfileStore& store, SiteProfile& sessionProfile);

  // Opening the dialog: lists the sites and loads the session profile again
  // by name into the edited profile.
  void open();

  const SiteProfile& edited() const { return edited_; }
  const std::vector<std::string>& sites() const { return sites_; }

  // False when SPFLAGS forbids saving passwords (the box is then hidden).
  bool passwordSavingAllowed();

  // Choosing a site by list or by typed name: a saved site (one with HOST)
  // is loaded into the edited profile, which becomes the session profile at
  // once. Returns false, changing nothing, for a name that is not saved.
  bool chooseSite(std::string_view name);

  // "Anonymous" checked: user "anonymous", the e-mail address as password
  // (asked for when there is none), no account.
  void makeAnonymous();

  // "New": an empty profile with every default and no name or host; it
  // requires explicit TLS.
  void newSite();

  // "Delete": removes the edited site's section and its list entry, then
  // loads the entry now at that position (else the first). Returns the
  // position now selected, nothing when the list is empty or there was no
  // site to delete.
  std::optional<std::size_t> deleteSite();

  // COMMENT of the edited site.
  std::string comment();

  // OK on each page: takes the entries by the page's rules and saves the
  // whole edited profile. Each returns false when the profile could not be
  // saved (no name, or a name that is not a site).
  bool acceptGeneral(const GeneralEntries& entries);
  bool acceptStartup(const StartupEntries& entries);
  bool acceptAdvanced(const AdvancedEntries& entries);
  bool acceptFirewall(const FirewallEntries& entries);

  // What the Firewall page shows for the edited profile.
  FirewallEntries firewallPage();

  // Cancel: the edited profile goes back to the session profile.
  void cancel();

  // OK, after every page has taken its entries: the edited profile becomes
  // the session profile the connect command uses.
  void useEdited();

 private:
  void loadEdited();
  void addToSites(const std::string& name);

  Configuration& configuration_;
  SiteProfileStore& store_;
  SiteProfile& sessionProfile_;
  SiteProfile edited_;
  std::vector<std::string> sites_;
};

}  // namespace ferrix::config
