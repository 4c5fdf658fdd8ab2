// Feeds arbitrary PASV replies to the passive-reply parser: an address it
// accepts must read back the same when written out as a server would.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "session/passive_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using ferrix::session::PassiveAddress;
  const std::string_view reply(reinterpret_cast<const char*>(data), size);
  const PassiveAddress parsed = ferrix::session::parsePassiveReply(reply);
  if (parsed.status != PassiveAddress::Status::kOk) return 0;
  const std::uint32_t host = parsed.address.ipv4HostOrder();
  const unsigned port = parsed.address.port;
  const std::string written = "227 Entering Passive Mode (" + std::to_string(host >> 24) + "," +
                              std::to_string((host >> 16) & 0xff) + "," +
                              std::to_string((host >> 8) & 0xff) + "," +
                              std::to_string(host & 0xff) + "," + std::to_string(port >> 8) +
                              "," + std::to_string(port & 0xff) + ")";
  const PassiveAddress again = ferrix::session::parsePassiveReply(written);
  if (again.status != PassiveAddress::Status::kOk || again.address.ipv4HostOrder() != host ||
      again.address.port != port) {
    __builtin_trap();
  }
  return 0;
}
