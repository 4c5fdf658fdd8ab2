// Sending: one storing command (STOR, STOU, APPE) over a data connection fed
// from a local file, sent byte for byte, then the remote file's time set with
// MDTM where the server allows it.
//
// Thread rule: runs on the thread that owns the transfer; Cancel from any
// thread (requestCancel) ends the loop after its current block.
#pragma once

#include <string>
#include <string_view>

#include "transfer/transfer_context.h"

namespace ferrix::transfer {

// Sends `command` ("STOR name", "APPE name") and feeds it `localPath`.
// Returns 0 when nothing could be started or the server refused in active
// mode, the refusal class in passive mode, else the completion class.
int SendFromFile(TransferContext& transfer, int controlSocket, std::string command,
                 const std::string& localPath, char type);

}  // namespace ferrix::transfer
