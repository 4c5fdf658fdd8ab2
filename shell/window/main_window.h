// MainWindow: the program's main window. It shows the local and the remote
// file pane side by side, the transfer and mode buttons, the command buttons
// and the status lines, and carries out every command of the window by its
// number (dispatchCommand), whether it comes from a button, the context
// menu, the window menu or an accelerator.
//
// Pane and remote work never runs on the GUI thread: the window posts it as
// a job to its EngineThread, where EngineSide runs it against the session and
// the engine's copies of the panes (selection transfers go on to the transfer
// worker), and shows the panes when the job has ended. Cancel, Close and Exit
// act at once from the GUI thread by requesting cancel on the session, which
// wakes the engine's blocked wait.
//
// The window borrows the configuration, the site store, the session and the
// UserInterface port from the program, which outlive it; it owns its widgets,
// the desktop extras (View, Exec, DirInfo, Edit, sounds, help), the engine
// thread and the engine side. Thread rule: GUI thread, except
// where a member says otherwise.
#pragma once

#include <QMainWindow>
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <memory>
#include <optional>
#include <vector>

#include "config/configuration.h"
#include "config/folder_history.h"
#include "config/options_pages.h"
#include "config/quick_connect.h"
#include "config/site_profile_store.h"
#include "listing/pane_model.h"
#include "listing/pane_order.h"
#include "session/session_state.h"
#include "session/user_interface.h"
#include "shell/window/context_menu.h"
#include "shell/engine/engine_thread.h"
#include "shell/window/pane_delegate.h"
#include "shell/engine/engine_side.h"
#include "shell/window/window_commands.h"

class QAbstractButton;
class QMenu;
class QCheckBox;
class QPushButton;
class QRadioButton;
class QShortcut;
class QSplitter;

