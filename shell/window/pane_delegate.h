// PaneDelegate draws one item of a file pane in the pane's columns: the icon
// (0..a), the name (a..b, ended with an ellipsis only when it does not fit;
// its tool tip tells the whole name, the size and the date), the date in the
// DateFmt / LONGDATE form (b..c) or, for an item without a date, its display
// tail, and the size right-aligned (c..d). Rows have one fixed height so the
// view can lay out a folder of any size at once.
//
// The delegate reads the pane's column stops and date settings through a
// PaneLook that the pane owns and outlives it. Thread rule: GUI thread.
#pragma once

#include <QStyledItemDelegate>
#include <cstdint>

#include "listing/pane_columns.h"
#include "shell/window/pane_icons.h"

namespace ferrix::shell {

struct PaneLook {
  listing::ColumnStops columns;
  std::int32_t dateFmt = 0;
  std::int32_t longDate = 1;
  // No stops stored or dragged: the columns follow the list's width.
  bool fitToWidth = false;
  // The pane's sort value, for the header's sort arrow.
  std::int32_t sortValue = 1;
};

class PaneDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  PaneDelegate(const PaneLook& look, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;

  // The fixed row height for `font`: its line spacing, at least 18 units.
  static int rowHeight(const QFontMetrics& metrics);

 private:
  const PaneLook& look_;
  PaneIcons icons_;
};

}  // namespace ferrix::shell
