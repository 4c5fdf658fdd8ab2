// The frame of the port's input dialogs: the prompt above the field, and the
// OK, Cancel and Help buttons below. The Help button is hidden when the
// dialog has no topic (0); the button and the F1 and F2 keys show the topic
// through the help handler the window set, and do nothing while it has set
// none.
//
// Thread rule: GUI thread only.
#pragma once

#include <functional>

class QDialog;
class QDialogButtonBox;
class QString;
class QWidget;

namespace ferrix::shell {

using HelpHandler = std::function<void(int topic)>;

// Buttons named "ok", "cancel" and "help", wired to accept and reject.
QDialogButtonBox* makeOkCancelHelp(QDialog& dialog, int helpTopic, HelpHandler showHelp);

// Lays out a one-field question: the prompt (plain text, named "prompt"),
// the `field` it labels, then OK, Cancel and Help; the field has the focus.
void layOutPromptDialog(QDialog& dialog, const QString& prompt, QWidget& field, int helpTopic,
                        HelpHandler showHelp);

}  // namespace ferrix::shell
