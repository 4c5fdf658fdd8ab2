// Every listing-line parser, one LineParser each, grouped by the source file
// that holds its family. The dispatch table in decode_line.cpp maps host types
// to them.
#pragma once

#include "decoder/parse_context.h"

namespace ferrix::decoder {

// unix_parsers.cpp
// Ends the line just before namePos and trims the name there to what it names:
// a folder loses one trailing slash or backslash, a link loses " -> target".
// Sets kind.
void SplitUnixName(ListingEntry& entry, char* line, char* namePos);
void ParseUnixLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseUniTreeLine(ListingEntry& entry, char* line, const ParseContext& context);

// dos_parsers.cpp
void ParseSiNtLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseNcsaLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseNtLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseIbmPcLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseChameleonLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParsePcTcpLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseKa9qLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseQvtLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseQvt4Line(ListingEntry& entry, char* line, const ParseContext& context);
void ParseReflectionLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParsePcnfsLine(ListingEntry& entry, char* line, const ParseContext& context);

// mlsd_parser.cpp
void ParseMlsdLine(ListingEntry& entry, char* line, const ParseContext& context);

// vms_parsers.cpp
void ParseMultiNetLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseUcxLine(ListingEntry& entry, char* line, const ParseContext& context);

// ibm_parsers.cpp
void ParseVmLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseMvsLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseKnetMvsLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseSpartacusLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseAs400Line(ListingEntry& entry, char* line, const ParseContext& context);
void ParseR1000Line(ListingEntry& entry, char* line, const ParseContext& context);

// mainframe_parsers.cpp (the other large and mid-range systems)
void ParseTandemLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseASeriesLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseCyberLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseGcosLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseCp6Line(ListingEntry& entry, char* line, const ParseContext& context);
void ParseHvsOsLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseHvsAixLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseMpeLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseVosLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParsePrimosLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseOs2200Line(ListingEntry& entry, char* line, const ParseContext& context);
void ParseAosVsLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseMusicLine(ListingEntry& entry, char* line, const ParseContext& context);

// other_host_parsers.cpp
void ParseNetWareLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseHellSoftLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParsePeterServerLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseLwpLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseVersaTermLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseOs2Line(ListingEntry& entry, char* line, const ParseContext& context);
void ParseWarpLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseQnxLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseOs9Line(ListingEntry& entry, char* line, const ParseContext& context);
void ParseAmigaLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseAmosLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParseVxWorksLine(ListingEntry& entry, char* line, const ParseContext& context);
void ParsePassportLine(ListingEntry& entry, char* line, const ParseContext& context);

// Parser state that outlives one line (Stratus VOS sections, AS/400
// remembered values); reset at load and by tests.
void ResetParserState();

}  // namespace ferrix::decoder
