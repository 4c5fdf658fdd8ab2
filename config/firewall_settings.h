// The firewall in front of every site: one shared INI section, FIREWALL,
// holding the firewall's host, port, user id, stored password and logon
// scheme (FIRETYPE 0 to 7). The logon reads it when a site uses the
// firewall; the Firewall page of the site dialog reads and writes it.
//
// FirewallSettings is a plain value owned by its caller. The functions read
// and write the INI file of the Configuration at once; call them on the
// thread that owns the Configuration.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/configuration.h"

namespace ferrix::config {

inline constexpr std::string_view kFirewallSection = "FIREWALL";

struct FirewallSettings {
  static constexpr std::int32_t kDefaultType = 1;  // "USER after logon"
  static constexpr std::int32_t kDefaultPort = 21;

  std::int32_t type = kDefaultType;     // FIRETYPE
  std::string host;                     // HOST
  std::optional<std::int32_t> port;     // PORT; absent: 21 at logon, the site's port on the page
  std::string userId;                   // UID
  std::optional<std::string> password;  // PWD decoded; absent when none is stored

  std::int32_t portAtLogon() const { return port.value_or(kDefaultPort); }
};

// The FIREWALL section; missing keys give the defaults above.
FirewallSettings readFirewallSettings(Configuration& configuration);

// Writes HOST, UID, FIRETYPE and (when present) PORT; PWD encoded with the
// firewall's user id when a password is given, deleted otherwise.
void writeFirewallSettings(Configuration& configuration, const FirewallSettings& firewall);

}  // namespace ferrix::config
