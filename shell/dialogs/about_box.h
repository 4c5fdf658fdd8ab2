// The About box: the program's and the listing decoder library's product
// information (name, version, how many host types the library reads).
// Shown modal over `parent`. Thread rule: GUI thread only.
#pragma once

class QWidget;

namespace ferrix::shell {

void showAboutBox(QWidget* parent);

}  // namespace ferrix::shell
