#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <string>
#include <vector>

#include "shell/qt_ui/qt_ui_test_support.h"
#include "shell/qt_ui/qt_user_interface.h"

namespace ferrix::shell {
namespace {

using testing::clickWhenShown;
using testing::whenShown;
using Answer = session::UserInterface::Answer;
using Buttons = session::UserInterface::Buttons;
using Icon = session::UserInterface::Icon;
using OverwriteAnswer = session::UserInterface::OverwriteAnswer;
using DeleteAnswer = session::UserInterface::DeleteAnswer;

bool buttonShown(QDialog& dialog, const char* name) {
  return !dialog.findChild<QAbstractButton*>(name)->isHidden();
}

TEST(OverwriteDialog, EachButtonGivesItsNumberAndClosingGivesNo) {
  struct Case {
    const char* button;  // nullptr: closed with Escape
    OverwriteAnswer answer;
  };
  const Case cases[] = {{"yes", OverwriteAnswer::kYes},
                        {"no", OverwriteAnswer::kNo},
                        {"yesToAll", OverwriteAnswer::kYesToAll},
                        {"noToAll", OverwriteAnswer::kNoToAll},
                        {nullptr, OverwriteAnswer::kNo}};
  QtUserInterface ui(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button ? c.button : "Escape");
    whenShown("DLG_OVERWRITE", [&c](QDialog& dialog) {
      EXPECT_EQ(dialog.windowTitle(), "a.txt");
      EXPECT_EQ(dialog.findChild<QLabel*>("question")->text(), "Newer version of a.txt exists");
      if (c.button) {
        dialog.findChild<QAbstractButton*>(c.button)->click();
      } else {
        QTest::keyClick(&dialog, Qt::Key_Escape);
      }
    });
    EXPECT_EQ(ui.AskOverwrite("Newer version of a.txt exists", "a.txt", 2), c.answer);
  }
}

TEST(OverwriteDialog, ToAllButtonsOnlyForABatchOfTwoOrMore) {
  QtUserInterface ui(nullptr);
  for (const int batch : {0, 1, 2, 5}) {
    whenShown("DLG_OVERWRITE", [batch](QDialog& dialog) {
      EXPECT_TRUE(buttonShown(dialog, "yes"));
      EXPECT_TRUE(buttonShown(dialog, "no"));
      EXPECT_EQ(buttonShown(dialog, "yesToAll"), batch >= 2) << batch;
      EXPECT_EQ(buttonShown(dialog, "noToAll"), batch >= 2) << batch;
      dialog.findChild<QAbstractButton*>("no")->click();
    });
    ui.AskOverwrite("Same version of a.txt exists", "a.txt", batch);
  }
}

TEST(DeleteDialog, AnswersAreTheButtonNumbersAndClosingCancels) {
  struct Case {
    int count;
    const char* button;  // nullptr: closed with Escape
    DeleteAnswer answer;
  };
  const Case cases[] = {{1, "yes", DeleteAnswer::kYes},
                        {1, "no", DeleteAnswer::kNo},
                        {3, "deleteAll", DeleteAnswer::kDeleteAll},
                        {3, "cancel", DeleteAnswer::kCancel},
                        {3, nullptr, DeleteAnswer::kCancel},
                        {1, nullptr, DeleteAnswer::kCancel}};
  QtUserInterface ui(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button ? c.button : "Escape");
    whenShown("DLG_DELETE", [&c](QDialog& dialog) {
      EXPECT_EQ(dialog.windowTitle(), "Verify Deletion");
      EXPECT_EQ(dialog.findChild<QLabel*>("question")->text(),
                "Are you sure you want to delete \"<b>x</b>\"?");
      EXPECT_EQ(buttonShown(dialog, "deleteAll"), c.count >= 2);
      EXPECT_EQ(buttonShown(dialog, "cancel"), c.count >= 2);
      EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QAbstractButton*>("yes"));
      if (c.button) {
        dialog.findChild<QAbstractButton*>(c.button)->click();
      } else {
        QTest::keyClick(&dialog, Qt::Key_Escape);
      }
    });
    EXPECT_EQ(ui.askDelete("Are you sure you want to delete \"<b>x</b>\"?", c.count), c.answer);
  }
}

