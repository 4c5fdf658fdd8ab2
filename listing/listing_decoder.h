// Reading a cached listing file into the remote pane: the file is read in
// whole lines (one line is at most one entry), the formats that spread one entry over
// several lines or several entries over one line are put back together
// (VMS continuation lines, IBM MVS member columns, KA9Q/NOS halves), each
// line goes through the listing decoder and each entry becomes a pane item.
//
// The pane owns the items it is given. Thread rule: the thread that owns the
// remote pane; the decoder library keeps parser state, so one file at a time.
#pragma once
#include <ferrixcore.h>

#include <functional>
#include <string>

#include "listing/pane_model.h"
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

// Lines longer than this are no listing entry anyone sends; they are skipped.
inline constexpr std::size_t kLongestListingLine = 64 * 1024;

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
