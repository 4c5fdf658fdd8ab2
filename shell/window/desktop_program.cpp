#include "shell/window/desktop_program.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QSplashScreen>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "config/command_line.h"
#include "config/configuration.h"
#include "config/site_editor.h"
#include "config/site_profile_store.h"
#include "listing/host_detection.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/tcp_socket.h"
#include "session/connection.h"
#include "session/message_log.h"
#include "session/session_state.h"
#include "session/trusted_certificates.h"
#include "shell/command_line_actions.h"
#include "shell/desktop/desktop_extras.h"
#include "shell/dialogs/about_box.h"
#include "shell/dialogs/log_window.h"
#include "shell/dialogs/site_dialog.h"
#include "shell/dialogs/sort_dialog.h"
#include "shell/network_banner.h"
#include "shell/options/options_sheet.h"
#include "shell/qt_ui/qt_user_interface.h"
#include "shell/window/main_window.h"
#include "shell/window/pane_icons.h"
#include "shell/window/window_commands.h"
#include "shell/window/window_options.h"

namespace ferrix::shell {

namespace {

constexpr int kSplashWidth = 377;
constexpr int kSplashHeight = 277;
constexpr char kVersionText[] = "1.0";
constexpr char kNoticeText[] = "a two-pane FTP client";

// "yyyy.mm.dd" from the compiler's "Mmm dd yyyy".
std::string buildDateText() {
  static constexpr char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const std::string date = __DATE__;
  const std::size_t month = std::string(kMonths).find(date.substr(0, 3)) / 3 + 1;
  const int day = std::stoi(date.substr(4, 2));
  char text[48];
  std::snprintf(text, sizeof text, "%s.%02zu.%02d", date.substr(7, 4).c_str(), month, day);
  return text;
}

QPixmap splashPicture() {
  QPixmap picture(kSplashWidth, kSplashHeight);
  picture.fill(QColor(0x24, 0x50, 0x7a));
  QPainter painter(&picture);
  ProgramIcon().paint(&painter, QRect(24, 24, 96, 96));
  painter.setPen(Qt::white);
  QFont title = painter.font();
  title.setPointSize(18);
  title.setBold(true);
  painter.setFont(title);
  painter.drawText(QRect(24, 140, kSplashWidth - 48, 40), Qt::AlignLeft,
                   QString::fromLatin1(session::kProgramTitle));
  QFont notice = painter.font();
  notice.setPointSize(10);
  notice.setBold(false);
  painter.setFont(notice);
  painter.drawText(QRect(24, 190, kSplashWidth - 48, 60), Qt::AlignLeft | Qt::TextWordWrap,
                   QStringLiteral("%1 %2").arg(kVersionText, kNoticeText));
  return picture;
}

// Everything one run of the desktop program holds, in the order it is made.
class DesktopProgram {
 public:
  DesktopProgram()
      : configuration_(std::make_unique<platform::SystemPaths>()),
        userInterface_(nullptr),
        sites_(configuration_,
               [this](std::string_view prompt, int topic, std::string& text) {
                 return userInterface_.inputBox(&text, prompt, topic);
               }),
        session_(log_, clock_, resolver_) {
    session_.onGreetingLine = listing::CheckReplyForHostType;
    session_.trustedCertificatesFile =
        platform::joinPath(platform::configFolder(), session::kTrustedCertificatesFileName);
  }

  int run(const std::string& commandLine) {
    config::CommandLineValues values;
    const std::optional<std::string> remainder =
        config::ParseCommandLineOptions(commandLine, values, actions());
    if (!remainder) return 2;
    log_.setVerbose(configuration_.settings().VERBOSE != 0);

    QSplashScreen splash(splashPicture(), Qt::WindowStaysOnTopHint);
    splash.show();
    QApplication::processEvents();

    MainWindow window({configuration_, sites_, session_, userInterface_}, hooks(), nullptr);
    userInterface_.setDialogParent(&window);
    connectPort(window);
    logBanner();
    window.desktop().loadSoundSettings();
    window_ = &window;
    if (config::IsUnattendedRun(values, *remainder)) {
      // The command-line transfer runs in the window, minimized.
      config::PrepareUnattendedRun(*remainder, values);
      // Scripts read the dialogue of a transfer from xferlog.txt; a window
      // opened on a site alone is browsed by hand and leaves no file there.
      if (!values.destination.empty()) {
        log_.setTransferLogMirror(std::filesystem::path(platform::currentFolder()));
      }
      window.showMinimized();
      splash.finish(&window);
      QTimer::singleShot(0, &window, [this, &window, values] {
        window.runUnattended(
            values, [this](UnattendedResult result) { exitCode_ = UnattendedExitStatus(result); });
      });
    } else {
      startInteractive(window, splash);
    }
    const int result = QApplication::exec();
    logWindow_.reset();
    window_ = nullptr;
    return exitCode_ != 0 ? exitCode_ : result;
  }

