#include "session/passive_reply.h"

namespace ferrix::session {
namespace {

constexpr std::size_t kCodeAndSeparator = 4;
constexpr unsigned kByteMax = 255;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Where the address numbers start, or npos.
std::size_t addressStart(std::string_view line) {
  const std::size_t parenthesis = line.find('(');
  if (parenthesis != std::string_view::npos) return parenthesis + 1;
  for (std::size_t i = kCodeAndSeparator; i < line.size(); ++i) {
    if (isDigit(line[i])) return i;
  }
  return std::string_view::npos;
}

// Reads one number of 0..255 after optional blanks; advances `text` past it.
bool readByte(std::string_view& text, unsigned* value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  if (text.empty() || !isDigit(text.front())) return false;
  unsigned number = 0;
  while (!text.empty() && isDigit(text.front())) {
    number = number * 10 + static_cast<unsigned>(text.front() - '0');
    if (number > kByteMax) return false;
    text.remove_prefix(1);
  }
  *value = number;
  return true;
}

// Six comma-separated bytes at the start of `text`; what follows is ignored.
bool readSixBytes(std::string_view text, unsigned (&bytes)[6]) {
  for (int i = 0; i < 6; ++i) {
    if (i > 0) {
      if (text.empty() || text.front() != ',') return false;
      text.remove_prefix(1);
    }
    if (!readByte(text, &bytes[i])) return false;
  }
  return true;
}

}  // namespace

PassiveAddress parsePassiveReply(std::string_view replyLine) {
  PassiveAddress result;
  replyLine = replyLine.substr(0, replyLine.find(')'));
  const std::size_t start = addressStart(replyLine);
  if (start == std::string_view::npos) return result;
  result.addressText = replyLine.substr(start);
  unsigned bytes[6];
  if (!readSixBytes(result.addressText, bytes)) {
    result.status = PassiveAddress::Status::kBadAddress;
    return result;
  }
  result.status = PassiveAddress::Status::kOk;
  const std::uint32_t host = bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
  const auto port = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
  result.address = platform::SocketAddress(host, port);
  return result;
}

std::optional<std::uint16_t> parseExtendedPassiveReply(std::string_view replyLine) {
  constexpr std::size_t kMaxPortDigits = 5;
  constexpr unsigned kPortMax = 65535;
  const std::size_t open = replyLine.find('(');
  if (open == std::string_view::npos) return std::nullopt;
  std::string_view text = replyLine.substr(open + 1);
  if (text.size() < 3) return std::nullopt;
  const char delimiter = text.front();
  if (delimiter < '!' || delimiter > '~' || isDigit(delimiter)) return std::nullopt;
  if (text[1] != delimiter || text[2] != delimiter) return std::nullopt;
  text.remove_prefix(3);
  std::size_t digits = 0;
  unsigned port = 0;
  while (digits < text.size() && isDigit(text[digits]) && digits < kMaxPortDigits) {
    port = port * 10 + static_cast<unsigned>(text[digits] - '0');
    ++digits;
  }
  text.remove_prefix(digits);
  if (digits == 0 || port == 0 || port > kPortMax) return std::nullopt;
  if (text.size() < 2 || text[0] != delimiter || text[1] != ')') return std::nullopt;
  return static_cast<std::uint16_t>(port);
}

}  // namespace ferrix::session
