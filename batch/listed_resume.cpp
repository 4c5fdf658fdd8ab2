#include "batch/listed_resume.h"

#include <ctime>

#include "session/sound_events.h"
#include "transfer/download_into_place.h"
#include "transfer/receive_file.h"
#include "transfer/transfer_log.h"

namespace ferrix::batch {

transfer::TransferOutcome ResumeListedDownload(BatchTransfer& batch,
                                               const transfer::TransferEntry& entry) {
  transfer::TransferContext& transfer = BatchContext(batch);
  session::Session& session = transfer.session;
  session.state.abortRequested = 0;
  transfer.state.currentEntry = {};
  transfer.state.currentEntry.size = entry.size;
  const std::string site = session.state.sessionProfile.profileName;
  const std::string remotePath = transfer::JoinRemotePath(session.state.sessionProfile.hostType,
                                                          entry.remoteFolder, entry.remoteName);
  const char type = transfer::ReceivingType(transfer, "RETR " + remotePath);
  const transfer::DownloadTarget target{
      batch.ini,
      site,
      {entry.remoteFolder, entry.remoteName, entry.localFolder, entry.localName},
      remotePath,
      type,
      {},
      // The person chose to resume this very file.
      type == 'I'};
  transfer.status.BeginEntry(entry);
  const transfer::TransferOutcome outcome =
      transfer::DownloadIntoPlace(transfer, session.state.controlSocket, target);
  transfer.status.EndEntry(outcome, transfer::OutcomeReason(session, outcome));
  if (outcome == transfer::TransferOutcome::kSucceeded) {
    const transfer::TransferLogEntry line{transfer::TransferDirection::kReceived,
                                          transfer.state.serverTransferType,
                                          entry.localName,
                                          site,
                                          entry.remoteFolder,
                                          entry.remoteName};
    transfer::AppendTransferLog(batch.log, line, entry.localFolder, std::time(nullptr));
  }
  RefreshLocalPane(batch);
  PlayBatchSound(batch, outcome == transfer::TransferOutcome::kSucceeded
                            ? session::sound_event::kTransferSucceeded
                            : session::sound_event::kTransferFailed);
  return outcome;
}

}  // namespace ferrix::batch
