// The name rules every transfer applies: which files go as ASCII in
// automatic mode (the ASCII name list "FERRIX.EXT"), extension conversion
// ("FERRIX.CNV") and lower-casing of uploaded names, and the local name a
// downloaded file is stored under.
//
// The conversion list is read afresh at each call, and the ASCII list
// whenever its file changed (modification time, size or identity), so an
// edit on the options page takes effect at once. A missing file is no error: the ASCII list then
// holds ".TXT" alone and no conversion applies.
//
// Thread rule: safe from any thread (the ASCII list kept between calls is
// guarded).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ferrix::transfer {

struct NameRuleSettings {
  std::filesystem::path asciiListPath;       // FERRIX.EXT
  std::filesystem::path conversionListPath;  // FERRIX.CNV
  bool convertExtensions = false;            // CONVEXT
  bool forceLowercase = false;               // FORCLOW
  bool receiveUnique = false;                // RECU
};

enum class NameDirection { kUpload = 0, kDownload = 1 };

// The ASCII name list as it stands now, for asking about many names at
// once (a whole listing) without looking at the file for each.
class AsciiNameList {
 public:
  static AsciiNameList load(const NameRuleSettings& settings);
  // True when `name` (or a command line ending with a name) is to be
  // transferred as ASCII in automatic mode.
  bool matches(std::string_view name) const;

 private:
  std::shared_ptr<const std::vector<std::string>> entries_;  // none: ".TXT" alone
};

// AsciiNameList::load(settings).matches(name).
bool IsAsciiName(const NameRuleSettings& settings, std::string_view name);

// Lower-cases uploads when asked and applies the first matching conversion
// entry. Returns true when a conversion entry was applied.
bool ConvertTransferName(const NameRuleSettings& settings, std::string& name,
                         NameDirection direction);

// The local name for `remoteName` received into `localFolder`, whose file
// system allows names of `maxNameLength` characters. The result is always a
// plain file name: never empty, ".", "..", nor holding a '/'.
std::string MakeLocalName(const NameRuleSettings& settings, std::string_view remoteName,
                          int hostType, const std::filesystem::path& localFolder,
                          long maxNameLength);

}  // namespace ferrix::transfer
