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
#include <QToolTip>
#include <algorithm>
#include <chrono>

#include "config/ftp_url.h"
#include "listing/pane_columns.h"
#include "listing/pane_order.h"
#include "platform/paths.h"
#include "resources/strings.h"
#include "session/connection.h"
#include "session/sound_events.h"
#include "shell/desktop/desktop_extras.h"
#include "shell/window/connect_failure.h"
#include "shell/window/connection_security.h"
#include "shell/window/context_menu.h"
#include "shell/window/file_pane.h"
#include "shell/window/pane_header.h"
#include "shell/window/pane_icons.h"
#include "shell/window/pane_list_model.h"
#include "shell/window/quick_connect_bar.h"
#include "shell/window/status_lines.h"
#include "shell/window/transfer_list.h"
#include "shell/window/window_commands.h"

namespace ferrix::shell {

namespace {

using listing::PaneSide;
using namespace command;

constexpr char kOriginalFolder[] = "origdir";
// How long Exit lets the engine wait for the server's answer to QUIT before
// cancelling that wait; the window must go within a blink.
constexpr std::chrono::milliseconds kShutDownGrace{50};

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

bool isFolderKind(std::int32_t kind) {
  return (kind & (listing::kKindFolder | listing::kKindDrive)) != 0;
}

}  // namespace

MainWindow::MainWindow(WindowServices services, WindowHooks hooks, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      hooks_(std::move(hooks)),
      localFolder_(platform::currentFolder()),
      localSortValue_(services.configuration.settings().LSORT),
      remoteSortValue_(services.configuration.settings().RSORT),
      engineSide_(services.session, services.userInterface, services.configuration,
                  platform::currentFolder()) {
  config::ProgramSettings& settings = services_.configuration.settings();
  localLook_ = {listing::ParseColumnStops(services_.configuration.localPaneRectangle()),
                settings.DateFmt, settings.LONGDATE};
  remoteLook_ = {listing::ParseColumnStops(services_.configuration.remotePaneRectangle()),
                 settings.DateFmt, settings.LONGDATE};
  platform::IniFile& ini = services_.configuration.iniFile();
  localLook_.fitToWidth = !ini.find(config::kConfigSection, "LOCL");
  remoteLook_.fitToWidth = !ini.find(config::kConfigSection, "LOCR");
  localLook_.sortValue = localSortValue_;
  remoteLook_.sortValue = remoteSortValue_;
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QString::fromLatin1(session::kProgramTitle));
  setWindowIcon(ProgramIcon());
  buildWidgets();
  buildMenuAndAccelerators();
  applyPlacement();
  applyListFont();

  desktop_ = std::make_unique<DesktopExtras>(
      DesktopExtras::Services{services_.configuration, services_.userInterface, services_.session.log,
                              engineSide_.transferContext(),
                              [this](std::function<void()> work) { engine_.post(std::move(work)); }},
      this);
  if (!services_.session.playSound) services_.session.playSound = desktop_->soundHook();
  engineSide_.setViewSink([this](EngineView view) {
    QMetaObject::invokeMethod(
        this,
        [this, view = std::move(view)]() mutable {
          --pendingTransfers_;
          transferList_->endOpenEntries();
          applyView(std::move(view));
        },
        Qt::QueuedConnection);
  });

  for (FilePane* pane : {localPane_, remotePane_}) {
    const PaneSide side = pane->side();
    PaneLook& look = side == PaneSide::kLocal ? localLook_ : remoteLook_;
    connect(pane, &FilePane::commandRequested, this, [this](int id) { dispatchCommand(id); });
    connect(pane, &FilePane::entryActivated, this, [this, side](int row) { activateEntry(side, row); });
    connect(pane, &FilePane::headerClicked, this,
            [this, side](listing::HeaderClick click) { headerCommand(side, click); });
    connect(pane, &FilePane::columnsMoved, this, [pane, &look](listing::ColumnStops columns) {
      look.columns = columns;
      look.fitToWidth = false;
      pane->columnsChanged();
    });
    connect(pane, &FilePane::selectionChanged, this, &MainWindow::updateAllButtons);
    connect(pane, &FilePane::dropped, this,
            [this, side](batch::DragSource source, std::vector<std::string> paths,
                         std::optional<std::size_t> row) { dropCommand(side, source, std::move(paths), row); });
    connect(pane->list(), &QWidget::customContextMenuRequested, this, [this, pane](const QPoint& at) {
      showPaneMenu(*pane, pane->list()->viewport()->mapToGlobal(at));
    });
  }
  connect(localPane_, &FilePane::folderChosen, this,
          [this](const QString& folder) { setLocalFolder(folder.toStdString()); });
  connect(localPane_, &FilePane::maskEntered, this, [this] { setLocalFolder(localFolder_); });
  connect(quickConnectBar_, &QuickConnectBar::connectRequested, this, [this] {
    quickConnect(quickConnectBar_->entries(), quickConnectBar_->rememberPassword());
  });
  quickConnectBar_->setHistory(config::LoadQuickConnectHistory(services_.configuration));
  connect(remotePane_, &FilePane::folderChosen, this, [this](const QString& folder) {
    if (!connected_ && config::IsFtpUrl(folder.toStdString())) {
      quickConnectBar_->showUrl(folder);
      quickConnect(quickConnectBar_->entries(), false);
      return;
    }
    postJob(
        [folder = folder.toStdString()](EngineSide& engine) { engine.enterRemoteFolder(folder); },
        Admission::kGuarded);
  });
  connect(remotePane_, &FilePane::maskEntered, this, [this] { dispatchCommand(kRemoteRefresh); });
  connect(remotePane_, &FilePane::maskLeft, this, [this] {
    const std::string mask = remotePane_->maskBox()->text().toStdString();
    if (connected_ && listing::RemoteMaskChangeRedisplays(remoteMask_, mask)) {
      postJob([](EngineSide& engine) { engine.redisplay(PaneSide::kRemote); }, Admission::kGuarded);
    }
    remoteMask_ = mask;
  });

  auto* watchdog = new QTimer(this);
  connect(watchdog, &QTimer::timeout, this,
          [this] { session::watchdogTimerProc(services_.session, session::kWatchdogTimerId); });
  watchdog->start(static_cast<int>(session::kWatchdogIntervalMs));

  setLocalFolder(localFolder_);
  refreshModeButtons();
  updateAllButtons();
}

MainWindow::~MainWindow() {
  engine_.finish();
  desktop_.reset();
}

FilePane* MainWindow::paneOf(PaneSide side) const {
  return side == PaneSide::kLocal ? localPane_ : remotePane_;
}

bool MainWindow::commandAvailable(int id) const {
  switch (id) {
    case kUnattendedRun:
      return false;  // started only by runUnattended, which has the command line
    case kConnect: case kMenuConnect:
      return connected_ || static_cast<bool>(hooks_.chooseSite);
    case kLogWindow: case kShowLog:
      return static_cast<bool>(hooks_.showLogWindow);
    case kOptions: case kMenuOptions:
      return static_cast<bool>(hooks_.showOptions);
    case kAbout: case kMenuAbout:
      return static_cast<bool>(hooks_.showAbout);
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
    case kExit: case kCloseWindow: case kCloseSystemMenu: close(); break;
    case kUpload: case kDownload: transferCommand(id, false); break;
    case kAppendUpload: transferCommand(kUpload, true); break;
    case kAppendDownload: transferCommand(kDownload, true); break;
    case kLocalChangeFolder: case kLocalMakeFolder: case kLocalDeleteFolder: case kLocalRefresh:
    case kLocalDelete: case kLocalRename: case kLocalMove:
    case kRemoteChangeFolder: case kRemoteMakeFolder: case kRemoteDeleteFolder:
    case kRemoteRefresh: case kRemoteDelete: case kRemoteRename: case kRemoteMove:
    case kChmod:
      paneCommand(*PaneCommandOf(id));
      break;
    case kLocalView: case kLocalExec: fileCommand(id, PaneSide::kLocal); break;
    case kRemoteView: case kRemoteExec: fileCommand(id, PaneSide::kRemote); break;
    case kLocalDirInfo: folderInfoCommand(PaneSide::kLocal); break;
    case kRemoteDirInfo: folderInfoCommand(PaneSide::kRemote); break;
    case kEditFile: editCommand(); break;
    case kLocalSort: sortCommand(PaneSide::kLocal); break;
    case kRemoteSort: sortCommand(PaneSide::kRemote); break;
    case kMenuCwd: case kMenuPwd: case kMenuHelp: case kMenuSyst: case kMenuSite: case kMenuQuote:
    case kMenuList: case kMenuNlst: case kMenuRetr: case kMenuStor:
      postJob([command = *MenuCommandOf(id)](EngineSide& engine) { engine.menuCommand(command); },
              id == kMenuRetr || id == kMenuStor ? Admission::kGuarded : Admission::kRefuseWhenBusy);
      break;
    case kDeleteKey: deleteKey(); break;
    case kAscii: setTransferMode('A', false); break;
    case kBinary: setTransferMode('I', false); break;
    case kAuto: setTransferMode(0, true); break;
    case kRefreshModes: refreshModeButtons(); break;
    case kLogWindow: case kShowLog: hooks_.showLogWindow(); break;
    case kOptions: case kMenuOptions:
      hooks_.showOptions(this);
      QToolTip::hideText();
      applyToolTips();
      // The sheet may have changed the transfer mode.
      QMetaObject::invokeMethod(this, [this] { dispatchCommand(kRefreshModes); }, Qt::QueuedConnection);
      break;
    case kAbout: case kMenuAbout: hooks_.showAbout(this); break;
    case kHelp: desktop_->showHelp(0); break;
    default: return false;
  }
  return true;
}

void MainWindow::connectCommand(int id) {
  if (engineSide_.transferRunning()) return;
  if (connected_) {
    closeConnection(kMenuClose);
    return;
  }
  if (!hooks_.chooseSite(this)) {
    if (services_.session.playSound) services_.session.playSound(session::sound_event::kConnectionFailed);
    updateAllButtons();
    return;
  }
  startSession(id);
}

void MainWindow::quickConnect(const config::QuickConnectEntries& entries, bool rememberPassword) {
  if (connected_ || pendingJobs_ > 0 || engineSide_.transferRunning()) return;
  const config::QuickConnectReading reading = config::ReadQuickConnectEntries(entries);
  if (!reading.connection) {
    services_.session.log.logMessagef("! Quick connect: %s", reading.error.c_str());
    return;
  }
  config::SiteProfile profile;
  profile.profileName = reading.connection->host;
  services_.sites.loadProfile(profile);
  config::ApplyQuickConnection(*reading.connection, services_.sites.mailAddress(), profile);
  // A server without a site keeps the masks the panes show.
  if (profile.localMask.empty()) profile.localMask = localPane_->maskBox()->text().toStdString();
  if (profile.remoteMask.empty()) profile.remoteMask = remotePane_->maskBox()->text().toStdString();
  services_.session.state.sessionProfile = profile;
  config::RememberQuickConnection(services_.configuration, *reading.connection, rememberPassword);
  quickConnectBar_->setHistory(config::LoadQuickConnectHistory(services_.configuration));
  startSession(kConnect);
}

void MainWindow::startSession(int id) {
  config::Configuration& configuration = services_.configuration;
  const config::SiteProfile& profile = services_.session.state.sessionProfile;
  localPane_->maskBox()->setText(fromStd(profile.localMask));
  remotePane_->maskBox()->setText(fromStd(profile.remoteMask));
  remoteMask_ = profile.remoteMask;
  setSortValue(PaneSide::kLocal, configuration.ReadSiteInt(profile.profileName, "LSORT", 1));
  setSortValue(PaneSide::kRemote, configuration.ReadSiteInt(profile.profileName, "RSORT", 1));
  std::optional<std::filesystem::path> localFolder;
  if (!profile.localFolder.empty()) {
    localFolder = equalsIgnoringCase(profile.localFolder, kOriginalFolder)
                      ? std::filesystem::path(platform::currentFolder())
                      : std::filesystem::path(profile.localFolder);
  }
  const bool showFolder = id == kConnect;
  connectCancelled_ = false;
  postJob(
      [this, showFolder, localFolder](EngineSide& engine) {
        engine.listLocal(localFolder);
        const ConnectFailureWatch watch(services_.session.log);
        if (engine.connect(showFolder) || connectCancelled_) return;
        const config::SiteProfile& profile = services_.session.state.sessionProfile;
        services_.userInterface.messageBox(
            ConnectFailureText(profile.hostName, profile.port, watch.reason()), "Connect",
            session::UserInterface::Buttons::kOk, session::UserInterface::Icon::kError);
      },
      Admission::kQueue);
}

void MainWindow::closeConnection(int id) {
  static_cast<void>(id);
  if (engine_.busy() || engineSide_.transferRunning()) {
    // Close while busy: the running exchange or transfer is cancelled at
    // once; the disconnect waits only for it to return.
    connectCancelled_ = true;
    session::SessionState& state = services_.session.state;
    state.retriesLeft = 0;
    session::requestCancel(services_.session);
    setWindowTitle(QString::fromLatin1(session::kProgramTitle));
    buttons_[kConnect]->setText(ControlCaption(kConnect));
  }
  postJob([](EngineSide& engine) { engine.disconnect(); }, Admission::kQueue);
}

void MainWindow::cancelCommand() {
  connectCancelled_ = true;
  session::requestCancel(services_.session);
  postJob([](EngineSide& engine) { engine.cancel(); }, Admission::kQueue);
}

void MainWindow::runUnattended(const config::CommandLineValues& values,
                               std::function<void(UnattendedResult)> done) {
  postJob(
      [this, values, done = std::move(done)](EngineSide& engine) {
        const UnattendedResult result = engine.runUnattended(values, services_.sites);
        QMetaObject::invokeMethod(
            this,
            [this, result, done] {
              done(result);
              if (result == UnattendedResult::kStayConnected) {
                showNormal();
              } else {
                close();
              }
            },
            Qt::QueuedConnection);
      },
      Admission::kRefuseWhenBusy);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!exiting_) {
    exiting_ = true;
    connectCancelled_ = true;
    if (hooks_.shutDownQuestions) hooks_.shutDownQuestions();
    if (engine_.busy() || engineSide_.transferRunning()) {
      services_.session.state.retriesLeft = 0;
      session::requestCancel(services_.session);
    }
    // The engine stops a running transfer ("Aborting thread.") and sends QUIT.
    engine_.post([this] { engineSide_.shutDown(); });
    hide();
    // A server that never answers QUIT must not hold the exit: after a short
    // grace its wait is cancelled, again until the engine is done, since a
    // cancel only wakes a wait already in progress.
    while (!engine_.waitUntilIdle(kShutDownGrace)) session::requestCancel(services_.session);
    engine_.finish();
    desktop_->shutDown();
  }
  event->accept();
}

