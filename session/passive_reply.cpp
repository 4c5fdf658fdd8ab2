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

bool inNetwork(std::uint32_t address, std::uint32_t network, int prefixLength) {
  const std::uint32_t mask = ~std::uint32_t{0} << (32 - prefixLength);
  return (address & mask) == network;
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
  result.address.hostOrder = bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
  result.address.port = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
  return result;
}

bool isRoutable(std::uint32_t hostOrder) {
  struct Network {
    std::uint32_t base;
    int prefixLength;
  };
  static constexpr Network kUnroutable[] = {
      {0x00000000, 8},  {0x7f000000, 8},  {0x0a000000, 8},  {0xac100000, 12},
      {0xc0a80000, 16}, {0xa9fe0000, 16}, {0x64400000, 10},
  };
  for (const Network& network : kUnroutable) {
    if (inNetwork(hostOrder, network.base, network.prefixLength)) return false;
  }
  return true;
}

platform::Ipv4Address passiveTarget(const platform::Ipv4Address& announced,
                                    const platform::Ipv4Address& controlPeer) {
  if (isRoutable(announced.hostOrder) || !isRoutable(controlPeer.hostOrder)) return announced;
  return {controlPeer.hostOrder, announced.port};
}

}  // namespace ferrix::session
