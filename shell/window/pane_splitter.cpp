#include "shell/window/pane_splitter.h"

#include <algorithm>

namespace ferrix::shell {

PaneSplitter::PaneSplitter(QWidget* transferButtons, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), transferButtons_(transferButtons) {
  connect(this, &QSplitter::splitterMoved, this, [this] {
    if (window()->width() > 0) share_ = static_cast<double>(boundary()) / window()->width();
  });
}

int PaneSplitter::boundary() const { return leftOffset() + sizes().value(0) + halfGap(); }

void PaneSplitter::setBoundary(int boundary, int width) {
  if (width <= 0) return;
  share_ = std::clamp(static_cast<double>(boundary) / width, 0.0, 1.0);
  applyShare();
}

void PaneSplitter::resizeEvent(QResizeEvent* event) {
  QSplitter::resizeEvent(event);
  applyShare();
}

void PaneSplitter::applyShare() {
  const int total = std::max(width() - handleWidth(), 2);
  const int boundary = static_cast<int>(share_ * window()->width() + 0.5);
  const int left = std::clamp(boundary - leftOffset() - halfGap(), 1, total - 1);
  setSizes({left, total - left});
}

int PaneSplitter::leftOffset() const { return mapTo(window(), QPoint(0, 0)).x(); }

int PaneSplitter::halfGap() const {
  return (handleWidth() + transferButtons_->sizeHint().width()) / 2;
}

}  // namespace ferrix::shell
