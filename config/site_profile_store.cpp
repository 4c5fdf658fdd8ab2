#include "config/site_profile_store.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <utility>

#include "config/firewall_settings.h"
#include "config/quick_connect.h"
#include "config/stored_secret.h"
#include "config/text_rules.h"
#include "ferrixcore.h"

namespace ferrix::config {

namespace {

using S = ProgramSettings;

// The per-site session options: a site keeps its own value only while it
// differs from the `_config_` one; a key missing from both keeps the value
// of the site loaded before.
constexpr std::array<std::pair<const char*, std::int32_t S::*>, 9> kSessionOptions = {{
    {"AMODE", &S::AMODE},
    {"CONVEXT", &S::CONVEXT},
    {"DOUPDATE", &S::DOUPDATE},
    {"FORCLOW", &S::FORCLOW},
    {"PROMPT", &S::PROMPT},
    {"STOU", &S::STOU},
    {"RECU", &S::RECU},
    {"MODE", &S::MODE},
    {"RETAIN", &S::RETAIN},
}};

// Remote folders may begin or end with blanks, which the INI file would trim.
std::string quoted(std::string_view text) {
  std::string result = "\"";
  result.append(text).push_back('"');
  return result;
}

// A section header of the INI text ("[name]", blanks around it allowed);
// nothing for other lines.
std::optional<std::string> sectionNameOf(std::string_view line) {
  const std::size_t open = line.find_first_not_of(" \t");
  if (open == std::string_view::npos || line[open] != '[') return std::nullopt;
  const std::size_t close = line.find(']', open);
  if (close == std::string_view::npos) return std::nullopt;
  std::string_view name = line.substr(open + 1, close - open - 1);
  const std::size_t first = name.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  name = name.substr(first, name.find_last_not_of(" \t") - first + 1);
  return std::string(name);
}

constexpr std::size_t kCertificateFingerprintLength = 128;
constexpr std::size_t kCharsetNameLength = 40;

// Implicit TLS has a port of its own.
std::int32_t defaultPort(int tls) {
  return tls == SiteProfile::kTlsImplicit ? SiteProfile::kImplicitTlsPort
                                          : SiteProfile::kDefaultPort;
}

}  // namespace

bool isAnonymousUser(std::string_view userId) { return equalsIgnoringCase(userId, "anonymous"); }

SiteProfileStore::SiteProfileStore(Configuration& configuration, AskText askText)
    : configuration_(configuration),
      askText_(std::move(askText)),
      hostTypeCount_(FERRIX_ReturnMaxHostTypes()) {}

std::string SiteProfileStore::readText(std::string_view section, std::string_view key,
                                       std::size_t maxLength) {
  return cutToLength(configuration_.iniFile().readString(section, key, ""), maxLength);
}

// A stored secret counts only for a user id; nothing when it does not count.
std::optional<std::string> SiteProfileStore::readSecret(std::string_view section,
                                                        std::string_view key,
                                                        const std::string& userId) {
  const std::string stored = readText(section, key, kStoredSecretMaxLength);
  if (userId.empty() || stored.empty()) return std::nullopt;
  return cutToLength(decodeSecret(stored), kUserFieldLength);
}

std::int32_t SiteProfileStore::checkedHostType(std::int32_t hostType) const {
  const bool known = hostType >= kAutomaticHostType &&
                     hostType <= kAutomaticHostType - 1 + hostTypeCount_;
  return known ? hostType : kAutomaticHostType;
}

void SiteProfileStore::loadSessionOptions(std::string_view section) {
  ProgramSettings& settings = configuration_.settings();
  for (const auto& [key, member] : kSessionOptions) {
    settings.*member = configuration_.ReadSiteInt(section, key, settings.*member);
  }
}

int SiteProfileStore::loadProfile(SiteProfile& profile) {
  platform::IniFile& ini = configuration_.iniFile();
  const std::string section = profile.profileName;

  const std::string host = readText(section, "HOST", kHostNameLength);
  profile.hostName = host.empty() ? section : host;
  profile.userId = readText(section, "UID", kUserFieldLength);

  const std::optional<std::string> password = readSecret(section, "PWD", profile.userId);
  profile.password = password.value_or("");
  profile.savePassword = password ? 1 : 0;
  if (isAnonymousUser(profile.userId) && profile.password.empty()) {
    profile.password = cutToLength(mailAddress(), kUserFieldLength);
  }

  profile.hostType = checkedHostType(ini.readInt(section, "TYPE", kAutomaticHostType));
  profile.remoteFolder = readText(section, "DIR", kFolderLength);
  profile.account = readSecret(section, "ACT", profile.userId).value_or("");

  profile.timeOffsetHours = ini.readInt(section, "TIMEOFFSET", 0);
  profile.useFirewall = configuration_.ReadSiteInt(section, "FIREWALL", 0);
  profile.timeoutSeconds = ini.readInt(section, "TIMEOUT", SiteProfile::kDefaultTimeoutSeconds);
  profile.localMask = readText(section, "LMASK", kMaskLength);
  profile.remoteMask = readText(section, "RMASK", kMaskLength);
  profile.localFolder = readText(section, "LOCDIR", kFolderLength);
  profile.initialCommand = readText(section, "INITCMD", kInitialCommandLength);
  profile.tls = std::clamp(ini.readInt(section, "TLS", SiteProfile::kTlsWhenOffered),
                           static_cast<int>(SiteProfile::kTlsOff),
                           static_cast<int>(SiteProfile::kTlsImplicit));
  profile.certificateSha256 = readText(section, "CERTSHA256", kCertificateFingerprintLength);
  profile.port = ini.readInt(section, "PORT", defaultPort(profile.tls));
  profile.passiveMode = configuration_.ReadSiteInt(section, "PASVMODE", 1);
  profile.useServerPassiveAddress = ini.readInt(section, "PASVADDR", 0);
  profile.retries = ini.readInt(section, "RETRIES", 0);
  const std::string charset = readText(section, "CHARSET", kCharsetNameLength);
  profile.charset = charset.empty() ? std::string(SiteProfile::kAutomaticCharset) : charset;

  loadSessionOptions(section);
  return hasSite(section) ? 1 : 0;
}

void SiteProfileStore::writeTextOrDelete(std::string_view section, std::string_view key,
                                         std::string_view text) {
  configuration_.iniFile().writeString(section, key,
                                       text.empty() ? std::nullopt : std::optional(text));
}

void SiteProfileStore::writeIntUnlessDefault(std::string_view section, std::string_view key,
                                             std::int32_t value, std::int32_t defaultValue) {
  if (value == defaultValue) {
    configuration_.iniFile().writeString(section, key, std::nullopt);
  } else {
    configuration_.WriteIntKey(section, key, value);
  }
}

bool SiteProfileStore::saveProfile(const SiteProfile& profile) {
  const std::string& section = profile.profileName;
  if (withoutLeadingBlanks(section).empty() || isReservedSection(section)) return false;
  platform::IniFile& ini = configuration_.iniFile();

  // The first write tells whether the file takes this section at all.
  if (!ini.writeString(section, "HOST", profile.hostName)) return false;
  ini.writeString(section, "UID", profile.userId);
  if (profile.savePassword) {
    ini.writeString(section, "PWD", encodeSecret(profile.userId, profile.password));
  } else {
    ini.writeString(section, "PWD", std::nullopt);
  }
  writeTextOrDelete(section, "ACT",
                    profile.account.empty() ? "" : encodeSecret(profile.userId, profile.account));
  writeTextOrDelete(section, "LMASK", profile.localMask);
  writeTextOrDelete(section, "RMASK", profile.remoteMask);
  writeTextOrDelete(section, "LOCDIR", profile.localFolder);
  writeTextOrDelete(section, "INITCMD", profile.initialCommand);
  writeTextOrDelete(section, "DIR", profile.remoteFolder.empty() ? "" : quoted(profile.remoteFolder));

  writeIntUnlessDefault(section, "TYPE", profile.hostType, kAutomaticHostType);
  writeIntUnlessDefault(section, "TIMEOUT", profile.timeoutSeconds,
                        SiteProfile::kDefaultTimeoutSeconds);
  writeIntUnlessDefault(section, "PORT", profile.port, defaultPort(profile.tls));
  writeIntUnlessDefault(section, "TLS", profile.tls, SiteProfile::kTlsWhenOffered);
  writeTextOrDelete(section, "CERTSHA256", profile.certificateSha256);
  writeIntUnlessDefault(section, "RETRIES", profile.retries, 0);
  writeIntUnlessDefault(section, "PASVADDR", profile.useServerPassiveAddress, 0);
  writeTextOrDelete(section, "CHARSET",
                    equalsIgnoringCase(profile.charset, SiteProfile::kAutomaticCharset)
                        ? ""
                        : profile.charset);
  writeTextOrDelete(section, "FIREWALL", profile.useFirewall ? "1" : "");
  configuration_.WriteSiteInt(section, "PASVMODE", profile.passiveMode);
  // The one signed integer of the file: offsets west of the server are negative.
  ini.writeString(section, "TIMEOFFSET", std::to_string(profile.timeOffsetHours));
  return true;
}

bool SiteProfileStore::hasSite(std::string_view name) {
  return configuration_.iniFile().find(name, "HOST").has_value();
}

bool SiteProfileStore::isReservedSection(std::string_view name) {
  return equalsIgnoringCase(name, kConfigSection) || equalsIgnoringCase(name, kFirewallSection) ||
         equalsIgnoringCase(name, kQuickConnectSection);
}

std::vector<std::string> SiteProfileStore::listSites() const {
  std::vector<std::string> sites;
  std::ifstream in(configuration_.IniPath(), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::optional<std::string> name = sectionNameOf(line);
    if (!name || isReservedSection(*name)) continue;
    const bool listed = std::any_of(sites.begin(), sites.end(), [&](const std::string& site) {
      return equalsIgnoringCase(site, *name);
    });
    if (!listed) sites.push_back(std::move(*name));
  }
  std::sort(sites.begin(), sites.end(), lessIgnoringCase);
  return sites;
}

bool SiteProfileStore::deleteSite(std::string_view name) {
  if (withoutLeadingBlanks(name).empty() || isReservedSection(name)) return false;
  return configuration_.iniFile().deleteSection(name);
}

std::string SiteProfileStore::comment(std::string_view name) {
  return readText(name, "COMMENT", kCommentLength);
}

void SiteProfileStore::writeComment(std::string_view name, std::string_view comment) {
  writeTextOrDelete(name, "COMMENT", cutToLength(comment, kCommentLength));
}

std::string SiteProfileStore::mailAddress() {
  ProgramSettings& settings = configuration_.settings();
  if (!settings.MAILADDR.empty()) return settings.MAILADDR;
  std::string entered;
  while (entered.empty() && askText_ &&
         askText_(kAskMailAddressPrompt, kAskMailAddressHelpTopic, entered)) {
  }
  if (!entered.empty()) {
    settings.MAILADDR = cutToLength(entered, kMailAddressLength);
    configuration_.WriteConfigString("MAILADDR", settings.MAILADDR);
  }
  return settings.MAILADDR;
}

void SiteProfileStore::rememberCurrentSite(const SiteProfile& sessionProfile) {
  configuration_.WriteConfigString("SESSION", sessionProfile.profileName);
}

void SiteProfileStore::loadSessionProfile(SiteProfile& sessionProfile) {
  sessionProfile.profileName.clear();
  sessionProfile.userId.clear();
  sessionProfile.password.clear();
  sessionProfile.remoteFolder.clear();
  sessionProfile.hostType = kAutomaticHostType;
  sessionProfile.timeoutSeconds = SiteProfile::kDefaultTimeoutSeconds;
  sessionProfile.profileName = configuration_.settings().SESSION;
  loadProfile(sessionProfile);
}

}  // namespace ferrix::config
