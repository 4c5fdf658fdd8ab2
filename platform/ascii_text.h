// Case-insensitive comparison of protocol and file texts: ASCII letters only,
// whatever the locale, so bytes above 127 always compare exactly.
// Stateless; safe from any thread.
#pragma once

#include <algorithm>
#include <string_view>

namespace ferrix::platform {

inline char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerAscii(x) == lowerAscii(y);
         });
}

inline bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace ferrix::platform
