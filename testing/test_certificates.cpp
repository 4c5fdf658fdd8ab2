#include "testing/test_certificates.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ferrix::testing {
namespace {

constexpr const char* kKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
constexpr const char* kNames = "subjectAltName=DNS:localhost,IP:127.0.0.1";

std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// Runs one openssl command in `folder`, its output kept in openssl.log.
bool openssl(const std::filesystem::path& folder, const std::string& arguments,
             std::string* error) {
  const std::string command = "cd " + quoted(folder) + " && openssl " + arguments +
                              " >>openssl.log 2>&1";
  if (std::system(command.c_str()) == 0) return true;
  std::ifstream log(folder / "openssl.log");
  std::ostringstream text;
  text << log.rdbuf();
  *error = "openssl " + arguments + " failed: " + text.str();
  return false;
}

}  // namespace

bool makeCaSignedCertificate(const std::filesystem::path& folder, std::string* error) {
  {
    std::ofstream extensions(folder / "server.ext");
    extensions << kNames << "\n";
  }
  return openssl(folder,
                 std::string("req -x509 ") + kKey +
                     " -keyout ca.key -out ca.pem -days 30 -subj '/CN=Ferrix Test CA'"
                     " -addext basicConstraints=critical,CA:TRUE"
                     " -addext keyUsage=critical,keyCertSign,cRLSign",
                 error) &&
         openssl(folder,
                 std::string("req ") + kKey +
                     " -keyout server.key -out server.csr -subj '/CN=localhost'",
                 error) &&
         openssl(folder,
                 "x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial"
                 " -out server.pem -days 30 -extfile server.ext",
                 error);
}

bool makeSelfSignedCertificate(const std::filesystem::path& folder, std::string* error) {
  return openssl(folder,
                 std::string("req -x509 ") + kKey +
                     " -keyout server.key -out server.pem -days 30 -subj '/CN=localhost'"
                     " -addext " + kNames,
                 error);
}

std::string certificateFingerprint(const std::filesystem::path& certificate, std::string* error) {
  const std::string command =
      "openssl x509 -noout -fingerprint -sha256 -in " + quoted(certificate) + " 2>/dev/null";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    *error = "cannot run openssl";
    return {};
  }
  char line[256] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  const std::string text = read ? line : "";
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos) {
    *error = "no fingerprint of " + certificate.string();
    return {};
  }
  std::string fingerprint = text.substr(equals + 1);
  while (!fingerprint.empty() && (fingerprint.back() == '\n' || fingerprint.back() == '\r')) {
    fingerprint.pop_back();
  }
  return fingerprint;
}

}  // namespace ferrix::testing
