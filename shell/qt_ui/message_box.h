// The port's message boxes: the text, caption, buttons and icon the engine
// asks for, and the answer of the button pressed. A box closed without a
// button (Escape, or the program shutting down) answers as its Cancel button
// would, or No where it has none, or OK for a box with OK alone.
//
// Thread rule: GUI thread only.
#pragma once

#include <QMessageBox>
#include <memory>

#include "session/user_interface.h"

namespace ferrix::shell {

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const QString& text,
                                            const QString& caption,
                                            session::UserInterface::Buttons buttons,
                                            session::UserInterface::Icon icon);

// The answer of the button that closed `box`.
session::UserInterface::Answer messageBoxAnswer(const QMessageBox& box,
                                                session::UserInterface::Buttons buttons);

// What a box with these buttons answers when closed without one.
session::UserInterface::Answer closedAnswer(session::UserInterface::Buttons buttons);

}  // namespace ferrix::shell
