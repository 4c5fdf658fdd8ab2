// How the transfer of one file ended, for the callers that go on with the
// next file or stop. FTP reply classes stay plain numbers; this says what
// became of the file.
#pragma once

namespace ferrix::transfer {

enum class TransferOutcome {
  kSucceeded,  // the whole file arrived and the server confirmed it
  kFailed,     // refused, broken off by the connection, or not written
  kCancelled,  // broken off by Cancel
  kSkipped,    // left alone: the overwrite rule or the person said so
};

}  // namespace ferrix::transfer
