#include "shell/dialogs/site_option_pages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "config/site_editor.h"
#include "config/site_profile_store.h"

namespace ferrix::shell {
namespace {

constexpr int kPortFieldLength = 5;
constexpr int kNumberFieldLength = 11;

QString qt(const std::string& text) { return QString::fromStdString(text); }
std::string plain(const QLineEdit* line) { return line->text().toStdString(); }

QLineEdit* newLine(QWidget* page, const char* objectName, int maxLength) {
  auto* line = new QLineEdit(page);
  line->setObjectName(objectName);
  line->setMaxLength(maxLength);
  return line;
}

QLineEdit* newLine(QWidget* page, const char* objectName, std::size_t maxLength) {
  return newLine(page, objectName, static_cast<int>(maxLength));
}

constexpr const char* kLogonTypeNames[SiteFirewallPage::kLogonTypes] = {
    "SITE hostname",
    "USER after logon",
    "USER with no logon",
    "Proxy OPEN",
    "USER remoteID@remoteHost fireID",
    "USER fireID@remoteHost",
    "Transparent",
    "USER remoteID@fireID@remoteHost",
};

}  // namespace

SiteStartupPage::SiteStartupPage(config::SiteEditor& editor, QWidget* parent)
    : SitePage(editor, kHelpTopic, parent) {
  remoteFolder_ = newLine(this, "remoteFolder", config::kFolderLength);
  localFolder_ = newLine(this, "localFolder", config::kFolderLength);
  initialCommand_ = newLine(this, "initialCommand", config::kInitialCommandLength);
  localMask_ = newLine(this, "localMask", config::kMaskLength);
  remoteMask_ = newLine(this, "remoteMask", config::kMaskLength);
  timeOffset_ = newLine(this, "timeOffset", kNumberFieldLength);

  auto* form = new QFormLayout(this);
  form->addRow(tr("Initial &Remote Site Folder:"), remoteFolder_);
  form->addRow(tr("Initial &Local Folder:"), localFolder_);
  form->addRow(tr("&Initialize Command:"), initialCommand_);
  form->addRow(QString(), new QLabel(tr("Put \";\" between several commands."), this));
  form->addRow(tr("Local &File Mask:"), localMask_);
  form->addRow(tr("Remote File &Mask:"), remoteMask_);
  form->addRow(tr("&Time Offset in Hours:"), timeOffset_);
}

void SiteStartupPage::fill() {
  const config::SiteProfile& profile = editor_.edited();
  remoteFolder_->setText(qt(profile.remoteFolder));
  localFolder_->setText(qt(profile.localFolder));
  initialCommand_->setText(qt(profile.initialCommand));
  localMask_->setText(qt(profile.localMask));
  remoteMask_->setText(qt(profile.remoteMask));
  timeOffset_->setText(QString::number(profile.timeOffsetHours));
}

bool SiteStartupPage::acceptEntries() {
  config::StartupEntries entries;
  entries.remoteFolder = plain(remoteFolder_);
  entries.localFolder = plain(localFolder_);
  entries.initialCommand = plain(initialCommand_);
  entries.localMask = plain(localMask_);
  entries.remoteMask = plain(remoteMask_);
  entries.timeOffsetHours = plain(timeOffset_);
  return editor_.acceptStartup(entries);
}

SiteAdvancedPage::SiteAdvancedPage(config::SiteEditor& editor, QWidget* parent)
    : SitePage(editor, kHelpTopic, parent) {
  retries_ = newLine(this, "retries", kNumberFieldLength);
  timeout_ = newLine(this, "timeout", kNumberFieldLength);
  passive_ = new QCheckBox(tr("Passive transfers"), this);
  passive_->setObjectName("passive");
  // For the rare server whose data really comes from another host; otherwise
  // the data connection goes to the control connection's peer.
  serverPassiveAddress_ = new QCheckBox(tr("Use the server's passive address"), this);
  serverPassiveAddress_->setObjectName("serverPassiveAddress");
  // Editable: any charset the C library converts can be typed.
  charset_ = new QComboBox(this);
  charset_->setObjectName("charset");
  charset_->setEditable(true);
  charset_->addItems({"auto", "UTF-8", "ISO-8859-1", "CP1251", "CP437", "SHIFT_JIS"});

  auto* form = new QFormLayout(this);
  form->addRow(tr("Connection &Retry:"), retries_);
  form->addRow(QString(), new QLabel(tr("Attempt failed connects from 0 to 40 times."), this));
  form->addRow(tr("Network &Timeout (seconds):"), timeout_);
  form->addRow(QString(), passive_);
  form->addRow(QString(), serverPassiveAddress_);
  form->addRow(tr("Server name &charset:"), charset_);
}

void SiteAdvancedPage::fill() {
  const config::SiteProfile& profile = editor_.edited();
  retries_->setText(QString::number(profile.retries));
  timeout_->setText(QString::number(profile.timeoutSeconds));
  passive_->setChecked(profile.passiveMode != 0);
  serverPassiveAddress_->setChecked(profile.useServerPassiveAddress != 0);
  charset_->setCurrentText(QString::fromStdString(profile.charset));
}

bool SiteAdvancedPage::acceptEntries() {
  config::AdvancedEntries entries;
  entries.retries = plain(retries_);
  entries.timeoutSeconds = plain(timeout_);
  entries.passiveMode = passive_->isChecked();
  entries.charset = charset_->currentText().trimmed().toStdString();
  entries.useServerPassiveAddress = serverPassiveAddress_->isChecked();
  return editor_.acceptAdvanced(entries);
}

SiteFirewallPage::SiteFirewallPage(config::SiteEditor& editor, QWidget* parent)
    : SitePage(editor, kHelpTopic, parent) {
  useFirewall_ = new QCheckBox(tr("Use Firewall"), this);
  useFirewall_->setObjectName("useFirewall");
  host_ = newLine(this, "firewallHost", config::kUserFieldLength);
  userId_ = newLine(this, "firewallUserId", config::kUserFieldLength);
  password_ = newLine(this, "firewallPassword", config::kUserFieldLength);
  password_->setEchoMode(QLineEdit::Password);
  savePassword_ = new QCheckBox(tr("Save Password"), this);
  savePassword_->setObjectName("firewallSavePassword");
  port_ = newLine(this, "firewallPort", kPortFieldLength);

  auto* types = new QGroupBox(tr("Firewall Type"), this);
  auto* typeColumn = new QVBoxLayout(types);
  logonType_ = new QButtonGroup(this);
  for (int type = 0; type < kLogonTypes; ++type) {
    auto* button = new QRadioButton(QString::fromLatin1(kLogonTypeNames[type]), types);
    button->setObjectName(QStringLiteral("firewallType%1").arg(type));
    logonType_->addButton(button, type);
    typeColumn->addWidget(button);
    typeButtons_[static_cast<std::size_t>(type)] = button;
  }

  auto* form = new QFormLayout;
  form->addRow(QString(), useFirewall_);
  form->addRow(tr("&Host Name:"), host_);
  form->addRow(tr("&User ID:"), userId_);
  form->addRow(tr("Pass&word:"), password_);
  form->addRow(QString(), savePassword_);
  form->addRow(tr("&Port:"), port_);
  auto* page = new QVBoxLayout(this);
  page->addLayout(form);
  page->addWidget(types);
  page->addStretch();

  connect(useFirewall_, &QCheckBox::toggled, this, &SiteFirewallPage::enableFirewallFields);
}

void SiteFirewallPage::enableFirewallFields(bool useFirewall) {
  host_->setEnabled(useFirewall);
  userId_->setEnabled(useFirewall);
  password_->setEnabled(useFirewall);
  port_->setEnabled(useFirewall);
  for (QRadioButton* button : typeButtons_) button->setEnabled(useFirewall);
}

void SiteFirewallPage::fill() {
  const config::FirewallEntries page = editor_.firewallPage();
  useFirewall_->setChecked(page.useFirewall);
  host_->setText(qt(page.host));
  userId_->setText(qt(page.userId));
  password_->setText(qt(page.password));
  savePassword_->setChecked(page.savePassword);
  port_->setText(qt(page.port));
  // An exclusive group cannot be cleared, and FIRETYPE may name no button.
  logonType_->setExclusive(false);
  for (int type = 0; type < kLogonTypes; ++type) {
    typeButtons_[static_cast<std::size_t>(type)]->setChecked(page.type == type);
  }
  logonType_->setExclusive(true);
  enableFirewallFields(page.useFirewall);
}

bool SiteFirewallPage::acceptEntries() {
  config::FirewallEntries entries;
  entries.useFirewall = useFirewall_->isChecked();
  entries.host = plain(host_);
  entries.userId = plain(userId_);
  entries.password = plain(password_);
  entries.savePassword = savePassword_->isChecked();
  entries.port = plain(port_);
  if (logonType_->checkedId() >= 0) entries.type = logonType_->checkedId();
  return editor_.acceptFirewall(entries);
}

}  // namespace ferrix::shell
