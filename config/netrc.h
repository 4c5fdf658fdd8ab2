// The ~/.netrc convention of command-line FTP clients: "machine NAME" entries
// with "login", "password" and "account", and a "default" entry for every
// other machine. A file that others may read is refused, since it holds
// passwords in plain text.
//
// Plain functions; no thread rule.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ferrix::config {

struct NetrcLogin {
  std::string login;
  std::string password;
  std::string account;
};

// The entry of `text` for `host` (compared in any letter case), else its
// default entry; nothing when neither exists.
std::optional<NetrcLogin> FindNetrcLogin(std::string_view text, std::string_view host);

struct NetrcFile {
  std::optional<std::string> text;  // empty when missing or refused
  std::string refusal;              // why a file that exists was not read
};

// Reads `path`, unless it is readable or writable by group or others.
NetrcFile ReadNetrcFile(const std::filesystem::path& path);

}  // namespace ferrix::config
