// The system services the local file commands use: starting a command line,
// the desktop's "open" for a document, and finding the program associated
// with a document. SystemDesktopServices is the real one (posix_spawn and
// xdg-open); tests put a recording fake in its place.
//
// Thread rule: the real services may be called from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ferrix::desktop {

// Results of the desktop's "open", in the numbering callers log: 33 and above
// is success, below is the reason it failed.
inline constexpr unsigned kOpenSucceeded = 42;
inline constexpr unsigned kOpenFileNotFound = 2;
inline constexpr unsigned kOpenNoAssociation = 31;
inline constexpr unsigned kOpenFirstSuccess = 33;

class DesktopServices {
 public:
  virtual ~DesktopServices() = default;
  // Starts the command line and lets it run; true when it started (and did
  // not fail at once).
  virtual bool startCommand(std::string_view commandLine) = 0;
  // Opens the document with the desktop's associated program.
  virtual unsigned openDocument(const std::string& path) = 0;
  // The program that opens documents like `path`, when the desktop has one.
  virtual std::optional<std::string> findAssociatedProgram(const std::string& path) = 0;
};

class SystemDesktopServices final : public DesktopServices {
 public:
  bool startCommand(std::string_view commandLine) override;
  // Runs xdg-open. An opener still running after a few seconds has opened the
  // document (some run the program in the foreground) and is left to run.
  unsigned openDocument(const std::string& path) override;
  // xdg-open, when it is on PATH: it hands the document to the associated
  // program.
  std::optional<std::string> findAssociatedProgram(const std::string& path) override;
};

}  // namespace ferrix::desktop