listing::Selection MainWindow::selectionOf(PaneSide side) const {
  listing::Selection selection;
  for (const int row : paneOf(side)->selectedRows()) selection.push_back(static_cast<std::size_t>(row));
  return selection;
}

void MainWindow::transferCommand(int id, bool append) {
  const bool upload = id == kUpload;
  const Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
  const bool invertPrompt = modifiers & (Qt::ControlModifier | Qt::ShiftModifier);
  const listing::Selection selection = selectionOf(upload ? PaneSide::kLocal : PaneSide::kRemote);
  ++pendingTransfers_;
  const bool posted = postJob(
      [this, upload, selection, append, invertPrompt](EngineSide& engine) {
        if (!engine.startTransfer(upload, selection, append, invertPrompt)) {
          QMetaObject::invokeMethod(this, [this] { --pendingTransfers_; }, Qt::QueuedConnection);
        }
      },
      Admission::kGuarded);
  if (!posted) --pendingTransfers_;
}

void MainWindow::dropCommand(PaneSide target, batch::DragSource source,
                             std::vector<std::string> paths, std::optional<std::size_t> row) {
  batch::Drop drop;
  drop.target = target == PaneSide::kLocal ? batch::DropTarget::kLocalPane
                                           : batch::DropTarget::kRemotePane;
  drop.source = source;
  drop.paths = std::move(paths);
  drop.entryUnderPoint = row;
  listing::Selection selection;
  if (source == batch::DragSource::kLocalPane) selection = selectionOf(PaneSide::kLocal);
  if (source == batch::DragSource::kRemotePane) selection = selectionOf(PaneSide::kRemote);
  // A drop onto the remote pane while a transfer runs is refused by the
  // drop itself, with its message; the local pane belongs to the transfer.
  postJob([drop, selection](EngineSide& engine) { engine.drop(drop, selection); },
          target == PaneSide::kLocal ? Admission::kLocal : Admission::kQueue);
}

