#include "config/command_line.h"

#include <algorithm>
#include <cctype>

#include "config/ftp_url.h"
#include "platform/ascii_text.h"

namespace ferrix::config {
namespace {

constexpr int kCommandLineHelpTopic = 145;
constexpr std::size_t kUnattendedMinimum = 4;
constexpr std::string_view kJsonOption = "--json";

using platform::startsWithIgnoringCase;

std::string_view skipSpaces(std::string_view text) {
  return text.substr(std::min(text.find_first_not_of(' '), text.size()));
}

// Cursor over the option text: words end at a space (quotes mean nothing).
class OptionCursor {
 public:
  explicit OptionCursor(std::string_view text) : text_(text) {}

  std::string_view rest() const { return text_; }
  void reset(std::string_view text) { text_ = text; }

  // Skips the option word and the blanks after it, then takes the value
  // word and the blanks after that.
  std::string takeValue() {
    skipWord();
    const std::size_t end = std::min(text_.find(' '), text_.size());
    std::string value(text_.substr(0, std::min(end, CommandLineValues::kFieldLength)));
    text_ = skipSpaces(text_.substr(end));
    return value;
  }

  void skipWord() {
    text_ = skipSpaces(text_.substr(std::min(text_.find(' '), text_.size())));
  }

 private:
  std::string_view text_;
};

// True when `text` begins with the whole word `word`.
bool isWord(std::string_view text, std::string_view word) {
  return text.starts_with(word) && (text.size() == word.size() || text[word.size()] == ' ');
}

// Removes the first "word" (exact case) and one blank after it; true if found.
bool takeFlagWord(std::string& text, std::string_view word) {
  const std::size_t at = text.find(word);
  if (at == std::string::npos) return false;
  std::size_t length = word.size();
  if (at + length < text.size() && text[at + length] == ' ') ++length;
  text.erase(at, length);
  return true;
}

// Takes one word: blanks and tabs before it are skipped, it ends at a blank,
// and a double-quoted stretch keeps its blanks (the quotes go).
std::string takeArgumentWord(std::string_view& text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  std::string word;
  bool quoted = false;
  while (!text.empty() && (quoted || text.front() != ' ')) {
    const char c = text.front();
    text.remove_prefix(1);
    if (c == '"') {
      quoted = !quoted;
    } else {
      word += c;
    }
  }
  return word.substr(0, CommandLineValues::kFieldLength);
}

// What an option's action said: true when it could act, else the problem
// is shown (unless quiet).
bool takeUsable(const std::string& problem, const CommandLineValues& values,
                const CommandLineActions& actions) {
  if (problem.empty()) return true;
  if (!values.quiet) actions.showError(problem);
  return false;
}

TransferArgument localArgument(std::string_view path) {
  TransferArgument result;
  result.kind = ArgumentKind::kLocal;
  result.path = path;
  return result;
}

TransferArgument fromUrl(std::string_view text) {
  TransferArgument result;
  result.kind = ArgumentKind::kRemote;
  FtpUrlResult parsed = ParseFtpUrl(text);
  if (!parsed.url) {
    result.error = std::move(parsed.error);
    return result;
  }
  FtpUrl& url = *parsed.url;
  result.host = std::move(url.host);
  result.path = std::move(url.path);
  result.port = url.port;
  result.userId = std::move(url.userId);
  result.password = std::move(url.password);
  result.transferType = url.transferType;
  result.tls = url.tls;
  return result;
}

}  // namespace

std::optional<std::string> ParseCommandLineOptions(std::string_view text, CommandLineValues& values,
                                                   const CommandLineActions& actions) {
  actions.loadProgramSettings();
  OptionCursor cursor(text);
  std::string typedText;  // what "-ask" got; the cursor reads it
  while (!cursor.rest().empty() && cursor.rest().front() == '-') {
    const std::string_view option = cursor.rest();
    // "- host:/in/a": standard input as the source, the first transfer argument.
    if (option.starts_with("- ")) break;
    if (isWord(option, kJsonOption)) {
      values.json = true;
      cursor.skipWord();
      continue;
    }
    const char letter = option.size() > 1 ? option[1] : '\0';
    switch (letter) {
      case 'a':
        if (option.size() > 3 && option[3] == 'k') {
          if (auto typed = actions.askText("Enter command line:", kCommandLineHelpTopic)) {
            // The typed text replaces the rest of the command line.
            typedText = std::move(*typed);
            cursor.reset(typedText);
            break;
          }
          cursor.skipWord();
        } else {
          values.transferMode = 'A';
          cursor.skipWord();
        }
        break;
      case 'b': values.transferMode = 'I'; cursor.skipWord(); break;
      case 'c': actions.setAccount(cursor.takeValue()); break;
      case 'd': values.destination = cursor.takeValue(); break;
      case 'i':
        if (!takeUsable(actions.useIniFile(cursor.takeValue()), values, actions)) {
          return std::nullopt;
        }
        break;
      case 'l': values.lowerCase = true; cursor.skipWord(); break;
      case 'p':
        if (!takeUsable(actions.loadProfile(cursor.takeValue()), values, actions)) {
          return std::nullopt;
        }
        break;
      case 'q': values.quiet = true; cursor.skipWord(); break;
      case 's':
        values.source = cursor.takeValue();
        values.sourceGiven = true;
        break;
      case 'u': actions.setUserId(cursor.takeValue()); break;
      case 'w': actions.setPassword(cursor.takeValue()); break;
      default:
        if (!values.quiet) actions.showError("Unknown arguments " + std::string(option));
        return std::nullopt;
    }
  }
  return std::string(cursor.rest());
}

bool IsUnattendedRun(const CommandLineValues& values, std::string_view remainder) {
  return values.sourceGiven || remainder.size() >= kUnattendedMinimum;
}

void PrepareUnattendedRun(std::string remainder, CommandLineValues& values) {
  values.sourceGiven = true;
  if (remainder.empty()) return;
  if (takeFlagWord(remainder, "-quiet")) values.quiet = true;
  if (takeFlagWord(remainder, "-ascii")) values.transferMode = 'A';
  if (takeFlagWord(remainder, "-lower")) values.lowerCase = true;
  if (takeFlagWord(remainder, kJsonOption)) values.json = true;
  std::replace(remainder.begin(), remainder.end(), '\\', '/');
  if (remainder.empty()) return;
  std::string_view rest(remainder);
  values.source = takeArgumentWord(rest);
  values.destination = takeArgumentWord(rest);
}

namespace {

constexpr int kPortMax = 65535;

// The port after a URL's host (":2121"); 0 when there is none or it is no port.
int urlPort(std::string_view afterHost) {
  if (afterHost.size() < 2 || afterHost.front() != ':') return 0;
  int port = 0;
  for (const char c : afterHost.substr(1)) {
    if (c < '0' || c > '9') return 0;
    port = port * 10 + (c - '0');
    if (port > kPortMax) return 0;
  }
  return port;
}

// "//host/path", "//host:port/path", "//[v6]:port/path".
TransferArgument urlArgument(std::string_view argument) {
  TransferArgument result;
  result.kind = ArgumentKind::kRemote;
  argument.remove_prefix(std::min(argument.find_first_not_of('/'), argument.size()));
  const std::size_t slash = std::min(argument.find('/'), argument.size());
  std::string_view authority = argument.substr(0, slash);
  result.path = argument.substr(slash);
  std::size_t hostEnd = std::min(authority.find(':'), authority.size());
  if (authority.starts_with('[') && authority.find(']') != std::string_view::npos) {
    hostEnd = authority.find(']');
    result.host = authority.substr(1, hostEnd - 1);
    ++hostEnd;
  } else {
    result.host = authority.substr(0, hostEnd);
  }
  if (const int port = urlPort(authority.substr(hostEnd)); port != 0) result.port = port;
  return result;
}

}  // namespace

TransferArgument ClassifyTransferArgument(std::string_view argument) {
  TransferArgument result;
  if (argument.empty()) return result;
  if (startsWithIgnoringCase(argument, "local:")) return localArgument(argument.substr(6));
  if (argument.find(':') == std::string_view::npos && !argument.starts_with("//")) {
    return localArgument(argument);
  }
  if (IsFtpUrl(argument)) return fromUrl(argument);
  result.kind = ArgumentKind::kRemote;
  if (startsWithIgnoringCase(argument, "ftp:")) argument.remove_prefix(4);
  if (startsWithIgnoringCase(argument, "file:")) argument.remove_prefix(5);
  if (argument.starts_with("//")) return urlArgument(argument);
  // "[v6]:path" names an IPv6 literal, whose colons are not the separator.
  const std::size_t bracket =
      argument.starts_with('[') ? argument.find("]:") : std::string_view::npos;
  const std::size_t colon = bracket != std::string_view::npos ? bracket + 1 : argument.find(':');
  if (colon != std::string_view::npos) {
    result.host = bracket != std::string_view::npos ? argument.substr(1, bracket - 1)
                                                    : argument.substr(0, colon);
    const std::size_t path = argument.find_first_not_of(':', colon);
    result.path = path == std::string_view::npos ? "" : argument.substr(path);
    return result;
  }
  return urlArgument(argument);
}

}  // namespace ferrix::config
