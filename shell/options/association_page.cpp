#include "shell/options/association_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/strings.h"
#include "shell/desktop/associate_dialog.h"
#include "shell/desktop/command_rules.h"
#include "shell/options/file_browser.h"

namespace ferrix::shell {
namespace {

QComboBox* editableCombo(QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->lineEdit()->setMaxLength(AssociationsOptionsPage::kFieldLength);
  return combo;
}

}  // namespace

AssociationsOptionsPage::AssociationsOptionsPage(config::OptionsEditor& editor, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kAssociations, kHelpContext, parent),
      extension_(editableCombo(this)),
      command_(editableCombo(this)) {
  extension_->setObjectName("associationExtension");
  command_->setObjectName("associationCommand");
  auto* browse = new QPushButton("&Browse...", this);
  auto* commandRow = new QHBoxLayout;
  commandRow->addWidget(command_, 1);
  commandRow->addWidget(browse);
  auto* commandLabel = new QLabel("&Associate With:", this);
  commandLabel->setBuddy(command_);
  auto* form = new QFormLayout;
  form->addRow("&Files with Extension: ", extension_);
  form->addRow(commandLabel, commandRow);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch();

  onLoad([this, &editor] {
    const desktop::AssociationTable associations(editor.configuration().winIni());
    QStringList extensions;
    QStringList commands;
    for (const std::string& extension : associations.extensions()) {
      extensions << QString::fromStdString(extension);
      commands << QString::fromStdString(associations.command(extension).value_or(""));
    }
    extensions.sort(Qt::CaseInsensitive);
    extension_->addItems(extensions);
    command_->addItems(programsOfCommands(commands));
    extension_->setEditText(QString());
    command_->setEditText(QString());
  });
  connect(extension_, &QComboBox::activated, this, [this] {
    showCommandOfExtension();
    markChanged();
  });
  connect(extension_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
    showCommandOfExtension();
    markChanged();
  });
  connect(command_, &QComboBox::editTextChanged, this, [this] { markChanged(); });
  onClick(browse, [this] {
    QString path = command_->currentText();
    if (browseForFile(this, resources::string_id::kProgramsFilter, path)) {
      command_->setEditText(path);
    }
  });
}

void AssociationsOptionsPage::showCommandOfExtension() {
  const desktop::AssociationTable associations(editor().configuration().winIni());
  command_->setEditText(QString::fromStdString(
      associations.command(extension_->currentText().toStdString()).value_or("")));
}

bool AssociationsOptionsPage::store() {
  const std::string extension = extension_->currentText().toStdString();
  const std::string command = command_->currentText().toStdString();
  if (extension.empty() || command.empty()) return false;
  desktop::AssociationTable associations(editor().configuration().winIni());
  return associations.store(extension, desktop::CompleteAssociation(command, extension));
}

}  // namespace ferrix::shell