void MainWindow::paneCommand(const PaneCommandTarget& target) {
  const auto [operation, side] = target;
  const listing::Selection selection = selectionOf(side);
  const Admission admission = side == PaneSide::kLocal             ? Admission::kLocal
                              : operation == PaneOperation::kChmod ? Admission::kRefuseWhenBusy
                                                                   : Admission::kGuarded;
  postJob([operation = operation, side = side, selection](EngineSide& engine) {
    engine.paneCommand(operation, side, selection);
  }, admission);
}

void MainWindow::activateEntry(PaneSide side, int row) {
  const FilePane* pane = paneOf(side);
  if (row < 0 || row >= pane->model()->rowCount()) return;
  const listing::Selection selection{static_cast<std::size_t>(row)};
  const std::int32_t doubleClick = services_.configuration.settings().DBLCLK;
  const bool folder = isFolderKind(pane->model()->item(row).kind);
  const bool link = pane->model()->item(row).kind == listing::kKindLink;
  // Only a folder (or a remote link) may be entered; anything else goes
  // straight to the double-click setting.
  if (!folder && !(link && side == PaneSide::kRemote)) {
    if (doubleClick == 0) dispatchCommand(side == PaneSide::kLocal ? kUpload : kDownload);
    if (doubleClick == 1) dispatchCommand(side == PaneSide::kLocal ? kLocalView : kRemoteView);
    return;
  }
  postJob(
      [this, side, selection, doubleClick](EngineSide& engine) {
        if (engine.openEntry(side, selection) || doubleClick == 2) return;
        // A link the server would not enter is a file.
        QMetaObject::invokeMethod(
            this, [this, doubleClick] { dispatchCommand(doubleClick == 0 ? kDownload : kRemoteView); },
            Qt::QueuedConnection);
      },
      side == PaneSide::kLocal ? Admission::kLocal : Admission::kGuarded);
}

