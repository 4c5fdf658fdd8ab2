// The help window: the HTML help pages shown in a QTextBrowser, opened at the
// page and place of a help topic number. One window serves the whole program;
// showHelpTopic raises it, or does nothing at all when the pages are missing.
//
// Ownership: the window deletes itself when closed. Thread rule: GUI thread.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace ferrix::shell {

class HelpWindow final : public QWidget {
  Q_OBJECT

 public:
  // Pages from `helpFolder` (which holds index.html).
  explicit HelpWindow(const QString& helpFolder, QWidget* parent = nullptr);

  void showTopic(int topic);
  QTextBrowser* browser() const { return browser_; }

 private:
  QString helpFolder_;
  QTextBrowser* browser_;
};

// Help and F1 everywhere: opens the help window at `topic` (the contents
// below 11). The pages are looked for in "help" beside the program, then in
// the configuration folder, unless `helpFolder` names them.
void showHelpTopic(int topic, QWidget* parent = nullptr, const QString& helpFolder = {});

}  // namespace ferrix::shell
