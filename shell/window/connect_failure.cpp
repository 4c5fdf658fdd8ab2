#include "shell/window/connect_failure.h"

namespace ferrix::shell {
namespace {

bool isRefusingReply(std::string_view line) {
  return line.size() >= 4 && (line[0] == '4' || line[0] == '5') &&
         std::isdigit(static_cast<unsigned char>(line[1])) &&
         std::isdigit(static_cast<unsigned char>(line[2])) && (line[3] == ' ' || line[3] == '-');
}

}  // namespace

ConnectFailureWatch::ConnectFailureWatch(session::MessageLog& log) : log_(log) {
  log_.addObserver(this);
}

ConnectFailureWatch::~ConnectFailureWatch() { log_.removeObserver(this); }

std::string ConnectFailureWatch::reason() const {
  const std::lock_guard lock(mutex_);
  if (reply_.empty() || error_.empty()) return reply_ + error_;
  return reply_ + "\n" + error_;
}

void ConnectFailureWatch::lineAppended(std::string_view text) {
  const std::lock_guard lock(mutex_);
  if (text.starts_with("! ")) error_ = text.substr(2);
  if (isRefusingReply(text)) reply_ = text;
}

std::string ConnectFailureText(std::string_view host, int port, std::string_view reason) {
  std::string text = "Could not connect to " + std::string(host) + ":" + std::to_string(port) + ".";
  if (!reason.empty()) text += "\n\n" + std::string(reason);
  return text;
}

}  // namespace ferrix::shell