void MainWindow::fileCommand(int id, PaneSide side) {
  const bool execute = id == kLocalExec || id == kRemoteExec;
  const desktop::FileAction action = execute ? desktop::FileAction::kExecute : desktop::FileAction::kView;
  const bool ctrlHeld = QApplication::keyboardModifiers() & Qt::ControlModifier;
  std::vector<desktop::SelectedEntry> entries;
  for (const listing::PaneItem* item : paneOf(side)->selectedItems()) {
    entries.push_back({std::string(item->name()), item->kind});
  }
  if (side == PaneSide::kLocal) {
    const desktop::SelectionOutcome outcome =
        desktop_->viewOrExecuteLocal(localFolder_, entries, action, ctrlHeld);
    if (outcome.changeFolderTo) setLocalFolder(localFolder_ / *outcome.changeFolderTo);
    else if (outcome.refreshLocal) setLocalFolder(localFolder_);
    return;
  }
  DesktopExtras* desktop = desktop_.get();
  postJob(
      [desktop, entries, action, ctrlHeld, this](EngineSide& engine) {
        const desktop::SelectionOutcome outcome = desktop->viewOrExecuteRemote(
            services_.session.state.controlSocket, entries, action, ctrlHeld);
        if (outcome.refreshRemote) engine.redisplay(PaneSide::kRemote);
        if (outcome.refreshLocal) engine.listLocal();
      },
      Admission::kGuarded);
}

