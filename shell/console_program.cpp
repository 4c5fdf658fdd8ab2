#include "shell/console_program.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "config/command_line.h"
#include "config/configuration.h"
#include "config/site_profile_store.h"
#include "listing/host_detection.h"
#include "platform/paths.h"
#include "platform/termination_signals.h"
#include "session/connection.h"
#include "session/logon.h"
#include "session/message_log.h"
#include "session/trusted_certificates.h"
#include "shell/command_line_actions.h"
#include "shell/console_user_interface.h"
#include "shell/unattended_run.h"

namespace ferrix::shell {

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitBadArguments = 2;

void printConfiguration(config::Configuration& configuration, const config::SiteProfile& session) {
  std::printf("INI file: %s\n", configuration.IniPath().c_str());
  std::printf("Help file: %s\n", configuration.helpFilePath().c_str());
  std::printf("ASCII name list: %s\n", configuration.extensionListPath().c_str());
  std::printf("Extension conversion list: %s\n", configuration.conversionListPath().c_str());
  std::fputs(config::formatStartupSettings(configuration.settings()).c_str(), stdout);
  std::printf("Session site: %s (host %s, user %s, port %d)\n", session.profileName.c_str(),
              session.hostName.c_str(), session.userId.c_str(), session.port);
}

// Everything one run of the program holds.
class Program {
 public:
  Program()
      : configuration_(std::make_unique<platform::SystemPaths>()),
        console_(stdin, stdout, stderr, false),
        sites_(configuration_,
               [this](std::string_view prompt, int topic, std::string& text) {
                 return console_.inputBox(&text, prompt, topic);
               }),
        session_(log_, clock_, resolver_) {
    log_.addObserver(&console_);
    session_.onGreetingLine = listing::CheckReplyForHostType;
    session_.trustedCertificatesFile =
        platform::joinPath(platform::configFolder(), session::kTrustedCertificatesFileName);
  }
  ~Program() { log_.removeObserver(&console_); }

  int run(const std::string& commandLine) {
    const std::optional<std::string> remainder =
        config::ParseCommandLineOptions(commandLine, values_, actions());
    if (!remainder) return kExitBadArguments;
    if (!config::IsUnattendedRun(values_, *remainder)) {
      printConfiguration(configuration_, profile());
      return 0;
    }
    config::PrepareUnattendedRun(*remainder, values_);
    return runUnattended();
  }

 private:
  config::SiteProfile& profile() { return session_.state.sessionProfile; }

  // The console adds the syntax summary to a command-line error.
  config::CommandLineActions actions() {
    config::CommandLineActions actions =
        StandardCommandLineActions(configuration_, sites_, profile(), console_);
    actions.showError = [showError = actions.showError](const std::string& message) {
      showError(message);
      std::fputs(config::kCommandLineSyntax, stderr);
      std::fputc('\n', stderr);
    };
    return actions;
  }

  int runUnattended() {
    const config::ProgramSettings& settings = configuration_.settings();
    console_.setQuiet(values_.quiet);
    const config::TransferArgument destination =
        config::ClassifyTransferArgument(values_.destination);
    if (values_.json || (destination.kind == config::ArgumentKind::kLocal &&
                         destination.path == kStandardStream)) {
      console_.setLogOutput(stderr);
    }
    log_.setVerbose(settings.VERBOSE != 0);
    log_.setTransferLogMirror(std::filesystem::path(platform::currentFolder()));

    transfer::TransferState state;
    state.transferMode =
        values_.transferMode != 0 ? values_.transferMode : static_cast<char>(settings.MODE);
    state.automaticMode = settings.AMODE != 0;
    transfer::TransferSettings transferSettings;
    transferSettings.receiveBlockSize = settings.RBP;
    transferSettings.sendBlockSize = settings.SBP;
    transferSettings.keepTimes = settings.PROTIMES != 0;
    transferSettings.storeUnique = settings.STOU != 0;
    transferSettings.reportOpenFailures = !values_.quiet;
    transfer::NameRuleSettings nameRules{
        configuration_.extensionListPath(), configuration_.conversionListPath(),
        settings.CONVEXT != 0, values_.lowerCase || settings.FORCLOW != 0, settings.RECU != 0};
    transfer::TransferStatus status(console_, settings.HASH != 0, settings.tranrate == 1);
    transfer::TransferContext transfer{session_,         state,     status,
                                       transferSettings, nameRules, console_};
    UnattendedRun run{
        session_,
        console_,
        configuration_,
        sites_,
        transfer,
        [this](session::Session& session) {
          return session::logon(session, console_, config::readFirewallSettings(configuration_));
        },
        [this](session::Session& session) { listing::DetectHostType(session, console_); }};
    // Ctrl+C or a TERM from a job runner stops the run as Cancel would:
    // the transfer is aborted, its partial data and record are kept.
    platform::TerminationSignals signals([this](int) { session::requestCancel(session_); });
    const UnattendedResult result = RunUnattendedTransfer(run, values_);
    if (const int signal = signals.received()) {
      log_.logMessagef("! Stopped by signal %d (%s)", signal, sigabbrev_np(signal));
      return platform::TerminationSignals::exitStatusFor(signal);
    }
    if (result == UnattendedResult::kStayConnected) {
      // Without a window there is nothing to stay open in: show the folder
      // reached instead, then close the connection properly.
      const bool listed = PrintRemoteFolderListing(run, stdout, values_.json);
      session::disconnectSession(session_);
      return listed ? 0 : kExitFailure;
    }
    return UnattendedExitStatus(result);
  }

  config::Configuration configuration_;
  ConsoleUserInterface console_;
  config::SiteProfileStore sites_;
  session::MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  session::Session session_;
  config::CommandLineValues values_;
};

}  // namespace

std::string JoinArguments(int count, char** arguments) {
  std::string text;
  for (int i = 1; i < count; ++i) {
    if (i > 1) text += ' ';
    text += arguments[i];
  }
  return text;
}

int RunConsoleProgram(const std::string& commandLine) {
  Program program;
  return program.run(commandLine);
}

}  // namespace ferrix::shell
