#include "config/stored_secret.h"

#include <openssl/evp.h>

#include <cstdio>

namespace ferrix::config {

namespace {

constexpr std::string_view kMaskSuffix = "%4!k!8";
constexpr std::size_t kMaskDigits = 32;
// "V" and the mask come before the masked characters.
constexpr std::size_t kMaskedStart = 1 + kMaskDigits;

void appendHexByte(std::string& out, unsigned value) {
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", value & 0xFFu);
  out.append(digits, 2);
}

// Only upper-case hex digits give their true value; other characters give
// what the subtraction gives, as they always have.
int digitValue(char digit) {
  const int code = static_cast<unsigned char>(digit);
  return code > '9' ? code - 55 : code - 48;
}

int hexPairAt(std::string_view text, std::size_t at) {
  return 16 * digitValue(text[at]) + digitValue(text[at + 1]);
}

unsigned maskValue(char maskDigit) {
  return static_cast<unsigned char>(maskDigit) & 63u;
}

std::string decodeMasked(std::string_view stored) {
  std::string plain;
  for (std::size_t k = 0; kMaskedStart + 2 * k + 1 < stored.size(); ++k) {
    const int masked = hexPairAt(stored, kMaskedStart + 2 * k);
    const char mask = stored[1 + k % kMaskDigits];
    const unsigned code = static_cast<unsigned>(masked - static_cast<int>(maskValue(mask)) -
                                                static_cast<int>(k)) & 0xFFu;
    if (code == 0) break;
    plain.push_back(static_cast<char>(code));
  }
  return plain;
}

std::string decodeOldForm(std::string_view stored) {
  std::string plain;
  for (std::size_t k = 0; 2 * k + 1 < stored.size(); ++k) {
    const unsigned code =
        static_cast<unsigned>(hexPairAt(stored, 2 * k) - static_cast<int>(k)) & 0xFFu;
    if (code == 0) break;
    plain.push_back(static_cast<char>(code));
  }
  return plain;
}

}  // namespace

Md5Digest md5Digest(std::string_view text) {
  Md5Digest digest{};
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_md5(), nullptr);
  return digest;
}

std::string encodeSecret(std::string_view userId, std::string_view secret) {
  std::string salted;
  salted.reserve(userId.size() + secret.size() + kMaskSuffix.size());
  salted.append(userId).append(secret).append(kMaskSuffix);

  std::string stored = "V";
  stored.reserve(kMaskedStart + 2 * secret.size());
  for (std::uint8_t byte : md5Digest(salted)) appendHexByte(stored, byte);

  for (std::size_t i = 0; i < secret.size(); ++i) {
    const unsigned code = static_cast<unsigned char>(secret[i]);
    appendHexByte(stored, code + maskValue(stored[1 + i % kMaskDigits]) + static_cast<unsigned>(i));
  }
  return stored;
}

std::string decodeSecret(std::string_view stored) {
  if (!stored.empty() && stored.front() == 'V') return decodeMasked(stored);
  return decodeOldForm(stored);
}

}  // namespace ferrix::config
