// The desktop's Qt pieces: the association question, the help window at its
// topics, and the sound player under the offscreen platform (no sound
// device). Screenshots land in the build's screenshots folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTextBrowser>
#include <QTimer>
#include <thread>

#include "config/scratch_configuration.h"
#include "platform/clock.h"
#include "platform/tcp_socket.h"
#include "session/message_log.h"
#include "session/sound_events.h"
#include "shell/desktop/association_question.h"
#include "shell/desktop/desktop_extras.h"
#include "shell/desktop/help_topics.h"
#include "shell/desktop/help_window.h"
#include "shell/desktop/sound_player.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::shell {
namespace {

using ::testing::ElementsAre;

void saveScreenshot(QWidget& widget, const QString& name) {
  QDir().mkpath(FERRIX_SCREENSHOT_FOLDER);
  widget.grab().save(QString(FERRIX_SCREENSHOT_FOLDER) + "/" + name);
}

TEST(AssociationQuestion, AnswersFromAnotherThreadThroughTheGuiThread) {
  testing::ScratchConfiguration configuration;
  QWidget owner;
  desktop::AskAssociation ask = associationQuestion(*configuration, &owner);
  // Answer the dialog as soon as the GUI thread shows it.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      dialog->findChild<QComboBox*>("associationCommand")->setEditText("edit");
      saveScreenshot(*dialog, "associate_dialog.png");
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
  EXPECT_EQ(desktop::AssociationTable(configuration->winIni()).command("qqq"), "edit ^.qqq");
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
  SUCCEED();
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
