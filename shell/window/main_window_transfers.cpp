// The main window's transfer list: made below the panes, shown or hidden
// from the View menu (remembered as XFERLIST in [_config_]), fed by the
// engine's transfer status, and its Cancel and Resume carried out.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "session/connection.h"
#include "shell/window/main_window.h"
#include "shell/window/transfer_list.h"
#include "shell/window/window_commands.h"

namespace ferrix::shell {
namespace {

constexpr char kTransferListKey[] = "XFERLIST";

}  // namespace

void MainWindow::buildTransferList() {
  transferList_ = new TransferList(this);
  // The list outlives the engine (the window's members go before its
  // children), so a report still queued finds it.
  engineSide_.setTransferEntrySink([list = transferList_](const transfer::TransferEntry& entry) {
    QMetaObject::invokeMethod(
        list, [list, entry] { list->showEntry(entry); }, Qt::QueuedConnection);
  });
  connect(transferList_, &TransferList::cancelRequested, this,
          [this](const transfer::TransferEntry& entry, bool running) {
            engineSide_.cancelEntry(entry.key());
            if (running) session::requestCancel(services_.session);
          });
  connect(transferList_, &TransferList::cancelAllRequested, this,
          [this] { dispatchCommand(command::kCancel); });
  connect(transferList_, &TransferList::resumeRequested, this, &MainWindow::resumeDownload);
}

void MainWindow::buildViewMenu() {
  QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
  viewMenu->setObjectName(QStringLiteral("viewMenu"));
  QAction* showList = viewMenu->addAction(QStringLiteral("&Transfer List"));
  showList->setObjectName(QStringLiteral("showTransferList"));
  showList->setCheckable(true);
  showList->setChecked(transferListShown());
  connect(showList, &QAction::toggled, this, [this](bool shown) {
    services_.configuration.WriteIntKey("_config_", kTransferListKey, shown ? 1 : 0);
    transferList_->setVisible(shown);
  });
}

bool MainWindow::transferListShown() const {
  return services_.configuration.ReadConfigInt(kTransferListKey, 1) != 0;
}

void MainWindow::resumeDownload(const transfer::TransferEntry& entry) {
  ++pendingTransfers_;
  const bool posted = postJob(
      [this, entry](EngineSide& engine) {
        if (!engine.resumeDownload(entry)) {
          QMetaObject::invokeMethod(
              this, [this] { --pendingTransfers_; }, Qt::QueuedConnection);
        }
      },
      Admission::kGuarded);
  if (!posted) --pendingTransfers_;
}

}  // namespace ferrix::shell
