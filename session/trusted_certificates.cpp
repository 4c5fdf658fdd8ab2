#include "session/trusted_certificates.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/tls_certificate_text.h"

namespace ferrix::session {
namespace {

std::string keyOf(const std::string& host, int port) { return host + ":" + std::to_string(port); }

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

bool writeAll(int fd, const std::string& text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t piece = ::write(fd, text.data() + written, text.size() - written);
    if (piece <= 0) return false;
    written += static_cast<std::size_t>(piece);
  }
  return ::fsync(fd) == 0;
}

// Writes `text` beside `path` and renames it over, mode 0600.
bool replaceFile(const std::string& path, const std::string& text) {
  ::mkdir(folderOf(path).c_str(), 0700);
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  const bool written = ::fchmod(fd, 0600) == 0 && writeAll(fd, text);
  const bool closed = ::close(fd) == 0;
  if (written && closed && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

}  // namespace

std::optional<std::string> TrustedCertificates::find(const std::string& host, int port) const {
  const std::string key = keyOf(host, port);
  for (const std::string& line : readLines(path_)) {
    std::istringstream fields(line);
    std::string name;
    std::string sha256;
    if (fields >> name >> sha256 && name == key) return platform::canonicalFingerprint(sha256);
  }
  return std::nullopt;
}

bool TrustedCertificates::store(const std::string& host, int port,
                                const std::string& sha256) const {
  if (path_.empty()) return false;
  const std::string key = keyOf(host, port);
  std::string text;
  for (const std::string& line : readLines(path_)) {
    if (line.compare(0, key.size() + 1, key + " ") != 0) text += line + "\n";
  }
  text += key + " " + sha256 + "\n";
  return replaceFile(path_, text);
}

}  // namespace ferrix::session
