// PaneSplitter: the movable boundary between the local and the remote side
// of the main window. The left side is the local pane; the right side starts
// with the transfer buttons, then the remote pane. The boundary (LOC's
// splitter value, from the window's left edge) is the middle of the gap
// between the two panes (the handle and those transfer buttons), so that a boundary at half the width gives both lists the
// same room; a resize keeps the boundary's share of the window's width, as
// dragging it sets that share.
//
// Ownership: a Qt child of the main window's pane row; the transfer buttons
// belong to the right side. Thread rule: GUI thread only.
#pragma once

#include <QSplitter>

namespace ferrix::shell {

class PaneSplitter final : public QSplitter {
 public:
  // `transferButtons` is the column at the start of the right side.
  PaneSplitter(QWidget* transferButtons, QWidget* parent);

  int boundary() const;
  // `width` is the window width the boundary was measured in.
  void setBoundary(int boundary, int width);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void applyShare();
  int leftOffset() const;
  // Half of what lies between the two panes: the handle and the transfer buttons.
  int halfGap() const;

  QWidget* transferButtons_;
  double share_ = 0.5;
};

}  // namespace ferrix::shell
