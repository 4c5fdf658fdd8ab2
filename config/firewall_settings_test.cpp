#include "config/firewall_settings.h"

#include <gtest/gtest.h>

#include "config/scratch_configuration.h"
#include "config/stored_secret.h"

namespace ferrix::config {
namespace {

TEST(FirewallSettings, MissingSectionGivesTheDefaults) {
  testing::ScratchConfiguration configuration;
  const FirewallSettings firewall = readFirewallSettings(*configuration);
  EXPECT_EQ(firewall.type, 1);
  EXPECT_EQ(firewall.host, "");
  EXPECT_EQ(firewall.userId, "");
  EXPECT_FALSE(firewall.port.has_value());
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

TEST(FirewallSettings, WritesWhatItReadsBackAndDropsAnUnsavedPassword) {
  testing::ScratchConfiguration configuration;
  FirewallSettings firewall;
  firewall.type = 4;
  firewall.host = "proxy";
  firewall.port = 8021;
  firewall.userId = "me";
  firewall.password = "pw";
  writeFirewallSettings(*configuration, firewall);
  EXPECT_NE(configuration.readIni().find("PWD=" + encodeSecret("me", "pw")), std::string::npos);

  configuration.reopen();
  FirewallSettings again = readFirewallSettings(*configuration);
  EXPECT_EQ(again.type, 4);
  EXPECT_EQ(again.host, "proxy");
  EXPECT_EQ(again.port, 8021);
  EXPECT_EQ(again.password, "pw");

  again.password.reset();
  writeFirewallSettings(*configuration, again);
  EXPECT_EQ(configuration.readIni().find("PWD="), std::string::npos);
  EXPECT_FALSE(readFirewallSettings(*configuration).password.has_value());
}

}  // namespace
}  // namespace ferrix::config
