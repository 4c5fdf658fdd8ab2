#include "shell/window/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>

#include "listing/pane_columns.h"
#include "listing/pane_order.h"
#include "platform/paths.h"
#include "resources/strings.h"
#include "session/connection.h"
#include "session/sound_events.h"
#include "shell/window/context_menu.h"
#include "shell/window/file_pane.h"
#include "shell/window/pane_icons.h"
#include "shell/window/pane_list_model.h"
#include "shell/window/status_lines.h"
#include "shell/window/window_commands.h"

namespace ferrix::shell {

namespace {

using listing::PaneSide;
using namespace command;

constexpr int kDoubleClickTransfers = 0;
constexpr char kOriginalFolder[] = "origdir";

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

bool isFolderKind(std::int32_t kind) {
  return (kind & (listing::kKindFolder | listing::kKindDrive)) != 0;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

transfer::CurrentEntry stampOf(const listing::PaneItem& item) {
  transfer::CurrentEntry stamp;
  stamp.kind = item.kind;
  stamp.year = item.year;
  stamp.month = item.month;
  stamp.day = item.day;
  stamp.hour = item.hour;
  stamp.minute = item.minute;
  stamp.size = item.size;
  return stamp;
}

}  // namespace

MainWindow::MainWindow(WindowServices services, WindowHooks hooks, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      hooks_(std::move(hooks)),
      localModel_(PaneSide::kLocal, services.configuration.settings().LSORT),
      localFolder_(platform::currentFolder()),
      remoteSortValue_(services.configuration.settings().RSORT),
      remote_(services.session, services.userInterface, services.configuration) {
  config::ProgramSettings& settings = services_.configuration.settings();
  localLook_ = {listing::ParseColumnStops(services_.configuration.localPaneRectangle()),
                settings.DateFmt, settings.LONGDATE};
  remoteLook_ = {listing::ParseColumnStops(services_.configuration.remotePaneRectangle()),
                 settings.DateFmt, settings.LONGDATE};
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QString::fromLatin1(session::kProgramTitle));
  setWindowIcon(ProgramIcon());
  buildWidgets();
  buildMenuAndAccelerators();
  applyPlacement();

  for (FilePane* pane : {localPane_, remotePane_}) {
    const PaneSide side = pane->side();
    PaneLook& look = side == PaneSide::kLocal ? localLook_ : remoteLook_;
    connect(pane, &FilePane::commandRequested, this, [this](int id) { dispatchCommand(id); });
    connect(pane, &FilePane::entryActivated, this, [this, side](int row) { activateEntry(side, row); });
    connect(pane, &FilePane::headerClicked, this,
            [this, side](listing::HeaderClick click) { headerCommand(side, click); });
    connect(pane, &FilePane::columnsMoved, this, [pane, &look](listing::ColumnStops columns) {
      look.columns = columns;
      pane->columnsChanged();
    });
    connect(pane, &FilePane::selectionChanged, this, &MainWindow::updateAllButtons);
    connect(pane->list(), &QWidget::customContextMenuRequested, this, [this, pane](const QPoint& at) {
      showPaneMenu(*pane, pane->list()->viewport()->mapToGlobal(at));
    });
  }
  connect(localPane_, &FilePane::folderChosen, this,
          [this](const QString& folder) { enterLocalFolder(folder.toStdString()); });
  connect(localPane_, &FilePane::maskEntered, this, &MainWindow::listLocalFolder);
  connect(remotePane_, &FilePane::folderChosen, this, [this](const QString& folder) {
    postRemote([folder = folder.toStdString()](RemoteSide& remote) { remote.changeFolder(folder); },
               true);
  });
  connect(remotePane_, &FilePane::maskEntered, this, [this] { dispatchCommand(kRemoteRefresh); });
  connect(remotePane_, &FilePane::maskLeft, this, [this] {
    const std::string mask = remotePane_->maskBox()->text().toStdString();
    if (connected_ && listing::RemoteMaskChangeRedisplays(remoteMask_, mask)) {
      postRemote([](RemoteSide& remote) { remote.redisplay(); }, true);
    }
    remoteMask_ = mask;
  });

  auto* watchdog = new QTimer(this);
  connect(watchdog, &QTimer::timeout, this,
          [this] { session::watchdogTimerProc(services_.session, session::kWatchdogTimerId); });
  watchdog->start(static_cast<int>(session::kWatchdogIntervalMs));

  listLocalFolder();
  refreshModeButtons();
  updateAllButtons();
}

MainWindow::~MainWindow() { engine_.finish(); }

FilePane* MainWindow::paneOf(PaneSide side) const {
  return side == PaneSide::kLocal ? localPane_ : remotePane_;
}

bool MainWindow::commandAvailable(int id) const {
  switch (id) {
    case kLocalView: case kRemoteView: case kLocalExec: case kRemoteExec:
    case kLocalDirInfo: case kRemoteDirInfo: case kEditFile:
    case kLocalMakeFolder: case kLocalDeleteFolder: case kRemoteDeleteFolder:
    case kLocalDelete: case kRemoteDelete: case kLocalRename: case kLocalMove:
    case kMenuQuote: case kMenuList: case kMenuNlst: case kUnattendedRun:
      return false;
    case kConnect: case kMenuConnect:
      return connected_ || static_cast<bool>(hooks_.chooseSite);
    case kLogWindow: case kShowLog:
      return static_cast<bool>(hooks_.showLogWindow);
    case kOptions: case kMenuOptions:
      return static_cast<bool>(hooks_.showOptions);
    case kAbout: case kMenuAbout:
      return static_cast<bool>(hooks_.showAbout);
    case kHelp:
      return static_cast<bool>(hooks_.showHelp);
    case kLocalSort: case kRemoteSort:
      return static_cast<bool>(hooks_.askSortValue);
    default:
      return true;
  }
}

bool MainWindow::dispatchCommand(int id) {
  if (!commandAvailable(id)) return false;
  if (id >= kLocalHeaderFirst && id <= kRemoteHeaderFirst + 3 && id != kLocalHeaderFirst + 4) {
    const PaneSide side = id < kRemoteHeaderFirst ? PaneSide::kLocal : PaneSide::kRemote;
    const int button = id - (side == PaneSide::kLocal ? kLocalHeaderFirst : kRemoteHeaderFirst);
    const Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
    headerCommand(side, {static_cast<listing::HeaderButton>(button),
                         modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::AltModifier)});
    return true;
  }
  switch (id) {
    case kConnect: case kMenuConnect: connectCommand(id); break;
    case kMenuClose: closeConnection(id); break;
    case kCancel: cancelCommand(); break;
    case kExit: case kCloseWindow: case kCloseSystemMenu:
      if (engine_.busy() && id != kCloseSystemMenu) closeWhileBusy(id);
      close();
      break;
    case kUpload: case kDownload: transferCommand(id, false); break;
    case kAppendUpload: transferCommand(kUpload, true); break;
    case kAppendDownload: transferCommand(kDownload, true); break;
    case kLocalChangeFolder: changeFolderCommand(PaneSide::kLocal); break;
    case kRemoteChangeFolder: changeFolderCommand(PaneSide::kRemote); break;
    case kLocalRefresh: refreshCommand(PaneSide::kLocal); break;
    case kRemoteRefresh: refreshCommand(PaneSide::kRemote); break;
    case kLocalSort: sortCommand(PaneSide::kLocal); break;
    case kRemoteSort: sortCommand(PaneSide::kRemote); break;
    case kRemoteMakeFolder:
      postRemote([](RemoteSide& remote) { remote.makeFolder(); }, true);
      break;
    case kRemoteRename: case kRemoteMove: case kChmod: {
      std::vector<std::string> names;
      for (const SelectedEntry& entry : selectedEntries(*remotePane_, false)) names.push_back(entry.name);
      postRemote([id, names](RemoteSide& remote) { remote.entryCommand(id, names); }, id != kChmod);
      break;
    }
    case kMenuCwd: case kMenuPwd: case kMenuHelp: case kMenuSyst: case kMenuSite:
    case kMenuRetr: case kMenuStor:
      postRemote([id](RemoteSide& remote) { remote.menuCommand(id); }, false,
                 id == kMenuRetr || id == kMenuStor);
      break;
    case kDeleteKey: deleteKey(); break;
    case kAscii: setTransferMode('A', false); break;
    case kBinary: setTransferMode('I', false); break;
    case kAuto: setTransferMode(0, true); break;
    case kRefreshModes: refreshModeButtons(); break;
    case kLogWindow: case kShowLog: hooks_.showLogWindow(); break;
    case kOptions: case kMenuOptions:
      hooks_.showOptions(this);
      applyToolTips();
      refreshModeButtons();
      break;
    case kAbout: case kMenuAbout: hooks_.showAbout(this); break;
    case kHelp: hooks_.showHelp(0); break;
    default: return false;
  }
  return true;
}

void MainWindow::connectCommand(int id) {
  if (transferRunning_) return;
  if (connected_) {
    closeConnection(kMenuClose);
    return;
  }
  if (engine_.busy()) {
    services_.session.log.logMessage(resources::loadString(resources::string_id::kCommandInProgress));
    return;
  }
  if (!hooks_.chooseSite(this)) {
    if (services_.session.playSound) services_.session.playSound(session::sound_event::kConnectionFailed);
    updateAllButtons();
    return;
  }
  config::Configuration& configuration = services_.configuration;
  const config::SiteProfile& profile = services_.session.state.sessionProfile;
  localPane_->maskBox()->setText(fromStd(profile.localMask));
  remotePane_->maskBox()->setText(fromStd(profile.remoteMask));
  remoteMask_ = profile.remoteMask;
  setSortValue(PaneSide::kLocal, configuration.ReadSiteInt(profile.profileName, "LSORT", 1));
  setSortValue(PaneSide::kRemote, configuration.ReadSiteInt(profile.profileName, "RSORT", 1));
  config::loadFolderHistory(configuration, profile.profileName, config::FolderSide::kLocal,
                            localHistory_);
  if (!profile.localFolder.empty()) {
    enterLocalFolder(equalsIgnoringCase(profile.localFolder, kOriginalFolder)
                         ? std::filesystem::path(platform::currentFolder())
                         : std::filesystem::path(profile.localFolder));
  }
  listLocalFolder();
  const bool showFolder = id == kConnect;
  postRemote([showFolder](RemoteSide& remote) { remote.connect(showFolder); }, false);
}

void MainWindow::closeConnection(int id) {
  if (engine_.busy()) {
    closeWhileBusy(id);
    return;
  }
  postRemote([](RemoteSide& remote) { remote.disconnect(); }, false);
}

void MainWindow::closeWhileBusy(int id) {
  session::SessionState& state = services_.session.state;
  state.retriesLeft = 0;
  session::requestCancel(services_.session);
  if (closingConnection_) return;
  closingConnection_ = true;
  if (transferRunning_) {
    services_.session.log.logMessagef("! %s", std::string(kAbortingThread).c_str());
  }
  setWindowTitle(QString::fromLatin1(session::kProgramTitle));
  buttons_[kConnect]->setText(ControlCaption(kConnect));
  if (id == kExit || id == kCloseWindow) return;  // closeEvent sends QUIT
  postRemote([](RemoteSide& remote) { remote.disconnect(); }, false, false, true);
}

void MainWindow::cancelCommand() {
  session::requestCancel(services_.session);
  postRemote([](RemoteSide& remote) { remote.cancel(); }, false, false, true);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!exiting_) {
    exiting_ = true;
    if (hooks_.shutDownQuestions) hooks_.shutDownQuestions();
    if (engine_.busy()) {
      services_.session.state.retriesLeft = 0;
      session::requestCancel(services_.session);
      if (transferRunning_ && !closingConnection_) {
        services_.session.log.logMessagef("! %s", std::string(kAbortingThread).c_str());
      }
    }
    engine_.post([this] { remote_.disconnect(); });
    hide();
    engine_.finish();
  }
  event->accept();
}

