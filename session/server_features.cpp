#include "session/server_features.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace ferrix::session {
namespace {

std::string upperCase(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Some servers repeat the code on every line ("211-MDTM").
std::string_view withoutReplyCode(std::string_view line) {
  const bool coded = line.size() >= 4 && line.substr(0, 3) == "211" && line[3] == '-';
  return coded ? line.substr(4) : line;
}

// AUTH lists its mechanisms after a blank, separated by ";" ("AUTH TLS;SSL").
bool listsTls(std::string_view mechanisms) {
  const std::string upper = upperCase(mechanisms);
  std::string_view rest = upper;
  while (!rest.empty()) {
    const std::size_t end = rest.find(';');
    if (trimmed(rest.substr(0, end)) == "TLS") return true;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return false;
}

void noteFeature(ServerFeatures& features, std::string_view line) {
  line = trimmed(withoutReplyCode(line));
  const std::size_t blank = line.find(' ');
  const std::string name = upperCase(line.substr(0, blank));
  const std::string_view argument =
      blank == std::string_view::npos ? std::string_view() : trimmed(line.substr(blank + 1));
  if (name == "UTF8") features.utf8 = true;
  if (name == "SIZE") features.size = true;
  if (name == "MDTM") features.mdtm = true;
  if (name == "MFMT") features.mfmt = true;
  if (name == "EPSV") features.epsv = true;
  if (name == "TVFS") features.tvfs = true;
  if (name == "REST" && upperCase(argument) == "STREAM") features.restStream = true;
  if (name == "AUTH" && listsTls(argument)) features.authTls = true;
  if (name == "MLST") {
    features.mlst = true;
    features.mlstFacts = std::string(argument);
  }
}

}  // namespace

ServerFeatures parseFeatureLines(const std::vector<std::string>& replyLines) {
  ServerFeatures features;
  // The first and the last line frame the list ("211-Features:", "211 End").
  for (std::size_t i = 1; i + 1 < replyLines.size(); ++i) noteFeature(features, replyLines[i]);
  return features;
}

}  // namespace ferrix::session
