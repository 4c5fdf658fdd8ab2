#include "platform/tls_certificate_text.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cctype>
#include <memory>

namespace ferrix::platform {
namespace {

constexpr std::size_t kSha256Bytes = 32;

struct BioFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};

std::string bioText(BIO* bio) {
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio, &data);
  return length > 0 ? std::string(data, static_cast<std::size_t>(length)) : std::string();
}

std::string nameText(const X509_NAME* name) {
  std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
  if (!bio || name == nullptr) return {};
  X509_NAME_print_ex(bio.get(), name, 0, XN_FLAG_RFC2253);
  return bioText(bio.get());
}

std::string timeText(const ASN1_TIME* time) {
  std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
  if (!bio || time == nullptr) return {};
  ASN1_TIME_print(bio.get(), time);
  return bioText(bio.get());
}

std::string hexPairs(const unsigned char* bytes, std::size_t length) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    if (i != 0) text += ':';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0f];
  }
  return text;
}

}  // namespace

void describeCertificate(const X509* peer, TlsCertificate& certificate) {
  certificate.subject = nameText(X509_get_subject_name(peer));
  certificate.issuer = nameText(X509_get_issuer_name(peer));
  certificate.notBefore = timeText(X509_get0_notBefore(peer));
  certificate.notAfter = timeText(X509_get0_notAfter(peer));
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (X509_digest(peer, EVP_sha256(), digest, &length) == 1) {
    certificate.sha256 = hexPairs(digest, length);
  }
}

std::string canonicalFingerprint(std::string_view text) {
  std::string digits;
  for (const char c : text) {
    if (c == ':' || c == ' ') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
    digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (digits.size() != kSha256Bytes * 2) return {};
  std::string paired;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    if (i != 0) paired += ':';
    paired.append(digits, i, 2);
  }
  return paired;
}

}  // namespace ferrix::platform