void MainWindow::transferCommand(int id, bool append) {
  const bool upload = id == kUpload;
  const Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
  const bool invertPrompt = modifiers & (Qt::ControlModifier | Qt::ShiftModifier);
  const std::vector<SelectedEntry> entries =
      selectedEntries(upload ? *localPane_ : *remotePane_, true);
  postRemote(
      [upload, append, invertPrompt, entries](RemoteSide& remote) {
        remote.invertPrompt(invertPrompt);
        if (entries.empty()) {
          remote.menuCommand(upload ? kMenuStor : kMenuRetr);
        } else if (upload) {
          remote.upload(entries, append);
        } else {
          remote.download(entries, append);
        }
      },
      true, true);
}

std::vector<SelectedEntry> MainWindow::selectedEntries(const FilePane& pane, bool filesOnly) const {
  std::vector<SelectedEntry> entries;
  for (const listing::PaneItem* item : pane.selectedItems()) {
    if (item->isParent() || (filesOnly && isFolderKind(item->kind))) continue;
    std::string name(item->name());
    if (pane.side() == PaneSide::kLocal) name = (localFolder_ / name).string();
    entries.push_back({std::move(name), stampOf(*item)});
  }
  return entries;
}

void MainWindow::activateEntry(PaneSide side, int row) {
  const FilePane* pane = paneOf(side);
  if (row < 0 || row >= pane->model()->rowCount()) return;
  const listing::PaneItem& item = pane->model()->item(row);
  const std::int32_t doubleClick = services_.configuration.settings().DBLCLK;
  if (side == PaneSide::kLocal) {
    if (isFolderKind(item.kind)) {
      enterLocalFolder(localFolder_ / std::string(item.name()));
    } else if (doubleClick == kDoubleClickTransfers) {
      dispatchCommand(kUpload);
    }
    return;
  }
  const std::string name(item.name());
  const bool folder = isFolderKind(item.kind);
  const bool link = item.kind == listing::kKindLink;
  if (!folder && !link) {
    if (doubleClick == kDoubleClickTransfers) dispatchCommand(kDownload);
    return;
  }
  const bool transferLink = link && doubleClick == kDoubleClickTransfers;
  const SelectedEntry entry{name, stampOf(item)};
  postRemote(
      [name, transferLink, entry](RemoteSide& remote) {
        if (!remote.changeFolder(name) && transferLink) remote.download({entry}, false);
      },
      true, transferLink);
}

