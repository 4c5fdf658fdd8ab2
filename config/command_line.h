// The program's command line: options that adjust the run (INI file, site
// profile, user id, password, account, transfer mode, quiet operation), the
// decision whether the run is unattended, and the grammar of the two
// transfer arguments (local:path, host:path, //host/path and FTP URLs).
//
// Options act through CommandLineActions, so the parser knows nothing of how
// settings and profiles are stored.
//
// Thread rule: used once, on the start-up thread.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ferrix::config {

inline constexpr char kCommandLineSyntax[] =
    "Syntax: FERRIX [args] host:full_path [local:full_path]\n"
    "        FERRIX [args] local:full_path host:full_path\n"
    "        FERRIX [args] -ask\n"
    "        [args] = -i inifile\n"
    "                 -p profile\n"
    "                 -u userid\n"
    "                 -w password\n"
    "                 -c account\n"
    "                 -s source\n"
    "                 -d destination\n"
    "                 -quiet\n"
    "                 -ascii\n"
    "                 -binary";

struct CommandLineValues {
  static constexpr std::size_t kFieldLength = 255;

  std::string source;
  std::string destination;
  bool sourceGiven = false;
  bool quiet = false;
  bool lowerCase = false;
  bool json = false;      // "--json": a listed remote folder as JSON lines
  char transferMode = 0;  // 'A' or 'I'; 0 leaves the profile's mode
};

struct CommandLineActions {
  std::function<void()> loadProgramSettings;
  // Switches and reloads; returns why the file cannot be used, else "".
  std::function<std::string(const std::string& iniFile)> useIniFile;
  // Clears, then loads; returns why the profile cannot be used, else "".
  std::function<std::string(const std::string& profile)> loadProfile;
  std::function<void(const std::string&)> setUserId;
  std::function<void(const std::string&)> setPassword;
  std::function<void(const std::string&)> setAccount;
  // Asks "Enter command line:"; nothing when cancelled.
  std::function<std::optional<std::string>(std::string_view prompt, int helpTopic)> askText;
  // Shows a command-line error (not called in quiet mode).
  std::function<void(const std::string& message)> showError;
};

// Parses the options at the start of `text`. Returns the rest (the transfer
// arguments), or nothing after an unknown option, an unusable INI file or
// an unknown profile.
std::optional<std::string> ParseCommandLineOptions(std::string_view text, CommandLineValues& values,
                                                   const CommandLineActions& actions);

// True when the run transfers without a person: "-s" was given, or the
// options left at least 4 characters of transfer arguments.
bool IsUnattendedRun(const CommandLineValues& values, std::string_view remainder);

// Takes "-quiet", "-ascii", "-lower" and "--json" out of the transfer arguments, turns
// backslashes into slashes and splits them into source and destination.
void PrepareUnattendedRun(std::string remainder, CommandLineValues& values);

enum class ArgumentKind { kNone = 0, kLocal = 1, kRemote = 2 };

struct TransferArgument {
  ArgumentKind kind = ArgumentKind::kNone;
  std::string host;  // remote arguments only; an IPv6 literal without its brackets
  std::string path;
  // What a URL (ftp://, ftps://, ftpes://) adds to the older forms.
  std::optional<int> port;
  std::optional<std::string> userId;
  std::optional<std::string> password;
  char transferType = 0;   // 'A' or 'I' from ";type=", else 0
  std::optional<int> tls;  // the site profile's TLS value the scheme asks for
  std::string error;       // why the argument cannot be used; empty when it can
};

TransferArgument ClassifyTransferArgument(std::string_view argument);

}  // namespace ferrix::config
