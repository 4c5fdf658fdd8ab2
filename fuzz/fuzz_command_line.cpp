// Feeds arbitrary command lines to the option parser, the unattended split
// and the transfer-argument grammar: each must keep within what it was given.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ferrix::config;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CommandLineValues values;
  CommandLineActions actions;
  actions.loadProgramSettings = [] {};
  actions.useIniFile = [](const std::string&) { return std::string(); };
  actions.loadProfile = [](const std::string&) { return std::string(); };
  actions.setUserId = [](const std::string&) {};
  actions.setPassword = [](const std::string&) {};
  actions.setAccount = [](const std::string&) {};
  actions.askText = [](std::string_view, int) { return std::optional<std::string>(); };
  actions.showError = [](const std::string&) {};
  const std::optional<std::string> rest = ParseCommandLineOptions(text, values, actions);
  if (!rest) return 0;
  if (rest->size() > size) __builtin_trap();
  IsUnattendedRun(values, *rest);
  PrepareUnattendedRun(*rest, values);
  for (const std::string& argument : {values.source, values.destination}) {
    const TransferArgument classified = ClassifyTransferArgument(argument);
    if (classified.kind != ArgumentKind::kRemote && !classified.host.empty()) __builtin_trap();
    if (classified.path.size() > argument.size()) __builtin_trap();
  }
  return 0;
}
