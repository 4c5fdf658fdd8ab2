#include "shell/dialogs/sort_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QTimer>

namespace ferrix::shell {
namespace {

using listing::PaneSide;

// Every defined and undefined value: what the dialog shows is what OK gives
// back, except the values the controls cannot show.
TEST(SortDialog, GivesBackTheValueItShows) {
  for (std::int32_t value = 0; value < 64; ++value) {
    const SortDialog dialog(nullptr, value, PaneSide::kRemote);
    const std::int32_t expected = listing::SortValueFrom(listing::SortDialogChoiceFrom(value));
    EXPECT_EQ(dialog.sortValue(), expected) << value;
  }
}

TEST(SortDialog, ControlsGiveTheirBits) {
  struct Case {
    const char* key;
    bool reverse;
    const char* placement;
    std::int32_t value;
  };
  const Case cases[] = {
      {"sortNone", false, "foldersOnTop", 0},       {"sortName", true, "foldersOnTop", 9},
      {"sortExtension", false, "foldersMixed", 18}, {"sortDate", true, "foldersAtBottom", 43},
      {"sortSize", false, "foldersAtBottom", 36},
  };
  for (const Case& c : cases) {
    SortDialog dialog(nullptr, 5, PaneSide::kLocal);
    dialog.findChild<QRadioButton*>(c.key)->click();
    dialog.findChild<QCheckBox*>("reverseOrder")->setChecked(c.reverse);
    dialog.findChild<QRadioButton*>(c.placement)->click();
    EXPECT_EQ(dialog.sortValue(), c.value) << c.key;
  }
}

// Answers the modal dialog once it is up.
void answerSortDialog(bool ok, const char* key) {
  QTimer::singleShot(0, [ok, key] {
    auto* dialog = qobject_cast<SortDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QRadioButton*>(key)->click();
    ok ? dialog->accept() : dialog->reject();
  });
}

TEST(SortDialog, AskReturnsTheChoiceOnOkOnly) {
  answerSortDialog(true, "sortSize");
  EXPECT_EQ(askSortValue(nullptr, 1 | 8 | 16, PaneSide::kLocal), 4 | 8 | 16);
  answerSortDialog(false, "sortSize");
  EXPECT_EQ(askSortValue(nullptr, 1, PaneSide::kRemote), std::nullopt);
}

TEST(SortDialog, TitleNamesThePane) {
  EXPECT_EQ(SortDialog(nullptr, 1, PaneSide::kLocal).windowTitle(), "Local Sort Options");
  EXPECT_EQ(SortDialog(nullptr, 1, PaneSide::kRemote).windowTitle(), "Remote Sort Options");
}

}  // namespace
}  // namespace ferrix::shell
