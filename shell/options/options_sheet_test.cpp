#include "shell/options/options_sheet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFontDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "config/scratch_configuration.h"
#include "shell/options/list_font.h"
#include "shell/options/options_test_support.h"

namespace ferrix::shell {
namespace {

using testing::ScratchConfiguration;

constexpr char kIni[] = "[_config_]\nMAILADDR=me@here\n\n[work]\nHOST=ftp.example\n";

// True when the INI text holds the line "key=value" inside [section].
bool iniHas(const std::string& ini, const std::string& section, const std::string& line) {
  const std::size_t start = ini.find("[" + section + "]");
  if (start == std::string::npos) return false;
  const std::size_t end = ini.find("\n[", start + 1);
  const std::string body = ini.substr(start, end == std::string::npos ? end : end - start);
  return body.find("\n" + line + "\n") != std::string::npos || body.ends_with("\n" + line);
}

struct SheetFixture {
  ScratchConfiguration configuration;
  config::SiteProfile profile;
  int redecoded = 0;
  int fontApplied = 0;
  std::optional<config::TransferModeSetting> modeSet;
  std::optional<OptionsSheet> sheet;

  explicit SheetFixture(bool connected = false) {
    configuration.writeIni(kIni);
    configuration.reopen();
    configuration->LoadProgramSettings();
    profile.profileName = "work";
    profile.hostType = 6010;
    OptionsSheetContext context{*configuration, profile, {'A', false}, connected, "/pub", "/home"};
    context.redecodeListing = [this] { ++redecoded; };
    context.applyListFont = [this] { ++fontApplied; };
    context.setTransferMode = [this](config::TransferModeSetting mode) { modeSet = mode; };
    context.windowLocations = [] {
      config::WindowLocations locations;
      locations.mainWindow = {10, 20, 800, 600};
      locations.splitters = {400, 300};
      locations.localColumns = {20, 140, 260, 330};
      locations.remoteColumns = {20, 140, 260, 330};
      return locations;
    };
    sheet.emplace(std::move(context), nullptr);
    sheet->show();
  }

