// The scrambled logon: a server that offers it names a variant and a seed in
// its greeting ("... X2 FERRIX ... (12345) ..."); the client then sends the
// user id and password in one XAUT command, XOR-scrambled with the seed and
// written as printable nibbles, instead of USER and PASS.
//
// Pure functions over their arguments, except xautCheck, which records the
// offer in the session state. Thread rule: that of the session state.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "session/session_state.h"

namespace ferrix::session {

// Records the variant and seed when `line` carries the offer; a line without
// it changes nothing.
void xautCheck(SessionState& state, std::string_view line);

// The scrambled "user:password" text for XAUT, nibble-encoded into `output`.
// Returns the length of `output` (twice the scrambled text's).
std::size_t xautScramble(std::string_view user, std::string_view password, std::int32_t seed,
                         std::string& output, int variant);

// XORs byte i with byte (i mod 4) of `key`, the key's lowest byte first.
// Returns the number of bytes changed.
std::size_t xorWithKey(std::span<unsigned char> bytes, std::uint32_t key);

// Writes each byte as two characters, 0x35 + high nibble and 0x31 + low
// nibble. Returns the length written (2 per byte).
std::size_t nibbleEncode(std::string& output, std::span<const unsigned char> bytes);

}  // namespace ferrix::session
