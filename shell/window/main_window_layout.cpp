// The main window's widgets and their arrangement: the standard layout (the
// panes side by side with the transfer buttons between them, splitters
// between the panes and above the status lines) or the alternate one (LAYOUT
// 1: the panes one above the other, both transfer buttons captioned
// "Transfer"), the command buttons at the bottom or at the top (BONTOP) or
// hidden (HIDBTN), the window menu and the accelerators.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "shell/desktop/desktop_extras.h"
#include "shell/options/list_font.h"
#include "shell/window/connection_security.h"
#include "shell/window/context_menu.h"
#include "shell/window/file_pane.h"
#include "shell/window/main_window.h"
#include "shell/window/pane_column_fit.h"
#include "shell/window/pane_header.h"
#include "shell/window/pane_icons.h"
#include "shell/window/pane_splitter.h"
#include "shell/window/quick_connect_bar.h"
#include "shell/window/status_lines.h"
#include "shell/window/transfer_list.h"
#include "shell/window/window_commands.h"
#include "shell/window/window_placement.h"

namespace ferrix::shell {

namespace {

using namespace command;

constexpr char kTransferCaption[] = "Transfer";
constexpr int kGeneralHelpTopic = 140;  // F1 and F2

constexpr int kCommandButtons[] = {kConnect, kCancel, kLogWindow, kHelp, kOptions, kAbout, kExit};

DesktopArea desktopArea(const QRect& desktop) {
  return {desktop.left(), desktop.top(), desktop.width(), desktop.height()};
}

struct Accelerator {
  QKeySequence keys;
  int id;
};

}  // namespace

QPushButton* MainWindow::commandButton(int id, QWidget* parent) {
  auto* button = new QPushButton(ControlCaption(id), parent);
  button->setObjectName(ControlObjectName(id));
  button->setFocusPolicy(Qt::TabFocus);
  connect(button, &QPushButton::clicked, this, [this, id] { dispatchCommand(id); });
  buttons_[id] = button;
  return button;
}

QWidget* MainWindow::buildTransferButtons() {
  const bool alternate = services_.configuration.settings().LAYOUT == 1;
  auto* column = new QWidget(this);
  auto* layout = alternate ? static_cast<QBoxLayout*>(new QHBoxLayout(column))
                           : static_cast<QBoxLayout*>(new QVBoxLayout(column));
  // Beside the panes the splitter handle is on the left, so the right margin
  // makes up for it and the buttons sit in the middle of the gap.
  if (alternate) {
    layout->setContentsMargins(2, 0, 2, 0);
  } else {
    layout->setContentsMargins(2, 0, 6, 0);
  }
  layout->addStretch(1);
  for (const int id : {kDownload, kUpload}) {
    QPushButton* button = commandButton(id, column);
    if (alternate) button->setText(QString::fromLatin1(kTransferCaption));
    layout->addWidget(button);
  }
  layout->addStretch(1);
  // Side by side with the panes, the column keeps the width of its buttons.
  if (!alternate) column->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  return column;
}

QWidget* MainWindow::buildModeButtons() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  asciiButton_ = new QRadioButton(ControlCaption(kAscii), row);
  binaryButton_ = new QRadioButton(ControlCaption(kBinary), row);
  autoButton_ = new QCheckBox(ControlCaption(kAuto), row);
  auto* group = new QButtonGroup(row);
  group->addButton(asciiButton_);
  group->addButton(binaryButton_);
  const std::pair<QAbstractButton*, int> modes[] = {
      {asciiButton_, kAscii}, {binaryButton_, kBinary}, {autoButton_, kAuto}};
  for (const auto& [button, id] : modes) {
    button->setObjectName(ControlObjectName(id));
    connect(button, &QAbstractButton::clicked, this, [this, id = id] { dispatchCommand(id); });
    buttons_[id] = button;
    layout->addWidget(button);
  }
  return row;
}

