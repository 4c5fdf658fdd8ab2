// The desktop's Qt pieces: the Associate dialog, the help window at its
// topics, and the sound player under the offscreen platform (no sound
// device). Screenshots land in the build's screenshots folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSoundEffect>
#include <QTextBrowser>
#include <QTimer>
#include <algorithm>
#include <thread>

#include "config/scratch_configuration.h"
#include "platform/clock.h"
#include "platform/tcp_socket.h"
#include "session/message_log.h"
#include "session/sound_events.h"
#include "shell/desktop/associate_dialog.h"
#include "shell/desktop/desktop_extras.h"
#include "shell/desktop/help_topics.h"
#include "shell/desktop/help_window.h"
#include "shell/desktop/sound_player.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::shell {
namespace {

using ::testing::ElementsAre;

QStringList itemsOf(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items.append(box->itemText(i));
  return items;
}

void saveScreenshot(QWidget& widget, const QString& name) {
  QDir().mkpath(FERRIX_SCREENSHOT_FOLDER);
  widget.grab().save(QString(FERRIX_SCREENSHOT_FOLDER) + "/" + name);
}

class AssociateDialogTest : public ::testing::Test {
 protected:
  AssociateDialogTest()
      : winIni_(folder_.write("win.ini",
                              "[Extensions]\nlog=edit2 ^.log\nTXT=Edit ^.txt\n"
                              "doc=wordproc ^.doc\nrtf=WordProc -r ^.rtf\n")),
        associations_(winIni_) {}

  testing::ScratchFolder folder_;
  platform::IniFile winIni_;
  desktop::AssociationTable associations_;
};

TEST_F(AssociateDialogTest, ListsAreLowerCasedSortedAndProgramsUnique) {
  AssociateDialog dialog(associations_, "doc");
  EXPECT_EQ(dialog.windowTitle(), "Associate");
  EXPECT_EQ(itemsOf(dialog.extensionBox()), (QStringList{"doc", "log", "rtf", "txt"}));
  // "edit" is the beginning of "edit2", which came first.
  EXPECT_EQ(itemsOf(dialog.programBox()), (QStringList{"edit2", "wordproc"}));
  EXPECT_EQ(dialog.programBox()->currentText(), "wordproc ^.doc");
  dialog.extensionBox()->setEditText("rtf");
  dialog.extensionBox()->lineEdit()->editingFinished();
  EXPECT_EQ(dialog.programBox()->currentText(), "WordProc -r ^.rtf");
  dialog.extensionBox()->setEditText("new");
  dialog.extensionBox()->lineEdit()->editingFinished();
  EXPECT_EQ(dialog.programBox()->currentText(), "");
  dialog.show();
  saveScreenshot(dialog, "associate_dialog.png");
}

TEST_F(AssociateDialogTest, OkStoresTheCompletedCommand) {
  AssociateDialog dialog(associations_, "xyz");
  EXPECT_EQ(dialog.programBox()->currentText(), "");
  dialog.programBox()->setEditText("edit");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(associations_.command("xyz"), "edit ^.xyz");

  AssociateDialog another(associations_, "longer");
  EXPECT_EQ(another.extensionBox()->currentText(), "lon");
  another.programBox()->setEditText("viewer ^.old -x");
  another.accept();
  EXPECT_EQ(associations_.command("lon"), "viewer ^.lon");

  AssociateDialog cancelled(associations_, "abc");
  cancelled.programBox()->setEditText("nothing");
  cancelled.reject();
  EXPECT_EQ(associations_.command("abc"), std::nullopt);
}

TEST(AssociateDialogFilter, ResourceFilterBecomesAQtFilter) {
  EXPECT_EQ(fileDialogFilter("Programs|*.exe;*.pif;*.com;*.bat|All Files (*.*)|*.*|||"),
            "Programs (*.exe *.pif *.com *.bat);;All Files (*)");
  EXPECT_EQ(fileDialogFilter("Sound Files (*.wav)|*.wav|All Files (*.*)|*.*|||"),
            "Sound Files (*.wav);;All Files (*)");
}

TEST(AssociationQuestion, AnswersFromAnotherThreadThroughTheGuiThread) {
  testing::ScratchFolder folder;
  platform::IniFile winIni(folder / "win.ini");
  desktop::AssociationTable associations(winIni);
  QWidget owner;
  desktop::AskAssociation ask = associationQuestion(winIni, &owner);
  // Answer the dialog as soon as the GUI thread shows it.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [] {
    if (auto* dialog = qobject_cast<AssociateDialog*>(QApplication::activeModalWidget())) {
      dialog->programBox()->setEditText("edit");
      dialog->accept();
    }
  });
  answer.start(10);
  bool confirmed = false;
  bool done = false;
  std::thread engine([&] {
    confirmed = ask("qqq");
    done = true;
  });
  while (!done) QApplication::processEvents(QEventLoop::AllEvents, 20);
  engine.join();
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(associations.command("qqq"), "edit ^.qqq");
}