void MainWindow::changeFolderCommand(PaneSide side) {
  const FilePane* pane = paneOf(side);
  const std::vector<const listing::PaneItem*> selected = pane->selectedItems();
  if (!selected.empty() && (isFolderKind(selected.front()->kind) ||
                            (side == PaneSide::kRemote && selected.front()->kind == listing::kKindLink))) {
    const std::string name(selected.front()->name());
    if (side == PaneSide::kLocal) {
      enterLocalFolder(localFolder_ / name);
    } else {
      postRemote([name](RemoteSide& remote) { remote.changeFolder(name); }, true);
    }
    return;
  }
  if (side == PaneSide::kRemote) {
    postRemote([](RemoteSide& remote) { remote.menuCommand(kMenuCwd); }, true);
    return;
  }
  std::string folder;
  if (services_.userInterface.inputBox(&folder, "Enter local folder name:", 180) && !folder.empty()) {
    enterLocalFolder(localFolder_ / folder);
  }
}

void MainWindow::refreshCommand(PaneSide side) {
  if (side == PaneSide::kLocal) {
    if (localPane_->maskBox()->text().isEmpty()) localPane_->maskBox()->setText(QStringLiteral("*.*"));
    listLocalFolder();
    return;
  }
  postRemote([](RemoteSide& remote) { remote.refresh(); }, true);
}

