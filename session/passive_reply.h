// Reading the data address out of a server's answer to PASV, and choosing the
// address to connect to for it. Pure functions over text and addresses; the
// data channel (data_channel.h) does the talking and the logging.
// Thread rule: none needed; no state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/tcp_socket.h"

namespace ferrix::session {

struct PassiveAddress {
  enum class Status {
    kOk,
    kNoAddress,   // neither "(" nor a digit after the reply code
    kBadAddress,  // not six numbers of 0..255 separated by commas
  };
  Status status = Status::kNoAddress;
  // Where the numbers were read from: after "(" or from the first digit, up
  // to the first ")". Named in the message about a bad address.
  std::string addressText;
  platform::Ipv4Address address;  // with the announced port; valid for kOk
};

// Reads "h1,h2,h3,h4,p1,p2" from a PASV reply line such as
// "227 Entering Passive Mode (192,168,1,2,19,137)" or "227 =10,0,0,6,4,1".
PassiveAddress parsePassiveReply(std::string_view replyLine);

// False for addresses that cannot be reached from elsewhere: 0/8, loopback,
// the private ranges 10/8, 172.16/12 and 192.168/16, link-local 169.254/16
// and carrier-grade NAT 100.64/10.
bool isRoutable(std::uint32_t hostOrder);

// The address to connect to for an announced data address: the announced
// one, except that a server behind NAT which announces an unroutable address
// while its control connection comes from a routable one gets its control
// address with the announced port.
platform::Ipv4Address passiveTarget(const platform::Ipv4Address& announced,
                                    const platform::Ipv4Address& controlPeer);

}  // namespace ferrix::session
