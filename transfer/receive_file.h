// Receiving: one command (RETR, LIST, NLST, MLSD ...) over a data connection
// into a local file, written byte for byte, optionally restarted at an
// offset (REST); and the download of one named file.
//
// Thread rule: runs on the thread that owns the transfer; Cancel from any
// thread (requestCancel) ends the loop after its current block.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "transfer/file_transfer_context.h"
#include "transfer/transfer_context.h"
#include "transfer/transfer_outcome.h"

namespace ferrix::transfer {

// Sees every block a receive has written to its file, as it arrives.
using BlockObserver = std::function<void(std::string_view block)>;

// Sends `command` and receives what it delivers into `localPath` (appended
// with `append`), showing each block written to `observer` when there is
// one. Returns the reply class of the completion reply (2 is success), the
// refusal class in passive mode, or 0; sets transferResult.
int ReceiveToFile(TransferContext& transfer, int controlSocket, std::string_view command,
                  const std::string& localPath, char type, bool append,
                  const BlockObserver& observer = {});

// As ReceiveToFile, into the open `descriptor` (standard output, a pipe),
// which the caller owns and which is neither truncated nor closed.
int ReceiveToDescriptor(TransferContext& transfer, int controlSocket, std::string_view command,
                        int descriptor, char type);

// What a receive into a file came to: the class ReceiveToFile returns,
// whether Cancel (or a failed write) broke it off, and whether the data
// connection delivered everything it had (possibly nothing) into the file.
struct ReceiveResult {
  int replyClass = 0;
  bool cancelled = false;
  bool allReceived = false;
};

// ReceiveToFile restarted at `offset` (REST) when `offset` is above 0: the
// bytes are appended to `localPath`, which is started over when the server
// refuses the restart. `underway` is called once when the download has
// brought a mebibyte or run a second; `observer` sees the blocks written.
ReceiveResult ReceiveFromOffset(TransferContext& transfer, int controlSocket,
                                std::string_view command, const std::string& localPath,
                                char type, std::uint64_t offset, bool append = false,
                                const std::function<void()>& underway = {},
                                const BlockObserver& observer = {});

// The type a download of `command` will use, known before it runs: the
// chosen type, or in automatic mode the one the name rules give.
char ReceivingType(const TransferContext& transfer, std::string_view command);

// kSucceeded only for a complete file the server confirmed.
TransferOutcome OutcomeOf(const ReceiveResult& received);

// Downloads `remoteName` of the current remote folder into the current
// local folder under the name the name rules give it (asked for with
// `askForName` or `append`), unless the overwrite decision skips it. The
// file is received beside its destination and replaces it only once
// complete (DownloadIntoPlace); a completed file is logged. `index` and
// `count` only number the file in its batch. A name prompt the person
// cancelled skips the file.
TransferOutcome ReceiveFile(TransferContext& transfer, const FileTransferContext& file,
                            std::string_view remoteName, unsigned index, unsigned count,
                            bool askForName, bool append);

}  // namespace ferrix::transfer
