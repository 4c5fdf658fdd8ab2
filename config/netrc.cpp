#include "config/netrc.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "platform/ascii_text.h"

namespace ferrix::config {
namespace {

std::vector<std::string> tokensOf(std::string_view text) {
  std::istringstream stream{std::string(text)};
  std::vector<std::string> tokens;
  for (std::string token; stream >> token;) tokens.push_back(token);
  return tokens;
}

// A "macdef" body runs to the next empty line; its words are no keywords.
std::string_view withoutMacros(std::string_view text, std::string& kept) {
  std::istringstream lines{std::string(text)};
  bool inMacro = false;
  for (std::string line; std::getline(lines, line);) {
    if (inMacro) {
      inMacro = line.find_first_not_of(" \t\r") != std::string::npos;
      continue;
    }
    const std::vector<std::string> words = tokensOf(line);
    for (std::size_t i = 0; i < words.size(); ++i) {
      if (words[i] == "macdef") {
        inMacro = true;
        break;
      }
      kept += words[i] + ' ';
    }
    kept += '\n';
  }
  return kept;
}

}  // namespace

std::optional<NetrcLogin> FindNetrcLogin(std::string_view text, std::string_view host) {
  std::string kept;
  const std::vector<std::string> tokens = tokensOf(withoutMacros(text, kept));
  std::optional<NetrcLogin> matched;
  std::optional<NetrcLogin> fallback;
  std::optional<NetrcLogin>* current = nullptr;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const std::string& token = tokens[i];
    const bool hasValue = i + 1 < tokens.size();
    if (token == "machine" && hasValue) {
      ++i;
      // The first entry for a machine wins, as in other clients.
      current = !matched && platform::equalsIgnoringCase(tokens[i], host) ? &matched : nullptr;
      if (current) matched.emplace();
    } else if (token == "default") {
      current = !fallback ? &fallback : nullptr;
      if (current) fallback.emplace();
    } else if (current && hasValue && token == "login") {
      (*current)->login = tokens[++i];
    } else if (current && hasValue && token == "password") {
      (*current)->password = tokens[++i];
    } else if (current && hasValue && token == "account") {
      (*current)->account = tokens[++i];
    }
  }
  return matched ? matched : fallback;
}

NetrcFile ReadNetrcFile(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return {};
  if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    return {std::nullopt, path.string() + " is readable or writable by others: not used"};
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) return {std::nullopt, path.string() + " cannot be read: not used"};
  std::ostringstream content;
  content << file.rdbuf();
  return {content.str(), ""};
}

}  // namespace ferrix::config
