#include "shell/options/association_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "config/options_pages.h"
#include "resources/strings.h"
#include "shell/options/file_browser.h"

namespace ferrix::shell {
namespace {

QString& lastDialogExtension() {
  static QString extension;
  return extension;
}

QComboBox* editableCombo(const std::vector<std::string>& items, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->lineEdit()->setMaxLength(static_cast<int>(config::kAssociationFieldLength));
  for (const std::string& item : items) combo->addItem(QString::fromStdString(item));
  return combo;
}

}  // namespace

AssociationFields::AssociationFields(config::Configuration& configuration, const QString& extension,
                                     QWidget* parent)
    : QWidget(parent), configuration_(configuration) {
  const config::AssociationLists lists = config::loadAssociationLists(configuration.winIni());
  extension_ = editableCombo(lists.extensions, this);
  extension_->setObjectName("associationExtension");
  command_ = editableCombo(lists.programs, this);
  command_->setObjectName("associationCommand");
  extension_->setEditText(extension);
  command_->setEditText(QString());
  auto* browse = new QPushButton("&Browse...", this);

  auto* commandRow = new QHBoxLayout;
  commandRow->addWidget(command_, 1);
  commandRow->addWidget(browse);
  auto* form = new QFormLayout(this);
  form->setContentsMargins(0, 0, 0, 0);
  form->addRow("&Files with Extension: ", extension_);
  form->addRow("&Associate With:", commandRow);
  if (!extension.isEmpty()) showCommandOfExtension();

  connect(extension_, &QComboBox::activated, this, [this] {
    showCommandOfExtension();
    emit changed();
  });
  connect(extension_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
    showCommandOfExtension();
    emit changed();
  });
  connect(command_, &QComboBox::editTextChanged, this, &AssociationFields::changed);
  connect(browse, &QPushButton::clicked, this, [this] {
    QString path = command_->currentText();
    if (browseForFile(this, resources::string_id::kProgramsFilter, path)) {
      command_->setEditText(path);
    }
  });
}

QString AssociationFields::extension() const { return extension_->currentText(); }
QString AssociationFields::command() const { return command_->currentText(); }

void AssociationFields::showCommandOfExtension() {
  command_->setEditText(QString::fromStdString(
      config::associationCommand(configuration_.winIni(), extension().toStdString())));
}

int showAssociationDialog(QWidget* owner, config::Configuration& configuration,
                          const std::string& extension,
                          const std::function<void(int context)>& showHelp) {
  lastDialogExtension() = QString::fromStdString(extension);
  QDialog dialog(owner);
  dialog.setObjectName("associateDialog");
  dialog.setWindowTitle("Associate");
  auto* fields = new AssociationFields(configuration, lastDialogExtension(), &dialog);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->addButton("&Help", QDialogButtonBox::HelpRole);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(fields);
  layout->addWidget(buttons);
  auto help = [&showHelp] {
    if (showHelp) showHelp(kAssociationHelp);
  };
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::helpRequested, &dialog, help);
  QObject::connect(new QShortcut(QKeySequence::HelpContents, &dialog), &QShortcut::activated,
                   &dialog, help);
  if (dialog.exec() != QDialog::Accepted) return 0;
  config::storeAssociation(configuration.winIni(), fields->extension().toStdString(),
                           fields->command().toStdString());
  return 1;
}

AssociationsOptionsPage::AssociationsOptionsPage(config::OptionsEditor& editor, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kAssociations, kAssociationHelp, parent) {
  auto* fields = new AssociationFields(editor.configuration(), lastDialogExtension(), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fields);
  layout->addStretch();
  connect(fields, &AssociationFields::changed, this, [this, fields, &editor] {
    editor.associationExtension() = fields->extension().toStdString();
    editor.associationCommand() = fields->command().toStdString();
    markChanged();
  });
}

}  // namespace ferrix::shell
