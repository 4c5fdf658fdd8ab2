// FirewallSettings: the one [FIREWALL] section of the INI file, shared by all
// sites that use a firewall: the logon scheme, where the firewall is, and the
// firewall's own user id and (decoded) password. Plain data, read afresh for
// each logon attempt; owned by whoever holds it.
#pragma once

#include <optional>
#include <string>

namespace ferrix::config {

struct FirewallSettings {
  static constexpr int kDefaultType = 1;
  static constexpr int kDefaultPort = 21;

  int type = kDefaultType;              // FIRETYPE, 0 to 7
  std::string host;                     // HOST
  int port = kDefaultPort;              // PORT
  std::string user;                     // UID
  std::optional<std::string> password;  // PWD decoded; nothing when none is stored
};

}  // namespace ferrix::config
