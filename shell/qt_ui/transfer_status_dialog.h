// DLG_ABORT, "Transfer Status": the modeless dialog a running transfer shows,
// with the reply or sending text, the progress text, the percentage bar
// (filled only while the size is known) and Cancel. Cancel (or Escape)
// emits cancelRequested before the dialog finishes; the close box finishes
// it without a cancel. Whoever opened it deletes it once finished.
//
// Thread rule: GUI thread only.
#pragma once

#include <QDialog>
#include <optional>

class QLabel;

namespace ferrix::shell {

class PercentBar;

class TransferStatusDialog final : public QDialog {
  Q_OBJECT

 public:
  TransferStatusDialog(QWidget* parent, const QString& statusText);

  // `percent` moves the bar; without one the bar keeps what it shows.
  void showProgress(const QString& text, std::optional<unsigned> percent);

  QString progressText() const;
  const PercentBar& bar() const { return *bar_; }

  void reject() override;

 signals:
  void cancelRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* progress_;
  PercentBar* bar_;
};

}  // namespace ferrix::shell
