// TransferList: the list below the panes of every file transfer of this
// session, queued, running, finished or failed: its name, direction, size,
// a progress bar, speed and time left, and its result. Its buttons cancel
// the chosen entry or all of them and resume a failed or cancelled
// download; the window carries the requests out.
//
// Reports arrive by showEntry() in the order the engine made them; a report
// updates the open line of the same file (TransferEntry::key()), or the
// failed or cancelled line a resume starts again, else it adds a line.
// Thread rule: GUI thread.
#pragma once

#include <QWidget>
#include <vector>

#include "transfer/transfer_entry.h"

class QPushButton;
class QTreeWidget;

namespace ferrix::shell {

class TransferList final : public QWidget {
  Q_OBJECT

 public:
  enum Column { kName, kDirection, kSize, kProgress, kSpeed, kTimeLeft, kResult, kColumnCount };

  explicit TransferList(QWidget* parent);
  // Room for a few lines: the panes keep most of the window.
  QSize sizeHint() const override;

  void showEntry(const transfer::TransferEntry& entry);
  // A batch has ended: the lines it left queued or running never ran to
  // their end.
  void endOpenEntries();

  const std::vector<transfer::TransferEntry>& entries() const { return entries_; }
  QTreeWidget* view() const { return view_; }
  // The text the list shows in `column` of line `row`.
  QString text(int row, Column column) const;

 signals:
  // Cancel for one line; `running` when it is being transferred now.
  void cancelRequested(const transfer::TransferEntry& entry, bool running);
  void cancelAllRequested();
  void resumeRequested(const transfer::TransferEntry& entry);

 private:
  int lineFor(const transfer::TransferEntry& entry) const;
  void showLine(int row);
  void updateButtons();
  const transfer::TransferEntry* chosenEntry() const;

  QTreeWidget* view_;
  QPushButton* cancelButton_;
  QPushButton* cancelAllButton_;
  QPushButton* resumeButton_;
  QPushButton* clearButton_;
  std::vector<transfer::TransferEntry> entries_;
};

// How the list words sizes, speeds and times ("1.5 MB", "2.0 MB/s", "0:42").
QString FormatByteCount(std::uint64_t bytes);
QString FormatSpeed(double bytesPerSecond);
QString FormatTimeLeft(std::uint64_t seconds);

}  // namespace ferrix::shell
