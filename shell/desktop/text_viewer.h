// The built-in text viewer: a plain window with a read-only, fixed-width copy
// of a text, for View and DirInfo where no viewer program can be started.
// Each call opens a window of its own, deleted when it is closed.
//
// Thread rule: GUI thread.
#pragma once

#include <QString>

class QWidget;

namespace ferrix::shell {

// The window, already shown; `parent` keeps it above the main window.
QWidget* ShowTextViewer(const QString& title, const QString& text, QWidget* parent);

}  // namespace ferrix::shell
