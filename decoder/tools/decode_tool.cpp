#include "decoder/tools/decode_tool.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>

#include "ferrix_version.h"

namespace ferrix::tools {
namespace {

constexpr const char* kProgram = "ferrix-decode";

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::optional<int> HostTypeFromNumber(std::string_view text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  bool inTable = value >= FERRIX_HOST_TYPE_FIRST &&
                 value < FERRIX_HOST_TYPE_FIRST + FERRIX_ReturnMaxHostTypes();
  return inTable ? std::optional<int>(value) : std::nullopt;
}

std::optional<int> HostTypeFromName(std::string_view text) {
  for (int row = 0; row < FERRIX_ReturnMaxHostTypes(); ++row) {
    int hostType = FERRIX_HOST_TYPE_FIRST + row;
    const char* name = FERRIX_ReturnHostTypeName(hostType);
    if (name != nullptr && EqualsNoCase(text, name)) return hostType;
  }
  return std::nullopt;
}

const char* KindName(int kind) {
  switch (kind) {
    case FERRIX_KIND_FILE: return "file";
    case FERRIX_KIND_FILE_EXPLICIT: return "explicit-file";
    case FERRIX_KIND_LINK: return "link";
    case FERRIX_KIND_FOLDER: return "folder";
    case FERRIX_KIND_BINARY_ELEMENT: return "binary-element";
    default: return "unknown";
  }
}

std::string DateText(const ListingEntry& entry) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", static_cast<unsigned>(entry.year),
                static_cast<unsigned>(entry.month), static_cast<unsigned>(entry.day));
  return text;
}

std::string TimeText(const ListingEntry& entry) {
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", static_cast<unsigned>(entry.hour),
                static_cast<unsigned>(entry.minute), static_cast<unsigned>(entry.second));
  return text;
}

// "0755", or empty when the line showed no permissions.
std::string ModeText(const ListingEntry& entry) {
  if ((entry.flags & FERRIX_FLAG_MODE_VALID) == 0) return {};
  char text[16];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(entry.mode));
  return text;
}

std::string HostTypeName(int hostType) {
  const char* name = FERRIX_ReturnHostTypeName(hostType);
  return name != nullptr ? name : "";
}

bool IsFlag(std::string_view name) {
  return name == "--help" || name == "-h" || name == "--version" || name == "--json" ||
         name == "--unparsed";
}

bool TakesValue(std::string_view name) { return name == "--host-type" || name == "--detect"; }

void SetFlag(DecodeOptions& options, std::string_view name) {
  if (name == "--json") {
    options.json = true;
  } else if (name == "--unparsed") {
    options.unparsed = true;
  } else if (name == "--version") {
    options.version = true;
  } else {
    options.help = true;
  }
}

// Returns an error message, empty when the value is taken.
std::string SetValue(DecodeOptions& options, std::string_view name, const std::string& value) {
  if (name == "--detect") {
    options.detectText = value;
    return {};
  }
  std::optional<int> hostType = HostTypeFromText(value);
  if (!hostType) {
    return "unknown host type '" + value +
           "' (give a number from 6000 to 6059 or a name that --help lists)";
  }
  options.hostType = *hostType;
  return {};
}

ParsedOptions Failure(std::string error) { return ParsedOptions{std::nullopt, std::move(error)}; }

// Drops the CR that getline leaves at the end of a CRLF line, so that
// --unparsed shows the line as it reads.
std::string_view WithoutCarriageReturn(const std::string& line) {
  std::string_view view = line;
  if (!view.empty() && view.back() == '\r') view.remove_suffix(1);
  return view;
}

