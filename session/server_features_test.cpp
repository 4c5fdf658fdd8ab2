#include "session/server_features.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string_view>

#include "session/control_channel.h"
#include "session/feature_exchange.h"
#include "session/message_log.h"
#include "testing/scripted_ftp_server.h"

namespace ferrix::session {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::ScriptedFtpServer;

ServerFeatures featuresOf(std::initializer_list<const char*> middle) {
  std::vector<std::string> lines{"211-Features:"};
  lines.insert(lines.end(), middle.begin(), middle.end());
  lines.push_back("211 End");
  return parseFeatureLines(lines);
}

TEST(FeatureLines, EachListedFeatureIsNoted) {
  const ServerFeatures features =
      featuresOf({" UTF8", " MLST type*;size*;modify*;", " SIZE", " MDTM", " MFMT",
                  " REST STREAM", " EPSV", " AUTH TLS;SSL", " TVFS"});
  EXPECT_TRUE(features.utf8 && features.mlst && features.size && features.mdtm &&
              features.mfmt && features.restStream && features.epsv && features.authTls &&
              features.tvfs);
  EXPECT_EQ(features.mlstFacts, "type*;size*;modify*;");
}

TEST(FeatureLines, OddlyWrittenAndMalformedLines) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    ServerFeatures expected;
  };
  ServerFeatures sizeOnly;
  sizeOnly.size = true;
  ServerFeatures epsvAndMdtm;
  epsvAndMdtm.epsv = true;
  epsvAndMdtm.mdtm = true;
  const Case cases[] = {
      {"lower case, tabs, code on every line",
       {"211-Features", "211-\tepsv", "211- mdtm ", "211 End"}, epsvAndMdtm},
      {"the frame lines name no feature", {"211-SIZE", " SIZE", "211 EPSV"}, sizeOnly},
      {"REST without STREAM, AUTH without TLS, UTF8X",
       {"211-x", " REST", " REST RANGE", " AUTH SSL", " UTF8X", " SIZE", "211 End"}, sizeOnly},
      {"garbage, empty lines and controls",
       {"211-x", "", "   ", "\x01\x02", "SIZE", "\xff\xfe MDTM", "211 End"}, sizeOnly},
      {"a single-line reply", {"211 No features"}, {}},
      {"nothing at all", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(parseFeatureLines(c.lines), c.expected);
  }
}

// ---- The exchange after the logon, against the scripted server ----

struct FeatureExchange {
  FeatureExchange() : session_(log_, clock_, resolver_) {}

  void exchange() {
    server_.start();
    control_ = openControlConnection(session_, "127.0.0.1", server_.port());
    exchanged_ = exchangeFeatures(session_, control_);
    EXPECT_TRUE(server_.waitUntilDone(std::chrono::milliseconds(5000)));
    EXPECT_THAT(server_.failures(), IsEmpty());
  }

  ~FeatureExchange() { platform::closeSocket(control_); }

  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  MessageLog log_;
  Session session_;
  ScriptedFtpServer server_;
  int control_ = -1;
  bool exchanged_ = false;
};

TEST(FeatureExchangeTest, Utf8IsSwitchedOnWhenListed) {
  FeatureExchange test;
  test.server_.expectLine("FEAT").reply("211-Extensions supported:").reply(" UTF8").reply(" EPSV")
      .reply("211 End").expectLine("OPTS UTF8 ON").reply("200 Always in UTF8 mode.");
  test.exchange();
  EXPECT_TRUE(test.session_.state.features.utf8);
  EXPECT_TRUE(test.session_.state.features.epsv);
  EXPECT_THAT(test.server_.receivedLines(), ElementsAre("FEAT", "OPTS UTF8 ON"));
}

TEST(FeatureExchangeTest, RefusalsAndOtherCodesMeanNoFeatures) {
  for (const char* reply : {"500 FEAT not understood", "502 Not implemented",
                            "214-Help\r\n UTF8\r\n EPSV\r\n214 End", "421 Closing"}) {
    SCOPED_TRACE(reply);
    FeatureExchange test;
    test.session_.state.features.epsv = true;  // left over from an earlier connection
    test.server_.expectLine("FEAT").reply(reply);
    const bool closing = std::string_view(reply).starts_with("421");
    if (!closing) test.server_.expectLine("NOOP").reply("200 in step");
    test.server_.start();
    test.control_ = openControlConnection(test.session_, "127.0.0.1", test.server_.port());
    EXPECT_TRUE(exchangeFeatures(test.session_, test.control_));
    EXPECT_EQ(test.session_.state.features, ServerFeatures{});
    // The whole reply was read: the next command gets its own.
    if (!closing) {
      EXPECT_EQ(sendCommand(test.session_, test.control_, "NOOP"), 2);
      EXPECT_EQ(test.session_.state.replyLine, "200 in step");
    }
    EXPECT_TRUE(test.server_.waitUntilDone(std::chrono::milliseconds(5000)));
    EXPECT_THAT(test.server_.failures(), IsEmpty());
  }
}

TEST(FeatureExchangeTest, AReplyWithoutEndGivesUpTheConnection) {
  FeatureExchange test;
  std::string endless = "211-Features:\r\n";
  for (std::size_t i = 0; i < kMaxFeatureLines + 10; ++i) endless += " SIZE\r\n";
  test.server_.expectLine("FEAT").send(endless).neverAnswer();
  test.server_.start();
  test.control_ = openControlConnection(test.session_, "127.0.0.1", test.server_.port());
  EXPECT_FALSE(exchangeFeatures(test.session_, test.control_));
  EXPECT_EQ(test.session_.state.features, ServerFeatures{});
  EXPECT_THAT(test.log_.history(),
              Contains("! The reply to FEAT does not end; closing the connection"));
}

TEST(FeatureExchangeTest, MalformedFeatureLinesAreSkippedAndTheRestKept) {
  FeatureExchange test;
  test.server_.expectLine("FEAT").reply("211-Features:").reply("\x01garbage").reply("")
      .reply("211-MDTM").reply(" REST STREAM").reply("211 End");
  test.exchange();
  EXPECT_TRUE(test.exchanged_);
  EXPECT_TRUE(test.session_.state.features.mdtm);
  EXPECT_TRUE(test.session_.state.features.restStream);
  EXPECT_FALSE(test.session_.state.features.utf8);
  EXPECT_THAT(test.server_.receivedLines(), ElementsAre("FEAT"));
}

}  // namespace
}  // namespace ferrix::session
