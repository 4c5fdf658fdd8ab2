// SocketAddress: one IPv4 or IPv6 address with a port, as the sockets,
// the resolver and the data channel pass it around. A plain value.
//
// Thread rule: none needed; no shared state.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ferrix::platform {

enum class AddressFamily { kIpv4, kIpv6 };

struct SocketAddress {
  SocketAddress() = default;
  // An IPv4 address from its 32-bit value (127.0.0.1 is 0x7f000001).
  SocketAddress(std::uint32_t ipv4HostOrder, std::uint16_t port);

  AddressFamily family = AddressFamily::kIpv4;
  // In network order; an IPv4 address uses the first four bytes.
  std::array<std::uint8_t, 16> bytes{};
  std::uint16_t port = 0;

  bool isIpv6() const { return family == AddressFamily::kIpv6; }
  // The 32-bit value of an IPv4 address; 0 for IPv6.
  std::uint32_t ipv4HostOrder() const;
  // Same family and address bytes; the ports are not compared.
  bool sameHost(const SocketAddress& other) const;
  // "10.1.2.3" or "2001:db8::1", without brackets or port.
  std::string text() const;
  // "10.1.2.3:21" or "[2001:db8::1]:21".
  std::string textWithPort() const;
};

// The any-address of `family` with port 0, for binding a listening socket.
SocketAddress anyAddress(AddressFamily family);

// A numeric IPv4 ("10.1.2.3") or IPv6 ("::1", "[::1]") address; nothing for
// a host name or anything else.
std::optional<SocketAddress> parseNumericAddress(std::string_view text);

// A host as typed in a profile or URL without the brackets an IPv6 literal
// may carry ("[::1]" is "::1"); other text is returned unchanged.
std::string withoutBrackets(std::string_view host);

}  // namespace ferrix::platform
