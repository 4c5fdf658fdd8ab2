#include "config/firewall_settings.h"

#include "config/stored_secret.h"
#include "config/text_rules.h"

namespace ferrix::config {

namespace {

constexpr std::size_t kNameLength = 79;

}  // namespace

FirewallSettings readFirewallSettings(Configuration& configuration) {
  platform::IniFile& ini = configuration.iniFile();
  FirewallSettings firewall;
  firewall.type = ini.readInt(kFirewallSection, "FIRETYPE", FirewallSettings::kDefaultType);
  firewall.host = cutToLength(ini.readString(kFirewallSection, "HOST", ""), kNameLength);
  firewall.port = ini.findInt(kFirewallSection, "PORT");
  firewall.userId = cutToLength(ini.readString(kFirewallSection, "UID", ""), kNameLength);
  if (std::optional<std::string> stored = ini.find(kFirewallSection, "PWD")) {
    firewall.password = decodeSecret(cutToLength(*stored, kStoredSecretMaxLength));
  }
  return firewall;
}

void writeFirewallSettings(Configuration& configuration, const FirewallSettings& firewall) {
  platform::IniFile& ini = configuration.iniFile();
  const std::string userId = cutToLength(firewall.userId, kNameLength);
  ini.writeString(kFirewallSection, "HOST", cutToLength(firewall.host, kNameLength));
  ini.writeString(kFirewallSection, "UID", userId);
  if (firewall.password) {
    ini.writeString(kFirewallSection, "PWD", encodeSecret(userId, *firewall.password));
  } else {
    ini.writeString(kFirewallSection, "PWD", std::nullopt);
  }
  configuration.WriteIntKey(kFirewallSection, "FIRETYPE", firewall.type);
  if (firewall.port) configuration.WriteIntKey(kFirewallSection, "PORT", *firewall.port);
}

}  // namespace ferrix::config
