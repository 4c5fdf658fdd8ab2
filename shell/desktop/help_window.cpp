#include "shell/desktop/help_window.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/paths.h"
#include "session/user_interface.h"
#include "shell/desktop/help_topics.h"

namespace ferrix::shell {
namespace {

QPointer<HelpWindow> theHelpWindow;

QString locateHelpFolder() {
  return QString::fromStdString(
      desktop::findHelpFolder(platform::programFolder(), platform::configFolder(),
                              platform::dataFolder()));
}

}  // namespace

HelpWindow::HelpWindow(const QString& helpFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), helpFolder_(helpFolder), browser_(new QTextBrowser(this)) {
  setObjectName("helpWindow");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString(session::kProgramTitle) + " Help");
  browser_->setObjectName("helpBrowser");
  browser_->setOpenExternalLinks(true);
  browser_->setSearchPaths({helpFolder_});

  auto* contents = new QPushButton("&Contents", this);
  auto* back = new QPushButton("&Back", this);
  auto* forward = new QPushButton("&Forward", this);
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(contents, &QPushButton::clicked, this, [this] { showTopic(0); });
  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser_->documentTitle();
    setWindowTitle(QString(session::kProgramTitle) + " Help" +
                   (title.isEmpty() ? QString() : " - " + title));
  });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(contents);
  buttons->addWidget(back);
  buttons->addWidget(forward);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(browser_);
  resize(720, 560);
}

void HelpWindow::showTopic(int topic) {
  const desktop::HelpTopic place =
      desktop::findHelpTopic(topic).value_or(desktop::HelpTopic{0, desktop::kHelpContentsPage, ""});
  QUrl page = QUrl::fromLocalFile(helpFolder_ + "/" + QString::fromUtf8(place.page.data(),
                                                                        place.page.size()));
  if (!place.anchor.empty()) {
    page.setFragment(QString::fromUtf8(place.anchor.data(), place.anchor.size()));
  }
  browser_->setSource(page);
}

void showHelpTopic(int topic, QWidget* parent, const QString& helpFolder) {
  if (!theHelpWindow) {
    const QString folder = helpFolder.isEmpty() ? locateHelpFolder() : helpFolder;
    if (folder.isEmpty()) return;
    theHelpWindow = new HelpWindow(folder, parent);
  }
  theHelpWindow->showTopic(topic);
  theHelpWindow->show();
  theHelpWindow->raise();
  theHelpWindow->activateWindow();
}

}  // namespace ferrix::shell
