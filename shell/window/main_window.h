// MainWindow: the program's main window. It shows the local and the remote
// file pane side by side, the transfer and mode buttons, the command buttons
// and the status lines, and carries out every command of the window by its
// number (dispatchCommand), whether it comes from a button, the context
// menu, the window menu or an accelerator.
//
// Remote work never runs on the GUI thread: the window posts it as a job to
// its EngineThread, where RemoteSide runs it against the session, and shows
// the result when the job has ended. Cancel, Close and Exit act at once from
// the GUI thread by requesting cancel on the session, which wakes the
// engine's blocked wait.
//
// The window borrows the configuration, the site store, the session and the
// UserInterface port from the program, which outlive it; it owns its widgets,
// the engine thread and the remote side. Thread rule: GUI thread, except
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
#include "config/site_profile_store.h"
#include "listing/pane_model.h"
#include "listing/pane_order.h"
#include "session/session_state.h"
#include "session/user_interface.h"
#include "shell/window/context_menu.h"
#include "shell/window/engine_thread.h"
#include "shell/window/pane_delegate.h"
#include "shell/window/remote_side.h"

class QAbstractButton;
class QCheckBox;
class QPushButton;
class QRadioButton;
class QSplitter;

namespace ferrix::shell {

class FilePane;
class StatusLines;

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
  std::function<void(int topic)> showHelp;
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

  // No remote job runs or waits, and every result has been shown.
  bool idle() const { return pendingJobs_ == 0; }
  bool connected() const { return connected_; }
  // The context menu over the pane's list for its current selection.
  std::vector<MenuEntry> paneMenu(listing::PaneSide side) const;
  FilePane* localPane() const { return localPane_; }
  FilePane* remotePane() const { return remotePane_; }
  StatusLines* statusLines() const { return statusLines_; }
  const std::filesystem::path& localFolder() const { return localFolder_; }
  void setLocalFolder(const std::filesystem::path& folder);

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
  QWidget* buildTransferButtons();
  QWidget* buildModeButtons();
  QWidget* buildCommandButtons();
  void buildMenuAndAccelerators();
  void applyPlacement();
  void applyToolTips();
  QPushButton* commandButton(int id, QWidget* parent);

  // Commands.
  void connectCommand(int id);
  void closeConnection(int id);
  void closeWhileBusy(int id);
  void cancelCommand();
  void transferCommand(int id, bool append);
  void activateEntry(listing::PaneSide side, int row);
  void changeFolderCommand(listing::PaneSide side);
  void refreshCommand(listing::PaneSide side);
  void headerCommand(listing::PaneSide side, listing::HeaderClick click);
  void sortCommand(listing::PaneSide side);
  void setSortValue(listing::PaneSide side, std::int32_t sortValue);
  void deleteKey();
  void setTransferMode(char mode, bool automatic);
  void refreshModeButtons();
  void showPaneMenu(FilePane& pane, const QPoint& globalPosition);
  void showWindowMenu(const QPoint& globalPosition);
  void runMenu(class QMenu& menu, const QPoint& globalPosition);

  // The local side.
  void listLocalFolder();
  bool enterLocalFolder(const std::filesystem::path& folder);
  void localMaskLeft();

  // Remote jobs.
  RemoteSetup remoteSetup() const;
  // Posts `work` unless the engine is busy ("Command in progress, ignored")
  // or, for a guarded command, a transfer runs.
  // `queueWhenBusy` queues it behind the running job instead.
  bool postRemote(std::function<void(RemoteSide&)> work, bool guarded, bool transfer = false,
                  bool queueWhenBusy = false);
  void applyRemoteView(RemoteView view);
  // The pane's selected entries but "..": local ones as full paths.
  std::vector<SelectedEntry> selectedEntries(const FilePane& pane, bool filesOnly) const;

  void updateAllButtons();
  void setEnabled(int id, bool enabled);
  FilePane* paneOf(listing::PaneSide side) const;

  WindowServices services_;
  WindowHooks hooks_;
  PaneLook localLook_;
  PaneLook remoteLook_;
  listing::PaneModel localModel_;
  config::MemoryFolderList localHistory_;
  std::filesystem::path localFolder_;
  std::int32_t remoteSortValue_ = 1;
  std::string remoteMask_;  // the remote mask as last stored
  bool connected_ = false;
  bool canMakeFolder_ = false;
  bool canRename_ = false;
  bool canDelete_ = false;
  bool closingConnection_ = false;
  bool exiting_ = false;
  std::atomic<bool> transferRunning_ = false;
  int pendingJobs_ = 0;

  FilePane* localPane_ = nullptr;
  FilePane* remotePane_ = nullptr;
  StatusLines* statusLines_ = nullptr;
  QSplitter* paneSplitter_ = nullptr;
  QSplitter* logSplitter_ = nullptr;
  QWidget* commandRow_ = nullptr;
  QRadioButton* asciiButton_ = nullptr;
  QRadioButton* binaryButton_ = nullptr;
  QCheckBox* autoButton_ = nullptr;
  std::map<int, QAbstractButton*> buttons_;

  // Declared last: destroyed first, so no job outlives what it uses.
  RemoteSide remote_;
  EngineThread engine_;
};

}  // namespace ferrix::shell
