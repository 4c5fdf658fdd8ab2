// SiteProfile: one site's connection settings as held in its INI section.
// The session keeps the one in use as sessionProfile; the site dialog edits a
// second copy. Plain data, owned by whoever holds it; no thread rule beyond
// that of its owner.
#pragma once

#include <string>
#include <string_view>

namespace ferrix::config {

struct SiteProfile {
  static constexpr int kDefaultTimeoutSeconds = 65;
  static constexpr int kDefaultPort = 21;
  static constexpr int kDefaultServerFeatureMask = 6;
  static constexpr int kImplicitTlsPort = 990;
  static constexpr std::string_view kAutomaticCharset = "auto";

  // TLS: 0 plain, 1 explicit when the server offers it, 2 explicit
  // required, 3 implicit (TLS from the first byte).
  enum Tls { kTlsOff = 0, kTlsWhenOffered = 1, kTlsRequired = 2, kTlsImplicit = 3 };

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
  // A profile made in code speaks plain FTP unless told otherwise; the store
  // reads a section without the key as kTlsWhenOffered, the site dialog makes
  // new sites kTlsRequired.
  int tls = kTlsOff;                            // TLS
  std::string certificateSha256;                // CERTSHA256, a certificate accepted as it is
  int serverFeatureMask = kDefaultServerFeatureMask;
  // CHARSET: the charset of the server's names; "auto" takes UTF-8 when the
  // server lists UTF8 and otherwise shows each name as UTF-8 where it is.
  std::string charset = std::string(kAutomaticCharset);

  bool operator==(const SiteProfile&) const = default;
};

}  // namespace ferrix::config
