// Certificates for TLS tests, made with the openssl command-line tool in a
// folder the test owns: server.pem and server.key for localhost and
// 127.0.0.1, either issued by a test CA (ca.pem, ca.key) or self-signed.
//
// Thread rule: none; each call works on its own folder.
#pragma once

#include <filesystem>
#include <string>

namespace ferrix::testing {

// Each returns false with `error` set when openssl failed.
bool makeCaSignedCertificate(const std::filesystem::path& folder, std::string* error);
bool makeSelfSignedCertificate(const std::filesystem::path& folder, std::string* error);

// The SHA-256 fingerprint of a PEM certificate as Ferrix writes it
// ("AB:CD:..."); empty with `error` set on failure.
std::string certificateFingerprint(const std::filesystem::path& certificate, std::string* error);

}  // namespace ferrix::testing
