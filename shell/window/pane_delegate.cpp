#include "shell/window/pane_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QPainter>
#include <algorithm>

#include "listing/pane_text.h"
#include "shell/window/pane_list_model.h"

namespace ferrix::shell {

namespace {

constexpr int kMinimumRowHeight = 18;
constexpr int kTextPadding = 3;

QString qText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

PaneDelegate::PaneDelegate(const PaneLook& look, QObject* parent)
    : QStyledItemDelegate(parent), look_(look) {}

int PaneDelegate::rowHeight(const QFontMetrics& metrics) {
  return std::max(metrics.lineSpacing() + 2, kMinimumRowHeight);
}

QSize PaneDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return {look_.columns.extent(), rowHeight(option.fontMetrics)};
}

bool PaneDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                             const QStyleOptionViewItem& option, const QModelIndex& index) {
  if (event->type() != QEvent::ToolTip || !index.isValid()) {
    return QStyledItemDelegate::helpEvent(event, view, option, index);
  }
  const auto* model = static_cast<const PaneListModel*>(index.model());
  const listing::PaneItem& item = model->item(index.row());
  QString text = qText(item.name());
  if (item.hasDate()) {
    text += QStringLiteral("\nSize: %1 bytes\nDate: %2")
                .arg(qText(listing::SizeText(item.size)),
                     qText(listing::DateText(item, look_.dateFmt, look_.longDate)));
  }
  QToolTip::showText(event->globalPos(), text, view);
  return true;
}

void PaneDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  const auto* model = static_cast<const PaneListModel*>(index.model());
  const listing::PaneItem& item = model->item(index.row());
  const listing::ColumnStops& columns = look_.columns;
  const QRect row = option.rect;
  const bool selected = option.state & QStyle::State_Selected;

  painter->save();
  QStyle* style = option.widget ? option.widget->style() : QApplication::style();
  style->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, painter, option.widget);
  painter->setPen(option.palette.color(QPalette::Normal,
                                       selected ? QPalette::HighlightedText : QPalette::Text));

  auto column = [&](int number) {
    const int left = row.left() + columns.columnStart(number);
    return QRect(left, row.top(), columns.stops[number] - columns.columnStart(number), row.height());
  };
  icons_.paint(*painter, column(0), item);

  const QFontMetrics& metrics = option.fontMetrics;
  const QRect nameColumn = column(1);
  const std::string name = listing::ShortenedName(
      item.shownName(), nameColumn.width() - 2 * kTextPadding,
      [&metrics](std::string_view text) { return metrics.horizontalAdvance(qText(text)); });
  const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
  painter->drawText(nameColumn.adjusted(kTextPadding, 0, 0, 0), flags | Qt::AlignLeft, qText(name));

  const QRect dateColumn = column(2);
  if (!item.hasDate()) {
    const QRect tailRect(dateColumn.left() + kTextPadding, row.top(),
                         row.right() - dateColumn.left(), row.height());
    painter->drawText(tailRect, flags | Qt::AlignLeft, qText(listing::DisplayTail(item)));
  } else {
    painter->drawText(dateColumn.adjusted(kTextPadding, 0, 0, 0), flags | Qt::AlignLeft,
                      qText(listing::DateText(item, look_.dateFmt, look_.longDate)));
    // A size wider than its column runs on to the right rather than losing
    // its leading digits, which would show another number.
    const QString size = qText(listing::SizeText(item.size));
    QRect sizeRect = column(3).adjusted(0, 0, -kTextPadding, 0);
    sizeRect.setWidth(std::max(sizeRect.width(), metrics.horizontalAdvance(size)));
    painter->drawText(sizeRect, flags | Qt::AlignRight, size);
  }
  painter->restore();
}

}  // namespace ferrix::shell
