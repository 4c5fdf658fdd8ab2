#include "shell/qt_ui/percent_bar.h"

#include <QPainter>

namespace ferrix::shell {

PercentBar::PercentBar(QWidget* parent) : QWidget(parent) {
  setObjectName("percentBar");
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PercentBar::setPercent(unsigned percent) {
  percent_ = percent;
  text_ = QStringLiteral("%1%").arg(percent);
  repaint();
}

int PercentBar::filledWidth(int width, unsigned percent) {
  const int scale = width / 100 * 100;
  if (percent >= 100) return scale;
  return scale / 100 * static_cast<int>(percent);
}

QSize PercentBar::sizeHint() const { return {300, fontMetrics().height() + 6}; }

void PercentBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int filled = filledWidth(width(), percent_);
  painter.fillRect(0, 0, filled, height(), Qt::lightGray);
  painter.fillRect(filled, 0, width() - filled, height(), Qt::white);
  painter.setPen(Qt::black);
  painter.drawText(rect(), Qt::AlignCenter, text_);
}

}  // namespace ferrix::shell
