// Feeds arbitrary server bytes to getReply over a connected socket pair, the
// way the control connection delivers them, and reads replies until the
// input is used up: every reply must end with a class from 0 to 5, and the
// reply line must hold no line end or NUL.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/tcp_socket.h"
#include "session/control_channel.h"
#include "session/message_log.h"

namespace {

class NoResolver final : public ferrix::platform::Resolver {
 public:
  int resolve(const std::string&, std::vector<ferrix::platform::SocketAddress>&) override {
    return 11001;
  }
};

// Larger inputs would fill the socket buffer before the reader starts.
constexpr std::size_t kLargestInput = 100000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kLargestInput) return 0;
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) return 0;
  const int serverBufferBytes = 1 << 18;
  setsockopt(ends[1], SOL_SOCKET, SO_SNDBUF, &serverBufferBytes, sizeof serverBufferBytes);
  std::size_t written = 0;
  while (written < size) {
    const ssize_t piece = write(ends[1], data + written, size - written);
    if (piece <= 0) break;
    written += static_cast<std::size_t>(piece);
  }
  close(ends[1]);

  ferrix::session::MessageLog log;
  ferrix::platform::SystemClock clock;
  NoResolver resolver;
  ferrix::session::Session session(log, clock, resolver);
  session.state.replyTimeoutSeconds = 1;
  session.state.greetingPhase = 1;
  session.onGreetingLine = [](ferrix::session::Session&, const std::string& line) {
    if (line.find('\n') != std::string::npos) __builtin_trap();
  };
  for (std::size_t reply = 0; reply <= size; ++reply) {
    const int replyClass = ferrix::session::getReply(session, ends[0]);
    if (replyClass < 0 || replyClass > 5) __builtin_trap();
    const std::string& line = session.state.replyLine;
    if (line.find('\n') != std::string::npos || line.find('\0') != std::string::npos) {
      __builtin_trap();
    }
    if (session.state.replyCode == ferrix::session::kReplyLost) break;
  }
  close(ends[0]);
  return 0;
}