void MainWindow::headerCommand(PaneSide side, listing::HeaderClick click) {
  const std::int32_t current = side == PaneSide::kLocal ? localModel_.sortValue() : remoteSortValue_;
  setSortValue(side, listing::SortValueAfterClick(current, click, side));
}

void MainWindow::sortCommand(PaneSide side) {
  const std::int32_t current = side == PaneSide::kLocal ? localModel_.sortValue() : remoteSortValue_;
  if (const auto chosen = hooks_.askSortValue(this, current, side)) setSortValue(side, *chosen);
}

void MainWindow::setSortValue(PaneSide side, std::int32_t sortValue) {
  if (side == PaneSide::kLocal) {
    localModel_.setSortValue(sortValue);
    localPane_->setItems(localModel_.items());
    return;
  }
  remoteSortValue_ = sortValue;
  std::vector<listing::PaneItem> items = remotePane_->model()->items();
  std::stable_sort(items.begin(), items.end(), [sortValue](const auto& a, const auto& b) {
    return listing::ComparePaneItems(a, b, sortValue) < 0;
  });
  remotePane_->setItems(std::move(items));
}

void MainWindow::deleteKey() {
  if (localPane_->list()->hasFocus()) dispatchCommand(kLocalDelete);
  if (remotePane_->list()->hasFocus()) dispatchCommand(kRemoteDelete);
}