TEST(PermissionsDialog, PresetFromTheDigitsAndReadBackAfterChanges) {
  QtUserInterface ui(nullptr);
  whenShown("DLG_CHMOD", [](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Remote file permissions");
    const std::vector<std::pair<const char*, bool>> preset = {
        {"ownerRead", true}, {"ownerWrite", true},  {"ownerExecute", false},
        {"groupRead", true}, {"groupWrite", false}, {"groupExecute", false},
        {"otherRead", true}, {"otherWrite", false}, {"otherExecute", false}};
    for (const auto& [name, checked] : preset) {
      EXPECT_EQ(dialog.findChild<QCheckBox*>(name)->isChecked(), checked) << name;
    }
    for (const char* name : {"ownerExecute", "groupExecute", "otherExecute"}) {
      dialog.findChild<QCheckBox*>(name)->click();
    }
    dialog.findChild<QAbstractButton*>("ok")->click();
  });
  EXPECT_EQ(ui.askPermissions(644, 720), 755u);

  clickWhenShown("DLG_CHMOD", "cancel");
  EXPECT_EQ(ui.askPermissions(644, 720), std::nullopt);
}

TEST(PermissionsDialog, NothingCheckedReadsAsZeroes) {
  QtUserInterface ui(nullptr);
  whenShown("DLG_CHMOD", [](QDialog& dialog) {
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) box->setChecked(false);
    dialog.findChild<QAbstractButton*>("ok")->click();
  });
  EXPECT_EQ(ui.askPermissions(777, 720), 0u);
}

TEST(InputDialog, FieldStartsWithTheTextAllSelectedAndTakesAtMost255Characters) {
  QtUserInterface ui(nullptr);
  whenShown("DLG_INPUT", [](QDialog& dialog) {
    EXPECT_EQ(dialog.findChild<QLabel*>("prompt")->text(), "Enter new name for \"old.txt\":");
    auto* field = dialog.findChild<QLineEdit*>("text");
    EXPECT_EQ(field->text(), "old.txt");
    EXPECT_EQ(field->selectedText(), "old.txt");
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(field->echoMode(), QLineEdit::Normal);
    QTest::keyClicks(field, QString(300, 'n'));
    dialog.findChild<QAbstractButton*>("ok")->click();
  });
  std::string name = "old.txt";
  EXPECT_TRUE(ui.inputBox(&name, "Enter new name for \"old.txt\":", 520));
  EXPECT_EQ(name, std::string(255, 'n'));
}

TEST(InputDialog, CancelKeepsTheDestinationButRemembersTheText) {
  QtUserInterface ui(nullptr);
  whenShown("DLG_INPUT", [](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("text")->setText("typed");
    dialog.findChild<QAbstractButton*>("cancel")->click();
  });
  std::string folder = "/pub";
  EXPECT_FALSE(ui.inputBox(&folder, "Enter remote folder name:", 180));
  EXPECT_EQ(folder, "/pub");
  EXPECT_EQ(ui.lastEnteredText(), "typed");
}

TEST(InputDialog, NameThatIsNotUtf8ComesBackUnchangedWhenLeftAsItWas) {
  QtUserInterface ui(nullptr);
  clickWhenShown("DLG_INPUT", "ok");
  std::string name = "r\xe9sum\xe9.txt";
  EXPECT_TRUE(ui.inputBox(&name, "Enter new name for \"r\xe9sum\xe9.txt\":", 520));
  EXPECT_EQ(name, "r\xe9sum\xe9.txt");
}

TEST(FolderChoiceDialog, OffersTheVisitedFoldersAndReturnsTheOneChosen) {
  QtUserInterface ui(nullptr);
  whenShown("DLG_INPUT1", [](QDialog& dialog) {
    auto* field = dialog.findChild<QComboBox*>("text");
    EXPECT_EQ(field->currentText(), "/pub");
    EXPECT_EQ(field->lineEdit()->selectedText(), "/pub");
    EXPECT_EQ(field->count(), 3);
    EXPECT_EQ(field->lineEdit()->maxLength(), 69);
    field->setCurrentIndex(2);
    dialog.findChild<QAbstractButton*>("ok")->click();
  });
  std::string folder = "/pub";
  EXPECT_TRUE(
      ui.askFolderChoice(folder, "Enter remote folder name:", 180, {"/", "/pub", "/pub/caf\xe9"}));
  EXPECT_EQ(folder, "/pub/caf\xe9");

  whenShown("DLG_INPUT1", [](QDialog& dialog) {
    dialog.findChild<QComboBox*>("text")->setEditText("/typed");
    dialog.findChild<QAbstractButton*>("cancel")->click();
  });
  EXPECT_FALSE(ui.askFolderChoice(folder, "Enter remote folder name:", 180, {}));
  EXPECT_EQ(folder, "/pub/caf\xe9");
}

