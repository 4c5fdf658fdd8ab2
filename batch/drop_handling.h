// Drops on the two panes: entries dragged within a pane are moved into the
// folder entry they were dropped on, entries dragged between the panes are
// downloaded or uploaded (into the folder entry when dropped on one), files
// dragged from other programs are copied into the local folder or uploaded.
//
// A drop that would use the control connection while a transfer or command
// runs, or without a connection, is refused with an error line; a drop that
// transfers holds TransferThreadBusy while it runs.
//
// Thread rule: the engine thread, which owns the panes and the connection.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_context.h"

namespace ferrix::batch {

enum class DropTarget { kLocalPane, kRemotePane, kOtherWindow };

// Where the dragged entries came from; kOtherProgram for a drop from outside.
enum class DragSource { kOtherProgram, kLocalPane, kRemotePane };

struct Drop {
  DropTarget target = DropTarget::kOtherWindow;
  DragSource source = DragSource::kOtherProgram;
  // Full local paths from the local pane and other programs, names from the
  // remote pane.
  std::vector<std::string> paths;
  // The target pane's entry under the drop point, if any.
  std::optional<std::size_t> entryUnderPoint;
};

// Handles one drop. The dragged pane's entries are the selection of that
// pane in `batch` (localSelection or remoteSelection).
void HandleDrop(BatchTransfer& batch, const Drop& drop);

}  // namespace ferrix::batch
