// The OK, Cancel and Help buttons of the port's input dialogs. The Help
// button is hidden when the dialog has no topic (0); the button and the F1
// and F2 keys show the topic through the help handler the window set, and do
// nothing while it has set none.
//
// Thread rule: GUI thread only.
#pragma once

#include <functional>

class QDialog;
class QDialogButtonBox;

namespace ferrix::shell {

using HelpHandler = std::function<void(int topic)>;

// Buttons named "ok", "cancel" and "help", wired to accept and reject.
QDialogButtonBox* makeOkCancelHelp(QDialog& dialog, int helpTopic, HelpHandler showHelp);

}  // namespace ferrix::shell
