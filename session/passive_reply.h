// Reading the data address out of a server's answer to PASV, and the data
// port out of its answer to EPSV. Pure functions over text; the data channel
// (data_channel.h) does the talking and the logging.
// Thread rule: none needed; no state.
#pragma once

#include <cstdint>
#include <optional>
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
  platform::SocketAddress address;  // with the announced port; valid for kOk
};

// Reads "h1,h2,h3,h4,p1,p2" from a PASV reply line such as
// "227 Entering Passive Mode (192,168,1,2,19,137)" or "227 =10,0,0,6,4,1".
PassiveAddress parsePassiveReply(std::string_view replyLine);

// The port of an EPSV reply such as "229 Entering Extended Passive Mode
// (|||6446|)": inside the parentheses three equal delimiters (a printable
// character other than a digit), the port 1..65535 and the delimiter again.
// Nothing for anything else.
std::optional<std::uint16_t> parseExtendedPassiveReply(std::string_view replyLine);

}  // namespace ferrix::session
