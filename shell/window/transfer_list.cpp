#include "shell/window/transfer_list.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <algorithm>
#include <array>

namespace ferrix::shell {
namespace {

using transfer::TransferEntry;
using State = TransferEntry::State;

constexpr int kPercentRole = Qt::UserRole + 1;

// Draws the progress column as a bar with its percentage.
class ProgressDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QVariant percent = index.data(kPercentRole);
    if (!percent.isValid()) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    QStyleOptionProgressBar bar;
    bar.rect = option.rect.adjusted(2, 2, -2, -2);
    bar.minimum = 0;
    bar.maximum = 100;
    bar.progress = percent.toInt();
    bar.text = QStringLiteral("%1 %").arg(bar.progress);
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    bar.state = option.state | QStyle::State_Horizontal;
    QApplication::style()->drawControl(QStyle::CE_ProgressBar, &bar, painter);
  }
};

QString stateText(const TransferEntry& entry) {
  switch (entry.state) {
    case State::kQueued:
      return QStringLiteral("Queued");
    case State::kRunning:
      return QStringLiteral("Running");
    case State::kSucceeded:
      return QStringLiteral("Done");
    case State::kSkipped:
    case State::kCancelled:
    case State::kFailed:
      break;
  }
  const QString result = QString::fromStdString(entry.result);
  if (entry.state == State::kFailed) {
    return result.isEmpty() ? QStringLiteral("Failed") : QStringLiteral("Failed: ") + result;
  }
  if (!result.isEmpty()) return result;
  return entry.state == State::kCancelled ? QStringLiteral("Cancelled") : QStringLiteral("Skipped");
}

bool resumable(const TransferEntry& entry) {
  return entry.download && !entry.localName.empty() &&
         (entry.state == State::kFailed || entry.state == State::kCancelled);
}

}  // namespace

QString FormatByteCount(std::uint64_t bytes) {
  static constexpr std::array<const char*, 4> kUnits = {"KB", "MB", "GB", "TB"};
  if (bytes < 1024) return QStringLiteral("%1 B").arg(bytes);
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < kUnits.size()) {
    value /= 1024;
    ++unit;
  }
  return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(kUnits[unit]));
}

QString FormatSpeed(double bytesPerSecond) {
  return FormatByteCount(static_cast<std::uint64_t>(bytesPerSecond)) + QStringLiteral("/s");
}

QString FormatTimeLeft(std::uint64_t seconds) {
  const std::uint64_t hours = seconds / 3600;
  const QString minutesAndSeconds =
      QStringLiteral("%1:%2").arg(seconds / 60 % 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
  if (hours == 0) return minutesAndSeconds;
  return QStringLiteral("%1:%2").arg(hours).arg(
      minutesAndSeconds.rightJustified(5, QLatin1Char('0')));
}

TransferList::TransferList(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("transferList"));
  view_ = new QTreeWidget(this);
  view_->setObjectName(QStringLiteral("transferEntries"));
  view_->setRootIsDecorated(false);
  view_->setUniformRowHeights(true);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setColumnCount(kColumnCount);
  view_->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Direction"),
                          QStringLiteral("Size"), QStringLiteral("Progress"),
                          QStringLiteral("Speed"), QStringLiteral("Time left"),
                          QStringLiteral("Result")});
  view_->setItemDelegateForColumn(kProgress, new ProgressDelegate(view_));
  QHeaderView* header = view_->header();
  header->setStretchLastSection(true);
  header->setSectionResizeMode(kName, QHeaderView::Interactive);
  const std::array<int, kResult> widths = {220, 90, 70, 130, 90, 70};
  for (int column = 0; column < kResult; ++column) view_->setColumnWidth(column, widths[column]);

  cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancelButton_->setObjectName(QStringLiteral("transferCancel"));
  cancelAllButton_ = new QPushButton(QStringLiteral("Cancel All"), this);
  cancelAllButton_->setObjectName(QStringLiteral("transferCancelAll"));
  resumeButton_ = new QPushButton(QStringLiteral("Resume"), this);
  resumeButton_->setObjectName(QStringLiteral("transferResume"));
  clearButton_ = new QPushButton(QStringLiteral("Clear Finished"), this);
  clearButton_->setObjectName(QStringLiteral("transferClear"));
  auto* buttons = new QGridLayout;
  buttons->setSpacing(2);
  const std::array<QPushButton*, 4> all = {cancelButton_, cancelAllButton_, resumeButton_,
                                           clearButton_};
  for (std::size_t i = 0; i < all.size(); ++i) {
    all[i]->setFocusPolicy(Qt::TabFocus);
    buttons->addWidget(all[i], static_cast<int>(i % 2), static_cast<int>(i / 2));
  }
  buttons->setRowStretch(2, 1);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(view_, 1);
  row->addLayout(buttons);
  // The window may be as small as without the list: a squeezed list shows
  // what fits.
  setMinimumHeight(fontMetrics().height());

  connect(view_, &QTreeWidget::itemSelectionChanged, this, &TransferList::updateButtons);
  connect(cancelButton_, &QPushButton::clicked, this, [this] {
    if (const TransferEntry* entry = chosenEntry(); entry && !entry->ended()) {
      emit cancelRequested(*entry, entry->state == State::kRunning);
    }
  });
  connect(cancelAllButton_, &QPushButton::clicked, this, &TransferList::cancelAllRequested);
  connect(resumeButton_, &QPushButton::clicked, this, [this] {
    if (const TransferEntry* entry = chosenEntry(); entry && resumable(*entry)) {
      emit resumeRequested(*entry);
    }
  });
  connect(clearButton_, &QPushButton::clicked, this, [this] {
    for (int row = static_cast<int>(entries_.size()) - 1; row >= 0; --row) {
      if (entries_[static_cast<std::size_t>(row)].state != State::kSucceeded) continue;
      entries_.erase(entries_.begin() + row);
      delete view_->takeTopLevelItem(row);
    }
    updateButtons();
  });
  updateButtons();
}

