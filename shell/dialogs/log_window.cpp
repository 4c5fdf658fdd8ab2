#include "shell/dialogs/log_window.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include "shell/dialogs/error_lines.h"
#include <QTextCursor>
#include <functional>
#include <utility>
#include <vector>

#include "config/configuration.h"
#include "shell/dialogs/resource_text.h"

namespace ferrix::shell {
namespace {

// The top-level frame; tells its owner when the user moves or resizes it,
// and when it closes (it is deleted later, but is gone for its owner then).
class LogFrame final : public QMainWindow {
 public:
  // A window of its own that closes with the main window and does not keep
  // the program running after it.
  LogFrame(QWidget* mainWindow, std::function<void()> placementChanged,
           std::function<void()> closed)
      : QMainWindow(mainWindow, Qt::Window),
        placementChanged_(std::move(placementChanged)),
        closed_(std::move(closed)) {}

 protected:
  void moveEvent(QMoveEvent* event) override {
    QMainWindow::moveEvent(event);
    placementChanged_();
  }
  void resizeEvent(QResizeEvent* event) override {
    QMainWindow::resizeEvent(event);
    placementChanged_();
  }
  void closeEvent(QCloseEvent* event) override {
    QMainWindow::closeEvent(event);
    closed_();
  }

 private:
  std::function<void()> placementChanged_;
  std::function<void()> closed_;
};

// Double clicks in the text open the context menu instead of selecting a word.
class DoubleClickFilter final : public QObject {
 public:
  DoubleClickFilter(QObject* parent, std::function<void(QPoint)> doubleClicked)
      : QObject(parent), doubleClicked_(std::move(doubleClicked)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonDblClick) return QObject::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    doubleClicked_(mouse->globalPosition().toPoint());
    return true;
  }

 private:
  std::function<void(QPoint)> doubleClicked_;
};

}  // namespace

LogWindow::LogWindow(session::MessageLog& log, config::Configuration& configuration,
                     QWidget* mainWindow)
    : log_(log),
      configuration_(configuration),
      mainWindow_(mainWindow),
      rect_(parseLogWindowPlacement(configuration.logWindowRectangle(), LogWindowRect{})) {
  log_.addObserver(this);
}

LogWindow::~LogWindow() {
  log_.removeObserver(this);
  delete window_.data();
}

void LogWindow::lineAppended(std::string_view text) {
  const std::uint64_t number = ++linesLogged_;
  QMetaObject::invokeMethod(
      this,
      [this, line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), number] {
        appendLiveLine(line, number);
      },
      Qt::QueuedConnection);
}

void LogWindow::statusLinesChanged(const std::array<std::string, 3>&) {
  // The status lines belong to the main window.
}

void LogWindow::showLogWindow() {
  if (window_) {
    window_->showNormal();
    window_->raise();
    window_->activateWindow();
    text_->setFocus();
    return;
  }
  buildWindow();
  fillFromHistory();
  applyPlacement();
  window_->show();
  text_->setFocus();
}

void LogWindow::buildWindow() {
  auto* frame = new LogFrame(
      mainWindow_, [this] { recordPlacement(); },
      [this] {
        window_ = nullptr;
        text_ = nullptr;
      });
  frame->setObjectName("messageLogWindow");
  frame->setAttribute(Qt::WA_DeleteOnClose);
  frame->setWindowTitle(resourceText(resources::string_id::kMessageLogCaption));
  QAction* close = frame->menuBar()->addAction(tr("&Close"));
  close->setObjectName("closeLog");
  QAction* save = frame->menuBar()->addAction(tr("&Save"));
  save->setObjectName("saveLog");
  connect(close, &QAction::triggered, frame, &QWidget::close);
  connect(save, &QAction::triggered, this, &LogWindow::askFileAndSave);

  text_ = new QPlainTextEdit(frame);
  text_->setObjectName("logText");
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Replies such as listings line up in columns.
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  new ErrorLineHighlighter(text_->document(), text_->palette());
  text_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(text_, &QWidget::customContextMenuRequested, this, [this](QPoint position) {
    emit contextMenuRequested(text_->viewport()->mapToGlobal(position));
  });
  text_->viewport()->installEventFilter(new DoubleClickFilter(
      text_, [this](QPoint globalPosition) { emit contextMenuRequested(globalPosition); }));
  frame->setCentralWidget(text_);
  if (busy_) frame->setCursor(Qt::WaitCursor);
  window_ = frame;
}

