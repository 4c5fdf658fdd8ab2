#include "config/site_editor.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "config/firewall_settings.h"
#include "config/text_rules.h"

namespace ferrix::config {

namespace {

constexpr std::int32_t kMostRetries = 49;
constexpr std::int32_t kRetriesWhenTooMany = 40;
constexpr std::int32_t kLowestSitePort = 10;
constexpr std::int32_t kLowestFirewallPort = 28;
constexpr std::int32_t kHighestPort = 65535;
constexpr std::int32_t kDefaultFirewallButton = 3;
constexpr std::int32_t kFirewallTypeCount = 8;

std::string_view trimmedBlanks(std::string_view text) {
  text = withoutLeadingBlanks(text);
  const std::size_t last = text.find_last_not_of(" \t");
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// Ports outside 1..65535 cannot be connected to, so they count as the low
// entries the pages already replace by 21.
std::int32_t portOrDefault(std::string_view text, std::int32_t lowest) {
  const std::int32_t port = numberInField(text, false).value_or(0);
  return port < lowest || port > kHighestPort ? SiteProfile::kDefaultPort : port;
}

}  // namespace

std::optional<std::int32_t> numberInField(std::string_view text, bool isSigned) {
  text = trimmedBlanks(text);
  if (text.empty() || (text.front() == '-' && !isSigned)) return std::nullopt;
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::int32_t retriesFromField(std::string_view text) {
  const std::int32_t retries = numberInField(text, false).value_or(0);
  return retries > kMostRetries ? kRetriesWhenTooMany : retries;
}

std::int32_t timeoutFromField(std::string_view text) {
  const std::int32_t seconds = numberInField(text, false).value_or(0);
  return seconds == 0 ? SiteProfile::kDefaultTimeoutSeconds : seconds;
}

std::int32_t portFromField(std::string_view text) { return portOrDefault(text, kLowestSitePort); }

std::int32_t firewallPortFromField(std::string_view text) {
  return portOrDefault(text, kLowestFirewallPort);
}

std::int32_t timeOffsetFromField(std::string_view text) {
  return numberInField(text, true).value_or(0);
}

std::string charsetFromField(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string(SiteProfile::kAutomaticCharset);
  const std::string_view name = text.substr(first, text.find_last_not_of(' ') + 1 - first);
  if (equalsIgnoringCase(name, SiteProfile::kAutomaticCharset)) {
    return std::string(SiteProfile::kAutomaticCharset);
  }
  return std::string(name);
}

SiteEditor::SiteEditor(Configuration& configuration, SiteProfileStore& store,
                       SiteProfile& sessionProfile)
    : configuration_(configuration), store_(store), sessionProfile_(sessionProfile) {}

void SiteEditor::open() {
  sites_ = store_.listSites();
  edited_ = sessionProfile_;
  loadEdited();
}

bool SiteEditor::passwordSavingAllowed() { return configuration_.passwordSavingFlags() <= 0; }

void SiteEditor::loadEdited() {
  store_.loadProfile(edited_);
  if (!passwordSavingAllowed()) edited_.savePassword = 0;
}

bool SiteEditor::chooseSite(std::string_view name) {
  if (!store_.hasSite(name)) return false;
  edited_.profileName = std::string(name);
  loadEdited();
  sessionProfile_ = edited_;
  return true;
}

void SiteEditor::makeAnonymous() {
  edited_.userId = "anonymous";
  edited_.password = cutToLength(store_.mailAddress(), kUserFieldLength);
  edited_.account.clear();
}

void SiteEditor::newSite() {
  edited_.profileName.clear();
  loadEdited();
  edited_.tls = SiteProfile::kTlsRequired;
}

std::optional<std::size_t> SiteEditor::deleteSite() {
  const std::string name = edited_.profileName;
  if (!store_.deleteSite(name)) return std::nullopt;
  auto listed = std::find_if(sites_.begin(), sites_.end(),
                             [&](const std::string& site) { return equalsIgnoringCase(site, name); });
  std::size_t position = 0;
  if (listed != sites_.end()) {
    position = static_cast<std::size_t>(listed - sites_.begin());
    sites_.erase(listed);
  }
  if (sites_.empty()) {
    newSite();
    return std::nullopt;
  }
  if (position >= sites_.size()) position = 0;
  edited_.profileName = sites_[position];
  loadEdited();
  return position;
}

std::string SiteEditor::comment() { return store_.comment(edited_.profileName); }

void SiteEditor::addToSites(const std::string& name) {
  const bool listed = std::any_of(sites_.begin(), sites_.end(), [&](const std::string& site) {
    return equalsIgnoringCase(site, name);
  });
  if (listed) return;
  sites_.insert(std::upper_bound(sites_.begin(), sites_.end(), name, lessIgnoringCase), name);
}

bool SiteEditor::acceptGeneral(const GeneralEntries& entries) {
  edited_.hostName = cutToLength(entries.hostName, kHostNameLength);
  std::string name = cutToLength(entries.profileName, kProfileNameLength);
  if (name.empty()) name = cutToLength(edited_.hostName, kProfileNameLength);
  // The INI file trims section names, so the record does too.
  edited_.profileName = std::string(trimmedBlanks(name));
  edited_.userId = cutToLength(entries.userId, kUserFieldLength);
  edited_.password = cutToLength(entries.password, kUserFieldLength);
  edited_.account = cutToLength(entries.account, kUserFieldLength);
  edited_.savePassword = entries.savePassword && passwordSavingAllowed() ? 1 : 0;
  edited_.hostType = entries.hostType.value_or(kAutomaticHostType);
  edited_.port = portFromField(entries.port);
  edited_.tls = std::clamp(entries.tls, static_cast<int>(SiteProfile::kTlsOff),
                           static_cast<int>(SiteProfile::kTlsImplicit));
  if (!store_.saveProfile(edited_)) return false;
  addToSites(edited_.profileName);
  store_.writeComment(edited_.profileName, entries.comment);
  return true;
}

bool SiteEditor::acceptStartup(const StartupEntries& entries) {
  edited_.remoteFolder = cutToLength(entries.remoteFolder, kFolderLength);
  edited_.localFolder = cutToLength(entries.localFolder, kFolderLength);
  edited_.initialCommand = cutToLength(entries.initialCommand, kInitialCommandLength);
  edited_.localMask = cutToLength(entries.localMask, kMaskLength);
  edited_.remoteMask = cutToLength(entries.remoteMask, kMaskLength);
  edited_.timeOffsetHours = timeOffsetFromField(entries.timeOffsetHours);
  return store_.saveProfile(edited_);
}

std::int32_t portForEncryption(std::int32_t port, int fromTls, int toTls) {
  const auto standard = [](int tls) {
    return tls == SiteProfile::kTlsImplicit ? SiteProfile::kImplicitTlsPort
                                            : SiteProfile::kDefaultPort;
  };
  return port == standard(fromTls) ? standard(toTls) : port;
}

bool SiteEditor::acceptAdvanced(const AdvancedEntries& entries) {
  edited_.retries = retriesFromField(entries.retries);
  edited_.timeoutSeconds = timeoutFromField(entries.timeoutSeconds);
  edited_.passiveMode = entries.passiveMode ? 1 : 0;
  edited_.charset = charsetFromField(entries.charset);
  edited_.useServerPassiveAddress = entries.useServerPassiveAddress ? 1 : 0;
  return store_.saveProfile(edited_);
}

FirewallEntries SiteEditor::firewallPage() {
  const FirewallSettings firewall = readFirewallSettings(configuration_);
  FirewallEntries page;
  page.useFirewall = edited_.useFirewall != 0;
  if (!firewall.host.empty()) {
    page.host = firewall.host;
    page.userId = firewall.userId;
    page.password = firewall.password.value_or("");
    page.savePassword = firewall.password.has_value();
    if (edited_.port < kLowestSitePort) edited_.port = SiteProfile::kDefaultPort;
    page.port = std::to_string(firewall.port.value_or(edited_.port));
  }
  if (firewall.type >= 0 && firewall.type < kFirewallTypeCount) page.type = firewall.type;
  return page;
}

bool SiteEditor::acceptFirewall(const FirewallEntries& entries) {
  edited_.useFirewall = entries.useFirewall ? 1 : 0;
  if (entries.useFirewall) {
    FirewallSettings firewall;
    firewall.type = entries.type.value_or(kDefaultFirewallButton);
    firewall.host = entries.host;
    firewall.userId = entries.userId;
    if (entries.savePassword) firewall.password = cutToLength(entries.password, kUserFieldLength);
    // The logon connects through this port, so it also becomes the site's.
    firewall.port = firewallPortFromField(entries.port);
    edited_.port = *firewall.port;
    writeFirewallSettings(configuration_, firewall);
  }
  return store_.saveProfile(edited_);
}

void SiteEditor::cancel() { edited_ = sessionProfile_; }

void SiteEditor::useEdited() { sessionProfile_ = edited_; }

}  // namespace ferrix::config
