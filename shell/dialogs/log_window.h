// LogWindow: the "Message Log" window, a separate top-level window that
// shows the message log's history followed by every line logged while it is
// open. Its menu bar holds "&Close" and "&Save" (the history to a file the
// user chooses); a right click or a double click in the text asks the main
// window for its context menu. The window is built on each showLogWindow()
// and destroyed when closed; the history stays in the MessageLog.
//
// Where it opens comes from SLOC at construction and follows every move and
// resize of the window; the options sheet's "save window locations" calls
// saveWindowLocation() and its "reset" calls resetPlacement().
//
// A LogWindow observes the log for its whole life and borrows the log and the
// configuration, which must outlive it. Lines may be logged on any thread:
// they are handed to the GUI thread. Every other call: GUI thread only.
#pragma once

#include <QMainWindow>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "session/message_log.h"
#include "shell/dialogs/log_window_placement.h"

class QPlainTextEdit;
class QWidget;

namespace ferrix::config {
class Configuration;
}

namespace ferrix::shell {

class LogWindow final : public QObject, private session::MessageLogObserver {
  Q_OBJECT

 public:
  // `mainWindow` places a window that SLOC has not placed yet.
  LogWindow(session::MessageLog& log, config::Configuration& configuration, QWidget* mainWindow);
  ~LogWindow() override;

  // Opens the window, or brings it to the front with the focus in its text.
  void showLogWindow();

  // The open window, nothing when it is closed.
  QMainWindow* window() const { return window_; }

  // The rectangle SLOC records: only while the window is open with a width.
  std::optional<LogWindowRect> placement() const;
  // Writes SLOC ("%u,%u,%u,%u") while the window is open with a width;
  // false when it wrote nothing.
  bool saveWindowLocation();
  // Moves an open window below the main window's top edge.
  void resetPlacement();

 public slots:
  // The wait cursor over the window while the session is busy.
  void setBusy(bool busy);

 signals:
  // Right click or double click in the text, at this screen position.
  void contextMenuRequested(QPoint globalPosition);

 private:
  void lineAppended(std::string_view text) override;
  void statusLinesChanged(const std::array<std::string, 3>& lines) override;

  void buildWindow();
  void fillFromHistory();
  void appendLiveLine(const QString& line, std::uint64_t number);
  void recordPlacement();
  void applyPlacement();
  void askFileAndSave();
  LogWindowRect mainWindowRect() const;

  session::MessageLog& log_;
  config::Configuration& configuration_;
  QWidget* mainWindow_;
  LogWindowRect rect_;
  QPointer<QMainWindow> window_;
  QPlainTextEdit* text_ = nullptr;
  bool busy_ = false;
  QString lastSaveName_;
  // Lines logged so far; changes only while the log's lock is held, so the
  // window can tell which queued lines its history already holds.
  std::atomic<std::uint64_t> linesLogged_ = 0;
  std::uint64_t linesShown_ = 0;
};

}  // namespace ferrix::shell