void MainWindow::folderInfoCommand(PaneSide side) {
  if (side == PaneSide::kLocal) {
    desktop_->showLocalFolderInfo(localFolder_);
  } else {
    postJob([](EngineSide& engine) { engine.menuCommand(FtpMenuCommand::kList); },
            Admission::kGuarded);
  }
}

void MainWindow::editCommand() {
  const std::vector<const listing::PaneItem*> selected = remotePane_->selectedItems();
  if (selected.size() != 1) return;
  const desktop::SelectedEntry entry{std::string(selected.front()->name()), selected.front()->kind};
  const bool ctrlHeld = QApplication::keyboardModifiers() & Qt::ControlModifier;
  DesktopExtras* desktop = desktop_.get();
  const std::string folder = remoteFolder_;
  postJob([desktop, entry, folder, ctrlHeld](EngineSide&) { desktop->editRemoteFile(entry, folder, ctrlHeld); },
          Admission::kRefuseWhenBusy);
}

void MainWindow::headerCommand(PaneSide side, listing::HeaderClick click) {
  const std::int32_t current = side == PaneSide::kLocal ? localSortValue_ : remoteSortValue_;
  setSortValue(side, listing::SortValueAfterClick(current, click, side));
}

void MainWindow::sortCommand(PaneSide side) {
  const std::int32_t current = side == PaneSide::kLocal ? localSortValue_ : remoteSortValue_;
  if (const auto chosen = hooks_.askSortValue(this, current, side)) setSortValue(side, *chosen);
}