// Opens and decodes one named file; false when it cannot be read.
bool DecodeFile(const std::string& path, const DecodeOptions& options, std::ostream& output,
                std::ostream& errors) {
  errno = 0;
  std::ifstream file(path, std::ios::binary);
  if (file) DecodeListing(file, options, output);
  // A folder opens but fails on the first read.
  if (!file.is_open() || file.bad()) {
    errors << kProgram << ": cannot read " << path << ": " << std::strerror(errno) << "\n";
    return false;
  }
  return true;
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
  DecodeOptions options;
  bool onlyFiles = false;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (onlyFiles || argument == "-" || argument.rfind('-', 0) != 0) {
      options.files.push_back(argument);
      continue;
    }
    if (argument == "--") {
      onlyFiles = true;
      continue;
    }
    std::string_view name = argument;
    std::string value;
    std::size_t equals = argument.find('=');
    bool hasInlineValue = argument.rfind("--", 0) == 0 && equals != std::string::npos;
    if (hasInlineValue) {
      name = name.substr(0, equals);
      value = argument.substr(equals + 1);
    }
    if (IsFlag(name)) {
      if (hasInlineValue) return Failure("option '" + std::string(name) + "' takes no value");
      SetFlag(options, name);
      continue;
    }
    if (!TakesValue(name)) return Failure("unknown option '" + argument + "'");
    if (!hasInlineValue) {
      if (index + 1 >= arguments.size()) {
        return Failure("option '" + std::string(name) + "' needs a value");
      }
      value = arguments[++index];
    }
    std::string error = SetValue(options, name, value);
    if (!error.empty()) return Failure(error);
  }
  if (options.detectText && !options.files.empty()) {
    return Failure("--detect reads no listing; leave out the file names");
  }
  return ParsedOptions{options, {}};
}

