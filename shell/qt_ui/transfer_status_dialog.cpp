#include "shell/qt_ui/transfer_status_dialog.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/qt_ui/percent_bar.h"

namespace ferrix::shell {

TransferStatusDialog::TransferStatusDialog(QWidget* parent, const QString& statusText)
    : QDialog(parent), progress_(new QLabel(this)), bar_(new PercentBar(this)) {
  setObjectName("DLG_ABORT");
  setWindowTitle(tr("Transfer Status"));
  setModal(false);

  auto* status = new QLabel(tr("Transfering information"), this);
  status->setObjectName("statusText");
  status->setTextFormat(Qt::PlainText);
  status->setWordWrap(true);
  status->setText(statusText);
  status->setMinimumWidth(fontMetrics().averageCharWidth() * 56);

  progress_->setObjectName("progressText");
  progress_->setTextFormat(Qt::PlainText);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  buttons->setCenterButtons(true);
  QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
  cancel->setObjectName("cancel");
  cancel->setText(tr("Cancel"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status);
  layout->addWidget(progress_);
  layout->addWidget(bar_);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TransferStatusDialog::showProgress(const QString& text, std::optional<unsigned> percent) {
  if (percent) bar_->setPercent(*percent);
  progress_->setText(text);
}

QString TransferStatusDialog::progressText() const { return progress_->text(); }

void TransferStatusDialog::reject() {
  emit cancelRequested();
  QDialog::reject();
}

// The close box ends the display without stopping the transfer.
void TransferStatusDialog::closeEvent(QCloseEvent* event) {
  event->accept();
  accept();
}

}  // namespace ferrix::shell
