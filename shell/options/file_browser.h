// The file browser the option pages open from their "Browse" and "..."
// buttons: an open-file dialog for an existing file, with the filters of a
// string-table filter text ("Description|patterns|...|||"), starting at the
// folder and name already in the field.
//
// Thread rule: GUI thread only.
#pragma once

#include <QString>

class QWidget;

namespace ferrix::shell {

// Opens the browser with the filter text `filterId`; the first filter is
// chosen. Starts in the folder of `path` with its file name, or in the
// configuration folder when `path` is empty. On confirmation the chosen full
// path replaces `path` and the result is true; on cancel `path` stays.
bool browseForFile(QWidget* owner, int filterId, QString& path);

}  // namespace ferrix::shell
