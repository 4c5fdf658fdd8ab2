#include "shell/password_arguments.h"

#include <cstring>
#include <string_view>

#include "config/ftp_url.h"

namespace ferrix::shell {
namespace {

void blotOut(char* text, std::size_t length) { std::memset(text, 'x', length); }

}  // namespace

void HidePasswordArguments(int count, char** arguments) {
  for (int i = 1; i < count; ++i) {
    const std::string_view argument(arguments[i]);
    if (argument.starts_with("-w") && i + 1 < count && std::string_view(arguments[i + 1]) != "-") {
      blotOut(arguments[i + 1], std::strlen(arguments[i + 1]));
    } else if (const auto span = config::FtpUrlPasswordSpan(argument)) {
      blotOut(arguments[i] + span->offset, span->length);
    }
  }
}

}  // namespace ferrix::shell
