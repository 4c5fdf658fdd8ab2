// Resuming a download from the transfer list: the person picks a failed or
// cancelled download there, and the rest of its remote file is fetched onto
// the partial data kept beside its destination (REST at the last 1024-byte
// boundary of that data), or the whole file when no partial data is left.
// A download in ASCII type has no countable restart point and starts over.
//
// Thread rule: the thread that runs the batch (the transfer worker).
#pragma once

#include "batch/batch_context.h"
#include "transfer/transfer_entry.h"
#include "transfer/transfer_outcome.h"

namespace ferrix::batch {

transfer::TransferOutcome ResumeListedDownload(BatchTransfer& batch,
                                               const transfer::TransferEntry& entry);

}  // namespace ferrix::batch
