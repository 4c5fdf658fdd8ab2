// The tolerant reading of a UNIX-style long listing line: instead of counting
// fields, it finds the run of a size followed by a date (and time or year),
// and takes everything after that run as the name. It reads lines whose owner
// or group hold blanks, that lack the group or link-count column, whose size
// ran into the group, or whose date is numeric, ISO, day-first or in another
// language. Works in place on the caller's line; allocates nothing.
#pragma once

#include "decoder/include/ferrixcore.h"

namespace ferrix::decoder {

// True when the line opens with a UNIX type and permission field, special
// and ACL marks included ("drwxr-xr-x", "-rwsr-S--T+").
bool StartsWithPermissions(const char* line);

// Fills name, kind, size and date from the line's size-and-date run; the name
// starts one blank after the run. Leaves the entry untouched and returns false
// when the line has no such run followed by a name. Cuts the line in place.
bool ReadUnixLineByDateRun(ListingEntry& entry, char* line);

}  // namespace ferrix::decoder
