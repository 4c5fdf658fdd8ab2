#include "listing/listing_decoder.h"

#include <ferrixcore.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "listing/listing_format.h"
#include "listing/remote_pane_item.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "session/sound_events.h"

namespace ferrix::listing {

namespace {

constexpr std::size_t kReadChunk = 65536;
constexpr std::size_t kVmsWrapLimit = 53;
constexpr std::size_t kKa9qHalf = 40;
constexpr std::size_t kMemberColumnWidth = 10;
constexpr std::size_t kMemberNameLength = 8;
constexpr const char* kCannotOpen = "! couldn't open %s for read.";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Whether every line of a listing of `hostType` decodes without the lines
// around it: not where entries span lines (VMS, IBM MVS member columns) or
// where the decoder remembers earlier lines (IBM AS/400, Stratus VOS).
bool LinesDecodeAlone(int hostType) {
  switch (hostType) {
    case FERRIX_HOST_TYPE_VMS_MULTINET:
    case FERRIX_HOST_TYPE_VMS_UCX:
    case FERRIX_HOST_TYPE_IBM_MVS:
    case FERRIX_HOST_TYPE_IBM_AS400:
    case FERRIX_HOST_TYPE_STRATUS_VOS:
      return false;
    default:
      return true;
  }
}

}  // namespace

// Whole lines, so that one line is at most one entry, read as C strings (a
// NUL ends one early) and without their line end (from the first CR). A line
// longer than kLongestListingLine is skipped whole and counted, so it can
// never turn into entries made of its pieces.
class ListingStreamDecoder::Reader {
 public:
  Reader(const ListingSource& source, const EntrySink& sink)
      : source_(source), hostType_(source.hostType), sink_(sink) {}

  void feed(std::string_view bytes) {
    while (!bytes.empty()) {
      const std::size_t lineFeed = bytes.find('\n');
      const std::string_view part = bytes.substr(0, lineFeed);
      if (!tooLong_ && line_.size() + part.size() > kLongestListingLine) {
        tooLong_ = true;
        line_.clear();
      }
      if (!tooLong_) line_.append(part);
      if (lineFeed == std::string_view::npos) return;
      bytes.remove_prefix(lineFeed + 1);
      endLine();
    }
  }

  void finish() {
    if (!line_.empty() || tooLong_) endLine();
    if (continued_) completeContinuation("");
  }

  std::size_t skippedLines() const { return skippedLines_; }

 private:
  void endLine() {
    if (tooLong_) {
      tooLong_ = false;
      ++skippedLines_;
      return;
    }
    // The line ends at its first CR or NUL, whichever comes first.
    line_.resize(std::strcspn(line_.c_str(), "\r"));
    takeLine(line_);
    line_.clear();
  }

  void takeLine(const std::string& line) {
    if (continued_) {
      completeContinuation(line);
      return;
    }
    ++lineNumber_;
    if (isVms() && mayContinue(line)) {
      continued_ = line;
    } else if (hostType_ == FERRIX_HOST_TYPE_IBM_MVS) {
      readMvsLine(line, lineNumber_);
    } else if (hostType_ == FERRIX_HOST_TYPE_KA9Q_NOS && line.size() > kKa9qHalf) {
      if (decodeAndAdd(line.substr(0, kKa9qHalf))) decodeAndAdd(line.substr(kKa9qHalf + 1));
    } else {
      decodeAndAdd(line);
    }
  }

  bool isVms() const {
    return hostType_ == FERRIX_HOST_TYPE_VMS_MULTINET || hostType_ == FERRIX_HOST_TYPE_VMS_UCX;
  }

  static bool mayContinue(const std::string& line) {
    return line.find(';') != std::string::npos && line.size() < kVmsWrapLimit;
  }

