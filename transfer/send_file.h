// Sending: one storing command (STOR, STOU, APPE) over a data connection fed
// from a local file, sent byte for byte, then the remote file's time set with
// MDTM where the server allows it.
//
// Thread rule: runs on the thread that owns the transfer; Cancel from any
// thread (requestCancel) ends the loop after its current block.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "transfer/file_transfer_context.h"
#include "transfer/transfer_context.h"
#include "transfer/transfer_outcome.h"

namespace ferrix::transfer {

// Sends `command` ("STOR name", "APPE name") and feeds it `localPath`.
// Returns 0 when nothing could be started or the server refused in active
// mode, the refusal class in passive mode, else the completion class.
int SendFromFile(TransferContext& transfer, int controlSocket, std::string command,
                 const std::string& localPath, char type);

// Sends `command` and feeds it what `source` (open, owned by the caller)
// holds from where it stands to its end; `label` names the source in the
// log. Returns as SendFromFile does; the remote file's time is left alone.
int SendFromStream(TransferContext& transfer, int controlSocket, std::string command,
                   std::FILE* source, const std::string& label, char type);

// Uploads `localPath` into the current remote folder under its converted
// name (asked for with `askForName` or `append`, which appends with APPE),
// unless the overwrite decision skips it, and logs a completed upload.
// `index` and `count` only number the file in its batch. A name prompt the
// person cancelled skips the file.
TransferOutcome SendFile(TransferContext& transfer, const FileTransferContext& file,
                         const std::string& localPath, unsigned index, unsigned count,
                         bool askForName, bool append);

}  // namespace ferrix::transfer
