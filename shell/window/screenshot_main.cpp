// ferrix-screenshot: renders the main window offscreen, connected to a local
// pyftpdlib server that serves a small sample tree, and saves it as a PNG.
// Usage: ferrix-screenshot output.png [width height]
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QItemSelectionModel>
#include <QStyleFactory>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "config/scratch_configuration.h"
#include "config/site_profile_store.h"
#include "listing/host_detection.h"
#include "platform/clock.h"
#include "platform/tcp_socket.h"
#include "session/connection.h"
#include "session/message_log.h"
#include "shell/dialogs/about_box.h"
#include "shell/dialogs/log_window.h"
#include "shell/dialogs/sort_dialog.h"
#include "shell/options/options_sheet.h"
#include "shell/qt_ui/qt_user_interface.h"
#include "shell/window/file_pane.h"
#include "shell/window/main_window.h"
#include "shell/window/pane_list_model.h"
#include "shell/window/quick_connect_bar.h"
#include "shell/window/window_commands.h"
#include "shell/window/window_options.h"
#include "testing/real_ftp_servers.h"
#include "testing/scratch_folder.h"

namespace {

using namespace ferrix;
namespace fs = std::filesystem;

void write(const fs::path& path, std::size_t size, char fill) {
  std::ofstream(path, std::ios::binary) << std::string(size, fill);
}

void fillSampleTree(const fs::path& served, const fs::path& local) {
  for (const char* folder : {"incoming", "pub", "reports"}) fs::create_directories(served / folder);
  write(served / "README.txt", 1834, 'r');
  write(served / "release-notes.txt", 12044, 'n');
  write(served / "ferrix-1.0-source.tar.gz", 1482113, 'z');
  write(served / "logo.png", 20480, 'p');
  write(served / "a-name-long-enough-to-be-shortened-in-its-column.dat", 99, 'd');
  for (const char* folder : {"projects", "downloads"}) fs::create_directories(local / folder);
  write(local / "notes.txt", 812, 'l');
  write(local / "budget-2026.xls", 40960, 'b');
  write(local / "photo.jpg", 230400, 'j');
}

void selectRow(shell::FilePane& pane, std::string_view name) {
  const auto& items = pane.model()->items();
  for (std::size_t row = 0; row < items.size(); ++row) {
    if (items[row].name() == name) {
      pane.list()->selectionModel()->select(pane.model()->index(static_cast<int>(row)),
                                            QItemSelectionModel::Select);
    }
  }
}

bool waitIdle(shell::MainWindow& window) {
  return QTest::qWaitFor([&window] { return window.idle(); }, 20000);
}

// Fills the transfer list with a finished, a failed and a running download,
// and leaves the last one running.
bool startTransfers(shell::MainWindow& window, const fs::path& served) {
  write(served / "withdrawn.zip", 4096, 'w');
  { std::ofstream image(served / "debian-12-amd64.iso", std::ios::binary); }
  fs::resize_file(served / "debian-12-amd64.iso", std::uintmax_t{8} << 30);
  window.dispatchCommand(shell::command::kRemoteRefresh);
  if (!waitIdle(window)) return false;
  fs::remove(served / "withdrawn.zip");
  for (const char* name : {"release-notes.txt", "withdrawn.zip"}) {
    window.remotePane()->list()->clearSelection();
    selectRow(*window.remotePane(), name);
    window.dispatchCommand(shell::command::kDownload);
    if (!waitIdle(window)) return false;
  }
  window.remotePane()->list()->clearSelection();
  selectRow(*window.remotePane(), "debian-12-amd64.iso");
  window.dispatchCommand(shell::command::kDownload);
  // Long enough for a progress report with a speed and the time left.
  QTest::qWait(1300);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fputs("usage: ferrix-screenshot output.png [width height]\n", stderr);
    return 2;
  }
  QApplication application(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const int width = argc == 4 ? std::stoi(argv[2]) : 1100;
  const int height = argc == 4 ? std::stoi(argv[3]) : 640;

  testing::RealFtpServer server(testing::FtpServerKind::kPyftpdlib);
  if (!server.startError().empty()) {
    std::fprintf(stderr, "%s\n", server.startError().c_str());
    return 1;
  }
  testing::ScratchFolder local;
  fillSampleTree(server.servedFolder(), local.path());
  testing::ScratchConfiguration configuration;
  configuration.writeIni("[_config_]\nAUTOSTART=0\nballoon=1\nHASH=0\n");
  configuration->LoadProgramSettings();
  config::SiteProfileStore sites(*configuration, {});
  session::MessageLog log;
  platform::SystemClock clock;
  platform::SystemResolver resolver;
  session::Session session(log, clock, resolver);
  session.onGreetingLine = listing::CheckReplyForHostType;
  shell::QtUserInterface userInterface(nullptr);

  shell::WindowHooks hooks;
  hooks.chooseSite = [&](QWidget*) {
    config::SiteProfile& profile = session.state.sessionProfile;
    profile.profileName = "demo";
    profile.hostName = "127.0.0.1";
    profile.port = server.port();
    profile.userId = server.login().user;
    profile.password = server.login().password;
    profile.localMask = "*.*";
    return true;
  };
  hooks.showAbout = [](QWidget* parent) { shell::showAboutBox(parent); };
  hooks.askSortValue = [](QWidget* parent, std::int32_t current, listing::PaneSide side) {
    return shell::askSortValue(parent, current, side);
  };
  std::unique_ptr<shell::LogWindow> logWindow;
  hooks.showLogWindow = [&logWindow] { logWindow->showLogWindow(); };
  shell::MainWindow* shown = nullptr;
  hooks.showOptions = [&](QWidget* parent) {
    shell::OptionsSheet sheet(shell::MakeOptionsContext({*configuration, session, *shown,
                                                         [&logWindow] { return logWindow.get(); }}),
                              parent);
    sheet.exec();
  };
  shell::MainWindow window({*configuration, sites, session, userInterface}, std::move(hooks));
  shown = &window;
  logWindow = std::make_unique<shell::LogWindow>(log, *configuration, &window);
  userInterface.setDialogParent(&window);
  QObject::connect(&userInterface, &shell::QtUserInterface::windowTitleChanged, &window,
                   &shell::MainWindow::setTitle);
  QObject::connect(&userInterface, &shell::QtUserInterface::remoteCommandsEnabled, &window,
                   &shell::MainWindow::enableRemoteCommands);
  window.setLocalFolder(local.path());
  window.resize(width, height);
  window.show();
  const auto idle = [&window] { return window.idle(); };
  if (!QTest::qWaitFor(idle, 20000)) return 1;
  // Through the quick connect row, so the picture shows it filled in.
  shell::QuickConnectBar& bar = *window.quickConnectBar();
  bar.findChild<QComboBox*>(QStringLiteral("quickHost"))->setEditText(QStringLiteral("127.0.0.1"));
  bar.findChild<QLineEdit*>(QStringLiteral("quickUser"))->setText(QString::fromStdString(server.login().user));
  bar.findChild<QLineEdit*>(QStringLiteral("quickPassword"))
      ->setText(QString::fromStdString(server.login().password));
  bar.findChild<QLineEdit*>(QStringLiteral("quickPort"))->setText(QString::number(server.port()));
  emit bar.connectRequested();
  if (!QTest::qWaitFor(idle, 20000) || !window.connected()) {
    std::fputs("the window did not connect to the sample server\n", stderr);
    return 1;
  }
  if (!startTransfers(window, server.servedFolder())) {
    std::fputs("the sample transfers did not end\n", stderr);
    return 1;
  }
  selectRow(*window.localPane(), "notes.txt");
  QTest::qWait(200);
  const bool saved = window.grab().save(QString::fromLocal8Bit(argv[1]));
  session::requestCancel(session);
  waitIdle(window);
  session::disconnectSession(session);
  logWindow.reset();
  return saved ? 0 : 1;
}