namespace ferrix::shell {

class ConnectionSecurity;
class DesktopExtras;
class FilePane;
class PaneSplitter;
class QuickConnectBar;
class StatusLines;
class TransferList;

struct WindowServices {
  config::Configuration& configuration;
  config::SiteProfileStore& sites;
  session::Session& session;
  session::UserInterface& userInterface;
};

// What the window asks of the other parts of the program. An unset hook
// leaves its command unavailable (its button disabled, its menu entry
// greyed), never faked.
struct WindowHooks {
  // The site dialog: true when a site was chosen and copied to the session
  // profile.
  std::function<bool(QWidget* parent)> chooseSite;
  std::function<void()> showLogWindow;
  std::function<void(QWidget* parent)> showOptions;
  std::function<void(QWidget* parent)> showAbout;
  std::function<std::optional<std::int32_t>(QWidget* parent, std::int32_t current,
                                            listing::PaneSide side)>
      askSortValue;
  // Called first when the window closes, so that no question the engine
  // waits for can block the exit.
  std::function<void()> shutDownQuestions;
};

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(WindowServices services, WindowHooks hooks, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Carries out command `id`; false when the window has no such command or
  // it is unavailable.
  bool dispatchCommand(int id);
  bool commandAvailable(int id) const;

  // No job runs or waits, no transfer runs, and every result has been shown.
  bool idle() const { return pendingJobs_ == 0 && pendingTransfers_ == 0; }
  bool connected() const { return connected_; }
  // The context menu over the pane's list for its current selection.
  std::vector<MenuEntry> paneMenu(listing::PaneSide side) const;
  FilePane* localPane() const { return localPane_; }
  FilePane* remotePane() const { return remotePane_; }
  StatusLines* statusLines() const { return statusLines_; }
  QuickConnectBar* quickConnectBar() const { return quickConnectBar_; }
  TransferList* transferList() const { return transferList_; }
  const std::filesystem::path& localFolder() const { return localFolder_; }
  // The remote folder shown, empty while not connected.
  const std::string& remoteFolder() const { return remoteFolder_; }
  // Makes `folder` the local folder and lists it (on the engine thread).
  void setLocalFolder(const std::filesystem::path& folder);
  DesktopExtras& desktop() { return *desktop_; }
  // Command 7654: runs the command-line transfer on the engine thread, then
  // closes the window unless the run stays connected; `done` hears the
  // outcome first.
  void runUnattended(const config::CommandLineValues& values,
                     std::function<void(UnattendedResult)> done);

  // What the options change. Where the window, its splitters and its
  // columns are, for "Save Window Locations"; the starting place again, for
  // "Reset Window Locations".
  config::WindowLocations windowLocations() const;
  void resetWindowLocations();
  // LAYOUT, BONTOP, HIDBTN or the date form changed: the window is arranged
  // anew around the same panes, status lines and command row.
  void relayout();
  // FONT or the custom font changed: both panes' lists, folder and mask boxes.
  void applyListFont();
  // The host type changed while connected: the fetched listing is decoded
  // again (on the engine thread).
  void redecodeRemoteListing();
  // LSORT / RSORT changed: both panes are sorted by them.
  void applySortSettings();

  // Effects the UserInterface port reports (connected by the program).
  void setTitle(const QString& title);
  void enableRemoteCommands(bool makeFolder, bool rename, bool remove);
  void showStatusProgress(int line, const QString& text);

 signals:
  // A remote job ended and its result is shown.
  void remoteWorkDone();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // Layout (main_window_layout.cpp).
  void buildWidgets();
  void arrangeWidgets();
  QWidget* buildTransferButtons();
  QWidget* buildModeButtons();
  QWidget* buildCommandButtons();
  void buildMenuAndAccelerators();
  void applyPlacement();
  void applyToolTips();
  QPushButton* commandButton(int id, QWidget* parent);

  // The transfer list (main_window_transfers.cpp).
  void buildTransferList();
  void buildViewMenu();
  bool transferListShown() const;
  void resumeDownload(const transfer::TransferEntry& entry);

  // Commands.
  void connectCommand(int id);
  // Connects to the server the quick connect row (or a URL typed in the
  // Remote Site box) names, through a profile made for it.
  void quickConnect(const config::QuickConnectEntries& entries, bool rememberPassword);
  void startSession(int id);
  void closeConnection(int id);
  void cancelCommand();
  void transferCommand(int id, bool append);
  void activateEntry(listing::PaneSide side, int row);
  void paneCommand(const PaneCommandTarget& target);
  void dropCommand(listing::PaneSide target, batch::DragSource source,
                   std::vector<std::string> paths, std::optional<std::size_t> row);
  void fileCommand(int id, listing::PaneSide side);
  void folderInfoCommand(listing::PaneSide side);
  void editCommand();
  void headerCommand(listing::PaneSide side, listing::HeaderClick click);
  void sortCommand(listing::PaneSide side);
  void setSortValue(listing::PaneSide side, std::int32_t sortValue);
  void deleteKey();
  void setTransferMode(char mode, bool toggleAutomatic);
  void refreshModeButtons();
  void showPaneMenu(FilePane& pane, const QPoint& globalPosition);
  void runMenu(QMenu& menu, const QPoint& globalPosition);

  // Jobs for the engine thread.
  EngineSetup engineSetup() const;
  enum class Admission {
    kRefuseWhenBusy,  // "Command in progress, ignored" while a job runs
    kGuarded,         // as above, and ignored while a transfer runs
    kQueue,           // waits behind the running job
    kLocal,           // waits behind the running job; ignored while a transfer runs
  };
  bool postJob(std::function<void(EngineSide&)> work, Admission admission);
  void applyView(EngineView view);
  listing::Selection selectionOf(listing::PaneSide side) const;

  void updateAllButtons();
  void setEnabled(int id, bool enabled);
  FilePane* paneOf(listing::PaneSide side) const;

  WindowServices services_;
  WindowHooks hooks_;
  PaneLook localLook_;
  PaneLook remoteLook_;
  std::filesystem::path localFolder_;
  std::int32_t localSortValue_ = 1;
  std::int32_t remoteSortValue_ = 1;
  std::string remoteMask_;  // the remote mask as last stored
  std::string remoteFolder_;
  bool connected_ = false;
  bool canMakeFolder_ = false;
  bool canRename_ = false;
  bool canDelete_ = false;
  bool exiting_ = false;
  // Cancel, Close or Exit during a connect: its failure needs no message.
  std::atomic<bool> connectCancelled_ = false;
  int pendingJobs_ = 0;
  int pendingTransfers_ = 0;

  FilePane* localPane_ = nullptr;
  FilePane* remotePane_ = nullptr;
  StatusLines* statusLines_ = nullptr;
  QuickConnectBar* quickConnectBar_ = nullptr;
  TransferList* transferList_ = nullptr;
  PaneSplitter* paneSplitter_ = nullptr;
  QSplitter* logSplitter_ = nullptr;
  QWidget* commandRow_ = nullptr;
  ConnectionSecurity* connectionSecurity_ = nullptr;
  QRadioButton* asciiButton_ = nullptr;
  QRadioButton* binaryButton_ = nullptr;
  QCheckBox* autoButton_ = nullptr;
  std::map<int, QAbstractButton*> buttons_;
  // The command buttons' keys, live only while HIDBTN hides the buttons.
  std::vector<QShortcut*> hiddenButtonKeys_;

  std::unique_ptr<DesktopExtras> desktop_;
  // Declared last: destroyed first, so no job outlives what it uses.
  EngineSide engineSide_;
  EngineThread engine_;
};

}  // namespace ferrix::shell