// The history and the queued lines overlap by whatever was logged while it
// was copied; the count of lines logged, unchanged around the copy, says
// which queued lines the copy already holds.
void LogWindow::fillFromHistory() {
  std::vector<std::string> lines;
  std::uint64_t logged = 0;
  do {
    logged = linesLogged_.load();
    lines = log_.history();
  } while (logged != linesLogged_.load());
  // The last entry is the one the next line goes to, still empty.
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  QStringList text;
  text.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) text.append(QString::fromStdString(line));
  text_->setPlainText(text.join('\n'));
  text_->selectAll();
  linesShown_ = logged;
}

void LogWindow::appendLiveLine(const QString& line, std::uint64_t number) {
  if (!window_ || number <= linesShown_) return;
  linesShown_ = number;
  QTextCursor cursor = text_->textCursor();
  cursor.clearSelection();
  text_->setTextCursor(cursor);
  text_->appendPlainText(line);
}

LogWindowRect LogWindow::mainWindowRect() const {
  const QRect frame = mainWindow_->window()->frameGeometry();
  return {frame.x(), frame.y(), frame.width(), frame.height()};
}

void LogWindow::applyPlacement() {
  if (rect_.width == 0 && mainWindow_ != nullptr) rect_ = placeBelowMainWindow(mainWindowRect());
  if (rect_.width == 0) return;
  // Moving an open window records its rectangle before the resize.
  const LogWindowRect wanted = rect_;
  window_->move(wanted.left, wanted.top);
  window_->resize(wanted.width, wanted.height);
}

void LogWindow::recordPlacement() {
  if (!window_ || window_->isMaximized() || window_->isMinimized() || !window_->isVisible()) {
    return;
  }
  rect_ = {window_->x(), window_->y(), window_->width(), window_->height()};
}

std::optional<LogWindowRect> LogWindow::placement() const {
  if (!window_ || rect_.width == 0) return std::nullopt;
  return rect_;
}

bool LogWindow::saveWindowLocation() {
  const std::optional<LogWindowRect> rect = placement();
  return rect && configuration_.WriteConfigString("SLOC", formatLogWindowPlacement(*rect));
}

void LogWindow::resetPlacement() {
  if (!window_ || mainWindow_ == nullptr) return;
  rect_ = placeBelowMainWindow(mainWindowRect());
  window_->showNormal();
  applyPlacement();
}

void LogWindow::setBusy(bool busy) {
  busy_ = busy;
  if (!window_) return;
  if (busy) {
    window_->setCursor(Qt::WaitCursor);
  } else {
    window_->unsetCursor();
  }
}

void LogWindow::askFileAndSave() {
  auto* chooser = new QFileDialog(window_, resourceText(resources::string_id::kMessageLogCaption));
  chooser->setObjectName("saveLogChooser");
  chooser->setAttribute(Qt::WA_DeleteOnClose);
  chooser->setOption(QFileDialog::DontUseNativeDialog);
  chooser->setAcceptMode(QFileDialog::AcceptSave);
  chooser->setFileMode(QFileDialog::AnyFile);
  chooser->setLabelText(QFileDialog::FileName,
                        resourceText(resources::string_id::kEnterLogFileName));
  if (!lastSaveName_.isEmpty()) chooser->selectFile(lastSaveName_);
  connect(chooser, &QFileDialog::fileSelected, this, [this](const QString& name) {
    lastSaveName_ = name;
    // Like every other sink failure, an unwritable file is not reported.
    log_.saveLogTo(name.toStdString());
  });
  chooser->open();
}

}  // namespace ferrix::shell
