#include "listing/listing_decoder.h"

#include <ferrixcore.h>

#include <cstdio>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "listing/listing_format.h"
#include "listing/remote_pane_item.h"
#include "session/message_log.h"
#include "session/sound_events.h"

namespace ferrix::listing {

namespace {

constexpr int kLineBufferSize = 180;
constexpr std::size_t kVmsWrapLimit = 53;
constexpr std::size_t kKa9qHalf = 40;
constexpr std::size_t kMemberColumnWidth = 10;
constexpr std::size_t kMemberNameLength = 8;
constexpr const char* kCannotOpen = "! couldn't open %s for read.";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Reads the next piece of at most 179 characters, cut at its line end.
bool readPiece(std::FILE* file, std::string& line) {
  char buffer[kLineBufferSize];
  if (std::fgets(buffer, sizeof buffer, file) == nullptr) return false;
  line.assign(buffer);
  std::size_t end = line.find('\r');
  if (end == std::string::npos) end = line.find('\n');
  if (end != std::string::npos) line.resize(end);
  return true;
}

class ListingReader {
 public:
  ListingReader(const ListingSource& source, const EntrySink& sink)
      : source_(source), hostType_(source.hostType), sink_(sink) {}

  void read(std::FILE* file) {
    std::string line;
    for (int lineNumber = 1; readPiece(file, line); ++lineNumber) {
      if (isVms() && mayContinue(line)) {
        readContinuation(file, line);
      } else if (hostType_ == FERRIX_HOST_TYPE_IBM_MVS) {
        readMvsLine(line, lineNumber);
      } else if (hostType_ == FERRIX_HOST_TYPE_KA9Q_NOS && line.size() > kKa9qHalf) {
        if (decodeAndAdd(line.substr(0, kKa9qHalf))) decodeAndAdd(line.substr(kKa9qHalf + 1));
      } else {
        decodeAndAdd(line);
      }
    }
  }

 private:
  bool isVms() const {
    return hostType_ == FERRIX_HOST_TYPE_VMS_MULTINET || hostType_ == FERRIX_HOST_TYPE_VMS_UCX;
  }

  static bool mayContinue(const std::string& line) {
    return line.find(';') != std::string::npos && line.size() < kVmsWrapLimit;
  }

  // A short VMS name line whose attributes may stand on the next, indented
  // line; a next line that is not indented is an entry of its own.
  void readContinuation(std::FILE* file, const std::string& line) {
    std::string next;
    if (!readPiece(file, next)) next.clear();
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
};

}  // namespace

bool DecodeListingEntries(const std::string& path, const ListingSource& source,
                          const EntrySink& sink) {
  const File file(std::fopen(path.c_str(), "r"));
  if (!file) return false;
  ListingReader(source, sink).read(file.get());
  return true;
}

void DecodeListingFile(session::Session& session, const std::string& path,
                       const std::string& remoteFolder, const transfer::NameRuleSettings& nameRules,
                       PaneModel& pane) {
  pane.clear();
  pane.add(MakeNamedItem(PaneSide::kRemote, kKindFolder, kParentName));
  const config::SiteProfile& profile = session.state.sessionProfile;
  const ListingSource source{ListingHostType(session.state), remoteFolder, profile.userId};
  const bool utcTimes = source.hostType == FERRIX_HOST_TYPE_MLSD;
  const transfer::AsciiNameList asciiNames = transfer::AsciiNameList::load(nameRules);
  std::vector<PaneItem> items;
  const bool opened = DecodeListingEntries(path, source, [&](const ListingEntry& decoded) {
    const ListingEntry entry = utcTimes ? UtcToLocalTime(decoded) : decoded;
    if (std::optional<PaneItem> item = MakeRemoteItem(entry, asciiNames, profile.timeOffsetHours)) {
      items.push_back(std::move(*item));
    }
  });
  if (!opened) {
    session.log.logMessagef(kCannotOpen, path.c_str());
    if (session.playSound) session.playSound(session::sound_event::kActionFailed);
    return;
  }
  pane.addAll(std::move(items));
}

}  // namespace ferrix::listing
