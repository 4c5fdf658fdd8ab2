// OptionsSheetContext: what the window lends the options sheet for one
// opening: the configuration, the session state the Session pages show, and
// the callbacks through which the sheet reaches what the window owns (window
// locations, the listing shown, the list font, sounds, help).
//
// The window owns everything referred to; any callback may be empty, and is
// then skipped. Thread rule: GUI thread only.
#pragma once

#include <functional>
#include <string>

#include "config/configuration.h"
#include "config/options_pages.h"
#include "config/site_profile.h"

namespace ferrix::shell {

struct OptionsSheetContext {
  config::Configuration& configuration;
  config::SiteProfile& sessionProfile;
  config::TransferModeSetting transferMode{};  // in use when the sheet opens
  bool connected = false;
  std::string remoteFolder{};  // current folders while connected
  std::string localFolder{};

  // OK changed the transfer mode on the "Session (cont'd)" page.
  std::function<void(config::TransferModeSetting)> setTransferMode{};
  // "&Save Window Locations" asks where the windows are.
  std::function<config::WindowLocations()> windowLocations{};
  // "&Reset Window Locations": the keys are deleted; the window moves the
  // main and log windows to their starting places.
  std::function<void()> resetWindowLocations{};
  // OK changed the host type while connected: decode the fetched listing again.
  std::function<void()> redecodeListing{};
  // OK changed a layout key of the Display page.
  std::function<void()> relayout{};
  // The list font changed (OK, or the custom font chosen at once).
  std::function<void()> applyListFont{};
  // OK changed the sound settings, or the sort values.
  std::function<void()> soundSettingsChanged{};
  std::function<void()> sortChanged{};
  // Plays a sound event (1, 2, 4, 8, 16) for the Sounds page's test buttons.
  std::function<void(int event)> playSound{};
  // Opens the help at a context number.
  std::function<void(int context)> showHelp{};
};

}  // namespace ferrix::shell
