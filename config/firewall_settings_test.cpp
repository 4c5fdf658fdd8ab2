#include "config/firewall_settings.h"

#include <gtest/gtest.h>

#include "config/scratch_configuration.h"
#include "config/stored_secret.h"

namespace ferrix::config {
namespace {

TEST(FirewallSettings, WithoutPortAndPasswordTheLogonUsesPort21AndNoStoredPassword) {
  testing::ScratchConfiguration configuration;
  configuration.writeIni("[FIREWALL]\nHOST=gate\n");
  const FirewallSettings firewall = readFirewallSettings(*configuration);
  EXPECT_EQ(firewall.type, 1);
  EXPECT_EQ(firewall.portAtLogon(), 21);
  EXPECT_FALSE(firewall.password.has_value());
}

TEST(FirewallSettings, ReadsTheSectionAndDecodesThePassword) {
  testing::ScratchConfiguration configuration;
  configuration.writeIni("[firewall]\nHOST=gate.example\nuid=fwuser\nPORT=2121\nFIRETYPE=6\nPWD=" +
                         encodeSecret("fwuser", "open sesame") + "\n");
  const FirewallSettings firewall = readFirewallSettings(*configuration);
  EXPECT_EQ(firewall.type, 6);
  EXPECT_EQ(firewall.host, "gate.example");
  EXPECT_EQ(firewall.userId, "fwuser");
  EXPECT_EQ(firewall.portAtLogon(), 2121);
  EXPECT_EQ(firewall.password, "open sesame");
}

}  // namespace
}  // namespace ferrix::config