 private:
  void startInteractive(MainWindow& window, QSplashScreen& splash) {
    if (configuration_.startMaximized() == 1) {
      window.showMaximized();
    } else {
      window.show();
    }
    if (configuration_.settings().AUTOSTART) {
      QTimer::singleShot(0, &window, [&window, &splash] {
        splash.close();
        window.dispatchCommand(command::kConnect);
      });
    } else {
      splash.finish(&window);
    }
  }

  config::SiteProfile& profile() { return session_.state.sessionProfile; }

  config::CommandLineActions actions() {
    return StandardCommandLineActions(configuration_, sites_, profile(), userInterface_);
  }

  WindowHooks hooks() {
    WindowHooks hooks;
    hooks.chooseSite = [this](QWidget* parent) {
      config::SiteEditor editor(configuration_, sites_, profile());
      SiteDialog dialog(editor, parent);
      QObject::connect(&dialog, &SiteDialog::helpRequested, parent,
                       [this](int topic) { window_->desktop().showHelp(topic); });
      return dialog.exec() == QDialog::Accepted;
    };
    hooks.showLogWindow = [this] {
      if (!logWindow_) logWindow_ = std::make_unique<LogWindow>(log_, configuration_, window_);
      logWindow_->showLogWindow();
    };
    hooks.showOptions = [this](QWidget* parent) { showOptions(parent); };
    hooks.showAbout = [](QWidget* parent) { showAboutBox(parent); };
    hooks.askSortValue = [](QWidget* parent, std::int32_t current, listing::PaneSide side) {
      return askSortValue(parent, current, side);
    };
    hooks.shutDownQuestions = [this] {
      userInterface_.shutDown();
      logWindow_.reset();
    };
    return hooks;
  }

  void showOptions(QWidget* parent) {
    OptionsSheet sheet(MakeOptionsContext({configuration_, session_, *window_,
                                           [this] { return logWindow_.get(); }}),
                       parent);
    sheet.exec();
  }

  void connectPort(MainWindow& window) {
    QObject::connect(&userInterface_, &QtUserInterface::windowTitleChanged, &window,
                     &MainWindow::setTitle);
    QObject::connect(&userInterface_, &QtUserInterface::remoteCommandsEnabled, &window,
                     &MainWindow::enableRemoteCommands);
    QObject::connect(&userInterface_, &QtUserInterface::statusLineProgress, &window,
                     &MainWindow::showStatusProgress);
    userInterface_.setCancelHandler([this] { session::requestCancel(session_); });
    userInterface_.setHelpHandler([&window](int topic) { window.desktop().showHelp(topic); });
  }

  void logBanner() {
    log_.logMessage(NetworkBannerLine());
    log_.logMessagef("%s %s %s, %s", session::kProgramTitle, kVersionText, buildDateText().c_str(),
                     kNoticeText);
  }

  config::Configuration configuration_;
  QtUserInterface userInterface_;
  config::SiteProfileStore sites_;
  session::MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  session::Session session_;
  MainWindow* window_ = nullptr;
  std::unique_ptr<LogWindow> logWindow_;
  int exitCode_ = 0;
};

}  // namespace

int RunDesktopProgram(int argc, char** argv, const std::string& commandLine) {
  QApplication application(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setWindowIcon(ProgramIcon());
  DesktopProgram program;
  return program.run(commandLine);
}

}  // namespace ferrix::shell
