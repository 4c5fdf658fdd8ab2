// Feeds arbitrary stored texts to the secret decoder (it must never read
// outside them) and checks that any secret, split from the input at its
// first byte's position, decodes back from its encoding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/stored_secret.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string plain = ferrix::config::decodeSecret(text);
  if (plain.size() > size / 2 || plain.find('\0') != std::string::npos) __builtin_trap();

  if (size < 1) return 0;
  const std::size_t split = std::min<std::size_t>(data[0], size - 1);
  const std::string_view userId = text.substr(1, split);
  std::string secret(text.substr(1 + split));
  // A NUL ends a stored secret's text, as it ends the text typed in a field.
  secret = secret.substr(0, secret.find('\0'));
  if (ferrix::config::decodeSecret(ferrix::config::encodeSecret(userId, secret)) != secret) {
    __builtin_trap();
  }
  return 0;
}
