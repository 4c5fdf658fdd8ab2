// The two decoding exports: the processing every listing line gets around its
// host-type parser, the dispatch from host type to parser, and the folder-list
// form used by the library's own client.
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "decoder/include/ferrixcore.h"
#include "decoder/parse_context.h"
#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

// Room for 511 characters; longer lines are read up to there.
constexpr std::size_t kWorkLineSize = 512;

// One row per host type, identifier minus 6000.
constexpr LineParser kParsers[FERRIX_HOST_TYPE_COUNT] = {
    ParseUnixLine,  // 6000 Automatic detect
    ParseChameleonLine,  // 6001 Chameleon
    ParsePcTcpLine,  // 6002 FTP PC/TCP
    ParseIbmPcLine,  // 6003 IBM PC TCP/IP
    ParseVmLine,  // 6004 IBM VM
    ParseKa9qLine,  // 6005 KA9Q/NOS
    ParseNcsaLine,  // 6006 NCSA/CUTCP
    ParseSiNtLine,  // 6007 SI NT FTPD
    ParseChameleonLine,  // 6008 Super TCP
    ParseUnixLine,  // 6009 Unisys 5000 (EXOS)
    ParseUnixLine,  // 6010 UNIX (standard)
    ParseMultiNetLine,  // 6011 VMS MultiNet
    ParseUcxLine,  // 6012 VMS UCX
    ParseQvtLine,  // 6013 QVT/Net 2/3
    ParseQvtLine,  // 6014 MAC NCSA
    ParsePeterServerLine,  // 6015 MAC Peter Server
    ParseNtLine,  // 6016 Microsoft NT
    ParseAs400Line,  // 6017 IBM AS/400
    ParseMvsLine,  // 6018 IBM MVS
    ParseMultiNetLine,  // 6019 PDP11 RSX11M
    ParseUnixLine,  // 6020 Sun Solaris
    ParseOs9Line,  // 6021 OS/9
    ParsePcnfsLine,  // 6022 Corvane
    ParseGcosLine,  // 6023 BULL GCOS
    ParseKnetMvsLine,  // 6024 IBM MVS/KNET
    ParseAmigaLine,  // 6025 Amiga
    ParseCyberLine,  // 6026 CDC Cyber
    ParseR1000Line,  // 6027 IBM R1000
    ParseCp6Line,  // 6028 BULL CP6
    ParseSpartacusLine,  // 6029 IBM Spartacus KNET
    ParseTandemLine,  // 6030 Tandem
    ParseVosLine,  // 6031 Stratus VOS
    ParseMpeLine,  // 6032 HP/3000
    ParseUnixLine,  // 6033 Serv-U
    ParseUnixLine,  // 6034 WFTPD
    ParseNetWareLine,  // 6035 NetWare v4
    ParsePcnfsLine,  // 6036 PCNFS-Pro
    ParseNcsaLine,  // 6037 TGV MultiNet
    ParseNcsaLine,  // 6038 FTP PC/TCP 3.0
    ParseQvt4Line,  // 6039 QVT/Net 4.0
    ParseVersaTermLine,  // 6040 MAC VersaTerm
    ParseHellSoftLine,  // 6041 HellSoft
    ParseWarpLine,  // 6042 IBM OS2 WARP
    ParsePrimosLine,  // 6043 PRIMOS
    ParseOs2200Line,  // 6044 OS2200
    ParseUniTreeLine,  // 6045 UniTree
    ParseQnxLine,  // 6046 QNX2
    ParseNcsaLine,  // 6047 WarFTPD
    ParseOs2Line,  // 6048 IBM OS2
    ParseMusicLine,  // 6049 Music
    ParseAosVsLine,  // 6050 AOS/VS
    ParsePassportLine,  // 6051 Passport 160
    ParseHvsOsLine,  // 6052 GCOS 6 HVS OS
    ParseLwpLine,  // 6053 Novell LWP
    ParseReflectionLine,  // 6054 Reflection
    ParseAmosLine,  // 6055 AMOS TCP/IP
    ParseASeriesLine,  // 6056 Unisys A-Series
    ParseVxWorksLine,  // 6057 VxWorks
    ParseHvsAixLine,  // 6058 GCOS 6 HVS AIX
    ParseMlsdLine,  // 6059 MLSD
};

