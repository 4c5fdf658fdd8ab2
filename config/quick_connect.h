// Quick connections: a server reached from the window's quick connect row
// without a saved site. The row's host field also takes an ftp://, ftps://
// or ftpes:// URL, whose user, password, port and path win over the other
// fields. The last few connections are kept in the INI file's section
// `_quick_`; a password only when the user asked for it, encoded as the
// site passwords are.
//
// Plain functions and a small store over the INI file; no Qt. Thread rule:
// that of the Configuration it is given.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/site_profile.h"

namespace ferrix::config {

class Configuration;

inline constexpr std::string_view kQuickConnectSection = "_quick_";
inline constexpr std::size_t kQuickConnectHistoryLength = 10;

// The row's fields, as typed.
struct QuickConnectEntries {
  std::string host;  // a host name or address, or a URL
  std::string userId;
  std::string password;
  std::string port;
};

// One connection as the row names it, and as the history keeps it.
struct QuickConnection {
  std::string host;
  int port = SiteProfile::kDefaultPort;
  std::string userId;  // empty: anonymous
  std::string password;
  std::string path;    // the initial remote folder, empty for the logon folder
  int tls = SiteProfile::kTlsWhenOffered;

  bool sameServer(const QuickConnection& other) const;
};

struct QuickConnectReading {
  std::optional<QuickConnection> connection;
  std::string error;  // why the fields name no server, when they do not
};

QuickConnectReading ReadQuickConnectEntries(const QuickConnectEntries& entries);

// Makes `profile` (a site's defaults, named after the host) the one that
// connects there. An empty user logs on anonymously with `mailAddress`.
void ApplyQuickConnection(const QuickConnection& connection, std::string_view mailAddress,
                          SiteProfile& profile);

// "user@host:port/path", the way the history list shows a connection.
std::string QuickConnectionLabel(const QuickConnection& connection);

// The history, newest first.
std::vector<QuickConnection> LoadQuickConnectHistory(Configuration& configuration);
// Puts `connection` first, dropping an older entry for the same server and
// the oldest beyond the limit. The password is kept only when
// `rememberPassword` is set.
void RememberQuickConnection(Configuration& configuration, QuickConnection connection,
                             bool rememberPassword);

}  // namespace ferrix::config