QWidget* MainWindow::buildCommandButtons() {
  commandRow_ = new QWidget(this);
  auto* layout = new QHBoxLayout(commandRow_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(buildModeButtons());
  connectionSecurity_ = new ConnectionSecurity(commandRow_);
  layout->addWidget(connectionSecurity_);
  layout->addStretch(1);
  for (const int id : kCommandButtons) layout->addWidget(commandButton(id, commandRow_));
  return commandRow_;
}

void MainWindow::buildWidgets() {
  localPane_ = new FilePane(listing::PaneSide::kLocal, localLook_, this);
  remotePane_ = new FilePane(listing::PaneSide::kRemote, remoteLook_, this);
  new PaneColumnFitter(localLook_, *localPane_);
  new PaneColumnFitter(remoteLook_, *remotePane_);
  statusLines_ = new StatusLines(services_.session.log, this);
  quickConnectBar_ = new QuickConnectBar(this);
  connect(statusLines_, &StatusLines::doubleClicked, this, [this] { dispatchCommand(kShowLog); });
  buildTransferList();
  buildCommandButtons();
  arrangeWidgets();
}

void MainWindow::arrangeWidgets() {
  const config::ProgramSettings& settings = services_.configuration.settings();
  const bool alternate = settings.LAYOUT == 1;
  const int boundary = paneSplitter_ ? paneSplitter_->boundary() : 0;
  const QList<int> logSizes = logSplitter_ ? logSplitter_->sizes() : QList<int>{};
  paneSplitter_ = nullptr;
  logSplitter_ = nullptr;
  QWidget* transferButtons = buildTransferButtons();

  auto* panes = new QWidget(this);
  auto* paneRow = alternate ? static_cast<QBoxLayout*>(new QVBoxLayout(panes))
                            : static_cast<QBoxLayout*>(new QHBoxLayout(panes));
  paneRow->setContentsMargins(0, 0, 0, 0);
  if (alternate) {
    paneRow->addWidget(localPane_, 1);
    paneRow->addWidget(transferButtons);
    paneRow->addWidget(remotePane_, 1);
  } else {
    auto* right = new QWidget(panes);
    auto* rightRow = new QHBoxLayout(right);
    rightRow->setContentsMargins(0, 0, 0, 0);
    rightRow->setSpacing(0);
    rightRow->addWidget(transferButtons);
    rightRow->addWidget(remotePane_, 1);
    paneSplitter_ = new PaneSplitter(transferButtons, panes);
    paneSplitter_->setObjectName(QStringLiteral("paneSplitter"));
    paneSplitter_->setChildrenCollapsible(false);
    paneSplitter_->addWidget(localPane_);
    paneSplitter_->addWidget(right);
    paneRow->addWidget(paneSplitter_);
  }

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(6, 6, 6, 6);
  column->addWidget(quickConnectBar_);
  if (settings.BONTOP) column->addWidget(commandRow_);
  if (alternate) {
    column->addWidget(panes, 1);
    column->addWidget(transferList_);
    column->addWidget(statusLines_);
  } else {
    logSplitter_ = new QSplitter(Qt::Vertical, central);
    logSplitter_->setObjectName(QStringLiteral("logSplitter"));
    logSplitter_->setChildrenCollapsible(false);
    logSplitter_->addWidget(panes);
    logSplitter_->addWidget(transferList_);
    logSplitter_->addWidget(statusLines_);
    logSplitter_->setStretchFactor(0, 1);
    logSplitter_->setStretchFactor(1, 0);
    logSplitter_->setStretchFactor(2, 0);
    column->addWidget(logSplitter_, 1);
  }
  if (!settings.BONTOP) column->addWidget(commandRow_);
  // Moving to another parent hides a widget; the moved ones are shown again.
  for (QWidget* moved : {static_cast<QWidget*>(localPane_), static_cast<QWidget*>(remotePane_),
                         static_cast<QWidget*>(statusLines_), static_cast<QWidget*>(quickConnectBar_)}) {
    moved->show();
  }
  transferList_->setVisible(transferListShown());
  const bool buttonsShown = settings.HIDBTN == 0;
  commandRow_->setVisible(buttonsShown);
  localPane_->setButtonsShown(buttonsShown);
  remotePane_->setButtonsShown(buttonsShown);
  for (QShortcut* keys : hiddenButtonKeys_) keys->setEnabled(!buttonsShown);
  // The previous arrangement goes with the old central widget; the panes,
  // the status lines and the command row have moved into the new one.
  if (QWidget* previous = takeCentralWidget()) {
    previous->setParent(nullptr);
    previous->deleteLater();
  }
  setCentralWidget(central);
  if (paneSplitter_ && boundary > 0) paneSplitter_->setBoundary(boundary, width());
  if (logSplitter_ && logSizes.size() == 3) logSplitter_->setSizes(logSizes);
  applyToolTips();
}

void MainWindow::buildMenuAndAccelerators() {
  QMenu* windowMenu = menuBar()->addMenu(QStringLiteral("&Window"));
  windowMenu->setObjectName(QStringLiteral("windowMenu"));
  for (const auto& [text, id] : {std::pair{"About...", kAbout}, std::pair{"Show Log...", kShowLog}}) {
    QAction* action = windowMenu->addAction(QString::fromLatin1(text));
    action->setData(id);
  }
  connect(windowMenu, &QMenu::aboutToShow, this, [this, windowMenu] {
    for (QAction* action : windowMenu->actions()) action->setEnabled(commandAvailable(action->data().toInt()));
  });
  connect(windowMenu, &QMenu::triggered, this,
          [this](QAction* action) { dispatchCommand(action->data().toInt()); });
  buildViewMenu();

  // The command buttons' own mnemonics (Alt+C on "&Connect" ...) carry the
  // rest of the accelerators while the buttons are shown; a second shortcut
  // on the same keys would make both ambiguous.
  const Accelerator accelerators[] = {
      {QKeySequence(QStringLiteral("<")), kDownload}, {QKeySequence(QStringLiteral(">")), kUpload},
      {QKeySequence(Qt::ALT | Qt::Key_R), kDownload}, {QKeySequence(Qt::ALT | Qt::Key_S), kUpload},
      {QKeySequence(Qt::Key_Delete), kDeleteKey}};
  const Accelerator buttonKeys[] = {
      {QKeySequence(Qt::ALT | Qt::Key_A), kAbout},     {QKeySequence(Qt::ALT | Qt::Key_C), kConnect},
      {QKeySequence(Qt::ALT | Qt::Key_H), kHelp},      {QKeySequence(Qt::ALT | Qt::Key_L), kLogWindow},
      {QKeySequence(Qt::ALT | Qt::Key_N), kCancel},    {QKeySequence(Qt::ALT | Qt::Key_O), kOptions},
      {QKeySequence(Qt::ALT | Qt::Key_X), kExit}};
  auto addShortcut = [this](const Accelerator& accelerator) {
    auto* shortcut = new QShortcut(accelerator.keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this,
            [this, id = accelerator.id] { dispatchCommand(id); });
    return shortcut;
  };
  for (const Accelerator& accelerator : accelerators) addShortcut(accelerator);
  const bool buttonsHidden = services_.configuration.settings().HIDBTN != 0;
  for (const Accelerator& accelerator : buttonKeys) {
    QShortcut* shortcut = addShortcut(accelerator);
    shortcut->setEnabled(buttonsHidden);
    hiddenButtonKeys_.push_back(shortcut);
  }
  for (const QKeySequence& keys : {QKeySequence(Qt::Key_F1), QKeySequence(Qt::Key_F2)}) {
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, this, [this] {
      desktop_->showHelp(kGeneralHelpTopic);
    });
  }
}

