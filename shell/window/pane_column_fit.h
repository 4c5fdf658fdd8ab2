// PaneColumnFitter keeps a pane in the fitting layout while its PaneLook asks
// for it (no LOCL / LOCR stored, no boundary dragged): the date and size
// columns as wide as the widest date and size shown, the name column taking
// the rest of the list's width. It refits when the list is resized, its font
// changes or new items arrive.
//
// Owned by the pane it fits; borrows the look, which outlives the pane.
// Thread rule: GUI thread.
#pragma once

#include <QObject>

#include "listing/pane_columns.h"
#include "shell/window/pane_delegate.h"

namespace ferrix::shell {

class FilePane;

class PaneColumnFitter final : public QObject {
  Q_OBJECT

 public:
  PaneColumnFitter(PaneLook& look, FilePane& pane);

  void fit();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void measure();

  PaneLook& look_;
  FilePane& pane_;
  const QObject* list_;
  const QObject* viewport_;
  listing::ColumnWidths widths_;
  std::int32_t measuredDateFmt_ = -1;
  std::int32_t measuredLongDate_ = -1;
};

}  // namespace ferrix::shell
