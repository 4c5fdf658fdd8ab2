// The question Exec asks when a file's extension has no association: the
// "Associate" dialog of the options (shared with its Associations page),
// shown over the main window. Exec runs on the GUI thread for the local pane
// and on the engine thread for fetched remote files, so the question can be
// asked from either.
//
// Thread rule: the callback may be called from any thread; off the GUI thread
// it waits for the answer there.
#pragma once

#include <QWidget>

#include "config/configuration.h"
#include "shell/desktop/local_file_commands.h"

namespace ferrix::shell {

desktop::AskAssociation associationQuestion(config::Configuration& configuration,
                                            QWidget* owner);

}  // namespace ferrix::shell
