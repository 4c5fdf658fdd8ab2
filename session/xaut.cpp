#include "session/xaut.h"

#include <vector>

namespace ferrix::session {
namespace {

constexpr std::string_view kMarker = " FERRIX ";
constexpr std::uint32_t kVariantTwoKey = 0x5A3C6E21;
constexpr std::string_view kUserPad = "^qk7m24";
constexpr std::string_view kPasswordPad = "^pwe8h3";
constexpr std::size_t kPaddedUserLength = 12;
constexpr std::size_t kShortField = 8;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The signed 32-bit number at the start of `text` after blanks; 0 without
// digits. Wraps like the 32-bit value it is read into.
std::int32_t leadingNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  std::uint32_t value = 0;
  for (; at < text.size() && isDigit(text[at]); ++at) {
    value = value * 10 + static_cast<std::uint32_t>(text[at] - '0');
  }
  return static_cast<std::int32_t>(negative ? 0u - value : value);
}

std::string plainText(std::string_view user, std::string_view password, int variant) {
  std::string text;
  if (variant < 2) {
    text.append(user).append(":").append(password);
    return text;
  }
  text.assign(user);
  if (user.size() < kShortField) {
    text.append(kUserPad);
    if (text.size() > kPaddedUserLength) text.resize(kPaddedUserLength);
  }
  text.append(":").append(password);
  if (password.size() < kShortField) text.append(kPasswordPad);
  return text;
}

}  // namespace

void xautCheck(SessionState& state, std::string_view line) {
  const std::size_t marker = line.find(kMarker);
  if (marker == std::string_view::npos || marker < 2 || line[marker - 2] != 'X') return;
  const char digit = line[marker - 1];
  state.xautVariant = isDigit(digit) ? digit - '0' : 0;
  const std::size_t parenthesis = line.find('(');
  if (parenthesis != std::string_view::npos) {
    state.xautSeed = leadingNumber(line.substr(parenthesis + 1));
  }
}

std::size_t xautScramble(std::string_view user, std::string_view password, std::int32_t seed,
                         std::string& output, int variant) {
  const std::string text = plainText(user, password, variant);
  std::vector<unsigned char> bytes(text.begin(), text.end());
  if (variant == 2) xorWithKey(bytes, kVariantTwoKey);
  xorWithKey(bytes, static_cast<std::uint32_t>(seed));
  return nibbleEncode(output, bytes);
}

std::size_t xorWithKey(std::span<unsigned char> bytes, std::uint32_t key) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] ^= static_cast<unsigned char>(key >> (8 * (i % 4)));
  }
  return bytes.size();
}

std::size_t nibbleEncode(std::string& output, std::span<const unsigned char> bytes) {
  output.clear();
  output.reserve(bytes.size() * 2);
  for (const unsigned char b : bytes) {
    output.push_back(static_cast<char>(0x35 + (b >> 4)));
    output.push_back(static_cast<char>(0x31 + (b & 15)));
  }
  return output.size();
}

}  // namespace ferrix::session
