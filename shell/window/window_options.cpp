#include "shell/window/window_options.h"

#include <QMainWindow>

#include "shell/desktop/desktop_extras.h"
#include "shell/dialogs/log_window.h"
#include "shell/window/main_window.h"

namespace ferrix::shell {

namespace {

// The log window while it is open on screen.
LogWindow* openLogWindow(const OptionsServices& services) {
  LogWindow* logWindow = services.logWindow ? services.logWindow() : nullptr;
  return logWindow && logWindow->window() ? logWindow : nullptr;
}

}  // namespace

OptionsSheetContext MakeOptionsContext(const OptionsServices& services) {
  config::ProgramSettings& settings = services.configuration.settings();
  MainWindow& window = services.window;
  OptionsSheetContext context{services.configuration,
                              services.session.state.sessionProfile,
                              {static_cast<char>(settings.MODE), settings.AMODE != 0},
                              window.connected(),
                              window.remoteFolder(),
                              window.localFolder().string()};
  context.setTransferMode = [&settings](config::TransferModeSetting mode) {
    settings.MODE = mode.mode;
    settings.AMODE = mode.automatic ? 1 : 0;
  };
  context.windowLocations = [services] {
    config::WindowLocations locations = services.window.windowLocations();
    if (LogWindow* logWindow = openLogWindow(services)) {
      if (const std::optional<LogWindowRect> rect = logWindow->placement()) {
        locations.logWindow = config::WindowRectangle{rect->left, rect->top, rect->width, rect->height};
      }
    }
    return locations;
  };
  context.resetWindowLocations = [services] {
    services.window.resetWindowLocations();
    if (LogWindow* logWindow = openLogWindow(services)) logWindow->resetPlacement();
  };
  context.redecodeListing = [&window] { window.redecodeRemoteListing(); };
  context.relayout = [&window] { window.relayout(); };
  context.applyListFont = [&window] { window.applyListFont(); };
  context.soundSettingsChanged = [&window] { window.desktop().loadSoundSettings(); };
  context.sortChanged = [&window] { window.applySortSettings(); };
  context.playSound = [&session = services.session](int event) {
    if (session.playSound) session.playSound(event);
  };
  context.showHelp = [&window](int topic) { window.desktop().showHelp(topic); };
  return context;
}

}  // namespace ferrix::shell
