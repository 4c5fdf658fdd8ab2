// The two pieces of parser state that outlive one listing line: the Stratus
// VOS section (mainframe_parsers.cpp) and the IBM AS/400 remembered object
// statistics (ibm_parsers.cpp). Each file owns its own state; these resets let
// ResetParserState clear both. Process-wide and unguarded: a listing of either
// format is decoded on one thread, one listing at a time.
#pragma once

namespace ferrix::decoder {

void ResetVosSection();
void ResetAs400Memory();

}  // namespace ferrix::decoder
