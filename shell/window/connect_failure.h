// ConnectFailureWatch: listens to the message log while a connect runs and
// keeps what says why it failed: the server's last refusing reply (4xx, 5xx)
// and the last error line ("! ..."). ConnectFailureText makes the short message
// the window shows for it.
//
// Lives on the engine thread for the length of one connect job; the log
// calls it on the appending thread, so the kept line is guarded.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "session/message_log.h"

namespace ferrix::shell {

class ConnectFailureWatch final : private session::MessageLogObserver {
 public:
  explicit ConnectFailureWatch(session::MessageLog& log);
  ~ConnectFailureWatch() override;
  ConnectFailureWatch(const ConnectFailureWatch&) = delete;
  ConnectFailureWatch& operator=(const ConnectFailureWatch&) = delete;

  std::string reason() const;

 private:
  void lineAppended(std::string_view text) override;
  void statusLinesChanged(const std::array<std::string, 3>&) override {}

  session::MessageLog& log_;
  mutable std::mutex mutex_;
  std::string reply_;
  std::string error_;
};

// "Could not connect to host:port." and the reason on a line of its own.
std::string ConnectFailureText(std::string_view host, int port, std::string_view reason);

}  // namespace ferrix::shell
