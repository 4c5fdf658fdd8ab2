// Downloads and uploads of names outside ASCII against the scripted server:
// the command carries the server's own bytes, the local file and the log
// show UTF-8.
#include "session/name_charset.h"
#include "transfer/receive_file.h"
#include "transfer/scripted_transfer_test_support.h"
#include "transfer/send_file.h"

namespace ferrix::transfer {
namespace {

using ::testing::Contains;
using ::testing::IsEmpty;

class NameCharsetTransferTest : public FileTransferTest {
 protected:
  void useCharset(const char* charset) {
    session_.state.sessionProfile.charset = charset;
    session::chooseNameCharset(session_);
  }
};

struct DownloadCase {
  const char* charset;
  std::string wire;       // the name as the server lists it
  std::string localName;  // the name the local file gets
};

TEST_F(NameCharsetTransferTest, DownloadSendsTheServersBytesAndSavesAUtf8Name) {
  const DownloadCase cases[] = {
      {"CP1251", "\xCF\xF0\xE8\xE2\xE5\xF2.txt", "Привет.txt"},
      {"SHIFT_JIS", "\x93\xFA\x96\x7B.txt", "日本.txt"},
      {"auto", "résumé 日本.txt", "résumé 日本.txt"},
      // Not UTF-8 and no charset named: the file still arrives, under the
      // name with replacement characters.
      {"auto", "r\xE9sum\xE9.txt", "r\xEF\xBF\xBDsum\xEF\xBF\xBD.txt"},
  };
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  for (const DownloadCase& c : cases) {
    server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
        .expectLine("RETR " + c.wire).reply("150 Opening " + c.wire).sendData(c.charset)
        .closeData().reply("226 Done");
  }
  connect();
  for (const DownloadCase& c : cases) {
    useCharset(c.charset);
    TransferContext transfer = context();
    EXPECT_EQ(ReceiveFile(transfer, files(localPane_), c.wire, 1, 1, false, false),
              TransferOutcome::kSucceeded)
        << c.charset;
    EXPECT_EQ(scratch_.read(c.localName), c.charset);
    EXPECT_TRUE(logged("receiving " + c.localName + " as " + c.localName + " (1 of 1)"));
    // The dialogue log shows the command and the reply in UTF-8 too.
    EXPECT_TRUE(logged("RETR " + c.localName)) << c.charset;
    EXPECT_TRUE(logged("150 Opening " + c.localName)) << c.charset;
  }
  expectScriptDone();
}

TEST_F(NameCharsetTransferTest, UploadConvertsTheLocalNameOrRefusesOneTheServerCannotHold) {
  session_.state.sessionProfile.serverFeatureMask = 4;
  const std::string cyrillic = scratch_.write("Привет мир.txt", "one");
  const std::string japanese = scratch_.write("日本.txt", "two");
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("STOR \xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0.txt").reply("150 Go")
      .receiveDataUntilClose().reply("226 Stored");
  connect();
  useCharset("CP1251");
  TransferContext transfer = context();
  EXPECT_EQ(SendFile(transfer, files(remotePane_), cyrillic, 1, 2, false, false),
            TransferOutcome::kSucceeded);
  EXPECT_EQ(SendFile(transfer, files(remotePane_), japanese, 2, 2, false, false),
            TransferOutcome::kFailed);
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), ::testing::ElementsAre("one"));
  EXPECT_THAT(log_.history(),
              Contains("! \"日本.txt\" cannot be written in the server's charset CP1251"));
  EXPECT_THAT(scratch_.read("FERRIX.LOG"), ::testing::HasSubstr("/pub Привет мир.txt\n"));
}

}  // namespace
}  // namespace ferrix::transfer
