#include "shell/network_banner.h"

#include <openssl/crypto.h>

namespace ferrix::shell {

std::string NetworkBannerLine() {
  return std::string("Network: POSIX sockets, TLS: ") + OpenSSL_version(OPENSSL_VERSION);
}

}  // namespace ferrix::shell
