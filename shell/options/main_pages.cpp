#include "shell/options/main_pages.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/strings.h"
#include "shell/options/file_browser.h"
#include "shell/options/list_font.h"

namespace ferrix::shell {
namespace {

constexpr int kGeneralHelp = 206;
constexpr int kAdvancedHelp = 210;
constexpr int kDisplayHelp = 215;
constexpr int kCustomFont = 4;

QLineEdit* lineOf(int maxLength, QWidget* parent) {
  auto* line = new QLineEdit(parent);
  line->setMaxLength(maxLength);
  return line;
}

// A group box holding the buttons of a radio group, one a line.
QGroupBox* groupOf(const char* title, QButtonGroup* group, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  auto* layout = new QVBoxLayout(box);
  for (QAbstractButton* button : group->buttons()) {
    button->setParent(box);
    layout->addWidget(button);
  }
  return box;
}

}  // namespace

GeneralOptionsPage::GeneralOptionsPage(config::OptionsEditor& editor,
                                       const OptionsSheetContext& context, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kGeneral, kGeneralHelp, parent) {
  auto* mail = lineOf(static_cast<int>(config::kMailAddressLength), this);
  auto* viewer = lineOf(static_cast<int>(config::kViewerFieldLength), this);
  auto* browse = new QPushButton("&Browse", this);
  auto* logFile = lineOf(static_cast<int>(config::kLogFileFieldLength), this);
  auto* enableLog = new QCheckBox("&Enable log", this);
  auto* verify = new QCheckBox("&Verify Deletions", this);
  auto* shell = new QCheckBox("Remote Edit uses ShellExecute ", this);
  auto* debug = new QCheckBox("&Debug Messages", this);
  auto* save = new QPushButton("&Save Window Locations", this);
  auto* reset = new QPushButton("&Reset Window Locations", this);

  auto* viewerRow = new QHBoxLayout;
  viewerRow->addWidget(viewer, 1);
  viewerRow->addWidget(browse);
  auto* fields = new QFormLayout;
  fields->addRow("&E-Mail Address:", mail);
  auto* viewerLabel = new QLabel("&Text Viewer:", this);
  viewerLabel->setBuddy(viewer);
  fields->addRow(viewerLabel, viewerRow);
  fields->addRow("&Log filename:", logFile);
  auto* checks = new QGridLayout;
  checks->addWidget(enableLog, 0, 0);
  checks->addWidget(verify, 0, 1);
  checks->addWidget(shell, 1, 0);
  checks->addWidget(debug, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save);
  buttons->addWidget(reset);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(checks);
  layout->addLayout(buttons);
  layout->addStretch();

  auto page = [&editor]() -> config::GeneralPage& { return editor.general(); };
  bindText(mail, [page]() -> std::string& { return page().mailAddress; });
  bindText(viewer, [page]() -> std::string& { return page().viewer; });
  bindText(logFile, [page]() -> std::string& { return page().logFileName; });
  bindCheck(enableLog, [page]() -> bool& { return page().enableLog; });
  bindCheck(verify, [page]() -> bool& { return page().verifyDeletions; });
  bindCheck(shell, [page]() -> bool& { return page().remoteEditUsesShell; });
  bindCheck(debug, [page]() -> bool& { return page().debugMessages; });
  onClick(browse, [this, viewer] {
    QString path = viewer->text();
    if (browseForFile(this, resources::string_id::kProgramsFilter, path)) viewer->setText(path);
  });
  onClick(save, [&editor, &context] {
    if (context.windowLocations) {
      config::saveWindowLocations(editor.configuration(), context.windowLocations());
    }
  });
  onClick(reset, [&editor, &context] {
    config::resetWindowLocations(editor.configuration());
    if (context.resetWindowLocations) context.resetWindowLocations();
  });
}

AdvancedOptionsPage::AdvancedOptionsPage(config::OptionsEditor& editor, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kAdvanced, kAdvancedHelp, parent) {
  auto* longDir = new QCheckBox("Show Full Folder &Information", this);
  auto* autoStart = new QCheckBox("Show &FERRIX Sites on Startup", this);
  QButtonGroup* rate = makeChoice(this, {"bits per sec", "Bytes per sec"});
  QButtonGroup* doubleClick = makeChoice(this, {"Transfer file", "View file", "Nothing"});
  auto* receive = lineOf(10, this);
  auto* send = lineOf(10, this);

  auto* buffers = new QGroupBox("Network Buffer Size (bytes)", this);
  auto* bufferFields = new QFormLayout(buffers);
  bufferFields->addRow("Receive size", receive);
  bufferFields->addRow("Transmission size: ", send);
  auto* groups = new QHBoxLayout;
  groups->addWidget(groupOf("Transfer Rate Display", rate, this));
  groups->addWidget(groupOf("&Double Click Action", doubleClick, this));
  groups->addWidget(buffers);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(longDir);
  layout->addWidget(autoStart);
  layout->addLayout(groups);
  layout->addStretch();

  auto page = [&editor]() -> config::AdvancedPage& { return editor.advanced(); };
  bindCheck(longDir, [page]() -> bool& { return page().fullFolderInformation; });
  bindCheck(autoStart, [page]() -> bool& { return page().sitesOnStartup; });
  bindChoice(
      rate, [page] { return page().rateDisplay; }, [page](int id) { page().rateDisplay = id; });
  bindChoice(
      doubleClick, [page] { return page().doubleClickAction; },
      [page](int id) { page().doubleClickAction = id; });
  bindText(receive, [page]() -> std::string& { return page().receiveSize; });
  bindText(send, [page]() -> std::string& { return page().sendSize; });
}

DisplayOptionsPage::DisplayOptionsPage(config::OptionsEditor& editor,
                                       const OptionsSheetContext& context, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kDisplay, kDisplayHelp, parent) {
  auto* layoutBox = new QCheckBox("Alter&nate Screen Layout", this);
  auto* onTop = new QCheckBox("Show &Buttons at Top of Screen", this);
  auto* hide = new QCheckBox("Hide Command Buttons ", this);
  auto* scale = new QCheckBox("Auto Scale Fonts", this);
  auto* balloon = new QCheckBox("Enable button balloon help ", this);
  auto* longDate = new QCheckBox("Display 4 digit years ", this);
  QButtonGroup* dateFormat =
      makeChoice(this, {"Year Month Day ", "Month Day Year ", "Day Month Year "});
  QButtonGroup* font = makeChoice(
      this, {"System Variable", "System Fixed", "ANSI Variable", "ANSI Fixed", "Custom Font"});

  auto* checks = new QGridLayout;
  QCheckBox* const order[] = {layoutBox, onTop, hide, scale, balloon, longDate};
  for (int i = 0; i < 6; ++i) checks->addWidget(order[i], i % 3, i / 3);
  auto* groups = new QHBoxLayout;
  groups->addWidget(groupOf("Date Format", dateFormat, this));
  groups->addWidget(groupOf("List Box &Font", font, this));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(checks);
  layout->addLayout(groups);
  layout->addStretch();

  auto page = [&editor]() -> config::DisplayPage& { return editor.display(); };
  bindCheck(layoutBox, [page]() -> bool& { return page().alternateLayout; });
  bindCheck(onTop, [page]() -> bool& { return page().buttonsOnTop; });
  bindCheck(hide, [page]() -> bool& { return page().hideButtons; });
  bindCheck(scale, [page]() -> bool& { return page().autoScaleFonts; });
  bindCheck(balloon, [page]() -> bool& { return page().balloonHelp; });
  bindCheck(longDate, [page]() -> bool& { return page().fourDigitYears; });
  bindChoice(
      dateFormat, [page] { return page().dateFormat; }, [page](int id) { page().dateFormat = id; });
  // Values above 4 count as ANSI Fixed.
  bindChoice(
      font, [page] { return page().listFont >= 0 && page().listFont <= 4 ? page().listFont : 3; },
      [this, page, &editor, &context](int id) {
        page().listFont = id;
        if (id != kCustomFont) return;
        editor.storeCustomFont(
            chooseCustomFont(this, config::loadCustomFont(editor.configuration())));
        if (context.applyListFont) context.applyListFont();
      });
}

}  // namespace ferrix::shell
