// Reading a listing into the remote pane, from its cached file or as it
// arrives: the bytes are read in whole lines (one line is at most one
// entry), the formats that spread one entry over several lines or several entries over one line are
// put back together (VMS continuation lines, IBM MVS member columns, KA9Q/NOS halves), each line
// goes through the listing decoder and each entry becomes a pane item, its
// name kept as the server listed it and shown in the session's name charset.
//
// The pane owns the items it is given. Thread rule: the thread that owns the
// remote pane. The decoder library keeps parser state for Stratus VOS and
// IBM AS/400 lines, so those listings are decoded one at a time, on that
// thread alone.
#pragma once
#include <ferrixcore.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listing/line_batches.h"
#include "listing/pane_model.h"
#include "listing/parallel_batch_decoder.h"
#include "session/message_log.h"
#include "session/session_state.h"
#include "transfer/name_rules.h"

namespace ferrix::listing {

// What a listing was fetched for: the decoder reads lines by the host
// type, and some formats name entries relative to the folder or the user.
struct ListingSource {
  int hostType = FERRIX_HOST_TYPE_AUTOMATIC;
  std::string remoteFolder;
  std::string userName;
};

using EntrySink = std::function<void(const ListingEntry&)>;

// Decodes a listing handed over in parts of any size, as they arrive: the
// entries reach the sink exactly as if the whole listing were read from a
// file, in listing order.
class ListingStreamDecoder {
 public:
  ListingStreamDecoder(ListingSource source, EntrySink sink);
  ~ListingStreamDecoder();
  ListingStreamDecoder(const ListingStreamDecoder&) = delete;
  ListingStreamDecoder& operator=(const ListingStreamDecoder&) = delete;

  void feed(std::string_view bytes);
  // The listing has ended: decodes what is still held back.
  void finish();
  // Lines skipped for being longer than kLongestListingLine.
  std::size_t skippedLines() const;

 private:
  class Reader;
  ListingSource source_;
  EntrySink sink_;
  std::unique_ptr<Reader> reader_;
};

// The remote pane's items of one listing, decoded while it arrives, so
// that only the ordering is left when the transfer ends. Where lines decode
// alone, batches of them are decoded on two threads at once.
class RemotePaneListing {
 public:
  RemotePaneListing(session::Session& session, const std::string& remoteFolder,
                    const transfer::NameRuleSettings& nameRules);

  void feed(std::string_view bytes);
  // Forgets everything fed so far: the listing counts as empty.
  void clear();
  // Fills `pane` with the parent entry and the entries, ordered; with a
  // `mask`, only the folders and the files whose names match it.
  void fillPane(PaneModel& pane, std::string_view mask = {});

 private:
  void restart();
  // The pane item of a decoded entry, if it makes one; reads only what
  // stays unchanged while the listing arrives.
  std::optional<PaneItem> itemOf(const ListingEntry& entry) const;
  void decodeBatch(std::string_view lines, std::vector<PaneItem>& items) const;
  std::size_t skippedLines() const;

  session::Session& session_;
  ListingSource source_;
  transfer::AsciiNameList asciiNames_;
  std::vector<PaneItem> items_;
  std::unique_ptr<ListingStreamDecoder> decoder_;  // lines that depend on others
  LineBatcher batcher_;                            // lines that decode alone
  std::unique_ptr<ParallelBatchDecoder> batches_;
};

// Hands every entry decoded from the listing in `path` to `sink`, in listing
// order; skipped overlong lines get one "+ " line in `log`. False when the
// file cannot be opened.
bool DecodeListingEntries(session::MessageLog& log, const std::string& path,
                          const ListingSource& source, const EntrySink& sink);

// Fills `pane` with the parent entry and the entries of the listing in
// `path`, decoded for the session's host type in `remoteFolder`. A file that
// cannot be opened is logged and leaves the parent entry alone.
void DecodeListingFile(session::Session& session, const std::string& path,
                       const std::string& remoteFolder, const transfer::NameRuleSettings& nameRules,
                       PaneModel& pane);

}  // namespace ferrix::listing
