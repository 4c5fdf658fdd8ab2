// The reversible encoding of secrets kept in the INI file: site passwords
// (PWD), accounts (ACT) and the firewall password. It only keeps a secret
// from being read at a glance; it is not encryption.
//
// Stored form: "V", the 32 upper-case hex digits of the MD5 digest of user id
// + secret + a fixed suffix (the mask), then two hex digits per character of
// the secret, each character shifted by a mask digit and its position. The
// older form (two hex digits per character, shifted by position only) is
// still read. Decoding needs no user id.
//
// Pure functions returning fresh strings; safe from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ferrix::config {

// The longest secret the profile fields hold, and the longest stored text
// such a secret encodes to; reading stored secrets at this width lets every
// secret the fields can hold survive a save and a load.
inline constexpr std::size_t kSecretMaxLength = 79;
inline constexpr std::size_t kStoredSecretMaxLength = 33 + 2 * kSecretMaxLength;

using Md5Digest = std::array<std::uint8_t, 16>;

// The RFC 1321 digest of the bytes of `text`.
Md5Digest md5Digest(std::string_view text);

// The stored text of `secret` for `userId`: 33 + 2 x secret length characters.
std::string encodeSecret(std::string_view userId, std::string_view secret);

// The plain text of a stored text in either form. Malformed input (odd
// length, lower-case or non-hex digits, any length) decodes to whatever the
// digit arithmetic gives, never reading outside the text; the plain text
// ends at the first NUL the arithmetic produces.
std::string decodeSecret(std::string_view stored);

}  // namespace ferrix::config
