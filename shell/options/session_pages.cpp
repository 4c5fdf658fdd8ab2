#include "shell/options/session_pages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ferrixcore.h"

namespace ferrix::shell {
namespace {

constexpr int kSessionHelp = 226;
constexpr int kSessionMoreHelp = 230;

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons) {
  auto* row = new QHBoxLayout;
  for (QPushButton* button : buttons) row->addWidget(button);
  row->addStretch();
  return row;
}

}  // namespace

void addHostTypes(QComboBox* box) {
  FerrixListControl control{};
  control.context = box;
  control.addString = [](void* context, int32_t, const char* text) -> int32_t {
    auto* combo = static_cast<QComboBox*>(context);
    combo->addItem(QString::fromUtf8(text));
    return combo->count() - 1;
  };
  control.setItemData = [](void* context, int32_t, int32_t index, int32_t data) {
    static_cast<QComboBox*>(context)->setItemData(index, data);
  };
  FERRIX_AddHostTypesToListBox(&control, 1);
}

SessionOptionsPage::SessionOptionsPage(config::OptionsEditor& editor,
                                       const OptionsSheetContext& context, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kSession, kSessionHelp, parent) {
  auto* hostType = new QComboBox(this);
  hostType->setObjectName("hostType");
  addHostTypes(hostType);
  auto* update = new QCheckBox("&Update Folders After Transfer ", this);
  auto* progress = new QCheckBox("Sh&ow Transfer Progress Dialog ", this);
  auto* passive = new QCheckBox("&Use Passive Transfer Mode ", this);
  auto* firewall = new QCheckBox("Use &Firewall", this);
  auto* lower = new QCheckBox("Force Lowercase Remote Names ", this);
  auto* convert = new QCheckBox("Convert Extensions", this);
  auto* retain = new QCheckBox("Remember Folders", this);
  auto* setDefault = new QPushButton("Set as default", this);
  auto* saveFolders = new QPushButton("Sa&ve Current Folders as Connection Folders ", this);
  saveFolders->setEnabled(context.connected);

  auto* form = new QFormLayout;
  form->addRow("Host &Type:", hostType);
  auto* checks = new QGridLayout;
  QCheckBox* const order[] = {update, progress, passive, firewall, lower, convert, retain};
  for (int i = 0; i < 7; ++i) checks->addWidget(order[i], i % 4, i / 4);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(checks);
  layout->addLayout(buttonRow({setDefault, saveFolders}));
  layout->addStretch();

  auto page = [&editor]() -> config::SessionPage& { return editor.session(); };
  bindCheck(update, [page]() -> bool& { return page().updateFolders; });
  bindCheck(progress, [page]() -> bool& { return page().progressDialog; });
  bindCheck(passive, [page]() -> bool& { return page().passiveMode; });
  bindCheck(firewall, [page]() -> bool& { return page().useFirewall; });
  bindCheck(lower, [page]() -> bool& { return page().forceLowercase; });
  bindCheck(convert, [page]() -> bool& { return page().convertExtensions; });
  bindCheck(retain, [page]() -> bool& { return page().rememberFolders; });
  onRefresh([hostType, page] {
    const int index = hostType->findData(page().hostType);
    if (index >= 0 && index != hostType->currentIndex()) hostType->setCurrentIndex(index);
  });
  connect(hostType, &QComboBox::activated, this, [this, hostType, page](int index) {
    page().hostType = hostType->itemData(index).toInt();
    markChanged();
  });
  onClick(setDefault, [&editor] { editor.setSessionAsDefault(); });
  onClick(saveFolders, [&editor] { editor.saveCurrentFolders(); });
}

SessionMoreOptionsPage::SessionMoreOptionsPage(config::OptionsEditor& editor, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kSessionMore, kSessionMoreHelp, parent) {
  auto* sendUnique = new QCheckBox("&Send Unique (FTP Site assigns name)", this);
  auto* receiveUnique = new QCheckBox("&Receive Unique (FERRIX assigns name)", this);
  auto* prompt = new QCheckBox("Prompt for &Destination File Names", this);
  QButtonGroup* mode = makeChoice(this, {"ASCII", "Binary", "L8", "Auto Detect"});
  auto* setDefault = new QPushButton("Set as default", this);

  auto* modeBox = new QGroupBox("Startup Transfer &Mode", this);
  auto* modeRow = new QHBoxLayout(modeBox);
  for (QAbstractButton* button : mode->buttons()) {
    button->setParent(modeBox);
    modeRow->addWidget(button);
  }
  modeRow->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(sendUnique);
  layout->addWidget(receiveUnique);
  layout->addWidget(prompt);
  layout->addWidget(modeBox);
  layout->addLayout(buttonRow({setDefault}));
  layout->addStretch();

  auto page = [&editor]() -> config::SessionMorePage& { return editor.sessionMore(); };
  bindCheck(sendUnique, [page]() -> bool& { return page().sendUnique; });
  bindCheck(receiveUnique, [page]() -> bool& { return page().receiveUnique; });
  bindCheck(prompt, [page]() -> bool& { return page().promptNames; });
  bindChoice(
      mode, [page] { return static_cast<int>(page().mode); },
      [page](int id) { page().mode = static_cast<config::StartupMode>(id); });
  onClick(setDefault, [&editor] { editor.setSessionMoreAsDefault(); });
}

}  // namespace ferrix::shell
