#include "shell/options/options_sheet.h"

#include <QDialogButtonBox>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>
#include <utility>

#include "resources/strings.h"
#include "session/user_interface.h"
#include "shell/options/association_page.h"
#include "shell/options/behaviour_pages.h"
#include "shell/options/list_font.h"
#include "shell/options/list_pages.h"
#include "shell/options/main_pages.h"
#include "shell/options/session_pages.h"

namespace ferrix::shell {
namespace {

QString tabTitle(int id) {
  const std::string_view title = resources::loadString(id);
  return QString::fromUtf8(title.data(), static_cast<int>(title.size()));
}

void call(const std::function<void()>& callback) {
  if (callback) callback();
}

}  // namespace

OptionsSheet::OptionsSheet(OptionsSheetContext context, QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      transferMode_(context_.transferMode),
      editor_(
          context_.configuration,
          config::SessionOptionsState{context_.sessionProfile, transferMode_, context_.connected,
                                      context_.remoteFolder, context_.localFolder}),
      tabs_(new QTabWidget(this)),
      associations_(nullptr) {
  using namespace resources::string_id;
  setObjectName("optionsSheet");
  setWindowTitle(session::kProgramTitle);
  if (auto font = scaledDialogFont(context_.configuration.settings(), logicalDpiY())) {
    setFont(*font);
  }
  // Every tab stays in sight; the sheet is as wide as its tab row.
  tabs_->setUsesScrollButtons(false);
  addPage(new GeneralOptionsPage(editor_, context_, tabs_), tabTitle(kGeneralPageTitle));
  addPage(new AdvancedOptionsPage(editor_, tabs_), tabTitle(kAdvancedPageTitle));
  addPage(new DisplayOptionsPage(editor_, context_, tabs_), tabTitle(kDisplayPageTitle));
  addPage(new SoundsOptionsPage(editor_, context_, tabs_), tabTitle(kSoundsPageTitle));
  addPage(new SortOptionsPage(editor_, tabs_), tabTitle(kSortPageTitle));
  addPage(new TransferOptionsPage(editor_, tabs_), "Transfers");
  addPage(new SessionOptionsPage(editor_, context_, tabs_), tabTitle(kSessionPageTitle));
  addPage(new SessionMoreOptionsPage(editor_, tabs_), tabTitle(kSessionMorePageTitle));
  addPage(new ConvertOptionsPage(editor_, tabs_), tabTitle(kConvertPageTitle));
  addPage(new ExtensionsOptionsPage(editor_, tabs_), tabTitle(kExtensionsPageTitle));
  associations_ = new AssociationsOptionsPage(editor_, tabs_);
  addPage(associations_, tabTitle(kAssociationsPageTitle));
  tabs_->setCurrentIndex(static_cast<int>(editor_.startPage()));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->addButton("&Help", QDialogButtonBox::HelpRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &OptionsSheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &OptionsSheet::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, &OptionsSheet::showCurrentHelp);
  connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
          &OptionsSheet::showCurrentHelp);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
}

void OptionsSheet::addPage(OptionsPageWidget* page, const QString& title) {
  pages_.push_back(page);
  tabs_->addTab(page, title);
}

void OptionsSheet::showCurrentHelp() {
  if (!context_.showHelp) return;
  const auto index = static_cast<std::size_t>(tabs_->currentIndex());
  if (index < pages_.size()) context_.showHelp(pages_[index]->helpContext());
}

void OptionsSheet::accept() {
  const config::TransferModeSetting before = transferMode_;
  const config::AppliedOptions applied = editor_.apply();
  if (editor_.isChanged(config::OptionsPage::kAssociations)) associations_->store();
  if ((transferMode_.mode != before.mode || transferMode_.automatic != before.automatic) &&
      context_.setTransferMode) {
    context_.setTransferMode(transferMode_);
  }
  if (applied.redecodeListing) call(context_.redecodeListing);
  if (applied.relayout) call(context_.relayout);
  if (applied.reapplyListFont) call(context_.applyListFont);
  if (applied.soundsChanged) call(context_.soundSettingsChanged);
  if (applied.sortChanged) call(context_.sortChanged);
  QDialog::accept();
}

}  // namespace ferrix::shell
