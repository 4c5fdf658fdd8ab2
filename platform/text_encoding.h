// Converting text between UTF-8 and a named charset ("CP1251",
// "ISO-8859-1", "SHIFT_JIS" ...) through the C library's iconv, and checking
// and repairing UTF-8. FTP names are bytes in the server's charset; the
// program's own texts and local names on Linux are UTF-8.
//
// Thread rule: stateless (each call opens its own converter); any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ferrix::platform {

// Whether the C library can convert between `charset` and UTF-8.
bool isKnownCharset(const std::string& charset);

// `bytes` of `charset` as UTF-8, every byte that does not decode becoming
// U+FFFD. An unknown charset decodes as lossy UTF-8.
std::string decodeToUtf8(std::string_view bytes, const std::string& charset);

// UTF-8 `text` in `charset`, or nothing when a character has no form there
// (or the text is not UTF-8, or the charset is unknown).
std::optional<std::string> encodeFromUtf8(std::string_view text, const std::string& charset);

bool isValidUtf8(std::string_view bytes);

// `bytes` with every byte that is not part of a valid UTF-8 sequence
// replaced by U+FFFD.
std::string repairUtf8(std::string_view bytes);

}  // namespace ferrix::platform
