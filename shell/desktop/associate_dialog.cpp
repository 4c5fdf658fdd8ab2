#include "shell/desktop/associate_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

#include "resources/strings.h"
#include "shell/desktop/help_window.h"

namespace ferrix::shell {
namespace {

QString fromStd(std::string_view text) { return QString::fromUtf8(text.data(), text.size()); }

void sortCaseInsensitively(QStringList& list) {
  std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
}

}  // namespace

QStringList programsOfCommands(const QStringList& commands) {
  QStringList programs;
  for (const QString& command : commands) {
    const QString program = command.section(' ', 0, 0).toLower();
    const bool known = std::any_of(programs.begin(), programs.end(), [&](const QString& entry) {
      return entry.startsWith(program, Qt::CaseInsensitive);
    });
    if (!known && !program.isEmpty()) programs.append(program);
  }
  sortCaseInsensitively(programs);
  return programs;
}

QString fileDialogFilter(const QString& resourceFilter) {
  const QStringList parts = resourceFilter.split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString patterns = parts[i + 1];
    // "*.*" is every file here, also one without a dot.
    patterns.replace("*.*", "*").replace(';', ' ');
    QString name = parts[i];
    name = name.section(" (", 0, 0);
    filters.append(name + " (" + patterns + ")");
  }
  return filters.join(";;");
}

AssociateDialog::AssociateDialog(desktop::AssociationTable& associations,
                                 const QString& extension, QWidget* parent)
    : QDialog(parent),
      associations_(associations),
      extensionBox_(new QComboBox(this)),
      programBox_(new QComboBox(this)) {
  setObjectName("associateDialog");
  setWindowTitle("Associate");
  extensionBox_->setObjectName("extensionBox");
  programBox_->setObjectName("programBox");
  extensionBox_->setEditable(true);
  programBox_->setEditable(true);
  extensionBox_->setInsertPolicy(QComboBox::NoInsert);
  programBox_->setInsertPolicy(QComboBox::NoInsert);
  programBox_->setMinimumContentsLength(40);
  programBox_->lineEdit()->setMaxLength(kDialogCommandLength);

  auto* extensionLabel = new QLabel("&Files with Extension: ", this);
  extensionLabel->setBuddy(extensionBox_);
  auto* programLabel = new QLabel("&Associate With:", this);
  programLabel->setBuddy(programBox_);
  auto* browseButton = new QPushButton("&Browse...", this);
  browseButton->setObjectName("browseButton");

  auto* programRow = new QHBoxLayout;
  programRow->addWidget(programBox_, 1);
  programRow->addWidget(browseButton);
  auto* form = new QFormLayout;
  form->addRow(extensionLabel, extensionBox_);
  form->addRow(programLabel, programRow);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* help = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  fillLists();
  extensionBox_->setEditText(extension.left(kDialogExtensionLength));
  showCommandOf(extensionBox_->currentText());

  connect(buttons, &QDialogButtonBox::accepted, this, &AssociateDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &AssociateDialog::reject);
  connect(help, &QPushButton::clicked, this,
          [this] { showHelpTopic(desktop::kAssociateHelpTopic, this); });
  connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
          [this] { showHelpTopic(desktop::kAssociateHelpTopic, this); });
  connect(browseButton, &QPushButton::clicked, this, &AssociateDialog::browse);
  connect(extensionBox_, &QComboBox::textActivated, this, &AssociateDialog::showCommandOf);
  connect(extensionBox_->lineEdit(), &QLineEdit::editingFinished, this,
          [this] { showCommandOf(extensionBox_->currentText()); });
}

void AssociateDialog::fillLists() {
  QStringList extensions;
  QStringList commands;
  for (const std::string& extension : associations_.extensions()) {
    extensions.append(QString::fromStdString(extension));
    if (std::optional<std::string> command = associations_.command(extension)) {
      commands.append(QString::fromStdString(*command));
    }
  }
  sortCaseInsensitively(extensions);
  extensions.removeDuplicates();
  extensionBox_->addItems(extensions);
  programBox_->addItems(programsOfCommands(commands));
}

void AssociateDialog::showCommandOf(const QString& extension) {
  const std::string key = extension.left(kDialogExtensionLength).toStdString();
  std::optional<std::string> command = associations_.command(key);
  programBox_->setEditText(command ? QString::fromStdString(*command) : QString());
}

void AssociateDialog::browse() {
  const QString filter =
      fileDialogFilter(fromStd(resources::loadString(resources::string_id::kProgramsFilter)));
  const QString current = programBox_->currentText().section(' ', 0, 0);
  const QString chosen = QFileDialog::getOpenFileName(this, QString(), current, filter);
  if (!chosen.isEmpty()) programBox_->setEditText(chosen);
}

void AssociateDialog::accept() {
  const QString extension = extensionBox_->currentText().trimmed().left(kDialogExtensionLength);
  const QString command = programBox_->currentText().trimmed().left(kDialogCommandLength);
  if (!extension.isEmpty() && !command.isEmpty()) {
    const std::string key = extension.toStdString();
    associations_.store(key, desktop::CompleteAssociation(command.toStdString(), key));
  }
  QDialog::accept();
}

desktop::AskAssociation associationQuestion(platform::IniFile& winIni, QWidget* parent) {
  QPointer<QWidget> owner(parent);
  return [&winIni, owner](const std::string& extension) {
    auto ask = [&] {
      desktop::AssociationTable associations(winIni);
      AssociateDialog dialog(associations, QString::fromStdString(extension), owner.data());
      return dialog.exec() == QDialog::Accepted;
    };
    if (owner == nullptr || QThread::currentThread() == owner->thread()) return ask();
    bool confirmed = false;
    QMetaObject::invokeMethod(owner.data(), [&] { confirmed = ask(); },
                              Qt::BlockingQueuedConnection);
    return confirmed;
  };
}

}  // namespace ferrix::shell