void MainWindow::setTransferMode(char mode, bool toggleAutomatic) {
  config::ProgramSettings& settings = services_.configuration.settings();
  if (toggleAutomatic) {
    settings.AMODE = settings.AMODE ? 0 : 1;
  } else {
    settings.MODE = mode;
    settings.AMODE = 0;
  }
  refreshModeButtons();
}

void MainWindow::refreshModeButtons() {
  const config::ProgramSettings& settings = services_.configuration.settings();
  asciiButton_->setChecked(settings.MODE == 'A');
  binaryButton_->setChecked(settings.MODE == 'I' || settings.MODE == 'L');
  autoButton_->setChecked(settings.AMODE != 0);
}

std::vector<MenuEntry> MainWindow::paneMenu(PaneSide side) const {
  const std::vector<const listing::PaneItem*> selected = paneOf(side)->selectedItems();
  PaneSelection selection{side, static_cast<int>(selected.size()),
                          selected.size() == 1 && isFolderKind(selected.front()->kind)};
  return PaneMenuEntries(selection);
}

void MainWindow::showPaneMenu(FilePane& pane, const QPoint& globalPosition) {
  QMenu menu(this);
  BuildMenu(menu, paneMenu(pane.side()));
  runMenu(menu, globalPosition);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  BuildMenu(menu, WindowMenuEntries());
  runMenu(menu, event->globalPos());
}

void MainWindow::runMenu(QMenu& menu, const QPoint& globalPosition) {
  const std::function<void(QMenu&)> enable = [this, &enable](QMenu& submenu) {
    for (QAction* action : submenu.actions()) {
      if (action->menu()) {
        enable(*action->menu());
      } else if (action->data().isValid()) {
        action->setEnabled(commandAvailable(action->data().toInt()));
      }
    }
  };
  enable(menu);
  if (QAction* chosen = menu.exec(globalPosition); chosen && chosen->data().isValid()) {
    dispatchCommand(chosen->data().toInt());
  }
}

void MainWindow::setLocalFolder(const std::filesystem::path& folder) { enterLocalFolder(folder); }

bool MainWindow::enterLocalFolder(const std::filesystem::path& folder) {
  std::error_code error;
  const std::filesystem::path target = std::filesystem::weakly_canonical(
      folder.is_absolute() ? folder : localFolder_ / folder, error);
  if (error || !std::filesystem::is_directory(target, error)) return false;
  localFolder_ = target;
  listLocalFolder();
  return true;
}

void MainWindow::listLocalFolder() {
  const config::ProgramSettings& settings = services_.configuration.settings();
  listing::LocalListingOptions options;
  options.maskText = localPane_->maskBox()->text().toStdString();
  options.longDir = settings.LONGDIR != 0;
  options.nameRules = remoteSetup().nameRules;
  listing::ShowLocalFolder(localFolder_, options, localModel_, localHistory_);
  localPane_->setItems(localModel_.items());
  localPane_->setFolderHistory(localHistory_.entries());
}

RemoteSetup MainWindow::remoteSetup() const {
  config::Configuration& configuration = services_.configuration;
  const config::ProgramSettings& settings = configuration.settings();
  RemoteSetup setup;
  setup.transfer.receiveBlockSize = settings.RBP;
  setup.transfer.sendBlockSize = settings.SBP;
  setup.transfer.keepTimes = settings.PROTIMES != 0;
  setup.transfer.storeUnique = settings.STOU != 0;
  setup.transfer.offerResume = settings.PROREGET != 0;
  setup.transfer.applyOverwriteRules = settings.PROOVERW != 0;
  setup.transfer.skipExistingInFolders = settings.PRODIROW != 0;
  setup.nameRules = {configuration.extensionListPath(), configuration.conversionListPath(),
                     settings.CONVEXT != 0, settings.FORCLOW != 0, settings.RECU != 0};
  setup.log = {configuration.keepTransferLog(), configuration.transferLogName()};
  setup.transferMode = static_cast<char>(settings.MODE);
  setup.automaticMode = settings.AMODE != 0;
  setup.hash = settings.HASH != 0;
  setup.bytesPerSecond = settings.tranrate == 1;
  setup.prompt = settings.PROMPT != 0;
  setup.doUpdate = settings.DOUPDATE != 0;
  setup.retain = settings.RETAIN != 0;
  setup.sortValue = remoteSortValue_;
  setup.remoteMask = remotePane_ ? remotePane_->maskBox()->text().toStdString() : std::string();
  setup.localFolder = localFolder_;
  return setup;
}