void MainWindow::relayout() {
  const config::ProgramSettings& settings = services_.configuration.settings();
  for (PaneLook* look : {&localLook_, &remoteLook_}) {
    look->dateFmt = settings.DateFmt;
    look->longDate = settings.LONGDATE;
  }
  arrangeWidgets();
  localPane_->columnsChanged();
  remotePane_->columnsChanged();
  updateAllButtons();
  update();
}

void MainWindow::applyListFont() {
  const QFont font = listFont(services_.configuration);
  localPane_->setListFont(font);
  remotePane_->setListFont(font);
}

config::WindowLocations MainWindow::windowLocations() const {
  config::WindowLocations locations;
  locations.maximized = isMaximized();
  const QRect frame = geometry();
  locations.mainWindow = {frame.left(), frame.top(), frame.width(), frame.height()};
  locations.splitters = {paneSplitter_ ? paneSplitter_->boundary() : 0,
                         logSplitter_ ? logSplitter_->sizes().value(0) : 0};
  // The fitting layout is the default, so it is saved as no stops at all.
  if (!localLook_.fitToWidth) locations.localColumns = localLook_.columns.stops;
  if (!remoteLook_.fitToWidth) locations.remoteColumns = remoteLook_.columns.stops;
  return locations;
}

void MainWindow::resetWindowLocations() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const WindowPlacement placement = DefaultPlacement(desktopArea(desktop));
  setGeometry(placement.left, placement.top, placement.width, placement.height);
  if (paneSplitter_) paneSplitter_->setBoundary(placement.splitter, placement.width);
  for (PaneLook* look : {&localLook_, &remoteLook_}) look->fitToWidth = true;
  for (FilePane* pane : {localPane_, remotePane_}) pane->findChild<PaneColumnFitter*>()->fit();
}

void MainWindow::applyPlacement() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  WindowPlacement placement =
      ReadWindowPlacement(services_.configuration.mainWindowPlacement(), desktopArea(desktop));
  const QRect saved(placement.left, placement.top, std::max(placement.width, 320),
                    std::max(placement.height, 240));
  // A position saved on a screen that is gone would open the window out of reach.
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (!screens.isEmpty() && std::none_of(screens.begin(), screens.end(), [&saved](const QScreen* s) {
        return s->availableGeometry().intersects(saved);
      })) {
    const WindowPlacement defaults = DefaultPlacement(desktopArea(desktop));
    placement.left = defaults.left;
    placement.top = defaults.top;
  }
  setGeometry(placement.left, placement.top, saved.width(), saved.height());
  if (paneSplitter_ && placement.splitter > 0) {
    paneSplitter_->setBoundary(placement.splitter, saved.width());
  }
  if (logSplitter_ && placement.logSplitter > 0) {
    const int listHeight = transferList_->isVisible() ? transferList_->sizeHint().height() : 0;
    logSplitter_->setSizes({placement.logSplitter, listHeight,
                            std::max(placement.height - placement.logSplitter - listHeight, 1)});
  }
}

void MainWindow::applyToolTips() {
  const bool shown = services_.configuration.settings().balloon != 0;
  localPane_->setToolTipsShown(shown);
  remotePane_->setToolTipsShown(shown);
  for (const auto& [id, button] : buttons_) button->setToolTip(shown ? ControlToolTip(id) : QString());
}

}  // namespace ferrix::shell
