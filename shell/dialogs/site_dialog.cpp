#include "shell/dialogs/site_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSplashScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "config/site_editor.h"
#include "shell/dialogs/resource_text.h"
#include "shell/dialogs/site_general_page.h"
#include "shell/dialogs/site_option_pages.h"

namespace ferrix::shell {
namespace {

// The splash stays up until the first window the user must answer appears.
void closeSplashScreens() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* splash = qobject_cast<QSplashScreen*>(widget); splash && splash->isVisible()) {
      splash->close();
    }
  }
}

}  // namespace

SiteDialog::SiteDialog(config::SiteEditor& editor, QWidget* parent)
    : QDialog(parent), editor_(editor), tabs_(new QTabWidget(this)) {
  setObjectName("siteDialog");
  setWindowTitle(resourceText(resources::string_id::kSiteDialogCaption));
  tabs_->setObjectName("sitePages");
  editor_.open();
  addPage(new SiteGeneralPage(editor_), resources::string_id::kGeneralPageTitle);
  addPage(new SiteStartupPage(editor_), resources::string_id::kStartupPageTitle);
  addPage(new SiteAdvancedPage(editor_), resources::string_id::kAdvancedPageTitle);
  addPage(new SiteFirewallPage(editor_), resources::string_id::kFirewallPageTitle);
  pages_.front()->refill();

  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  buttons->setObjectName("siteButtons");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);

  connect(tabs_, &QTabWidget::currentChanged, this, &SiteDialog::pageActivated);
  connect(buttons, &QDialogButtonBox::accepted, this, &SiteDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &SiteDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
    emit helpRequested(pages_[static_cast<std::size_t>(tabs_->currentIndex())]->helpTopic());
  });
}

void SiteDialog::addPage(SitePage* page, int titleId) {
  page->setObjectName(resourceText(titleId).toLower() + "Page");
  tabs_->addTab(page, resourceText(titleId));
  pages_.push_back(page);
}

void SiteDialog::pageActivated(int index) {
  if (index >= 0) pages_[static_cast<std::size_t>(index)]->refreshIfRenamed();
}

void SiteDialog::showEvent(QShowEvent* event) {
  closeSplashScreens();
  QDialog::showEvent(event);
}

bool SiteDialog::acceptVisitedPages() {
  for (std::size_t index = 0; index < pages_.size(); ++index) {
    SitePage* page = pages_[index];
    if (!page->visited() || page->acceptEntries()) continue;
    tabs_->setCurrentIndex(static_cast<int>(index));
    return false;
  }
  return true;
}

// A site that cannot be saved is not connected to: the dialog stays open so
// that the user can give it a name the settings file can hold.
void SiteDialog::accept() {
  if (!acceptVisitedPages()) {
    auto* warning = new QMessageBox(
        QMessageBox::Warning, windowTitle(),
        tr("The site could not be saved. Give it a profile or host name without \"]\" that is "
           "not \"_config_\" or \"FIREWALL\", and check that the settings file can be written."),
        QMessageBox::Ok, this);
    warning->setAttribute(Qt::WA_DeleteOnClose);
    warning->open();
    return;
  }
  editor_.useEdited();
  QDialog::accept();
}

void SiteDialog::reject() {
  editor_.cancel();
  QDialog::reject();
}

}  // namespace ferrix::shell