  QWidget* page(int index) {
    sheet->tabs()->setCurrentIndex(index);
    return sheet->tabs()->widget(index);
  }
  void press(QDialogButtonBox::StandardButton which) {
    sheet->findChild<QDialogButtonBox*>()->button(which)->click();
  }
  std::string ini() { return configuration.readIni(); }
};

struct PageEdit {
  const char* label;
  int page;
  std::function<void(QWidget*)> edit;
  const char* section;
  std::vector<const char*> lines;
};

const PageEdit kPageEdits[] = {
    {"General",
     0,
     [](QWidget* p) { byText<QCheckBox>(p, "&Debug Messages")->click(); },
     "_config_",
     {"VERBOSE=1", "VRFYDEL=1", "dolog=1", "MAILADDR=me@here", "VIEWER=xdg-open"}},
    {"Advanced",
     1,
     [](QWidget* p) {
       byText<QRadioButton>(p, "Nothing")->click();
       p->findChildren<QLineEdit*>().at(0)->setText("10");
       p->findChildren<QLineEdit*>().at(1)->setText("2000000");
     },
     "_config_",
     {"DBLCLK=2", "RBP=80", "SBP=1048576", "LONGDIR=1"}},
    {"Display",
     2,
     [](QWidget* p) { byText<QRadioButton>(p, "Day Month Year ")->click(); },
     "_config_",
     {"DateFmt=2", "FONT=3", "LAYOUT=0", "LONGDATE=1"}},
    {"Sounds",
     3,
     [](QWidget* p) {
       byText<QCheckBox>(p, "Other Failures")->click();
       byText<QRadioButton>(p, "Beeps")->click();
     },
     "_config_",
     {"soundflags=31", "BELL=1", "usewave=0"}},
    {"Sort",
     4,
     [](QWidget* p) {
       byText<QRadioButton>(p, "Sort on Size")->click();  // the local group comes first
       p->findChildren<QCheckBox*>().at(1)->click();      // remote "Reverse Order"
     },
     "_config_",
     {"LSORT=4", "RSORT=9"}},
    {"Transfers",
     5,
     [](QWidget* p) { p->findChildren<QCheckBox*>().at(1)->click(); },
     "_config_",
     {"PROTIMES=0", "PROREGET=1", "PROOVERW=1", "PRODIROW=1"}},
    {"Session",
     6,
     [](QWidget* p) {
       auto* hostType = p->findChild<QComboBox*>("hostType");
       hostType->setCurrentIndex(hostType->findData(6016));
       emit hostType->activated(hostType->currentIndex());
       byText<QCheckBox>(p, "Use &Firewall")->click();
     },
     "work",
     {"TYPE=6016", "FIREWALL=1", "PASVMODE=1", "RETAIN=1"}},
    {"Session (cont'd)",
     7,
     [](QWidget* p) {
       byText<QRadioButton>(p, "L8")->click();
       byText<QCheckBox>(p, "&Receive Unique (FERRIX assigns name)")->click();
     },
     "work",
     {"MODE=76", "AMODE=0", "RECU=1", "STOU=0"}},
};

TEST(OptionsSheetWidgets, OkWritesTheChangedPageOfEachKind) {
  for (const PageEdit& c : kPageEdits) {
    SheetFixture fixture;
    c.edit(fixture.page(c.page));
    fixture.press(QDialogButtonBox::Ok);
    const std::string ini = fixture.ini();
    for (const char* line : c.lines)
      EXPECT_TRUE(iniHas(ini, c.section, line)) << c.label << ": " << line << "\n" << ini;
  }
}

TEST(OptionsSheetWidgets, OkWritesNothingWhenNothingWasChanged) {
  SheetFixture fixture;
  for (int i = 0; i < fixture.sheet->tabs()->count(); ++i) fixture.page(i);
  fixture.press(QDialogButtonBox::Ok);
  EXPECT_EQ(fixture.ini(), kIni);
}

TEST(OptionsSheetWidgets, CancelKeepsOnlyWhatSetAsDefaultWrote) {
  SheetFixture fixture;
  QWidget* session = fixture.page(6);
  byText<QCheckBox>(session, "Force Lowercase Remote Names ")->click();
  byText<QPushButton>(session, "Set as default")->click();
  byText<QCheckBox>(session, "Remember Folders")->click();
  byText<QCheckBox>(fixture.page(0), "&Debug Messages")->click();
  fixture.press(QDialogButtonBox::Cancel);
  const std::string ini = fixture.ini();
  EXPECT_TRUE(iniHas(ini, "_config_", "FORCLOW=1")) << ini;
  EXPECT_TRUE(iniHas(ini, "_config_", "RETAIN=1")) << ini;
  EXPECT_EQ(ini.find("VERBOSE"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("TYPE="), std::string::npos) << ini;
}

TEST(OptionsSheetWidgets, OpensOnSessionWhileConnected) {
  EXPECT_EQ(SheetFixture(true).sheet->tabs()->currentIndex(), 6);
  EXPECT_EQ(SheetFixture(false).sheet->tabs()->currentIndex(), 0);
}

TEST(OptionsSheetWidgets, NewHostTypeWhileConnectedDecodesTheListingAgain) {
  SheetFixture fixture(true);
  auto* hostType = fixture.page(6)->findChild<QComboBox*>("hostType");
  EXPECT_EQ(hostType->currentData().toInt(), 6010);
  hostType->setCurrentIndex(hostType->findData(6016));
  emit hostType->activated(hostType->currentIndex());
  fixture.press(QDialogButtonBox::Ok);
  EXPECT_EQ(fixture.redecoded, 1);
  EXPECT_EQ(fixture.profile.hostType, 6016);
}

TEST(OptionsSheetWidgets, AutoDetectKeepsTheModeAndTellsTheWindow) {
  SheetFixture fixture;
  QWidget* page = fixture.page(7);
  EXPECT_TRUE(byText<QRadioButton>(page, "ASCII")->isChecked());
  byText<QRadioButton>(page, "Auto Detect")->click();
  fixture.press(QDialogButtonBox::Ok);
  ASSERT_TRUE(fixture.modeSet.has_value());
  EXPECT_EQ(fixture.modeSet->mode, 'A');
  EXPECT_TRUE(fixture.modeSet->automatic);
}

TEST(OptionsSheetWidgets, CancelledFontChooserStillSetsTheCustomFont) {
  SheetFixture fixture;
  QWidget* page = fixture.page(2);
  QTimer::singleShot(0, [] {
    QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
    auto* chooser = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(chooser, nullptr);
    chooser->reject();
  });
  byText<QRadioButton>(page, "Custom Font")->click();
  fixture.press(QDialogButtonBox::Cancel);
  const std::string ini = fixture.ini();
  EXPECT_TRUE(iniHas(ini, "_config_", "FONT=4")) << ini;
  EXPECT_TRUE(iniHas(ini, "_config_", "FHEIGHT=4294967285")) << ini;
  EXPECT_TRUE(iniHas(ini, "_config_", "FNAME=Courier New")) << ini;
  EXPECT_EQ(fixture.fontApplied, 1);
}

TEST(OptionsSheetWidgets, SoundChoiceEnablesTheControls) {
  SheetFixture fixture;
  QWidget* page = fixture.page(3);
  auto* box = byText<QCheckBox>(page, "Connection Success");
  auto* browse = page->findChild<QAbstractButton*>("browse_sndcs");
  EXPECT_TRUE(byText<QRadioButton>(page, "Wave")->isChecked());
  EXPECT_TRUE(browse->isEnabled());
  byText<QRadioButton>(page, "Beeps")->click();
  EXPECT_TRUE(box->isEnabled());
  EXPECT_FALSE(browse->isEnabled());
  byText<QRadioButton>(page, "None")->click();
  EXPECT_FALSE(box->isEnabled());
}

TEST(OptionsSheetWidgets, SaveWindowLocationsActsAtOnce) {
  SheetFixture fixture;
  byText<QPushButton>(fixture.page(0), "&Save Window Locations")->click();
  fixture.press(QDialogButtonBox::Cancel);
  EXPECT_TRUE(iniHas(fixture.ini(), "_config_", "LOC=10,20,800,600,400,300")) << fixture.ini();
}

TEST(OptionsSheetWidgets, AssociationPageShowsAndStoresAssociations) {
  SheetFixture fixture;
  fixture.configuration.writeWinIni("[Extensions]\nTXT=Edit ^.txt\ndoc=writer ^.doc\n");
  QWidget* page = fixture.page(10);
  auto* extension = page->findChild<QComboBox*>("associationExtension");
  auto* command = page->findChild<QComboBox*>("associationCommand");
  ASSERT_EQ(extension->count(), 2);
  EXPECT_EQ(extension->itemText(0), "doc");
  EXPECT_EQ(extension->itemText(1), "txt");
  EXPECT_EQ(command->itemText(0), "edit");
  extension->setCurrentIndex(1);
  emit extension->activated(1);
  EXPECT_EQ(command->currentText(), "Edit ^.txt");
  // The page takes whole extensions, longer than three characters too.
  extension->setEditText("html");
  emit extension->lineEdit()->editingFinished();
  EXPECT_EQ(command->currentText(), "");
  command->setEditText("browser");
  fixture.press(QDialogButtonBox::Ok);
  EXPECT_EQ(fixture.configuration->winIni().find("Extensions", "html"), "browser ^.html");
}

TEST(OptionsSheetWidgets, ExtensionsPageAddsANameAndOkRewritesTheList) {
  SheetFixture fixture;
  QWidget* page = fixture.page(9);
  page->findChild<QLineEdit*>("asciiName")->setText("README");
  byText<QPushButton>(page, "&Add")->click();
  fixture.press(QDialogButtonBox::Ok);
  std::ifstream list(fixture.configuration->extensionListPath());
  const std::string text((std::istreambuf_iterator<char>(list)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, ".TXT\nREADME\n");
}

TEST(OptionsSheetWidgets, OnlyLayoutKeysLayTheWindowOutAgain) {
  ScratchConfiguration configuration;
  config::SiteProfile profile;
  int relaidOut = 0;
  for (const char* caption : {"Enable button balloon help ", "Alter&nate Screen Layout"}) {
    OptionsSheet sheet(OptionsSheetContext{.configuration = *configuration,
                                           .sessionProfile = profile,
                                           .relayout = [&] { ++relaidOut; }},
                       nullptr);
    sheet.tabs()->setCurrentIndex(2);
    sheet.show();
    byText<QCheckBox>(sheet.tabs()->widget(2), caption)->click();
    sheet.accept();
  }
  EXPECT_EQ(relaidOut, 1);
  EXPECT_EQ(configuration->settings().LAYOUT, 1);
  EXPECT_EQ(configuration->settings().balloon, 1);
}

TEST(ListFont, CustomFontKeysAndQtFontsAgree) {
  const config::CustomFont bold{-14, 0, 700, 49, "DejaVu Sans Mono"};
  const QFont font = fontFromCustom(bold);
  EXPECT_EQ(font.pixelSize(), 14);
  EXPECT_EQ(font.weight(), QFont::Bold);
  EXPECT_TRUE(font.fixedPitch());
  const config::CustomFont back = customFromFont(font, 3);
  EXPECT_EQ(back.height, -14);
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.weight, 700);
  EXPECT_EQ(back.pitch, 49);
  EXPECT_EQ(back.name, "DejaVu Sans Mono");
}

TEST(ListFont, DialogFontScalesOnlyWhenTheBaseUnitChanged) {
  config::ProgramSettings settings;
  settings.SCALE = 1;
  const QFont original = QApplication::font();
  recordDialogBaseUnit();
  EXPECT_FALSE(scaledDialogFont(settings, 96).has_value());
  QFont larger = original;
  larger.setPixelSize(QFontMetrics(original).height() * 2);
  QApplication::setFont(larger);
  const std::optional<QFont> scaled = scaledDialogFont(settings, 140);
  settings.SCALE = 0;
  const bool scaledWithoutScale = scaledDialogFont(settings, 140).has_value();
  QApplication::setFont(original);
  recordDialogBaseUnit();
  ASSERT_TRUE(scaled.has_value());
  EXPECT_EQ(scaled->pixelSize(), QFontMetrics(original).height());
  EXPECT_FALSE(scaledWithoutScale);
}

// Renders every page into FERRIX_SCREENSHOTS (when set) and checks that each
// page fits the sheet's size without being squeezed below its minimum.
TEST(OptionsSheetWidgets, EveryPageFitsAndRenders) {
  SheetFixture fixture(true);
  const QString folder = qEnvironmentVariable("FERRIX_SCREENSHOTS");
  fixture.sheet->adjustSize();
  for (int i = 0; i < fixture.sheet->tabs()->count(); ++i) {
    QWidget* page = fixture.page(i);
    QApplication::processEvents();
    const QSize minimum = page->minimumSizeHint();
    EXPECT_LE(minimum.width(), page->width()) << i;
    EXPECT_LE(minimum.height(), page->height()) << i;
    if (!folder.isEmpty()) {
      QDir().mkpath(folder);
      EXPECT_TRUE(fixture.sheet->grab().save(QString("%1/options_%2.png").arg(folder).arg(i)));
    }
  }
}

}  // namespace
}  // namespace ferrix::shell
