// Receiving: one command (RETR, LIST, NLST, MLSD ...) over a data connection
// into a local file, written byte for byte; and the restart of a broken
// binary download at an offset (REST).
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

// Downloads `remoteName` of the current remote folder into the current
// local folder under the name the name rules give it (asked for with
// `askForName` or `append`), unless the overwrite decision skips it; keeps a
// resume record while a binary download runs and logs the transfer when it
// is done. `index` and `count` only number the file in its batch. Returns 2
// when the person cancelled or the file was skipped, else what ReceiveToFile
// returned.
int ReceiveFile(TransferContext& transfer, const FileTransferContext& file,
                std::string_view remoteName, unsigned index, unsigned count, bool askForName,
                bool append);

// Restarts the download of `remoteName` in `remoteFolder` at `offset`,
// writing to `file` (owned by the caller). Returns the completion class, or 0
// when no data connection was made or the command was refused.
int ResumeReceive(TransferContext& transfer, int controlSocket, std::FILE* file,
                  std::string_view remoteFolder, std::string_view remoteName, std::uint64_t offset);

}  // namespace ferrix::transfer
