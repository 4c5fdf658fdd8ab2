#include "config/ftp_url.h"

#include <charconv>

#include "config/site_profile.h"
#include "platform/ascii_text.h"

namespace ferrix::config {
namespace {

using platform::startsWithIgnoringCase;

constexpr int kMaxPort = 65535;

struct Scheme {
  std::string_view prefix;
  std::optional<int> tls;
  std::optional<int> defaultPort;
};

constexpr Scheme kSchemes[] = {
    {"ftp://", std::nullopt, std::nullopt},
    {"ftps://", SiteProfile::kTlsImplicit, SiteProfile::kImplicitTlsPort},
    {"ftpes://", SiteProfile::kTlsRequired, std::nullopt},
};

const Scheme* schemeOf(std::string_view text) {
  for (const Scheme& scheme : kSchemes) {
    if (startsWithIgnoringCase(text, scheme.prefix)) return &scheme;
  }
  return nullptr;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

FtpUrlResult failure(std::string why) { return {std::nullopt, std::move(why)}; }

// The authority ends at the first '/'; its user part at the last '@', so an
// unescaped '@' in a password still leaves the host intact.
struct Authority {
  std::string_view userInfo;
  std::string_view hostPort;
  bool hasUserInfo = false;
};

Authority splitAuthority(std::string_view authority) {
  const std::size_t at = authority.rfind('@');
  if (at == std::string_view::npos) return {{}, authority, false};
  return {authority.substr(0, at), authority.substr(at + 1), true};
}

// Takes host and port from "host", "host:port", "[v6]" or "[v6]:port".
std::optional<std::string> takeHostAndPort(std::string_view hostPort, FtpUrl& url) {
  std::string_view portText;
  if (hostPort.starts_with('[')) {
    const std::size_t close = hostPort.find(']');
    if (close == std::string_view::npos) return "an IPv6 address lacks its closing ']'";
    // A zone index arrives escaped: "[fe80::1%25eth0]".
    std::optional<std::string> literal = PercentDecode(hostPort.substr(1, close - 1));
    if (!literal) return "a bad %-escape in the IPv6 address";
    url.host = std::move(*literal);
    const std::string_view after = hostPort.substr(close + 1);
    if (!after.empty() && !after.starts_with(':')) return "unexpected text after ']'";
    if (!after.empty()) portText = after.substr(1);
  } else {
    const std::size_t colon = hostPort.find(':');
    url.host = hostPort.substr(0, colon);
    if (colon != std::string_view::npos) portText = hostPort.substr(colon + 1);
  }
  if (url.host.empty()) return "no host name";
  if (portText.empty()) return std::nullopt;
  int port = 0;
  const auto [end, error] =
      std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (error != std::errc{} || end != portText.data() + portText.size() || port < 1 ||
      port > kMaxPort) {
    return "the port \"" + std::string(portText) + "\" is not a number from 1 to 65535";
  }
  url.port = port;
  url.portWritten = true;
  return std::nullopt;
}

std::optional<std::string> takeUserInfo(std::string_view userInfo, FtpUrl& url) {
  const std::size_t colon = userInfo.find(':');
  std::optional<std::string> user = PercentDecode(userInfo.substr(0, colon));
  if (!user) return "a bad %-escape in the user name";
  url.userId = std::move(*user);
  if (colon == std::string_view::npos) return std::nullopt;
  std::optional<std::string> password = PercentDecode(userInfo.substr(colon + 1));
  if (!password) return "a bad %-escape in the password";
  url.password = std::move(*password);
  return std::nullopt;
}

// Takes a trailing ";type=a" or ";type=i" off the path.
std::optional<std::string> takeTypeSuffix(std::string_view& path, FtpUrl& url) {
  const std::size_t semicolon = path.rfind(';');
  if (semicolon == std::string_view::npos) return std::nullopt;
  const std::string_view suffix = path.substr(semicolon + 1);
  if (!startsWithIgnoringCase(suffix, "type=")) return std::nullopt;
  const std::string_view type = suffix.substr(5);
  if (type == "a" || type == "A") {
    url.transferType = 'A';
  } else if (type == "i" || type == "I") {
    url.transferType = 'I';
  } else {
    return "\";" + std::string(suffix) + "\" is not type=a or type=i";
  }
  path = path.substr(0, semicolon);
  return std::nullopt;
}

std::optional<std::string> takePath(std::string_view path, FtpUrl& url) {
  if (auto error = takeTypeSuffix(path, url)) return error;
  // "/%2Fpub" names the same folder as "/pub": the escape only says "absolute".
  if (startsWithIgnoringCase(path, "/%2F")) path.remove_prefix(1);
  std::optional<std::string> decoded = PercentDecode(path);
  if (!decoded) return "a bad %-escape in the path";
  url.path = std::move(*decoded);
  return std::nullopt;
}

}  // namespace

bool IsFtpUrl(std::string_view text) { return schemeOf(text) != nullptr; }

FtpUrlResult ParseFtpUrl(std::string_view text) {
  const Scheme* scheme = schemeOf(text);
  if (scheme == nullptr) return failure("not an ftp://, ftps:// or ftpes:// URL");
  FtpUrl url;
  url.tls = scheme->tls;
  url.port = scheme->defaultPort;
  const std::string_view rest = text.substr(scheme->prefix.size());
  const std::size_t slash = std::min(rest.find('/'), rest.size());
  const Authority authority = splitAuthority(rest.substr(0, slash));
  if (auto error = takeHostAndPort(authority.hostPort, url)) return failure(*error);
  if (authority.hasUserInfo) {
    if (auto error = takeUserInfo(authority.userInfo, url)) return failure(*error);
  }
  if (auto error = takePath(rest.substr(slash), url)) return failure(*error);
  return {std::move(url), ""};
}

std::optional<TextSpan> FtpUrlPasswordSpan(std::string_view text) {
  const Scheme* scheme = schemeOf(text);
  if (scheme == nullptr) return std::nullopt;
  const std::size_t start = scheme->prefix.size();
  const std::string_view rest = text.substr(start);
  const Authority authority = splitAuthority(rest.substr(0, std::min(rest.find('/'), rest.size())));
  const std::size_t colon = authority.userInfo.find(':');
  if (!authority.hasUserInfo || colon == std::string_view::npos) return std::nullopt;
  return TextSpan{start + colon + 1, authority.userInfo.size() - colon - 1};
}

std::optional<std::string> PercentDecode(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = hexValue(text[i + 1]);
    const int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded;
}

}  // namespace ferrix::config
