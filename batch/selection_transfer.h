// Selection transfers: the entries selected in one pane sent to the other
// side, file by file, with selected folders transferred whole after one
// question per batch. The transfer buttons and the append commands start
// them on the transfer worker (StartUpload, StartDownload); a drop runs them
// on the thread that handles it.
//
// A batch ends early on the first failure, on a cancelled transfer, on Cancel
// (abortRequested) or when the worker is stopped. The transfer-succeeded
// sound plays only when every entry was handled.
//
// Thread rule: the thread that runs the batch; Start* from the engine thread.
#pragma once

#include "batch/batch_context.h"
#include "batch/transfer_worker.h"

namespace ferrix::batch {

// Sends the local pane's selection (or, with nothing selected, a file name
// asked for) into the current remote folder. Returns true when every entry
// was handled.
bool UploadSelection(BatchTransfer& batch);

// Receives the remote pane's selection (or a file name asked for) into the
// current local folder. A link the server refuses as a file is entered as a
// folder. Returns true when every entry was handled.
bool DownloadSelection(BatchTransfer& batch);

// Run the selection transfer on `worker`; false, starting nothing, while
// TransferThreadBusy is set. `batch` must outlive the job.
bool StartUpload(TransferWorker& worker, BatchTransfer& batch);
bool StartDownload(TransferWorker& worker, BatchTransfer& batch);

}  // namespace ferrix::batch
