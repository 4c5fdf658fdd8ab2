// What the command-line options do to the program: reload the settings, switch
// the INI file, load a site into the session profile, set the logon values,
// ask for the command line and show a command-line error. The console run and
// the window share these; only their user interface differs.
//
// Thread rule: the thread that owns the session, during start-up.
#pragma once

#include "config/command_line.h"
#include "config/configuration.h"
#include "config/site_profile.h"
#include "config/site_profile_store.h"
#include "session/user_interface.h"

namespace ferrix::shell {

// The actions act on `profile` (the session profile) and ask or tell through
// `userInterface`; all four must outlive the parse.
config::CommandLineActions StandardCommandLineActions(config::Configuration& configuration,
                                                      config::SiteProfileStore& sites,
                                                      config::SiteProfile& profile,
                                                      session::UserInterface& userInterface);

}  // namespace ferrix::shell