LineParser ParserFor(int hostType) {
  // Compared before subtracting: any integer may arrive here.
  constexpr int kLast = FERRIX_HOST_TYPE_FIRST + FERRIX_HOST_TYPE_COUNT - 1;
  if (hostType < FERRIX_HOST_TYPE_FIRST || hostType > kLast) return ParseUnixLine;
  return kParsers[hostType - FERRIX_HOST_TYPE_FIRST];
}

// Returns the length copied.
std::size_t CopyWorkLine(char (&work)[kWorkLineSize], const char* line) {
  const std::size_t length = line == nullptr ? 0 : strnlen(line, kWorkLineSize - 1);
  if (length > 0) std::memcpy(work, line, length);
  work[length] = '\0';
  return length;
}

bool IsTrailingBlank(char c) { return c == ' ' || c == '\t'; }

// An MLSD name runs to the line end, so its trailing blanks are the file's own.
// Returns the length left.
std::size_t CutLineEnd(char* work, std::size_t length, int hostType) {
  for (const char end : {'\r', '\n'}) {
    if (const void* found = std::memchr(work, end, length)) {
      length = static_cast<std::size_t>(static_cast<const char*>(found) - work);
    }
  }
  if (hostType != FERRIX_HOST_TYPE_MLSD) {
    while (length > 0 && IsTrailingBlank(work[length - 1])) --length;
  }
  work[length] = '\0';
  return length;
}

// Read, write and execute bits of the three characters at first.
unsigned PermissionTriple(const char* work, int first) {
  return (work[first] == 'r' ? 4u : 0u) + (work[first + 1] == 'w' ? 2u : 0u) +
         (work[first + 2] == 'x' ? 1u : 0u);
}

// Any listing may carry UNIX permissions up front. A setuid or sticky mark
// fails the test, so such lines keep no mode at all.
void SniffUnixMode(ListingEntry& entry, const char* work, std::size_t length) {
  if (length <= 10) return;
  bool looksLikeMode = (work[1] == '-' || work[1] == 'r') && (work[2] == '-' || work[2] == 'w') &&
                       (work[3] == '-' || work[3] == 'x') && (work[9] == '-' || work[9] == 'x');
  if (!looksLikeMode) return;
  entry.flags |= FERRIX_FLAG_MODE_VALID;
  entry.mode = static_cast<std::uint16_t>(PermissionTriple(work, 1) * 64 +
                                          PermissionTriple(work, 4) * 8 + PermissionTriple(work, 7));
}

void NormaliseDate(ListingEntry& entry) {
  ApplyCentury(entry);
  if (entry.year > 2037) entry.year = 2038;
  if (entry.month > 12) entry.month = 12;
  if (entry.day > 31) entry.day = 31;
}

struct ExpectedCharacter {
  std::size_t position;
  char character;
};

// The first line of an MVS partitioned data set listing in member columns.
bool IsMemberColumnsHeader(const char* line) {
  static constexpr ExpectedCharacter kLayout[] = {
      {40, ' '}, {44, 'F'}, {45, 'B'}, {46, ' '}, {50, ' '}, {61, 'P'},
      {62, 'O'}, {63, ' '}, {64, 'N'}, {65, 'O'}, {66, ' '}, {68, ' '}};
  if (std::strlen(line) < 70) return false;
  for (const ExpectedCharacter& expected : kLayout) {
    if (line[expected.position] != expected.character) return false;
  }
  return true;
}

bool IsMemberRow(const char* line) {
  std::size_t length = std::strlen(line);
  return length > 9 && line[0] != ' ' && line[8] == ' ' && line[9] == ' ';
}

bool StartsMemberColumn(char c) { return c != ' ' && c != '\r' && c != '\n' && c != '\0'; }

void AppendNode(FerrixFolderList& folder, FerrixListNode* added) {
  FerrixListNode** tail = &folder.head;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = added;
}