TEST(InputDialog, MinimizedWindowIsBroughtUpForTheQuestion) {
  QWidget window;
  window.showMinimized();
  QtUserInterface ui(&window);
  clickWhenShown("DLG_INPUT", "cancel");
  ui.inputBox(nullptr, "Enter local file name for a.txt:", 630);
  EXPECT_FALSE(window.isMinimized());
}

TEST(InputDialog, HelpButtonHiddenWithoutATopicAndF1ShowsTheTopic) {
  QtUserInterface ui(nullptr);
  std::vector<int> shownTopics;
  ui.setHelpHandler([&](int topic) { shownTopics.push_back(topic); });
  for (const int topic : {0, 185}) {
    whenShown("DLG_INPUT", [topic](QDialog& dialog) {
      auto* help = dialog.findChild<QAbstractButton*>("help");
      EXPECT_EQ(help->isHidden(), topic == 0);
      if (topic != 0) help->click();
      QTest::keyClick(dialog.findChild<QLineEdit*>("text"), Qt::Key_F1);
      QTest::keyClick(dialog.findChild<QLineEdit*>("text"), Qt::Key_F2);
      dialog.findChild<QAbstractButton*>("cancel")->click();
    });
    ui.inputBox(nullptr, "Enter new local folder name:", topic);
  }
  EXPECT_EQ(shownTopics, (std::vector<int>{0, 0, 185, 185, 185}));
}

TEST(InputDialog, HelpWithoutAHandlerDoesNothing) {
  QtUserInterface ui(nullptr);
  whenShown("DLG_CHMOD", [](QDialog& dialog) {
    dialog.findChild<QAbstractButton*>("help")->click();
    QTest::keyClick(&dialog, Qt::Key_F1);
    dialog.findChild<QAbstractButton*>("ok")->click();
  });
  EXPECT_EQ(ui.askPermissions(600, 720), 600u);
}

TEST(MessageBox, ButtonsAnswerAndClosingAnswersLikeCancelOrNo) {
  struct Case {
    Buttons buttons;
    QMessageBox::StandardButton clicked;  // NoButton: closed with Escape
    Answer answer;
  };
  const Case cases[] = {
      {Buttons::kOk, QMessageBox::Ok, Answer::kOk},
      {Buttons::kOk, QMessageBox::NoButton, Answer::kOk},
      {Buttons::kOkCancel, QMessageBox::Cancel, Answer::kCancel},
      {Buttons::kOkCancel, QMessageBox::NoButton, Answer::kCancel},
      {Buttons::kYesNo, QMessageBox::Yes, Answer::kYes},
      {Buttons::kYesNo, QMessageBox::NoButton, Answer::kNo},
      {Buttons::kYesNoCancel, QMessageBox::No, Answer::kNo},
      {Buttons::kYesNoCancel, QMessageBox::NoButton, Answer::kCancel},
  };
  QtUserInterface ui(nullptr);
  for (const Case& c : cases) {
    whenShown("messageBox", [&c](QDialog& dialog) {
      auto& box = static_cast<QMessageBox&>(dialog);
      EXPECT_EQ(box.windowTitle(), "Corvane FERRIX QX");
      EXPECT_EQ(box.text(), "Do you want to attempt to resume the transfer of:\n  /pub/<a>");
      EXPECT_EQ(box.textFormat(), Qt::PlainText);
      if (c.clicked == QMessageBox::NoButton) {
        QTest::keyClick(&box, Qt::Key_Escape);
      } else {
        box.button(c.clicked)->click();
      }
    });
    EXPECT_EQ(ui.messageBox("Do you want to attempt to resume the transfer of:\n  /pub/<a>",
                            "Corvane FERRIX QX", c.buttons, Icon::kQuestion),
              c.answer)
        << static_cast<int>(c.buttons) << " " << c.clicked;
  }
}

}  // namespace
}  // namespace ferrix::shell