  // A short VMS name line whose attributes may stand on the next, indented
  // line; a next line that is not indented is an entry of its own.
  void completeContinuation(const std::string& next) {
    const std::string line = std::move(*continued_);
    continued_.reset();
    if (!next.empty() && (next[0] == ' ' || next[0] == '\t')) {
      decodeAndAdd(line + ' ' + next);
      return;
    }
    decodeAndAdd(line);
    decodeAndAdd(next);
  }

  static bool startsMemberColumns(const std::string& line) {
    if (line.size() < 70) return false;
    const auto at = [&](std::size_t position, char wanted) { return line[position] == wanted; };
    return at(40, ' ') && at(44, 'F') && at(45, 'B') && at(46, ' ') && at(50, ' ') && at(61, 'P') &&
           at(62, 'O') && at(63, ' ') && at(64, 'N') && at(65, 'O') && at(66, ' ') && at(68, ' ');
  }

  static bool isMemberRow(const std::string& line) {
    return line.size() > 9 && line[0] != ' ' && line[8] == ' ' && line[9] == ' ';
  }

  void readMvsLine(const std::string& line, int lineNumber) {
    if (lineNumber == 1 && startsMemberColumns(line)) {
      memberColumns_ = true;
      return;
    }
    if (memberColumns_ && isMemberRow(line)) {
      addMembers(line);
      return;
    }
    memberColumns_ = false;
    decodeAndAdd(line);
  }

  void addMembers(const std::string& line) {
    for (std::size_t column = 0; column < line.size(); column += kMemberColumnWidth) {
      if (line[column] == ' ') continue;
      std::string name = line.substr(column, kMemberNameLength);
      name.erase(name.find_last_not_of(" \t") + 1);
      ListingEntry entry{};
      name.copy(entry.name, sizeof entry.name - 1);
      add(entry);
    }
  }

  bool decodeAndAdd(const std::string& line) {
    ListingEntry entry{};
    if (FERRIX_DecodeLine(&entry, line.c_str(), hostType_, source_.remoteFolder.c_str(),
                          source_.userName.c_str()) == 0) {
      return false;
    }
    add(entry);
    return true;
  }

  void add(const ListingEntry& entry) { sink_(entry); }

