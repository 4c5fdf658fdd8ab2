#include "config/quick_connect.h"

#include <algorithm>

#include "config/configuration.h"
#include "config/ftp_url.h"
#include "config/site_profile_store.h"
#include "config/site_editor.h"
#include "config/stored_secret.h"
#include "config/text_rules.h"

namespace ferrix::config {
namespace {

constexpr int kHighestPort = 65535;

std::string trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return "";
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

QuickConnectReading failure(std::string why) { return {std::nullopt, std::move(why)}; }

std::string key(std::string_view name, std::size_t index) {
  return std::string(name) + std::to_string(index + 1);
}

}  // namespace

bool QuickConnection::sameServer(const QuickConnection& other) const {
  return equalsIgnoringCase(host, other.host) && port == other.port && userId == other.userId;
}

QuickConnectReading ReadQuickConnectEntries(const QuickConnectEntries& entries) {
  QuickConnection connection;
  connection.userId = trimmed(entries.userId);
  connection.password = entries.password;
  const std::string host = trimmed(entries.host);
  const std::string port = trimmed(entries.port);
  if (!port.empty()) {
    const std::optional<std::int32_t> number = numberInField(port, false);
    if (!number || *number < 1 || *number > kHighestPort) {
      return failure("the port must be a number from 1 to 65535");
    }
    connection.port = *number;
  }
  if (!IsFtpUrl(host)) {
    if (host.empty()) return failure("no host name");
    if (host.find_first_of(" /@") != std::string::npos) return failure("not a host name: " + host);
    connection.host = host;
    return {std::move(connection), ""};
  }
  FtpUrlResult parsed = ParseFtpUrl(host);
  if (!parsed.url) return failure(parsed.error);
  FtpUrl& url = *parsed.url;
  connection.host = std::move(url.host);
  connection.path = std::move(url.path);
  // A port written in the URL wins over the Port field; the field wins over
  // the scheme's own (990 for ftps://).
  if (url.port && (url.portWritten || port.empty())) connection.port = *url.port;
  if (url.userId) connection.userId = std::move(*url.userId);
  if (url.password) connection.password = std::move(*url.password);
  if (url.tls) connection.tls = *url.tls;
  return {std::move(connection), ""};
}

void ApplyQuickConnection(const QuickConnection& connection, std::string_view mailAddress,
                          SiteProfile& profile) {
  profile.hostName = connection.host;
  profile.port = connection.port;
  profile.tls = connection.tls;
  profile.userId = connection.userId;
  profile.password = connection.password;
  profile.account.clear();
  if (profile.userId.empty()) profile.userId = "anonymous";
  if (isAnonymousUser(profile.userId) && profile.password.empty()) profile.password = mailAddress;
  if (!connection.path.empty()) profile.remoteFolder = connection.path;
}

std::string QuickConnectionLabel(const QuickConnection& connection) {
  std::string label;
  if (!connection.userId.empty()) label = connection.userId + "@";
  label += connection.host.find(':') != std::string::npos ? "[" + connection.host + "]" : connection.host;
  if (connection.port != SiteProfile::kDefaultPort) label += ":" + std::to_string(connection.port);
  if (!connection.path.empty()) {
    label += connection.path.front() == '/' ? connection.path : "/" + connection.path;
  }
  return label;
}

std::vector<QuickConnection> LoadQuickConnectHistory(Configuration& configuration) {
  platform::IniFile& ini = configuration.iniFile();
  std::vector<QuickConnection> history;
  for (std::size_t i = 0; i < kQuickConnectHistoryLength; ++i) {
    std::optional<std::string> host = ini.find(kQuickConnectSection, key("HOST", i));
    if (!host || host->empty()) continue;
    QuickConnection connection;
    connection.host = std::move(*host);
    connection.port = ini.readInt(kQuickConnectSection, key("PORT", i), SiteProfile::kDefaultPort);
    connection.userId = ini.readString(kQuickConnectSection, key("UID", i), "");
    connection.path = ini.readString(kQuickConnectSection, key("DIR", i), "");
    connection.tls = ini.readInt(kQuickConnectSection, key("TLS", i), SiteProfile::kTlsWhenOffered);
    if (const auto stored = ini.find(kQuickConnectSection, key("PWD", i))) {
      connection.password = decodeSecret(*stored);
    }
    history.push_back(std::move(connection));
  }
  return history;
}

void RememberQuickConnection(Configuration& configuration, QuickConnection connection,
                             bool rememberPassword) {
  std::vector<QuickConnection> history = LoadQuickConnectHistory(configuration);
  std::erase_if(history, [&](const QuickConnection& old) { return old.sameServer(connection); });
  if (!rememberPassword) connection.password.clear();
  history.insert(history.begin(), std::move(connection));
  if (history.size() > kQuickConnectHistoryLength) history.resize(kQuickConnectHistoryLength);

  // The values live in `texts` while writeKeys reads them through views.
  std::vector<std::pair<std::string, std::optional<std::string>>> texts;
  for (std::size_t i = 0; i < history.size(); ++i) {
    const QuickConnection& entry = history[i];
    texts.emplace_back(key("HOST", i), entry.host);
    texts.emplace_back(key("PORT", i), std::to_string(entry.port));
    texts.emplace_back(key("UID", i), entry.userId);
    texts.emplace_back(key("DIR", i), entry.path);
    texts.emplace_back(key("TLS", i), std::to_string(entry.tls));
    texts.emplace_back(key("PWD", i), entry.password.empty()
                                          ? std::nullopt
                                          : std::optional(encodeSecret(entry.userId, entry.password)));
  }
  std::vector<platform::IniFile::KeyChange> changes;
  for (const auto& [name, value] : texts) {
    changes.push_back({name, value ? std::optional<std::string_view>(*value) : std::nullopt});
  }
  platform::IniFile& ini = configuration.iniFile();
  ini.deleteSection(kQuickConnectSection);
  ini.writeKeys(kQuickConnectSection, changes);
}

}  // namespace ferrix::config
