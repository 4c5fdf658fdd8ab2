// StatusLines: the three status lines at the bottom of the main window,
// showing the newest line of the message log at the bottom and the two
// before it above, error lines ("! ...") in the error colour, with a
// small scroll bar that moves the view one line up or down through the log's
// history. A double click opens the log window (the owner connects
// doubleClicked).
//
// The widget observes the MessageLog it is given and must be destroyed
// before it. Thread rule: the log calls the observer on the appending
// thread; the texts are handed to the GUI thread, which alone touches the
// labels.
#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "session/message_log.h"

class QLabel;
class QScrollBar;

namespace ferrix::shell {

class StatusLines final : public QWidget, private session::MessageLogObserver {
  Q_OBJECT

 public:
  StatusLines(session::MessageLog& log, QWidget* parent);
  ~StatusLines() override;

  // The texts shown now, newest first.
  std::array<QString, 3> texts() const;
  // A transfer's progress on one line (HASH off): 1 sending, 2 receiving.
  void showProgress(int line, const QString& text);

 signals:
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void lineAppended(std::string_view text) override;
  void statusLinesChanged(const std::array<std::string, 3>& lines) override;
  void show(const std::array<std::string, 3>& lines);
  void setLine(QLabel* label, const QString& text);

  session::MessageLog& log_;
  std::array<QLabel*, 3> labels_{};
  QScrollBar* scrollBar_;
};

}  // namespace ferrix::shell
