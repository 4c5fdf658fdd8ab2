#include "shell/window/status_lines.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QVBoxLayout>

#include "shell/dialogs/error_lines.h"

namespace ferrix::shell {

StatusLines::StatusLines(session::MessageLog& log, QWidget* parent)
    : QWidget(parent), log_(log) {
  setObjectName(QStringLiteral("statusLines"));
  auto* lines = new QVBoxLayout;
  lines->setSpacing(1);
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("statusLine%1").arg(i + 1));
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label->setMinimumHeight(label->fontMetrics().height() + 4);
    labels_[i] = label;
    lines->addWidget(label);
  }
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  scrollBar_->setObjectName(QStringLiteral("statusScrollBar"));
  // The bar only reports line steps; the log keeps the position.
  scrollBar_->setRange(0, 2);
  scrollBar_->setValue(1);
  connect(scrollBar_, &QScrollBar::actionTriggered, this, [this](int action) {
    if (action == QAbstractSlider::SliderSingleStepSub) log_.scrollStatusLines(-1);
    if (action == QAbstractSlider::SliderSingleStepAdd) log_.scrollStatusLines(+1);
  });
  connect(scrollBar_, &QScrollBar::valueChanged, this, [this] {
    const QSignalBlocker block(scrollBar_);
    scrollBar_->setValue(1);
  });
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addLayout(lines, 1);
  row->addWidget(scrollBar_);
  log_.addObserver(this);
}

StatusLines::~StatusLines() { log_.removeObserver(this); }

std::array<QString, 3> StatusLines::texts() const {
  return {labels_[2]->text(), labels_[1]->text(), labels_[0]->text()};
}

// The lines are shown oldest first, so line 1 (the newest) is the bottom one.
void StatusLines::showProgress(int line, const QString& text) {
  if (line >= 1 && line <= static_cast<int>(labels_.size())) {
    setLine(labels_[labels_.size() - static_cast<std::size_t>(line)], text);
  }
}

void StatusLines::setLine(QLabel* label, const QString& text) {
  label->setText(text);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, IsErrorLine(text) ? ErrorLineColor(palette)
                                                           : this->palette().color(QPalette::WindowText));
  label->setPalette(palette);
}

void StatusLines::mouseDoubleClickEvent(QMouseEvent*) { emit doubleClicked(); }

void StatusLines::lineAppended(std::string_view) {}

void StatusLines::statusLinesChanged(const std::array<std::string, 3>& lines) {
  QMetaObject::invokeMethod(this, [this, lines] { show(lines); }, Qt::QueuedConnection);
}

void StatusLines::show(const std::array<std::string, 3>& lines) {
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    setLine(labels_[labels_.size() - 1 - i], QString::fromStdString(lines[i]));
  }
}

}  // namespace ferrix::shell