  const ListingSource& source_;
  int hostType_;
  const EntrySink& sink_;
  bool memberColumns_ = false;
  int lineNumber_ = 0;
  std::string line_;
  bool tooLong_ = false;
  std::size_t skippedLines_ = 0;
  std::optional<std::string> continued_;  // a VMS line waiting for the next
};

ListingStreamDecoder::ListingStreamDecoder(ListingSource source, EntrySink sink)
    : source_(std::move(source)),
      sink_(std::move(sink)),
      reader_(std::make_unique<Reader>(source_, sink_)) {}

ListingStreamDecoder::~ListingStreamDecoder() = default;

void ListingStreamDecoder::feed(std::string_view bytes) { reader_->feed(bytes); }

void ListingStreamDecoder::finish() { reader_->finish(); }

std::size_t ListingStreamDecoder::skippedLines() const { return reader_->skippedLines(); }

void LogSkippedLines(session::MessageLog& log, std::size_t skippedLines) {
  if (skippedLines == 0) return;
  log.logMessagef("+ %zu listing line(s) longer than %zu characters skipped", skippedLines,
                  kLongestListingLine);
}

bool DecodeListingEntries(session::MessageLog& log, const std::string& path,
                          const ListingSource& source, const EntrySink& sink) {
  const File file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  ListingStreamDecoder decoder(source, sink);
  const std::unique_ptr<char[]> chunk = std::make_unique_for_overwrite<char[]>(kReadChunk);
  for (std::size_t length; (length = std::fread(chunk.get(), 1, kReadChunk, file.get())) > 0;) {
    decoder.feed(std::string_view(chunk.get(), length));
  }
  decoder.finish();
  LogSkippedLines(log, decoder.skippedLines());
  return true;
}

RemotePaneListing::RemotePaneListing(session::Session& session, const std::string& remoteFolder,
                                     const transfer::NameRuleSettings& nameRules)
    : session_(session),
      source_{ListingHostType(session.state), remoteFolder, session.state.sessionProfile.userId},
      asciiNames_(transfer::AsciiNameList::load(nameRules)) {
  if (LinesDecodeAlone(source_.hostType)) {
    batches_ = std::make_unique<ParallelBatchDecoder>(
        [this](std::string_view lines, std::vector<PaneItem>& items) { decodeBatch(lines, items); },
        items_);
  }
  restart();
}

void RemotePaneListing::restart() {
  if (batches_) {
    batches_->clear();
    batcher_.clear();
  } else {
    decoder_ = std::make_unique<ListingStreamDecoder>(source_, [this](const ListingEntry& entry) {
      if (std::optional<PaneItem> item = itemOf(entry)) items_.push_back(std::move(*item));
    });
  }
  // The parent entry goes in with the others (the order puts it first), so
  // the pane takes the decoded items over without copying them.
  items_.clear();
  items_.push_back(MakeNamedItem(PaneSide::kRemote, kKindFolder, kParentName));
}

void RemotePaneListing::feed(std::string_view bytes) {
  if (batches_) {
    batcher_.feed(bytes, [this](std::string batch) { batches_->add(std::move(batch)); });
  } else {
    decoder_->feed(bytes);
  }
}

std::optional<PaneItem> RemotePaneListing::itemOf(const ListingEntry& entry) const {
  // MLSD times are UTC; the pane shows local time before the site's offset.
  const bool utcTimes = source_.hostType == FERRIX_HOST_TYPE_MLSD;
  std::optional<PaneItem> item =
      MakeRemoteItem(utcTimes ? UtcToLocalTime(entry) : entry, asciiNames_,
                     session_.state.sessionProfile.timeOffsetHours);
  if (!item) return item;
  if (std::optional<std::string> shown =
          session::shownNameIfDifferent(session_.state, item->name())) {
    item->setShownName(*shown);
  }
  return item;
}

void RemotePaneListing::decodeBatch(std::string_view lines, std::vector<PaneItem>& items) const {
  ListingStreamDecoder decoder(source_, [this, &items](const ListingEntry& entry) {
    if (std::optional<PaneItem> item = itemOf(entry)) items.push_back(std::move(*item));
  });
  decoder.feed(lines);
  decoder.finish();
}

std::size_t RemotePaneListing::skippedLines() const {
  return batches_ ? batcher_.skippedLines() : decoder_->skippedLines();
}

void RemotePaneListing::clear() { restart(); }

void RemotePaneListing::fillPane(PaneModel& pane, std::string_view mask) {
  if (batches_) {
    batcher_.finish([this](std::string batch) { batches_->add(std::move(batch)); });
    batches_->finish();
  } else {
    decoder_->finish();
  }
  LogSkippedLines(session_.log, skippedLines());
  if (!mask.empty()) {
    std::erase_if(items_, [mask](const PaneItem& item) {
      return item.kind < kKindFolder && !MatchesLocalMask(item.name(), mask);
    });
  }
  pane.clear();
  pane.addAll(std::move(items_));
  clear();
}

void DecodeListingFile(session::Session& session, const std::string& path,
                       const std::string& remoteFolder, const transfer::NameRuleSettings& nameRules,
                       PaneModel& pane) {
  const File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    pane.clear();
    pane.add(MakeNamedItem(PaneSide::kRemote, kKindFolder, kParentName));
    session.log.logMessagef(kCannotOpen, path.c_str());
    if (session.playSound) session.playSound(session::sound_event::kActionFailed);
    return;
  }
  RemotePaneListing listing(session, remoteFolder, nameRules);
  const std::unique_ptr<char[]> chunk = std::make_unique_for_overwrite<char[]>(kReadChunk);
  for (std::size_t length; (length = std::fread(chunk.get(), 1, kReadChunk, file.get())) > 0;) {
    listing.feed(std::string_view(chunk.get(), length));
  }
  listing.fillPane(pane);
}

}  // namespace ferrix::listing
