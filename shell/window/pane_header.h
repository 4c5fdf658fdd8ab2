// PaneHeader: the row of column headers above a file pane ("^", "Name",
// "Date", "Size" and a blank one) placed at the pane's column stops and
// following its horizontal scrolling. A click on a header asks for the sort
// change it stands for; pressing within 6 units of a boundary between two
// headers and dragging moves that column stop (and every later one by the
// same amount) on release.
//
// The header reads the stops from the pane's PaneLook and reports changes;
// the pane applies them. Thread rule: GUI thread.
#pragma once

#include <QWidget>
#include <optional>

#include "listing/pane_columns.h"
#include "listing/pane_order.h"
#include "shell/window/pane_delegate.h"

namespace ferrix::shell {

class PaneHeader final : public QWidget {
  Q_OBJECT

 public:
  // `firstId` is the number of the "^" header (1200 local, 1205 remote).
  PaneHeader(const PaneLook& look, int firstId, QWidget* parent);

  const PaneLook& look() const { return look_; }
  void setScrollOffset(int offset);
  void setToolTipsShown(bool shown) { toolTipsShown_ = shown; }
  QSize sizeHint() const override;
  // The header under `x` (widget coordinates): 0 "^" .. 4 the blank one.
  int sectionAt(int x) const;

 signals:
  void headerClicked(listing::HeaderClick click);
  void columnsMoved(listing::ColumnStops columns);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QRect sectionRect(int section) const;
  std::optional<int> boundaryAt(int x) const;

  const PaneLook& look_;
  int firstId_;
  int scrollOffset_ = 0;
  bool toolTipsShown_ = false;
  std::optional<int> dragBoundary_;
  int dragX_ = 0;
  int pressedSection_ = -1;
};

}  // namespace ferrix::shell
