#include "transfer/transfer_log.h"

#include <cstdarg>
#include <cstdio>
#include <system_error>

#include "platform/paths.h"

namespace ferrix::transfer {
namespace {

constexpr std::size_t kFolderLength = 142;
constexpr std::size_t kLogFileNameLength = 155;

std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string formatted(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list measuring;
  va_copy(measuring, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, arguments);
  va_end(arguments);
  return text;
}

}  // namespace

std::string FormatTransferLogLine(const TransferLogEntry& entry,
                                  const std::filesystem::path& currentFolder, const std::tm& when) {
  const std::string folder = currentFolder.string().substr(0, kFolderLength);
  return formatted("%04d.%02d.%02d %02d:%02d %c %s/%s %s %s %s %s\n", when.tm_year + 1900,
                   when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min,
                   entry.serverTransferType == 'A' ? 'A' : 'B', folder.c_str(),
                   entry.localName.c_str(),
                   entry.direction == TransferDirection::kSent ? "-->" : "<--",
                   entry.site.c_str(), entry.remoteFolder.c_str(), entry.remoteName.c_str());
}

std::filesystem::path TransferLogPath(const TransferLogSettings& settings) {
  const std::filesystem::path name = settings.logfile.substr(0, kLogFileNameLength);
  if (name.is_absolute()) return name;
  return std::filesystem::path(platform::stateFolder()) / name;
}

void AppendTransferLog(const TransferLogSettings& settings, const TransferLogEntry& entry,
                       const std::filesystem::path& currentFolder, std::time_t now) {
  if (settings.dolog != 1) return;
  std::tm when{};
  localtime_r(&now, &when);
  const std::filesystem::path path = TransferLogPath(settings);
  if (!std::filesystem::path(settings.logfile).is_absolute()) {
    std::error_code error;
    std::filesystem::create_directories(platform::stateFolder(), error);
  }
  std::FILE* file = std::fopen(path.c_str(), "a");
  if (file == nullptr) return;
  const std::string line = FormatTransferLogLine(entry, currentFolder, when);
  std::fputs(line.c_str(), file);
  std::fclose(file);
}

}  // namespace ferrix::transfer
