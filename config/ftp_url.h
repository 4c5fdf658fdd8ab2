// FTP URLs as scripts write them: scheme://[user[:password]@]host[:port]/path
// with the schemes ftp, ftps (implicit TLS) and ftpes (explicit TLS
// required), percent-escapes in user, password and path, IPv6 literals in
// brackets and a ";type=a" or ";type=i" suffix. The path keeps the meaning
// it has always had here: "/pub/a" is the server's /pub/a, and a leading
// "%2F" says the same.
//
// Plain functions over strings; no thread rule.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ferrix::config {

struct FtpUrl {
  std::string host;
  std::string path;
  std::optional<int> port;
  bool portWritten = false;  // the port stood in the text; else it is the scheme's own
  std::optional<std::string> userId;
  std::optional<std::string> password;
  char transferType = 0;   // 'A' or 'I' from ";type=", else 0
  std::optional<int> tls;  // the site profile's TLS value the scheme asks for
};

struct FtpUrlResult {
  std::optional<FtpUrl> url;
  std::string error;  // why the text is no usable URL, when it is not
};

// True when `text` begins with "ftp://", "ftps://" or "ftpes://" (any case).
bool IsFtpUrl(std::string_view text);

FtpUrlResult ParseFtpUrl(std::string_view text);

// Where the password of a URL stands in `text` (offset and length, as
// written, escapes included), so it can be blotted out; nothing without one.
struct TextSpan {
  std::size_t offset = 0;
  std::size_t length = 0;
};
std::optional<TextSpan> FtpUrlPasswordSpan(std::string_view text);

// Decodes %XX escapes; nothing when an escape is cut short or not hex.
std::optional<std::string> PercentDecode(std::string_view text);

}  // namespace ferrix::config
