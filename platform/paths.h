// Where the program finds things on this machine: the current folder, the
// folder of the running program, the per-user configuration folder (which
// takes the place of the Windows folder: the last place to look for program
// files and where a missing INI file is created), the installed data folder
// (the shipped help pages, sounds and lists), the temporary folder, and the
// longest file name a folder's file system accepts.
//
// Folders are returned without a trailing '/' (except the root itself); an
// empty string means the folder cannot be determined. The `Paths` interface
// carries the three folders the configuration searches, so tests can stand
// temporary folders in for them without changing the process's own folder.
// Thread rule: everything here may be called from any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ferrix::platform {

// The current working folder; empty when it cannot be read (e.g. removed).
std::string currentFolder();

// The folder holding the running executable, from /proc/self/exe.
std::string programFolder();

// $HOME, or the passwd entry's home folder when $HOME is unset or empty;
// empty when neither is known.
std::string homeFolder();

// $XDG_CONFIG_HOME/ferrix when that variable is an absolute path, else
// $HOME/.config/ferrix, with the home folder from the passwd entry when $HOME
// is unset or empty. Not created here: the first write creates it.
std::string configFolder();

// $XDG_STATE_HOME/ferrix, else $HOME/.local/state/ferrix, by the same rules:
// where logs are kept. Not created here.
std::string stateFolder();

// "share/ferrix" under the installation prefix of the running program, that
// is <program folder>/../share/ferrix, whether or not it exists; empty when
// the program's folder is unknown.
std::string dataFolder();

// $TMPDIR when set and not empty, else /tmp.
std::string tempFolder();

// The longest file name the file system of `folder` accepts; nothing when the
// system cannot tell.
std::optional<std::size_t> maxNameLength(const std::string& folder);

// `name` inside `folder`. An absolute name stands for itself, and an empty
// folder leaves the name as it is.
std::string joinPath(std::string_view folder, std::string_view name);

// `name` made absolute against `base` (used when `name` is relative) with
// "." and ".." resolved textually, the way a full-path function does it.
std::string absolutePath(std::string_view name, std::string_view base);

// True when a path is relative or holds a "." or ".." component, i.e. it
// needs absolutePath() before it names one place for the whole run.
bool needsAbsoluteForm(std::string_view path);

// True when something other than a folder exists at `path` (an existence
// test only; no access check).
bool fileExists(const std::string& path);

// The folders the configuration searches for its files.
class Paths {
 public:
  virtual ~Paths() = default;
  virtual std::string currentFolder() const = 0;
  virtual std::string programFolder() const = 0;
  virtual std::string configFolder() const = 0;
  // Searched after the others; none unless an implementation has one.
  virtual std::string dataFolder() const { return {}; }
};

// The real folders of this process and user.
class SystemPaths final : public Paths {
 public:
  std::string currentFolder() const override { return platform::currentFolder(); }
  std::string programFolder() const override { return platform::programFolder(); }
  std::string configFolder() const override { return platform::configFolder(); }
  std::string dataFolder() const override { return platform::dataFolder(); }
};

}  // namespace ferrix::platform
