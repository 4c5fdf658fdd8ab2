// ferrix-decode: the command-line face of libferrixcore. It reads listings
// from files or standard input, decodes every line for one host type and
// prints the entries as tab-separated columns or JSON lines; it also shows
// which host type the detection exports give for a server text.
//
// Everything here works on caller-owned streams and strings and keeps no
// state of its own; the decoder's own per-process parser state means one
// run at a time per process.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <ferrixcore.h>

namespace ferrix::tools {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitUnreadableFile = 1;
inline constexpr int kExitBadOptions = 2;

struct DecodeOptions {
  int hostType = FERRIX_HOST_TYPE_AUTOMATIC;
  bool json = false;
  bool unparsed = false;                  // list the lines that gave no entry instead
  bool help = false;
  bool version = false;
  std::optional<std::string> detectText;  // detect a host type instead of decoding
  std::vector<std::string> files;         // none, or "-": standard input
};

struct ParsedOptions {
  std::optional<DecodeOptions> options;  // empty when the arguments are wrong
  std::string error;                     // why, when they are
};

// The arguments after the program name.
ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

// A host type from a number (6000-6059) or a table name in any letter case.
std::optional<int> HostTypeFromText(std::string_view text);

// JSON string contents: quotes, backslashes and control bytes escaped, bytes
// above 127 written as \u00XX (the byte taken as a Latin-1 character).
std::string JsonEscape(std::string_view text);

// One decoded entry as an output line, without the newline.
std::string FormatEntry(const ListingEntry& entry, bool json);

// A listing line that gave no entry, with its 1-based number in its input.
std::string FormatUnparsed(std::size_t lineNumber, std::string_view line, bool json);

// The host types that the SYST and greeting detections give for text, given
// the current host type.
std::string FormatDetection(std::string_view text, int hostType, bool json);

std::string HelpText();

// Decodes every line of input and writes what the options ask for.
void DecodeListing(std::istream& input, const DecodeOptions& options, std::ostream& output);

// The whole program: returns the exit status.
int RunDecodeTool(const std::vector<std::string>& arguments, std::istream& standardInput,
                  std::ostream& output, std::ostream& errors);

}  // namespace ferrix::tools
