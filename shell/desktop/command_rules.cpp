#include "shell/desktop/command_rules.h"

#include "platform/ascii_text.h"
#include "platform/process.h"

namespace ferrix::desktop {
namespace {

std::string_view namePart(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string lowerCased(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool isOneOf(std::string_view extension, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) {
    if (platform::equalsIgnoringCase(extension, name)) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> AssociationTable::command(std::string_view extension) const {
  if (extension.empty()) return std::nullopt;
  std::optional<std::string> command = winIni_.find(kExtensionsSection, extension);
  if (command && command->empty()) return std::nullopt;
  if (command && command->size() > kMaxCommandLength) command->resize(kMaxCommandLength);
  return command;
}

std::vector<std::string> AssociationTable::extensions() const {
  std::vector<std::string> extensions;
  for (const std::string& key : winIni_.keysOf(kExtensionsSection)) {
    extensions.push_back(lowerCased(key));
  }
  return extensions;
}

bool AssociationTable::store(std::string_view extension, std::string_view command) {
  return winIni_.writeString(kExtensionsSection, extension, command);
}

std::string_view extensionAfterLastDot(std::string_view path) {
  std::string_view name = namePart(path);
  std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string_view extensionAfterFirstDot(std::string_view path) {
  std::string_view name = namePart(path);
  std::size_t dot = name.find('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string FormAssociatedCommand(std::string_view command, std::string_view path) {
  std::size_t caret = command.find('^');
  if (caret != std::string_view::npos) {
    return std::string(command.substr(0, caret)) + platform::quotedWord(path);
  }
  return std::string(command) + " " + platform::quotedWord(path);
}

std::string CompleteAssociation(std::string_view command, std::string_view extension) {
  std::size_t caret = command.find('^');
  if (caret == std::string_view::npos) {
    return std::string(command) + " ^." + std::string(extension);
  }
  if (command.find(extension) != std::string_view::npos) return std::string(command);
  return std::string(command.substr(0, caret)) + "^." + std::string(extension);
}

std::string ViewerCommand(std::string_view viewer, std::string_view path) {
  return std::string(viewer) + " " + platform::quotedWord(path);
}

std::optional<std::string> BuildCommand(const CommandRules& rules,
                                        std::string_view nameForExtension,
                                        std::string_view path) {
  std::string_view extension = extensionAfterLastDot(nameForExtension);
  if (extension.empty() || isOneOf(extension, {"bat"})) return ViewerCommand(rules.viewer, path);
  if (isOneOf(extension, {"exe", "com"})) return std::nullopt;
  if (isOneOf(extension, {"pif"})) return "pifedit " + platform::quotedWord(path);
  if (rules.useFindExec && rules.services != nullptr) {
    if (std::optional<std::string> program =
            rules.services->findAssociatedProgram(std::string(path))) {
      return platform::quotedWord(*program) + " " + platform::quotedWord(path);
    }
  }
  if (rules.associations != nullptr) {
    if (std::optional<std::string> command = rules.associations->command(extension)) {
      return FormAssociatedCommand(*command, path);
    }
  }
  return ViewerCommand(rules.viewer, path);
}

}  // namespace ferrix::desktop
