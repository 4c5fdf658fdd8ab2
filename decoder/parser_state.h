// The two pieces of parser state that outlive one listing line: the Stratus
// VOS section (mainframe_parsers.cpp) and the IBM AS/400 remembered object
// statistics (ibm_parsers.cpp). Each file owns its own state; these resets let
// ResetParserState clear both. Process-wide and unguarded: one thread decodes.
#pragma once

namespace ferrix::decoder {

void ResetVosSection();
void ResetAs400Memory();

}  // namespace ferrix::decoder
