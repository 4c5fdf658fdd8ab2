#include "transfer/text_line_ends.h"

namespace ferrix::transfer {
namespace {

constexpr char kEndOfFile = 0x1A;

}  // namespace

void ReceivedTextConverter::convert(std::string_view wire, std::string& local) {
  local.reserve(local.size() + wire.size() + 1);
  for (const char byte : wire) {
    if (pendingCr_ && byte != '\n') local += '\r';
    pendingCr_ = byte == '\r';
    if (!pendingCr_) local += byte;
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
  for (const char byte : local) {
    if (byte == '\n' && !lastWasCr_) wire += '\r';
    wire += byte;
    lastWasCr_ = byte == '\r';
  }
  if (heldEndOfFile_) lastWasCr_ = false;
}

}  // namespace ferrix::transfer
