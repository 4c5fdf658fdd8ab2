// The pane icons (drive, parent, folder, link, text file, other file) and
// the program icon: our own SVG drawings compiled into the program, drawn
// at the device's pixel ratio so they stay sharp at any scale.
//
// Thread rule: GUI thread (they paint through QPainter).
#pragma once

#include <QIcon>
#include <QRectF>

#include "listing/pane_item.h"

class QPainter;

namespace ferrix::shell {

class PaneIcons {
 public:
  PaneIcons();
  // Draws the icon of `item` centred in `cell`, at most 16 units square.
  void paint(QPainter& painter, const QRectF& cell, const listing::PaneItem& item) const;

 private:
  bool loaded_;
  QIcon drive_;
  QIcon parent_;
  QIcon folder_;
  QIcon link_;
  QIcon textFile_;
  QIcon otherFile_;
};

QIcon ProgramIcon();

}  // namespace ferrix::shell
