// How a file becomes a command line: the association rules over the
// `Extensions` section of our WIN.INI (key = extension without the dot,
// value = command line with "^" where the file goes), the text viewer for
// files without a useful extension, and the desktop's associated program when
// "UseFindExec" asks for it first. The remote edit round trip builds its
// editor command here too.
//
// Paths are put into command lines as one word (quoted when they hold a
// blank), since a command line is split into words before it starts.
// Thread rule: AssociationTable may be used from any thread (the INI file
// serializes); the functions are pure.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini_file.h"
#include "shell/desktop/desktop_services.h"

namespace ferrix::desktop {

inline constexpr std::string_view kExtensionsSection = "Extensions";

// The associations of our WIN.INI.
class AssociationTable {
 public:
  static constexpr std::size_t kMaxCommandLength = 255;

  explicit AssociationTable(platform::IniFile& winIni) : winIni_(winIni) {}

  // The command stored for `extension` (at most 255 characters), if any.
  std::optional<std::string> command(std::string_view extension) const;
  // Every extension that has an entry, lower-cased, as stored.
  std::vector<std::string> extensions() const;
  // Writes the entry; false when the file could not be written.
  bool store(std::string_view extension, std::string_view command);

 private:
  platform::IniFile& winIni_;
};

// The text after the last "." of the name part of `path` (empty when none).
std::string_view extensionAfterLastDot(std::string_view path);
// The text after the first "." of the name part of `path` (empty when none).
std::string_view extensionAfterFirstDot(std::string_view path);

// `command` with `path` put in: everything from the first "^" on is replaced
// by the path, or the path is appended after a blank when there is no "^".
std::string FormAssociatedCommand(std::string_view command, std::string_view path);

// The association dialog's completion of a typed command: "^" kept but
// followed by ".<extension>", or " ^.<extension>" appended when there is
// no "^" ("edit" becomes "edit ^.xyz").
std::string CompleteAssociation(std::string_view command, std::string_view extension);

// The viewer's command for `path`.
std::string ViewerCommand(std::string_view viewer, std::string_view path);

struct CommandRules {
  std::string viewer;         // VIEWER
  bool useFindExec = false;   // UseFindExec
  const AssociationTable* associations = nullptr;
  DesktopServices* services = nullptr;  // asked for the associated program
};

// The command that opens `path`, chosen by the extension of `nameForExtension`
// (the remote name of a fetched file, else the path itself). Nothing for
// programs ("exe", "com"), which are never opened through an association.
std::optional<std::string> BuildCommand(const CommandRules& rules,
                                        std::string_view nameForExtension,
                                        std::string_view path);

}  // namespace ferrix::desktop
