#include "shell/window/pane_column_fit.h"

#include <QEvent>
#include <QFontMetrics>
#include <algorithm>

#include "listing/pane_text.h"
#include "shell/window/file_pane.h"
#include "shell/window/pane_header.h"
#include "shell/window/pane_list_model.h"

namespace ferrix::shell {
namespace {

// Room for the text's padding on both sides and the header's sort arrow.
constexpr int kColumnPadding = 10;
constexpr int kHeaderArrowRoom = 18;
// The list's extent runs a few units past the last stop.
constexpr int kExtentMargin = 4;

int textWidth(const QFontMetrics& metrics, const std::string& text) {
  return metrics.horizontalAdvance(QString::fromStdString(text));
}

}  // namespace

PaneColumnFitter::PaneColumnFitter(PaneLook& look, FilePane& pane)
    : QObject(&pane), look_(look), pane_(pane), list_(pane.list()), viewport_(pane.list()->viewport()) {
  pane.list()->viewport()->installEventFilter(this);
  pane.list()->installEventFilter(this);
  connect(pane.model(), &QAbstractItemModel::modelReset, this, [this] {
    measure();
    fit();
  });
  measure();
}

// The pane is not asked for its list here: while it is being destroyed its
// list still sends events.
bool PaneColumnFitter::eventFilter(QObject* watched, QEvent* event) {
  if (watched == viewport_ && event->type() == QEvent::Resize) fit();
  if (watched == list_ && event->type() == QEvent::FontChange) {
    measure();
    fit();
  }
  return QObject::eventFilter(watched, event);
}

void PaneColumnFitter::measure() {
  const QFontMetrics metrics = pane_.list()->fontMetrics();
  const QFontMetrics headerMetrics = pane_.header()->fontMetrics();
  int date = headerMetrics.horizontalAdvance(QStringLiteral("Date")) + kHeaderArrowRoom;
  int size = headerMetrics.horizontalAdvance(QStringLiteral("Size")) + kHeaderArrowRoom;
  // Measuring every text would cost a folder of many thousand entries a
  // noticeable pause; the longest date and the largest size stand for all.
  std::string longestDate;
  std::uint64_t largestSize = 0;
  bool anyDate = false;
  for (const listing::PaneItem& item : pane_.model()->items()) {
    if (!item.hasDate()) continue;
    anyDate = true;
    std::string text = listing::DateText(item, look_.dateFmt, look_.longDate);
    if (text.size() > longestDate.size()) longestDate = std::move(text);
    largestSize = std::max(largestSize, item.size);
  }
  if (anyDate) {
    date = std::max(date, textWidth(metrics, longestDate) + kColumnPadding);
    size = std::max(size, textWidth(metrics, listing::SizeText(largestSize)) + kColumnPadding);
  }
  widths_.date = date;
  widths_.size = size;
  measuredDateFmt_ = look_.dateFmt;
  measuredLongDate_ = look_.longDate;
}

void PaneColumnFitter::fit() {
  if (!look_.fitToWidth) return;
  if (look_.dateFmt != measuredDateFmt_ || look_.longDate != measuredLongDate_) measure();
  const int width = pane_.list()->viewport()->width() - kExtentMargin;
  const listing::ColumnStops fitted = listing::FitColumns(width, widths_);
  if (fitted.stops == look_.columns.stops) return;
  look_.columns = fitted;
  pane_.columnsChanged();
}

}  // namespace ferrix::shell
