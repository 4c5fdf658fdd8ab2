// What a listing-line parser may read besides the line itself, and the one
// signature every parser has, so the dispatch table can hold them all.
#pragma once

#include "decoder/include/ferrixcore.h"

namespace ferrix::decoder {

struct ParseContext {
  int hostType = FERRIX_HOST_TYPE_AUTOMATIC;
  const char* remoteFolder = "";  // never null
  const char* userName = "";      // never null
};

// A parser reads the NUL-terminated work line (at most 511 characters, which it
// may cut up in place) and fills the already cleared entry; an entry whose name
// stays empty means the line gave nothing.
using LineParser = void (*)(ListingEntry& entry, char* line, const ParseContext& context);

}  // namespace ferrix::decoder