void MainWindow::setSortValue(PaneSide side, std::int32_t sortValue) {
  (side == PaneSide::kLocal ? localSortValue_ : remoteSortValue_) = sortValue;
  (side == PaneSide::kLocal ? localLook_ : remoteLook_).sortValue = sortValue;
  // The view's copy is reordered at once; the engine's at its next job.
  FilePane* pane = paneOf(side);
  std::vector<listing::PaneItem> items = pane->model()->items();
  std::stable_sort(items.begin(), items.end(), [sortValue](const auto& a, const auto& b) {
    return listing::ComparePaneItems(a, b, sortValue) < 0;
  });
  pane->setItems(std::move(items));
  pane->header()->update();
}

void MainWindow::applySortSettings() {
  const config::ProgramSettings& settings = services_.configuration.settings();
  setSortValue(PaneSide::kLocal, settings.LSORT);
  setSortValue(PaneSide::kRemote, settings.RSORT);
}

void MainWindow::redecodeRemoteListing() {
  postJob([](EngineSide& engine) { engine.redisplay(PaneSide::kRemote); }, Admission::kGuarded);
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
  const PaneSelection selection{side, static_cast<int>(selected.size()),
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

void MainWindow::setLocalFolder(const std::filesystem::path& folder) {
  postJob([folder](EngineSide& engine) { engine.listLocal(folder); }, Admission::kLocal);
}

EngineSetup MainWindow::engineSetup() const {
  config::Configuration& configuration = services_.configuration;
  const config::ProgramSettings& settings = configuration.settings();
  EngineSetup setup;
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
  setup.prompt = settings.PROMPT != 0;
  setup.doUpdate = settings.DOUPDATE != 0;
  setup.verifyDelete = settings.VRFYDEL != 0;
  setup.retain = settings.RETAIN != 0;
  setup.longDir = settings.LONGDIR != 0;
  setup.localSortValue = localSortValue_;
  setup.remoteSortValue = remoteSortValue_;
  setup.localMask = localPane_->maskBox()->text().toStdString();
  setup.remoteMask = remotePane_->maskBox()->text().toStdString();
  return setup;
}

bool MainWindow::postJob(std::function<void(EngineSide&)> work, Admission admission) {
  const bool transferRuns = engineSide_.transferRunning() || engineSide_.transferThreadBusy().isSet();
  if ((admission == Admission::kGuarded || admission == Admission::kLocal) && transferRuns) return false;
  if ((admission == Admission::kGuarded || admission == Admission::kRefuseWhenBusy) && engine_.busy()) {
    services_.session.log.logMessage(resources::loadString(resources::string_id::kCommandInProgress));
    return false;
  }
  ++pendingJobs_;
  updateAllButtons();
  const EngineSetup setup = engineSetup();
  engine_.post([this, setup, work = std::move(work)] {
    engineSide_.setup(setup);
    work(engineSide_);
    if (engineSide_.transferRunning()) {
      // The worker owns the panes now; its own view follows when it ends.
      QMetaObject::invokeMethod(this, [this] { --pendingJobs_; updateAllButtons(); }, Qt::QueuedConnection);
      return;
    }
    engineSide_.noticeServerGone();
    QMetaObject::invokeMethod(
        this,
        [this, view = engineSide_.takeView()]() mutable {
          --pendingJobs_;
          applyView(std::move(view));
        },
        Qt::QueuedConnection);
  });
  return true;
}

void MainWindow::applyView(EngineView view) {
  localPane_->model()->setFolder(view.localFolder);
  localPane_->setItems(std::move(view.localItems));
  localPane_->setFolderHistory(view.localFolders);
  localFolder_ = view.localFolder;
  remotePane_->setItems(std::move(view.remoteItems));
  remotePane_->setFolderHistory(view.remoteFolders);
  remoteFolder_ = view.remoteFolder;
  connected_ = view.connected;
  connectionSecurity_->showState(connected_, view.tlsProtocol);
  if (!connected_) {
    setWindowTitle(QString::fromLatin1(session::kProgramTitle));
    canMakeFolder_ = canRename_ = canDelete_ = false;
  }
  const std::string_view caption = connected_ ? kCloseCaption : kConnectCaption;
  buttons_[kConnect]->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
  if (view.viewFile) desktop_->viewFile(*view.viewFile);
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
  quickConnectBar_->setBusy(pendingJobs_ > 0);
  quickConnectBar_->setConnectEnabled(!connected_ && pendingJobs_ == 0);
  if (services_.configuration.settings().HIDBTN) return;
  const bool transferRuns = engineSide_.transferRunning();
  // While a job waits on the server, the remote commands could only be refused.
  const bool waiting = pendingJobs_ > 0;
  const bool remoteReady = connected_ && !waiting;
  const std::size_t local = localPane_->selectedRows().size();
  const std::size_t remote = remotePane_->selectedRows().size();
  setEnabled(kRemoteChangeFolder, remoteReady);
  setEnabled(kRemoteMakeFolder, remoteReady && canMakeFolder_);
  for (const int id : {kLocalView, kLocalDelete, kLocalRename}) setEnabled(id, local > 0);
  setEnabled(kLocalExec, local == 1);
  setEnabled(kRemoteView, remote > 0 && !waiting);
  setEnabled(kRemoteDelete, remote > 0 && canDelete_ && !waiting);
  setEnabled(kRemoteRename, remote > 0 && canRename_ && !waiting);
  setEnabled(kRemoteExec, remote == 1 && !waiting);
  for (const int id : {kUpload, kDownload, kRemoteRefresh, kRemoteDirInfo}) {
    setEnabled(id, remoteReady && !transferRuns);
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
