#include "shell/dialogs/site_general_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "config/site_editor.h"
#include "config/site_profile_store.h"
#include "config/text_rules.h"
#include "shell/dialogs/host_type_list.h"

namespace ferrix::shell {
namespace {

constexpr int kPortFieldLength = 5;

QString qt(const std::string& text) { return QString::fromStdString(text); }
std::string plain(const QString& text) { return text.toStdString(); }

// A form row whose field is a layout needs its label's buddy set by hand.
QLabel* buddyLabel(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

SiteGeneralPage::SiteGeneralPage(config::SiteEditor& editor, QWidget* parent)
    : SitePage(editor, kHelpTopic, parent) {
  profileName_ = new QComboBox(this);
  profileName_->setObjectName("profileName");
  profileName_->setEditable(true);
  profileName_->setInsertPolicy(QComboBox::NoInsert);
  profileName_->lineEdit()->setMaxLength(static_cast<int>(config::kProfileNameLength));
  hostName_ = addLine("hostName", static_cast<int>(config::kHostNameLength));
  port_ = addLine("port", kPortFieldLength);
  port_->setFixedWidth(port_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (kPortFieldLength + 1) + 12);
  // Items in the order of the TLS values 0 to 3.
  encryption_ = new QComboBox(this);
  encryption_->setObjectName("encryption");
  encryption_->addItems({tr("Plain FTP (not encrypted)"), tr("Explicit TLS when offered"),
                         tr("Require explicit TLS"), tr("Implicit TLS")});
  hostType_ = new QComboBox(this);
  hostType_->setObjectName("hostType");
  fillHostTypes(*hostType_);
  userId_ = addLine("userId", static_cast<int>(config::kUserFieldLength));
  password_ = addLine("password", static_cast<int>(config::kUserFieldLength));
  account_ = addLine("account", static_cast<int>(config::kUserFieldLength));
  account_->setEchoMode(QLineEdit::Password);
  comment_ = addLine("comment", static_cast<int>(config::kCommentLength));
  anonymous_ = new QCheckBox(tr("&Anonymous"), this);
  anonymous_->setObjectName("anonymous");
  savePassword_ = new QCheckBox(tr("Sa&ve Pwd"), this);
  savePassword_->setObjectName("savePassword");
  newButton_ = new QPushButton(tr("Ne&w"), this);
  newButton_->setObjectName("newSite");
  newButton_->setAutoDefault(false);
  deleteButton_ = new QPushButton(tr("D&elete"), this);
  deleteButton_->setObjectName("deleteSite");
  deleteButton_->setAutoDefault(false);

  auto* siteRow = new QHBoxLayout;
  siteRow->addWidget(profileName_, 1);
  siteRow->addWidget(newButton_);
  siteRow->addWidget(deleteButton_);
  auto* hostRow = new QHBoxLayout;
  hostRow->addWidget(hostName_, 1);
  hostRow->addWidget(buddyLabel(tr("Port:"), port_));
  hostRow->addWidget(port_);
  auto* passwordRow = new QHBoxLayout;
  passwordRow->addWidget(password_, 1);
  passwordRow->addWidget(savePassword_);

  auto* form = new QFormLayout(this);
  form->addRow(buddyLabel(tr("&Profile Name:"), profileName_), siteRow);
  form->addRow(buddyLabel(tr("&Host Name/Address:"), hostName_), hostRow);
  form->addRow(tr("&Encryption:"), encryption_);
  form->addRow(tr("Host &Type:"), hostType_);
  form->addRow(tr("&User ID:"), userId_);
  form->addRow(QString(), anonymous_);
  form->addRow(buddyLabel(tr("Passwo&rd:"), password_), passwordRow);
  form->addRow(tr("A&ccount:"), account_);
  form->addRow(tr("C&omment:"), comment_);

  connect(profileName_, &QComboBox::activated, this, &SiteGeneralPage::chooseListedSite);
  connect(profileName_->lineEdit(), &QLineEdit::editingFinished, this,
          &SiteGeneralPage::chooseTypedSite);
  connect(anonymous_, &QCheckBox::clicked, this, &SiteGeneralPage::anonymousClicked);
  connect(encryption_, &QComboBox::currentIndexChanged, this,
          &SiteGeneralPage::encryptionChosen);
  connect(newButton_, &QPushButton::clicked, this, &SiteGeneralPage::newSite);
  connect(deleteButton_, &QPushButton::clicked, this, &SiteGeneralPage::deleteSite);
}

QLineEdit* SiteGeneralPage::addLine(const char* objectName, int maxLength) {
  auto* line = new QLineEdit(this);
  line->setObjectName(objectName);
  line->setMaxLength(maxLength);
  return line;
}

void SiteGeneralPage::fillSiteList() {
  const QSignalBlocker blocker(profileName_);
  profileName_->clear();
  for (const std::string& site : editor_.sites()) profileName_->addItem(qt(site));
  const QString name = qt(editor_.edited().profileName);
  const int listed = profileName_->findText(name, Qt::MatchFixedString);
  profileName_->setCurrentIndex(listed);
  profileName_->setEditText(listed >= 0 ? profileName_->itemText(listed) : name);
}

void SiteGeneralPage::fill() {
  const config::SiteProfile& profile = editor_.edited();
  fillSiteList();
  hostName_->setText(qt(profile.hostName));
  port_->setText(QString::number(profile.port));
  shownTls_ = profile.tls;
  {
    const QSignalBlocker quiet(encryption_);
    encryption_->setCurrentIndex(profile.tls);
  }
  selectHostType(*hostType_, profile.hostType);
  savePassword_->setVisible(editor_.passwordSavingAllowed());
  savePassword_->setChecked(profile.savePassword != 0);
  comment_->setText(qt(editor_.comment()));
  showUser();
}

void SiteGeneralPage::showUser() {
  const config::SiteProfile& profile = editor_.edited();
  const bool anonymous = config::isAnonymousUser(profile.userId);
  userId_->setText(qt(profile.userId));
  password_->setText(qt(profile.password));
  account_->setText(qt(profile.account));
  anonymous_->setChecked(anonymous);
  // The anonymous password is the e-mail address, nothing to hide.
  password_->setEchoMode(anonymous ? QLineEdit::Normal : QLineEdit::Password);
}

void SiteGeneralPage::chooseListedSite(int index) {
  if (index >= 0 && editor_.chooseSite(plain(profileName_->itemText(index)))) refill();
}

// Leaving the name field reloads only a name that changed, so that tabbing
// through it keeps what was typed in the other fields.
void SiteGeneralPage::chooseTypedSite() {
  const std::string typed = plain(profileName_->currentText());
  if (typed == editor_.edited().profileName) return;
  if (editor_.chooseSite(typed)) refill();
}

void SiteGeneralPage::anonymousClicked(bool checked) {
  if (!checked) {
    password_->setEchoMode(QLineEdit::Password);
    return;
  }
  editor_.makeAnonymous();
  userId_->setText(qt(editor_.edited().userId));
  password_->setText(qt(editor_.edited().password));
  account_->clear();
  password_->setEchoMode(QLineEdit::Normal);
}

void SiteGeneralPage::newSite() {
  editor_.newSite();
  refill();
}

// Deletes the site named in the field. A typed name that is no saved site
// deletes nothing, rather than the site loaded before.
void SiteGeneralPage::deleteSite() {
  const std::string typed = plain(profileName_->currentText());
  if (typed.empty()) return;
  const bool named =
      config::equalsIgnoringCase(typed, editor_.edited().profileName) || editor_.chooseSite(typed);
  if (!named) return;
  editor_.deleteSite();
  refill();
}

void SiteGeneralPage::encryptionChosen(int index) {
  const std::int32_t port = config::portFromField(plain(port_->text()));
  port_->setText(QString::number(config::portForEncryption(port, shownTls_, index)));
  shownTls_ = index;
}

bool SiteGeneralPage::acceptEntries() {
  config::GeneralEntries entries;
  entries.profileName = plain(profileName_->currentText());
  entries.hostName = plain(hostName_->text());
  entries.userId = plain(userId_->text());
  entries.password = plain(password_->text());
  entries.account = plain(account_->text());
  entries.savePassword = savePassword_->isChecked();
  entries.hostType = selectedHostType(*hostType_);
  entries.comment = plain(comment_->text());
  entries.port = plain(port_->text());
  entries.tls = encryption_->currentIndex();
  return editor_.acceptGeneral(entries);
}

}  // namespace ferrix::shell
