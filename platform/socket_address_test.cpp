#include "platform/socket_address.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ferrix::platform {
namespace {

TEST(NumericAddress, IPv4AndIPv6LiteralsWithOrWithoutBrackets) {
  struct Case {
    const char* text;
    std::optional<AddressFamily> family;
    const char* shown;
  };
  const Case cases[] = {
      {"127.0.0.1", AddressFamily::kIpv4, "127.0.0.1"},
      {"::1", AddressFamily::kIpv6, "::1"},
      {"[::1]", AddressFamily::kIpv6, "::1"},
      {"2001:DB8:0:0::7", AddressFamily::kIpv6, "2001:db8::7"},
      {"::ffff:10.1.2.3", AddressFamily::kIpv6, "::ffff:10.1.2.3"},
      {"ftp.example.test", std::nullopt, ""},
      {"[::1", std::nullopt, ""},
      {"::1]", std::nullopt, ""},
      {"[]", std::nullopt, ""},
      {"", std::nullopt, ""},
      {"1.2.3", std::nullopt, ""},
      {"256.1.1.1", std::nullopt, ""},
      {"::1%lo", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<SocketAddress> address = parseNumericAddress(c.text);
    ASSERT_EQ(address.has_value(), c.family.has_value());
    if (!address) continue;
    EXPECT_EQ(address->family, *c.family);
    EXPECT_EQ(address->text(), c.shown);
    EXPECT_EQ(address->port, 0);
  }
}

TEST(NumericAddress, SameHostComparesFamilyAndBytesButNotPorts) {
  const SocketAddress loopback(0x7f000001, 21);
  EXPECT_TRUE(loopback.sameHost(SocketAddress(0x7f000001, 4021)));
  EXPECT_FALSE(loopback.sameHost(SocketAddress(0x7f000002, 21)));
  EXPECT_FALSE(loopback.sameHost(*parseNumericAddress("::1")));
  EXPECT_EQ(loopback.ipv4HostOrder(), 0x7f000001u);
  EXPECT_EQ(parseNumericAddress("::1")->ipv4HostOrder(), 0u);
  EXPECT_EQ(loopback.textWithPort(), "127.0.0.1:21");
  SocketAddress ipv6 = *parseNumericAddress("[2001:db8::7]");
  ipv6.port = 2121;
  EXPECT_EQ(ipv6.textWithPort(), "[2001:db8::7]:2121");
}

}  // namespace
}  // namespace ferrix::platform
