#include "transfer/text_line_ends.h"

namespace ferrix::transfer {
namespace {

constexpr char kEndOfFile = 0x1A;

}  // namespace

void ReceivedTextConverter::convert(std::string_view wire, std::string& local) {
  if (wire.empty()) return;
  local.reserve(local.size() + wire.size() + 1);
  if (pendingCr_ && wire.front() != '\n') local += '\r';
  pendingCr_ = false;
  // The text between carriage returns is copied whole; a CR is dropped only
  // when an LF follows it, which may be in the next block.
  while (!wire.empty()) {
    const std::size_t cr = wire.find('\r');
    local.append(wire.substr(0, cr));
    if (cr == std::string_view::npos) return;
    wire.remove_prefix(cr + 1);
    if (wire.empty()) {
      pendingCr_ = true;
    } else if (wire.front() != '\n') {
      local += '\r';
    }
  }
}

void ReceivedTextConverter::finish(std::string& local) {
  if (pendingCr_) local += '\r';
  pendingCr_ = false;
}

void SentTextConverter::convert(std::string_view local, std::string& wire) {
  if (local.empty()) return;
  wire.reserve(wire.size() + local.size() * 2 + 1);
  if (heldEndOfFile_) wire += kEndOfFile;
  heldEndOfFile_ = local.back() == kEndOfFile;
  if (heldEndOfFile_) local.remove_suffix(1);
  // The text between line feeds is copied whole.
  while (!local.empty()) {
    const std::size_t lf = local.find('\n');
    const std::string_view run = local.substr(0, lf);
    wire.append(run);
    if (!run.empty()) lastWasCr_ = run.back() == '\r';
    if (lf == std::string_view::npos) break;
    if (!lastWasCr_) wire += '\r';
    wire += '\n';
    lastWasCr_ = false;
    local.remove_prefix(lf + 1);
  }
  if (heldEndOfFile_) lastWasCr_ = false;
}

}  // namespace ferrix::transfer