// Adds one file node per 10-character column; names are at most 8 long.
void AddMemberRow(FerrixFolderList& folder, const FerrixListNode& node, const char* line) {
  std::size_t length = std::strlen(line);
  for (std::size_t column = 0; column < length && StartsMemberColumn(line[column]); column += 10) {
    auto* added = static_cast<FerrixListNode*>(std::malloc(sizeof(FerrixListNode)));
    if (added == nullptr) return;
    *added = node;
    added->next = nullptr;
    added->kind = FERRIX_NODE_FILE;
    std::size_t nameLength = 0;
    while (nameLength < 8 && line[column + nameLength] != '\0') {
      added->name[nameLength] = line[column + nameLength];
      ++nameLength;
    }
    added->name[nameLength] = '\0';
    TrimRight(added->name);
    ++folder.files;
    AppendNode(folder, added);
  }
}

// True when the line belonged to an MVS member table and is used up.
bool TakeMemberColumns(FerrixConnection& connection, FerrixFolderList& folder,
                       const FerrixListNode& node, const char* line, bool firstLine) {
  if (connection.hostType != FERRIX_HOST_TYPE_IBM_MVS) return false;
  if (firstLine && IsMemberColumnsHeader(line)) {
    connection.flags |= FERRIX_CONNECTION_MEMBER_COLUMNS;
    return true;
  }
  if ((connection.flags & FERRIX_CONNECTION_MEMBER_COLUMNS) == 0) return false;
  if (IsMemberRow(line)) {
    AddMemberRow(folder, node, line);
    return true;
  }
  connection.flags &= ~FERRIX_CONNECTION_MEMBER_COLUMNS;
  return false;
}

void FillNode(FerrixListNode& node, const ListingEntry& entry) {
  std::memcpy(node.name, entry.name, sizeof node.name);
  node.year = entry.year;
  node.month = entry.month;
  node.day = entry.day;
  node.hour = entry.hour;
  node.minute = entry.minute;
  node.second = entry.second;
  node.size = entry.size;
  node.mode = entry.mode;
  node.flags = entry.flags;
}

void CountKind(FerrixListNode& node, FerrixFolderList& folder, unsigned kind) {
  if (kind == FERRIX_KIND_FOLDER) {
    node.kind = FERRIX_NODE_FOLDER;
    ++folder.folders;
  } else if (kind == FERRIX_KIND_LINK) {
    node.kind = FERRIX_NODE_LINK;
    ++folder.links;
  } else {
    node.kind = FERRIX_NODE_FILE;
    ++folder.files;
  }
}

}  // namespace
}  // namespace ferrix::decoder

using namespace ferrix::decoder;

int32_t FERRIX_DecodeLine(ListingEntry* entry, const char* line, int32_t hostType,
                          const char* remoteFolder, const char* userName) {
  if (entry == nullptr) return 0;
  std::memset(entry, 0, sizeof *entry);
  char work[kWorkLineSize];
  const std::size_t length = CutLineEnd(work, CopyWorkLine(work, line), hostType);
  SniffUnixMode(*entry, work, length);
  ParseContext context;
  context.hostType = hostType;
  context.remoteFolder = remoteFolder != nullptr ? remoteFolder : "";
  context.userName = userName != nullptr ? userName : "";
  ParserFor(hostType)(*entry, work, context);
  NormaliseDate(*entry);
  entry->name[sizeof entry->name - 1] = '\0';
  return static_cast<int32_t>(std::strlen(entry->name));
}

int32_t FERRIX_ParseLine(FerrixConnection* connection, FerrixFolderList* folder,
                         FerrixListNode* node, const char* line) {
  if (connection == nullptr || folder == nullptr || node == nullptr) return 0;
  std::memset(node, 0, sizeof *node);
  node->folder = folder;
  bool firstLine = connection->lineCount == 0;
  ++connection->lineCount;
  if (line == nullptr) line = "";
  if (TakeMemberColumns(*connection, *folder, *node, line, firstLine)) return 0;

  ListingEntry entry;
  if (FERRIX_DecodeLine(&entry, line, connection->hostType, folder->path, connection->userName) ==
      0) {
    return 0;
  }
  CountKind(*node, *folder, entry.kind);
  FillNode(*node, entry);
  return static_cast<int32_t>(std::strlen(node->name));
}

void FERRIX_FreeFolderNodes(FerrixFolderList* folder) {
  if (folder == nullptr) return;
  FerrixListNode* node = folder->head;
  while (node != nullptr) {
    FerrixListNode* next = node->next;
    std::free(node);
    node = next;
  }
  folder->head = nullptr;
}
