// The start-up line that says which network and TLS library this run uses,
// for the message log's banner and for bug reports.
// Thread rule: any thread.
#pragma once

#include <string>

namespace ferrix::shell {

// "Network: POSIX sockets, TLS: OpenSSL 3.0.11 19 Sep 2023": the TLS
// library's own version text, read from the library loaded at run time.
std::string NetworkBannerLine();

}  // namespace ferrix::shell