bool MainWindow::postRemote(std::function<void(RemoteSide&)> work, bool guarded, bool transfer,
                            bool queueWhenBusy) {
  if (guarded && (transferRunning_ || remote_.transferThreadBusy().isSet())) return false;
  if (!queueWhenBusy && engine_.busy()) {
    services_.session.log.logMessage(
        resources::loadString(resources::string_id::kCommandInProgress));
    return false;
  }
  ++pendingJobs_;
  const RemoteSetup setup = remoteSetup();
  if (transfer) transferRunning_ = true;
  updateAllButtons();
  engine_.post([this, setup, work = std::move(work), transfer] {
    remote_.setup(setup);
    work(remote_);
    RemoteView view = remote_.takeView();
    if (transfer) transferRunning_ = false;
    QMetaObject::invokeMethod(
        this, [this, view = std::move(view)]() mutable { applyRemoteView(std::move(view)); },
        Qt::QueuedConnection);
  });
  return true;
}

void MainWindow::applyRemoteView(RemoteView view) {
  --pendingJobs_;
  remotePane_->setItems(std::move(view.items));
  remotePane_->setFolderHistory(view.folders);
  connected_ = view.connected;
  if (!connected_) {
    closingConnection_ = false;
    setWindowTitle(QString::fromLatin1(session::kProgramTitle));
    canMakeFolder_ = canRename_ = canDelete_ = false;
  }
  const std::string_view caption = connected_ ? kCloseCaption : kConnectCaption;
  buttons_[kConnect]->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
  if (view.enterLocalFolder) {
    enterLocalFolder(*view.enterLocalFolder);
  } else if (view.localChanged) {
    listLocalFolder();
  }
  refreshModeButtons();
  updateAllButtons();
  emit remoteWorkDone();
}

void MainWindow::setEnabled(int id, bool enabled) {
  QAbstractButton* button = nullptr;
  if (const auto found = buttons_.find(id); found != buttons_.end()) button = found->second;
  if (!button) button = localPane_->button(id);
  if (!button) button = remotePane_->button(id);
  if (button) button->setEnabled(enabled && commandAvailable(id));
}

void MainWindow::updateAllButtons() {
  if (services_.configuration.settings().HIDBTN) return;
  const bool busy = transferRunning_;
  const std::size_t local = localPane_->selectedRows().size();
  const std::size_t remote = remotePane_->selectedRows().size();
  setEnabled(kRemoteChangeFolder, connected_);
  setEnabled(kRemoteMakeFolder, connected_ && canMakeFolder_);
  for (const int id : {kLocalView, kLocalDelete, kLocalRename}) setEnabled(id, local > 0);
  setEnabled(kLocalExec, local == 1);
  setEnabled(kRemoteView, remote > 0);
  setEnabled(kRemoteDelete, remote > 0 && canDelete_);
  setEnabled(kRemoteRename, remote > 0 && canRename_);
  setEnabled(kRemoteExec, remote == 1);
  for (const int id : {kUpload, kDownload, kRemoteRefresh, kRemoteDirInfo}) {
    setEnabled(id, connected_ && !busy);
  }
  for (const int id : {kLocalChangeFolder, kLocalMakeFolder, kLocalRefresh, kLocalDirInfo, kConnect,
                       kCancel, kLogWindow, kHelp, kOptions, kAbout, kExit}) {
    setEnabled(id, true);
  }
}

void MainWindow::setTitle(const QString& title) { setWindowTitle(title); }

void MainWindow::enableRemoteCommands(bool makeFolder, bool rename, bool remove) {
  canMakeFolder_ = makeFolder;
  canRename_ = rename;
  canDelete_ = remove;
  updateAllButtons();
}

void MainWindow::showStatusProgress(int line, const QString& text) {
  statusLines_->showProgress(line, text);
}

}  // namespace ferrix::shell
