#include "platform/socket_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>
#include <string>

namespace ferrix::platform {

SocketAddress::SocketAddress(std::uint32_t ipv4HostOrder, std::uint16_t port) : port(port) {
  const std::uint32_t network = htonl(ipv4HostOrder);
  std::memcpy(bytes.data(), &network, sizeof network);
}

std::uint32_t SocketAddress::ipv4HostOrder() const {
  if (isIpv6()) return 0;
  std::uint32_t network = 0;
  std::memcpy(&network, bytes.data(), sizeof network);
  return ntohl(network);
}

bool SocketAddress::sameHost(const SocketAddress& other) const {
  return family == other.family && bytes == other.bytes;
}

std::string SocketAddress::text() const {
  char buffer[INET6_ADDRSTRLEN] = {};
  inet_ntop(isIpv6() ? AF_INET6 : AF_INET, bytes.data(), buffer, sizeof buffer);
  return buffer;
}

std::string SocketAddress::textWithPort() const {
  const std::string host = isIpv6() ? "[" + text() + "]" : text();
  return host + ":" + std::to_string(port);
}

SocketAddress anyAddress(AddressFamily family) {
  SocketAddress address;
  address.family = family;
  return address;
}

std::string withoutBrackets(std::string_view host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  return std::string(host);
}

std::optional<SocketAddress> parseNumericAddress(std::string_view text) {
  const std::string host = withoutBrackets(text);
  SocketAddress address;
  if (inet_pton(AF_INET, host.c_str(), address.bytes.data()) == 1) return address;
  address.family = AddressFamily::kIpv6;
  if (inet_pton(AF_INET6, host.c_str(), address.bytes.data()) == 1) return address;
  return std::nullopt;
}

}  // namespace ferrix::platform
