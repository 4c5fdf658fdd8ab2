// Help for the port's dialogs: the Help button is hidden when the dialog has
// no topic (0); the button and the F1 and F2 keys show the topic through the
// help handler the window set, and do nothing while it has set none.
//
// Thread rule: GUI thread only.
#pragma once

#include <functional>

class QAbstractButton;
class QDialog;

namespace ferrix::shell {

using HelpHandler = std::function<void(int topic)>;

void bindHelp(QDialog& dialog, QAbstractButton& helpButton, int topic, HelpHandler showHelp);

}  // namespace ferrix::shell
