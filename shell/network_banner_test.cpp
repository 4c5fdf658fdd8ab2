#include "shell/network_banner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ferrix::shell {
namespace {

TEST(NetworkBanner, NamesTheSocketsAndTheTlsLibraryWithItsVersion) {
  EXPECT_THAT(
      NetworkBannerLine(),
      ::testing::MatchesRegex("Network: POSIX sockets, TLS: OpenSSL [0-9]+\\.[0-9]+\\.[0-9]+.*"));
}

}  // namespace
}  // namespace ferrix::shell
