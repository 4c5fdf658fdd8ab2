// The texts a person reads about a certificate: subject and issuer as
// RFC 2253 names, validity dates as OpenSSL prints them, and the SHA-256
// fingerprint as upper-case hex pairs joined by ':'. Internal to the TLS
// layer; no thread rule beyond the certificate's.
#pragma once

#include <string>
#include <string_view>

#include "platform/tls_stream.h"

using X509 = struct x509_st;

namespace ferrix::platform {

// Fills the descriptive fields of `certificate` (not `verified`, `problem`).
void describeCertificate(const X509* peer, TlsCertificate& certificate);

// The fingerprint in the canonical form: hex digits of any case, with or
// without ':' separators, become upper-case pairs joined by ':'. Empty when
// `text` is not 32 bytes of hex.
std::string canonicalFingerprint(std::string_view text);

}  // namespace ferrix::platform