std::optional<int> HostTypeFromText(std::string_view text) {
  if (std::optional<int> byNumber = HostTypeFromNumber(text)) return byNumber;
  return HostTypeFromName(text);
}

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`
// (overlong forms, surrogates and code points past U+10FFFF are not), or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xbf;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;
    if (lead == 0xed) high = 0x9f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xbf) return 0;
  }
  return length;
}

}  // namespace

std::string JsonEscape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    const std::size_t sequence = byte >= 0x80 ? Utf8SequenceLength(text.substr(i)) : 0;
    if (c == '"' || c == '\\') {
      escaped += '\\';
      escaped += c;
    } else if (sequence != 0) {
      // JSON text is UTF-8: a UTF-8 name reads as itself.
      escaped.append(text.substr(i, sequence));
      i += sequence - 1;
    } else if (byte < 0x20 || byte >= 0x7f) {
      // A byte of another charset keeps its value, as U+0080..U+00FF.
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(byte));
      escaped += code;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string FormatEntry(const ListingEntry& entry, bool json) {
  std::string mode = ModeText(entry);
  std::ostringstream line;
  if (json) {
    line << "{\"name\":\"" << JsonEscape(entry.name) << "\",\"kind\":\"" << KindName(entry.kind)
         << "\",\"size\":" << entry.size << ",\"date\":\"" << DateText(entry)
         << "\",\"time\":\"" << TimeText(entry) << "\",\"mode\":";
    if (mode.empty()) {
      line << "null}";
    } else {
      line << '"' << mode << "\"}";
    }
  } else {
    line << entry.name << '\t' << KindName(entry.kind) << '\t' << entry.size << '\t'
         << DateText(entry) << ' ' << TimeText(entry) << '\t' << (mode.empty() ? "-" : mode);
  }
  return line.str();
}

std::string FormatUnparsed(std::size_t lineNumber, std::string_view line, bool json) {
  if (json) {
    return "{\"line\":" + std::to_string(lineNumber) + ",\"text\":\"" + JsonEscape(line) + "\"}";
  }
  return std::to_string(lineNumber) + '\t' + std::string(line);
}

std::string FormatDetection(std::string_view text, int hostType, bool json) {
  std::string copy(text);
  int fromSyst = FERRIX_DetectFromSystString(copy.c_str(), hostType);
  int fromGreeting = FERRIX_DoAutoCheck(copy.c_str(), hostType);
  if (json) {
    return "{\"syst\":" + std::to_string(fromSyst) + ",\"systName\":\"" +
           JsonEscape(HostTypeName(fromSyst)) + "\",\"greeting\":" + std::to_string(fromGreeting) +
           ",\"greetingName\":\"" + JsonEscape(HostTypeName(fromGreeting)) + "\"}\n";
  }
  return "syst\t" + std::to_string(fromSyst) + '\t' + HostTypeName(fromSyst) + "\ngreeting\t" +
         std::to_string(fromGreeting) + '\t' + HostTypeName(fromGreeting) + '\n';
}

std::string HelpText() {
  std::string text =
      "Usage: ferrix-decode [OPTIONS] [FILE...]\n"
      "       ferrix-decode [--host-type TYPE] [--json] --detect TEXT\n"
      "\n"
      "Decodes FTP folder listings (LIST or MLSD output) with libferrixcore and prints\n"
      "one line per entry. Reads each FILE in turn, or standard input when no FILE\n"
      "is given or FILE is '-'. Lines may be of any length; the decoder reads the\n"
      "first 511 characters of each.\n"
      "\n"
      "Options:\n"
      "  --host-type TYPE  the server's listing format: a number from 6000 to 6059\n"
      "                    or a name from the table below in any letter case\n"
      "                    (quote names with spaces). Default 6000, Automatic detect,\n"
      "                    which decodes UNIX-style lines.\n"
      "  --json            print JSON lines instead of tab-separated columns.\n"
      "  --unparsed        print only the lines that gave no entry, each with its\n"
      "                    line number in its input.\n"
      "  --detect TEXT     print the host types that the SYST test and the greeting\n"
      "                    test give for TEXT, starting from --host-type (a type\n"
      "                    other than 6000 is kept as it is); reads no listing.\n"
      "  --help, -h        print this text.\n"
      "  --version         print the version.\n"
      "  --                the arguments after it are file names.\n"
      "\n"
      "Output columns (tab-separated): name, kind, size, date and time, mode.\n"
      "  kind   file, explicit-file (the server said so), link, folder, or\n"
      "         binary-element\n"
      "  size   bytes as the server states them; 0 when the line shows none\n"
      "  date   YYYY-MM-DD HH:MM:SS; zeros where the line shows nothing\n"
      "  mode   UNIX permissions in octal such as 0755, or '-' when not shown\n"
      "Names are printed as they are; use --json when a name may hold a tab.\n"
      "JSON lines carry name, kind, size, date, time and mode (null when not shown);\n"
      "names are escaped; UTF-8 stays as it is, other bytes above 126 become\n"
      "\\u00XX. --unparsed with --json gives\n"
      "{\"line\":N,\"text\":\"...\"}.\n"
      "\n"
      "Exit status: 0 on success, 1 when a file cannot be read, 2 for bad options.\n"
      "\n"
      "Host types:\n";
  for (int row = 0; row < FERRIX_ReturnMaxHostTypes(); ++row) {
    int hostType = FERRIX_HOST_TYPE_FIRST + row;
    text += "  " + std::to_string(hostType) + "  " + HostTypeName(hostType) + '\n';
  }
  return text;
}

void DecodeListing(std::istream& input, const DecodeOptions& options, std::ostream& output) {
  std::string line;
  ListingEntry entry;
  for (std::size_t lineNumber = 1; std::getline(input, line); ++lineNumber) {
    int32_t length = FERRIX_DecodeLine(&entry, line.c_str(), options.hostType, "", "");
    if (options.unparsed) {
      if (length == 0) {
        output << FormatUnparsed(lineNumber, WithoutCarriageReturn(line), options.json) << '\n';
      }
    } else if (length > 0) {
      output << FormatEntry(entry, options.json) << '\n';
    }
  }
}

int RunDecodeTool(const std::vector<std::string>& arguments, std::istream& standardInput,
                  std::ostream& output, std::ostream& errors) {
  ParsedOptions parsed = ParseOptions(arguments);
  if (!parsed.options) {
    errors << kProgram << ": " << parsed.error << "\n"
           << "Try '" << kProgram << " --help' for more information.\n";
    return kExitBadOptions;
  }
  const DecodeOptions& options = *parsed.options;
  if (options.help) {
    output << HelpText();
    return kExitSuccess;
  }
  if (options.version) {
    output << kProgram << ' ' << kFerrixVersion << '\n';
    return kExitSuccess;
  }
  if (options.detectText) {
    output << FormatDetection(*options.detectText, options.hostType, options.json);
    return kExitSuccess;
  }
  if (options.files.empty()) {
    DecodeListing(standardInput, options, output);
    return kExitSuccess;
  }
  int status = kExitSuccess;
  for (const std::string& path : options.files) {
    if (path == "-") {
      DecodeListing(standardInput, options, output);
    } else if (!DecodeFile(path, options, output, errors)) {
      status = kExitUnreadableFile;
    }
  }
  return status;
}

}  // namespace ferrix::tools
