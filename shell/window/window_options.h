// What the options sheet reaches of the running program when the main window
// opens it: the window's locations, layout, list font, sort and remote
// listing, the log window's place, the transfer mode, the sound player and
// the help window. Every callback acts on the live objects at once.
//
// The context borrows the window, the session and the log window's holder;
// all of them outlive the sheet. Thread rule: GUI thread only.
#pragma once

#include <functional>

#include "session/session_state.h"
#include "shell/options/options_context.h"

namespace ferrix::shell {

class LogWindow;
class MainWindow;

struct OptionsServices {
  config::Configuration& configuration;
  session::Session& session;
  MainWindow& window;
  // The log window while the program holds one, else nothing.
  std::function<LogWindow*()> logWindow;
};

OptionsSheetContext MakeOptionsContext(const OptionsServices& services);

}  // namespace ferrix::shell
