// The trusted-certificates file: one line per host and port that a person
// chose to "always trust", "host:port SHA256-fingerprint". It lives in the
// configuration folder, readable by its owner only; every change rewrites it
// through a temporary file and a rename, so a crash never leaves half a file.
//
// Thread rule: none of its own; the file is read afresh on every lookup.
#pragma once

#include <optional>
#include <string>

namespace ferrix::session {

inline constexpr const char* kTrustedCertificatesFileName = "trusted-certificates";

class TrustedCertificates {
 public:
  explicit TrustedCertificates(std::string path) : path_(std::move(path)) {}

  // The fingerprint stored for `host` and `port`, if any.
  std::optional<std::string> find(const std::string& host, int port) const;

  // Stores (or replaces) the fingerprint for `host` and `port`. False when the
  // file could not be written.
  bool store(const std::string& host, int port, const std::string& sha256) const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace ferrix::session
