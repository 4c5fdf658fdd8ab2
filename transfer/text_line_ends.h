// The line ends of files moved in ASCII type: the wire carries CR LF, a
// Linux text file LF. The converters work block by block and remember what
// a block boundary cut in two (a CR whose LF is still to come, a 0x1A that
// may be the file's last byte).
//
// Thread rule: one converter per transfer, used by the thread moving it.
#pragma once

#include <string>
#include <string_view>

namespace ferrix::transfer {

// Received text: CR LF becomes LF; a bare CR or a lone LF is kept as it came.
class ReceivedTextConverter {
 public:
  // Appends the local form of the next received bytes to `local`.
  void convert(std::string_view wire, std::string& local);
  // Appends what the last block left pending (a final CR) to `local`.
  void finish(std::string& local);

 private:
  bool pendingCr_ = false;
};

// Sent text: an LF not already preceded by CR becomes CR LF. An end-of-file
// mark (0x1A) that is the very last byte of the file is not sent; one
// anywhere else is.
class SentTextConverter {
 public:
  // Appends the wire form of the next bytes read from the file to `wire`.
  // A 0x1A ending them is held back until more bytes show it was not the last.
  void convert(std::string_view local, std::string& wire);

 private:
  bool lastWasCr_ = false;
  bool heldEndOfFile_ = false;
};

}  // namespace ferrix::transfer
