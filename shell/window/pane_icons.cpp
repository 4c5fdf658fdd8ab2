#include "shell/window/pane_icons.h"

#include <QPainter>
#include <algorithm>

// The icons live in a static library, whose resource initialiser the linker
// would drop unless something refers to it.
static void loadWindowIcons() { Q_INIT_RESOURCE(window_icons); }

namespace ferrix::shell {

PaneIcons::PaneIcons()
    : loaded_((loadWindowIcons(), true)),
      drive_(":/icons/drive.svg"),
      parent_(":/icons/parent.svg"),
      folder_(":/icons/folder.svg"),
      link_(":/icons/link.svg"),
      textFile_(":/icons/text_file.svg"),
      otherFile_(":/icons/other_file.svg") {}

void PaneIcons::paint(QPainter& painter, const QRectF& cell, const listing::PaneItem& item) const {
  // Bits are tested in this order, so a kind with several bits set draws as
  // its highest-ranking one.
  const QIcon* icon = &otherFile_;
  if (item.kind & listing::kKindDrive) {
    icon = &drive_;
  } else if (item.kind & listing::kKindFolder) {
    icon = item.isParent() ? &parent_ : &folder_;
  } else if (item.kind == listing::kKindLink) {
    icon = &link_;
  } else if (item.kind & listing::kKindTextFile) {
    icon = &textFile_;
  }
  const qreal side = std::min({16.0, cell.width() - 2, cell.height() - 2});
  if (side <= 0) return;
  const QRectF target(cell.center().x() - side / 2, cell.center().y() - side / 2, side, side);
  icon->paint(&painter, target.toAlignedRect());
}

QIcon ProgramIcon() {
  loadWindowIcons();
  return QIcon(":/icons/app.svg");
}

}  // namespace ferrix::shell
