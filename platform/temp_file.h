// Uniquely named temporary files: the listing cache ("DIR"), files shown or
// inspected locally ("DSP") and remote files being edited ("EDT"). The name
// is made and the file created in one step (mode 0600), so no other process
// can take the name in between.
//
// A TempFile owns its file and deletes it when destroyed, unless keep() hands
// the file over to the caller. Thread rule: one owner at a time; different
// TempFiles may be used on different threads.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace ferrix::platform {

inline constexpr std::string_view kTempSuffix = ".TMP";

class TempFile {
 public:
  // Creates an empty file named <prefix><six random characters>.TMP in
  // `folder`. Returns nothing and sets `error` when the file cannot be
  // created; a prefix holding '/' is refused (it would leave the folder).
  static std::optional<TempFile> create(std::string_view folder, std::string_view prefix,
                                        std::error_code& error);
  // As create, with `suffix` (such as ".txt") in place of ".TMP", so the file
  // carries the extension of what it holds. A suffix holding '/' is refused.
  static std::optional<TempFile> createWithSuffix(std::string_view folder, std::string_view prefix,
                                                  std::string_view suffix, std::error_code& error);

  TempFile(TempFile&& other) noexcept;
  TempFile& operator=(TempFile&& other) noexcept;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile();

  // Empty once the file was kept or removed.
  const std::string& path() const { return path_; }

  // Gives up ownership: the file stays on disk; returns its path.
  std::string keep();

  // Deletes the file now; false when the system refused (the file is then
  // no longer owned either).
  bool remove();

 private:
  explicit TempFile(std::string path) : path_(std::move(path)) {}

  std::string path_;
};

}  // namespace ferrix::platform
