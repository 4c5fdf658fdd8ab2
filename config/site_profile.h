// SiteProfile: one site's connection settings as held in its INI section.
// The session keeps the one in use as sessionProfile; the site dialog edits a
// second copy. Plain data, owned by whoever holds it; no thread rule beyond
// that of its owner.
#pragma once

#include <string>

namespace ferrix::config {

struct SiteProfile {
  static constexpr int kDefaultTimeoutSeconds = 65;
  static constexpr int kDefaultPort = 21;
  static constexpr int kDefaultServerFeatureMask = 6;

  std::string profileName;     // the section name
  std::string hostName;        // HOST, default the profile name
  std::string userId;          // UID
  std::string password;        // PWD, plain here, encoded in the file
  std::string account;         // ACT, plain here, encoded in the file
  std::string remoteFolder;    // DIR
  std::string localFolder;     // LOCDIR
  std::string initialCommand;  // INITCMD
  std::string localMask;       // LMASK
  std::string remoteMask;      // RMASK
  int timeoutSeconds = kDefaultTimeoutSeconds;  // TIMEOUT
  int hostType = 6000;                          // TYPE
  int port = kDefaultPort;                      // PORT
  int retries = 0;                              // RETRIES
  int savePassword = 0;                         // a PWD is stored for the user id
  int passiveMode = 1;                          // PASVMODE
  int useServerPassiveAddress = 0;              // PASVADDR
  int useFirewall = 0;                          // FIREWALL
  int timeOffsetHours = 0;                      // TIMEOFFSET
  int serverFeatureMask = kDefaultServerFeatureMask;
  int tls = 1;

  bool operator==(const SiteProfile&) const = default;
};

}  // namespace ferrix::config