QSize TransferList::sizeHint() const {
  constexpr int kLinesShown = 5;
  const int lines = view_->header()->sizeHint().height() +
                    kLinesShown * (view_->fontMetrics().height() + 4) + 2 * view_->frameWidth();
  return {QWidget::sizeHint().width(), std::max(lines, layout()->minimumSize().height())};
}

int TransferList::lineFor(const TransferEntry& entry) const {
  const std::string key = entry.key();
  for (int row = static_cast<int>(entries_.size()) - 1; row >= 0; --row) {
    const TransferEntry& line = entries_[static_cast<std::size_t>(row)];
    if (line.key() != key) continue;
    if (!line.ended()) return row;
    // A resumed download continues its line; a finished one keeps its own.
    if (entry.state == State::kRunning && resumable(line)) return row;
    return -1;
  }
  return -1;
}

void TransferList::showEntry(const TransferEntry& entry) {
  int row = lineFor(entry);
  if (row < 0) {
    entries_.push_back(entry);
    view_->addTopLevelItem(new QTreeWidgetItem);
    row = static_cast<int>(entries_.size()) - 1;
  } else {
    TransferEntry& line = entries_[static_cast<std::size_t>(row)];
    // A queued report knows less of the file than the transfer did.
    const std::string localName = entry.localName.empty() ? line.localName : entry.localName;
    line = entry;
    line.localName = localName;
  }
  showLine(row);
  updateButtons();
}

void TransferList::endOpenEntries() {
  for (std::size_t row = 0; row < entries_.size(); ++row) {
    TransferEntry& entry = entries_[row];
    if (entry.ended()) continue;
    entry.state = entry.state == State::kQueued ? State::kSkipped : State::kCancelled;
    entry.result = entry.state == State::kSkipped ? "Not started" : "";
    entry.secondsLeft.reset();
    showLine(static_cast<int>(row));
  }
  updateButtons();
}

QString TransferList::text(int row, Column column) const {
  const QTreeWidgetItem* item = view_->topLevelItem(row);
  return item ? item->text(column) : QString();
}

void TransferList::showLine(int row) {
  const TransferEntry& entry = entries_[static_cast<std::size_t>(row)];
  QTreeWidgetItem* item = view_->topLevelItem(row);
  const QString name = QString::fromStdString(entry.name());
  item->setText(kName, name);
  item->setToolTip(
      kName, QString::fromStdString(entry.download ? entry.remoteFolder : entry.localFolder) +
                 QStringLiteral(" \u2192 ") +
                 QString::fromStdString(entry.download ? entry.localFolder : entry.remoteFolder));
  item->setText(kDirection, entry.download ? QStringLiteral("\u2190 Download")
                                           : QStringLiteral("Upload \u2192"));
  item->setText(kSize, entry.size > 0 ? FormatByteCount(entry.size) : QString());
  item->setTextAlignment(kSize, Qt::AlignRight | Qt::AlignVCenter);
  const bool moving = entry.state == State::kRunning || entry.bytes > 0;
  if (entry.size > 0 && moving) {
    const auto percent =
        static_cast<int>(std::min<std::uint64_t>(100, entry.bytes * 100 / entry.size));
    item->setData(kProgress, kPercentRole, percent);
    item->setText(kProgress, QString());
  } else {
    item->setData(kProgress, kPercentRole, QVariant());
    item->setText(kProgress, entry.bytes > 0 ? FormatByteCount(entry.bytes) : QString());
  }
  const bool running = entry.state == State::kRunning;
  item->setText(
      kSpeed, running && entry.bytesPerSecond > 0 ? FormatSpeed(entry.bytesPerSecond) : QString());
  item->setText(kTimeLeft,
                running && entry.secondsLeft ? FormatTimeLeft(*entry.secondsLeft) : QString());
  item->setText(kResult, stateText(entry));
  const bool failed = entry.state == State::kFailed;
  item->setForeground(kResult, failed ? QBrush(QColor(0xb0, 0x1c, 0x1c)) : QBrush());
  item->setToolTip(kResult, stateText(entry));
}

const TransferEntry* TransferList::chosenEntry() const {
  QTreeWidgetItem* item = view_->currentItem();
  if (item == nullptr || !item->isSelected()) return nullptr;
  const int row = view_->indexOfTopLevelItem(item);
  return row < 0 ? nullptr : &entries_[static_cast<std::size_t>(row)];
}

void TransferList::updateButtons() {
  const TransferEntry* entry = chosenEntry();
  cancelButton_->setEnabled(entry != nullptr && !entry->ended());
  resumeButton_->setEnabled(entry != nullptr && resumable(*entry));
  const bool anyOpen = std::any_of(entries_.begin(), entries_.end(),
                                   [](const TransferEntry& line) { return !line.ended(); });
  cancelAllButton_->setEnabled(anyOpen);
  clearButton_->setEnabled(
      std::any_of(entries_.begin(), entries_.end(),
                  [](const TransferEntry& line) { return line.state == State::kSucceeded; }));
}

}  // namespace ferrix::shell