TEST(HelpPages, EveryTopicNamesAPageAndAPlaceThatExist) {
  for (const desktop::HelpTopic& topic : desktop::helpTopics()) {
    QFile page(QString(FERRIX_HELP_SOURCE) + "/" + QString::fromUtf8(topic.page.data()));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << topic.number;
    const QByteArray html = page.readAll();
    if (!topic.anchor.empty()) {
      const QByteArray anchor = "name=\"" + QByteArray(topic.anchor.data(), topic.anchor.size()) + "\"";
      EXPECT_TRUE(html.contains(anchor)) << topic.number << " " << topic.anchor;
    }
  }
  EXPECT_EQ(desktop::helpTopicLocation(0), "index.html");
  EXPECT_EQ(desktop::helpTopicLocation(10), "index.html");
  EXPECT_EQ(desktop::helpTopicLocation(220), "options.html#sounds");
  EXPECT_EQ(desktop::helpTopicLocation(9999), "index.html");
}

TEST(HelpWindow, OpensAtTheTopicsPageAndPlace) {
  HelpWindow window(FERRIX_HELP_SOURCE);
  window.show();
  window.showTopic(220);
  EXPECT_TRUE(window.browser()->source().toString().endsWith("options.html#sounds"));
  EXPECT_TRUE(window.browser()->toPlainText().contains("Choose None, Beeps or Wave"));
  EXPECT_TRUE(window.windowTitle().endsWith("The options pages"));
  window.showTopic(3);
  EXPECT_TRUE(window.browser()->source().toString().endsWith("index.html"));
  saveScreenshot(window, "help_contents.png");
  window.showTopic(256);
  saveScreenshot(window, "help_associations.png");
}

TEST(HelpWindow, MissingPagesOpenNothing) {
  const int before = QApplication::topLevelWidgets().size();
  showHelpTopic(140, nullptr, QString());
  EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
}

TEST(SoundPlayer, PlaysFromAnyThreadAndStaysSilentWithoutADevice) {
  testing::ScratchFolder folder;
  SoundPlayer player;
  desktop::SoundSettings settings;
  settings.soundflags = 31;
  for (std::size_t i = 0; i < settings.waveFiles.size(); ++i) {
    settings.waveFiles[i] = folder.write("s" + std::to_string(i) + ".wav", "RIFF not really");
  }
  player.setSettings(settings);
  std::function<void(int)> hook = player.sessionHook();
  std::thread engine([&] {
    for (int event : {1, 2, 4, 8, 16}) hook(event);
  });
  engine.join();
  QApplication::processEvents();
  settings.usewave = 0;
  player.setSettings(settings);
  player.playEvent(session::sound_event::kTransferFailed);

  // Every effect ends its loading (here in an error: the files are not
  // waves). Qt loads on a thread of its own, and a sample still loading
  // when its effect goes is left behind by Qt.
  const QList<QSoundEffect*> effects = player.findChildren<QSoundEffect*>();
  EXPECT_EQ(effects.size(), static_cast<qsizetype>(settings.waveFiles.size()));
  const auto loading = [&effects] {
    return std::any_of(effects.begin(), effects.end(), [](const QSoundEffect* effect) {
      return effect->status() == QSoundEffect::Loading;
    });
  };
  for (QDeadlineTimer deadline(10000); loading() && !deadline.hasExpired();) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  EXPECT_FALSE(loading());
}

TEST(DesktopExtras, EndOfProgramDeletesDisplayAndEditFilesOfEveryRun) {
  testing::ScratchFolder temp;
  testing::ScratchFolder local;
  local.write("a.txt", "a");
  testing::ScratchConfiguration configuration;
  // A viewer that shows nothing and ends at once.
  configuration.writeIni("[_config_]\nVIEWER=true\n");
  session::MessageLog log;
  platform::SystemClock clock;
  platform::SystemResolver resolver;
  session::Session session(log, clock, resolver);
  testing::ScriptedUserInterface ui;
  transfer::TransferStatus status(ui, false, false);
  transfer::TransferState state;
  transfer::TransferSettings settings;
  transfer::NameRuleSettings nameRules;
  transfer::TransferContext engineTransfer{session, state, status, settings, nameRules, ui};
  QWidget window;
  setenv("TMPDIR", temp.path().c_str(), 1);
  {
    DesktopExtras extras({*configuration, ui, log, engineTransfer,
                          [](std::function<void()> work) { work(); }},
                         &window);
    temp.write("DSPold123.TMP", "left by an earlier run");
    temp.write("EDTold456.txt", "left by an earlier run");
    temp.write("keep-me.txt", "not ours");
    EXPECT_TRUE(extras.showLocalFolderInfo(local.path()));
    EXPECT_EQ(temp.list().size(), 4u);
  }
  unsetenv("TMPDIR");
  EXPECT_THAT(temp.list(), ElementsAre("keep-me.txt"));
}

}  // namespace
}  // namespace ferrix::shell

int main(int argc, char** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  // Listing the tests needs no display.
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
