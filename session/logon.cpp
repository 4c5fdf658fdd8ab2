#include "session/logon.h"

#include <cstdarg>
#include <cstdio>

#include "platform/socket_errors.h"
#include "session/control_channel.h"
#include "session/feature_exchange.h"
#include "session/message_log.h"
#include "session/tls_negotiation.h"
#include "session/xaut.h"

namespace ferrix::session {
namespace {

using platform::kInvalidSocket;

constexpr int kNoHelpTopic = 0;
constexpr int kSitePasswordHelpTopic = 80;
constexpr int kFirewallPasswordHelpTopic = 82;
constexpr int kAccountHelpTopic = 85;
constexpr int kTransparentFirewall = 6;
constexpr int kLastFirewallType = 7;

// How a logon scheme ended. Each failure has its own message and clean-up,
// which decide whether connectWithRetries tries again.
enum class Outcome {
  kLoggedOn,
  kFirewallFailed,     // the firewall refused its own user: retried
  kFirewallRejected,   // USER remoteID@remoteHost fireID refused: not retried
  kDestinationFailed,  // the firewall could not reach the site: retried
  kLogonFailed,        // the site refused the logon: retried
};

std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string formatted(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, arguments);
  va_end(arguments);
  return text;
}

bool isSingleLine(const std::string& text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

class LogonRun {
 public:
  LogonRun(Session& session, UserInterface& userInterface,
           const config::FirewallSettings& firewall)
      : session_(session),
        state_(session.state),
        profile_(session.state.sessionProfile),
        ui_(userInterface),
        firewall_(firewall) {}

  int run();

 private:
  bool prepareAndGreet();
  void prepare();
  bool connectAndGreet();
  int readGreeting();
  void examineGreetingLine();
  void closeConnection();
  int fail(Outcome outcome);
  void logFailure(Outcome outcome);
  int stopUnsecured();
  int finish();

  Outcome runScheme();
  Outcome siteHostnameScheme();
  Outcome userAfterLogonScheme();
  Outcome userWithNoLogonScheme();
  Outcome proxyOpenScheme();
  Outcome userAtHostWithFirewallIdScheme();
  Outcome firewallIdAtHostScheme();
  Outcome transparentScheme();
  Outcome userAtFirewallIdAtHostScheme();
  int firewallLogon();
  Outcome standardLogon();
  bool scrambledLogon();
  Outcome passwordStep();
  Outcome afterPassword(int replyClass);

  bool askSitePassword();
  bool askFirewallPassword();
  bool askAccount();
  bool sitePasswordGiven();
  bool firewallPasswordGiven();
  bool accountGiven();
  void checkHostType();

  template <typename... Texts>
  bool argumentsAreSingleLines(const Texts&... texts);
  template <typename... Texts>
  int command(const char* format, const Texts&... texts);

  Session& session_;
  SessionState& state_;
  config::SiteProfile& profile_;
  UserInterface& ui_;
  const config::FirewallSettings& firewall_;
  std::string target_;
  int socket_ = kInvalidSocket;
  // A user id, password or account would have carried a line break into
  // the dialogue: the logon cannot succeed and ends as a logon failure.
  bool refused_ = false;
};

int LogonRun::run() {
  if (state_.connected) {
    session_.log.logMessagef("! %s", "Already connected");
    return kInvalidSocket;
  }
  if (!prepareAndGreet()) return kInvalidSocket;
  // TLS comes before the first USER of any scheme, so no name or password
  // ever crosses in clear text on a site that asks for TLS.
  if (!negotiateExplicitTls(session_, ui_, socket_, target_, profile_.port)) {
    return stopUnsecured();
  }
  const Outcome outcome = runScheme();
  if (outcome != Outcome::kLoggedOn || refused_) return fail(outcome);
  if (!protectDataConnections(session_, socket_)) return stopUnsecured();
  return finish();
}

// The attempt holds the control exchange from its start until the greeting
// has been read, whichever way that ends.
bool LogonRun::prepareAndGreet() {
  const BusyScope busy(state_);
  if (!busy.entered()) return false;
  prepare();
  return connectAndGreet();
}

void LogonRun::prepare() {
  resetTls(session_);
  state_.cancelRequested = 0;
  state_.abortRequested = 0;
  state_.replyTimeoutSeconds = profile_.timeoutSeconds;
  profile_.serverFeatureMask = config::SiteProfile::kDefaultServerFeatureMask;
  if (profile_.userId.empty()) {
    ui_.inputBox(&profile_.userId,
                 formatted("Please enter a userid for the connection to %s:",
                           profile_.hostName.c_str()),
                 kNoHelpTopic);
    ui_.forgetEnteredText();
  }
  target_ = profile_.hostName;
  if (!profile_.useFirewall) return;
  if (firewall_.type != kTransparentFirewall) {
    target_ = firewall_.host;
    profile_.port = firewall_.portAtLogon();
  }
  if (firewall_.password) state_.firewallPassword = *firewall_.password;
}

bool LogonRun::connectAndGreet() {
  socket_ = openControlConnection(session_, target_, static_cast<std::uint16_t>(profile_.port));
  if (socket_ == kInvalidSocket) {
    session_.log.logMessagef("! %s %s", "Connection failed", target_.c_str());
    return false;
  }
  const std::optional<platform::SocketAddress> local = platform::localAddressOf(socket_);
  if (!local) {
    logSocketError(session_, "getsockname", platform::lastSocketError());
    state_.connected = 0;
    closeConnection();
    return false;
  }
  state_.localControlAddress = *local;
  session_.log.logMessagef("[%u] from %s port %u", static_cast<unsigned>(socket_),
                           local->text().c_str(), local->port);
  if (profile_.tls == config::SiteProfile::kTlsImplicit &&
      !secureControlConnection(session_, ui_, socket_, target_, profile_.port)) {
    stopUnsecured();
    return false;
  }
  const int replyClass = readGreeting();
  if (replyClass != 2) {
    if (state_.abortRequested) {
      session_.log.logMessage("+ Cancelled");
    } else if (replyClass == 4) {
      session_.log.logMessagef("! %s %s", "Connection failed", target_.c_str());
    } else {
      session_.log.logMessagef("! %s \"%s\" %u", "unknown open message", state_.replyLine.c_str(),
                               static_cast<unsigned>(state_.replyCode));
    }
    closeConnection();
    state_.cancelRequested = 0;
    return false;
  }
  examineGreetingLine();
  if (!platform::setOutOfBandInline(socket_)) {
    logSocketError(session_, "setsockopt", platform::lastSocketError());
  }
  return true;
}

// Reads the preliminary replies (class 1) and the one that ends the
// greeting; returns the class of that one.
int LogonRun::readGreeting() {
  state_.xautSeed = 0;
  state_.xautVariant = 0;
  state_.greetingPhase = 1;
  int replyClass = getReply(session_, socket_);
  while (replyClass == 1 && !state_.cancelRequested) {
    examineGreetingLine();
    replyClass = getReply(session_, socket_);
  }
  state_.greetingPhase = 0;
  return replyClass;
}

// Only the last line of each reply is examined, so an offer on an earlier
// line of a multi-line greeting goes unnoticed. The host check needs no call
// here: the reply reader hands it every greeting line.
void LogonRun::examineGreetingLine() { xautCheck(state_, state_.replyLine); }

void LogonRun::checkHostType() {
  if (profile_.hostType == kHostTypeAutomatic && session_.onGreetingLine) {
    session_.onGreetingLine(session_, state_.replyLine);
  }
}

void LogonRun::closeConnection() { socket_ = closeControlSocket(session_, socket_); }

void LogonRun::logFailure(Outcome outcome) {
  switch (outcome) {
    case Outcome::kFirewallFailed:
    case Outcome::kFirewallRejected:
      session_.log.logMessagef("! %s", "Firewall logon failure, so quitting");
      break;
    case Outcome::kDestinationFailed:
      session_.log.logMessagef("! %s", "Connect to final destination failed, so quitting");
      break;
    case Outcome::kLogonFailed:
    case Outcome::kLoggedOn:
      session_.log.logMessagef("! %s", "Logon failure, so quitting");
      break;
  }
}

int LogonRun::fail(Outcome outcome) {
  if (refused_) outcome = Outcome::kLogonFailed;
  if (state_.abortRequested) {
    // The user ended it: there is no failure of the server's to report.
    session_.log.logMessage("+ Cancelled");
  } else {
    logFailure(outcome);
  }
  closeConnection();
  if (outcome == Outcome::kDestinationFailed || outcome == Outcome::kLogonFailed) {
    state_.connected = 0;
  }
  // The close set cancelRequested; clearing it lets the retry loop go on.
  // A rejected firewall logon keeps it, since another attempt would only be
  // rejected again.
  if (outcome != Outcome::kFirewallRejected) state_.cancelRequested = 0;
  return kInvalidSocket;
}

// A connection that could not be secured as the site asks is closed, and no
// further attempt is made: it would fail the same way.
int LogonRun::stopUnsecured() {
  closeConnection();
  state_.connected = 0;
  resetTls(session_);
  state_.cancelRequested = 1;
  return kInvalidSocket;
}

int LogonRun::finish() {
  // The replies are not examined: an initial command the server refuses
  // does not undo the logon.
  for (const std::string& piece : splitInitialCommands(profile_.initialCommand)) {
    sendCommand(session_, socket_, "%s", piece.c_str());
  }
  if (!exchangeFeatures(session_, socket_)) {
    closeConnection();
    return kInvalidSocket;
  }
  state_.siteHostType = profile_.hostType;
  state_.mlsdRefused = 0;
  state_.connected = 1;
  // This server's folders cannot be detected by SYST or HELP; it can only
  // delete.
  if (profile_.hostType == kHostTypePdp11Rsx11m) {
    state_.DetectionDone = 1;
    state_.CanDelete = 1;
  } else {
    state_.DetectionDone = 0;
  }
  // The caption shows whether the connection is encrypted, and how.
  std::string title = formatted("%s %s", kProgramTitle, profile_.hostName.c_str());
  if (!state_.tlsProtocol.empty()) title += " [" + state_.tlsProtocol + "]";
  ui_.setWindowTitle(title);
  state_.retriesLeft = 0;
  return socket_;
}

Outcome LogonRun::runScheme() {
  if (!profile_.useFirewall || firewall_.type < 0 || firewall_.type > kLastFirewallType) {
    return standardLogon();
  }
  switch (firewall_.type) {
    case 0: return siteHostnameScheme();
    case 1: return userAfterLogonScheme();
    case 2: return userWithNoLogonScheme();
    case 3: return proxyOpenScheme();
    case 4: return userAtHostWithFirewallIdScheme();
    case 5: return firewallIdAtHostScheme();
    case 6: return transparentScheme();
    default: return userAtFirewallIdAtHostScheme();
  }
}

// FIRETYPE 0: log on to the firewall, then "SITE host".
Outcome LogonRun::siteHostnameScheme() {
  if (firewallLogon() != 2) return Outcome::kFirewallFailed;
  if (command("SITE %s", profile_.hostName) == 5) return Outcome::kDestinationFailed;
  state_.connected = 1;
  return standardLogon();
}

// FIRETYPE 1: log on to the firewall, then "USER user@host".
Outcome LogonRun::userAfterLogonScheme() {
  if (firewallLogon() != 2) return Outcome::kFirewallFailed;
  if (command("USER %s@%s", profile_.userId, profile_.hostName) != 3) {
    return Outcome::kDestinationFailed;
  }
  return passwordStep();
}

// FIRETYPE 2: "USER user@host" straight away.
Outcome LogonRun::userWithNoLogonScheme() {
  const int replyClass = command("USER %s@%s", profile_.userId, profile_.hostName);
  if (replyClass == 2) {
    checkHostType();
    return Outcome::kLoggedOn;
  }
  if (replyClass == 3) return passwordStep();
  return Outcome::kDestinationFailed;
}

// FIRETYPE 3: "OPEN host", then the site's own logon. Some proxies answer
// OPEN with 3xx; that counts as connected too.
Outcome LogonRun::proxyOpenScheme() {
  const int replyClass = command("OPEN %s", profile_.hostName);
  if (replyClass != 2 && replyClass != 3) return Outcome::kDestinationFailed;
  checkHostType();
  state_.connected = 1;
  return standardLogon();
}

// FIRETYPE 4: "USER user@host fireID", the site password, then the
// firewall password as the account.
Outcome LogonRun::userAtHostWithFirewallIdScheme() {
  if (command("USER %s@%s %s", profile_.userId, profile_.hostName, firewall_.userId) != 3) {
    return Outcome::kFirewallRejected;
  }
  if (!sitePasswordGiven()) return Outcome::kFirewallRejected;
  if (command("PASS %s", profile_.password) != 3) return Outcome::kFirewallRejected;
  if (!firewallPasswordGiven()) return Outcome::kFirewallRejected;
  return command("ACCT %s", state_.firewallPassword) == 2 ? Outcome::kLoggedOn
                                                          : Outcome::kLogonFailed;
}

// FIRETYPE 5: "USER fireID@host" with the firewall password, then the
// site's own logon.
Outcome LogonRun::firewallIdAtHostScheme() {
  int replyClass = command("USER %s@%s", firewall_.userId, profile_.hostName);
  if (replyClass == 3) {
    firewallPasswordGiven();
    replyClass = command("PASS %s", state_.firewallPassword);
  }
  if (replyClass != 2) return Outcome::kDestinationFailed;
  checkHostType();
  return standardLogon();
}

// FIRETYPE 6: the connection goes to the site itself; the firewall on the
// way wants its own logon first.
Outcome LogonRun::transparentScheme() {
  if (firewallLogon() != 2) return Outcome::kDestinationFailed;
  checkHostType();
  return standardLogon();
}

// FIRETYPE 7: "USER user@fireID@host", then "PASS password@firePassword".
Outcome LogonRun::userAtFirewallIdAtHostScheme() {
  const int replyClass =
      command("USER %s@%s@%s", profile_.userId, firewall_.userId, profile_.hostName);
  if (replyClass != 3) return replyClass == 2 ? Outcome::kLoggedOn : Outcome::kLogonFailed;
  firewallPasswordGiven();
  sitePasswordGiven();
  return afterPassword(command("PASS %s@%s", profile_.password, state_.firewallPassword));
}

// "USER fireID", and "PASS firePassword" when asked for. Returns the class of
// the last reply.
int LogonRun::firewallLogon() {
  const int replyClass = command("USER %s", firewall_.userId);
  if (replyClass != 3) return replyClass;
  firewallPasswordGiven();
  return command("PASS %s", state_.firewallPassword);
}

Outcome LogonRun::standardLogon() {
  if (profile_.password.empty()) askSitePassword();
  if (scrambledLogon()) return Outcome::kLoggedOn;
  const int replyClass = command("USER %s", profile_.userId);
  if (replyClass == 2) return Outcome::kLoggedOn;
  if (replyClass == 3) return passwordStep();
  return Outcome::kLogonFailed;
}

// XAUT when the greeting offered it; true when the server accepted it. A
// refusal is no failure: USER and PASS follow.
bool LogonRun::scrambledLogon() {
  if (state_.xautVariant == 0 || state_.xautSeed == 0) return false;
  if (!argumentsAreSingleLines(profile_.userId, profile_.password)) return false;
  std::string text;
  if (xautScramble(profile_.userId, profile_.password, state_.xautSeed, text,
                   state_.xautVariant) == 0) {
    return false;
  }
  const std::string line =
      formatted("XAUT %u %s", static_cast<unsigned>(state_.xautVariant), text.c_str());
  // A longer command would be cut short on the way out and could never be
  // accepted; USER and PASS still can.
  if (line.size() > kMaxCommandLength) return false;
  return sendCommand(session_, socket_, "%s", line.c_str()) == 2;
}

Outcome LogonRun::passwordStep() {
  if (!sitePasswordGiven()) return Outcome::kLogonFailed;
  return afterPassword(command("PASS %s", profile_.password));
}

// What follows PASS: 3xx wants an account; 2xx is logged on, though a
// server that mentions ACCOUNT gets one when the user has it.
Outcome LogonRun::afterPassword(int replyClass) {
  if (replyClass == 3) {
    if (!accountGiven()) return Outcome::kLogonFailed;
    return command("ACCT %s", profile_.account) == 2 ? Outcome::kLoggedOn
                                                     : Outcome::kLogonFailed;
  }
  if (replyClass != 2) return Outcome::kLogonFailed;
  if (state_.replyLine.find("ACCOUNT") != std::string::npos && accountGiven()) {
    command("ACCT %s", profile_.account);
  }
  return Outcome::kLoggedOn;
}

bool LogonRun::askSitePassword() {
  const bool confirmed = ui_.passwordBox(
      profile_.password,
      formatted("Please enter a password for %s on site %s:", profile_.userId.c_str(),
                profile_.hostName.c_str()),
      kSitePasswordHelpTopic);
  ui_.forgetEnteredText();
  return confirmed;
}

bool LogonRun::askFirewallPassword() {
  const bool confirmed = ui_.passwordBox(
      state_.firewallPassword,
      formatted("Please enter a password for %s on firewall %s:", firewall_.userId.c_str(),
                target_.c_str()),
      kFirewallPasswordHelpTopic);
  ui_.forgetEnteredText();
  return confirmed;
}

bool LogonRun::askAccount() {
  const bool confirmed = ui_.passwordBox(
      profile_.account,
      formatted("Please enter an account for %s on site %s:", profile_.userId.c_str(),
                profile_.hostName.c_str()),
      kAccountHelpTopic);
  ui_.forgetEnteredText();
  return confirmed;
}

// Each asks while the field is empty and the user confirms; true when the
// field has a value in the end.
bool LogonRun::sitePasswordGiven() {
  while (profile_.password.empty() && askSitePassword()) {
  }
  return !profile_.password.empty();
}

bool LogonRun::firewallPasswordGiven() {
  while (state_.firewallPassword.empty() && askFirewallPassword()) {
  }
  return !state_.firewallPassword.empty();
}

bool LogonRun::accountGiven() {
  while (profile_.account.empty() && askAccount()) {
  }
  return !profile_.account.empty();
}

template <typename... Texts>
bool LogonRun::argumentsAreSingleLines(const Texts&... texts) {
  if ((isSingleLine(texts) && ...)) return true;
  session_.log.logMessage("! Command not sent: it contains a line break or NUL character");
  refused_ = true;
  return false;
}

// Sends a logon command whose arguments are user-supplied texts; a text
// that would break the command line is not sent, and the reply class is 0.
template <typename... Texts>
int LogonRun::command(const char* format, const Texts&... texts) {
  if (!argumentsAreSingleLines(texts...)) return 0;
  return sendCommand(session_, socket_, format, texts.c_str()...);
}

}  // namespace

int logon(Session& session, UserInterface& userInterface,
          const config::FirewallSettings& firewall) {
  return LogonRun(session, userInterface, firewall).run();
}

std::vector<std::string> splitInitialCommands(std::string_view commands) {
  std::vector<std::string> pieces;
  std::size_t separator = commands.find(';');
  while (separator != std::string_view::npos) {
    pieces.emplace_back(commands.substr(0, separator));
    commands.remove_prefix(separator + 1);
    separator = commands.find(';');
  }
  if (!commands.empty()) pieces.emplace_back(commands);
  return pieces;
}

}  // namespace ferrix::session
