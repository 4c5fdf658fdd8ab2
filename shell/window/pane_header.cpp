#include "shell/window/pane_header.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QToolTip>

#include "shell/window/file_pane.h"
#include "shell/window/window_commands.h"

namespace ferrix::shell {

namespace {

constexpr int kSectionCount = 5;

// The header whose column the pane is sorted on; none for no key.
int sortedSection(std::int32_t sortValue) {
  switch (listing::KeyOf(sortValue)) {
    case listing::SortKey::kName: case listing::SortKey::kExtension:
    case listing::SortKey::kNameFromSecond:
      return 1;
    case listing::SortKey::kDate:
      return 2;
    case listing::SortKey::kSize:
      return 3;
    case listing::SortKey::kNone:
      break;
  }
  return -1;
}

}  // namespace

PaneHeader::PaneHeader(const PaneLook& look, int firstId, QWidget* parent)
    : QWidget(parent), look_(look), firstId_(firstId) {
  setMouseTracking(true);
  setObjectName(ControlObjectName(firstId));
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void PaneHeader::setScrollOffset(int offset) {
  scrollOffset_ = offset;
  update();
}

QSize PaneHeader::sizeHint() const {
  QStyleOptionHeader option;
  option.initFrom(this);
  option.text = QStringLiteral("Name");
  const QSize size = style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
  return {look_.columns.extent(), size.height()};
}

QRect PaneHeader::sectionRect(int section) const {
  const listing::ColumnStops& columns = look_.columns;
  const int left = section == 0 ? 0 : columns.stops[section - 1];
  const int right = section < 4 ? columns.stops[section] : std::max(width() + scrollOffset_, left);
  return {left - scrollOffset_, 0, right - left, height()};
}

int PaneHeader::sectionAt(int x) const {
  for (int section = 0; section < kSectionCount - 1; ++section) {
    if (x < sectionRect(section).right() + 1) return section;
  }
  return kSectionCount - 1;
}

std::optional<int> PaneHeader::boundaryAt(int x) const {
  return listing::BoundaryAt(look_.columns, x + scrollOffset_);
}

bool PaneHeader::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const ControlText text = ControlTextOf(firstId_ + sectionAt(help->pos().x()));
    if (toolTipsShown_ && !text.toolTip.empty()) {
      QToolTip::showText(help->globalPos(), QString::fromUtf8(text.toolTip.data(),
                                                              static_cast<qsizetype>(text.toolTip.size())),
                         this);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QWidget::event(event);
}

void PaneHeader::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int section = 0; section < kSectionCount; ++section) {
    QStyleOptionHeader option;
    option.initFrom(this);
    option.rect = sectionRect(section);
    // A section scrolled out of sight or squeezed to nothing has nothing to
    // draw, and the style cannot cache an empty picture of it.
    if (option.rect.isEmpty() || !option.rect.intersects(rect())) continue;
    option.section = section;
    option.orientation = Qt::Horizontal;
    option.state |= QStyle::State_Horizontal;
    option.textAlignment = section == 3 ? Qt::AlignRight | Qt::AlignVCenter
                                        : (section == 0 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    option.position = QStyleOptionHeader::Middle;
    if (section == pressedSection_) option.state |= QStyle::State_Sunken;
    if (section == sortedSection(look_.sortValue)) {
      option.sortIndicator = listing::IsReverse(look_.sortValue) ? QStyleOptionHeader::SortDown
                                                                 : QStyleOptionHeader::SortUp;
    }
    const ControlText text = ControlTextOf(firstId_ + section);
    option.text = QString::fromUtf8(text.caption.data(), static_cast<qsizetype>(text.caption.size()));
    style()->drawControl(QStyle::CE_Header, &option, &painter, this);
  }
  if (dragBoundary_) {
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawLine(dragX_, 0, dragX_, height());
  }
}

void PaneHeader::mouseMoveEvent(QMouseEvent* event) {
  const int x = event->position().toPoint().x();
  if (dragBoundary_) {
    const int start = look_.columns.columnStart(*dragBoundary_) - scrollOffset_;
    dragX_ = std::max(x, start);
    update();
    return;
  }
  setCursor(boundaryAt(x) ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void PaneHeader::mousePressEvent(QMouseEvent* event) {
  const int x = event->position().toPoint().x();
  if (dragBoundary_ && event->button() != Qt::LeftButton) {
    // The other button cancels the drag.
    dragBoundary_.reset();
    update();
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  dragBoundary_ = boundaryAt(x);
  if (dragBoundary_) {
    dragX_ = x;
  } else {
    pressedSection_ = sectionAt(x);
  }
  update();
}

void PaneHeader::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int x = event->position().toPoint().x();
  if (dragBoundary_) {
    const int boundary = *dragBoundary_;
    dragBoundary_.reset();
    emit columnsMoved(listing::MoveBoundary(look_.columns, boundary, x + scrollOffset_));
    update();
    return;
  }
  const int section = pressedSection_;
  pressedSection_ = -1;
  update();
  if (section < 0 || section > 3 || sectionAt(x) != section) return;
  listing::HeaderClick click;
  click.button = static_cast<listing::HeaderButton>(section);
  click.ctrl = event->modifiers() & Qt::ControlModifier;
  click.alt = event->modifiers() & Qt::AltModifier;
  emit headerClicked(click);
}

}  // namespace ferrix::shell
