// How a decoded remote listing entry becomes an item of the remote pane:
// the kind (text file by the ASCII name list when the server said nothing)
// and the date shifted by the site's time offset. The name is taken exactly
// as the server listed it.
//
// Thread rule: stateless; safe from any thread.
#pragma once

#include <ferrixcore.h>

#include <optional>

#include "listing/pane_item.h"
#include "transfer/name_rules.h"

namespace ferrix::listing {

// The remote item for `entry`, or nothing for an empty name, "." and "..".
// `timeOffsetHours` is the site's TIMEOFFSET.
std::optional<PaneItem> MakeRemoteItem(const ListingEntry& entry,
                                       const transfer::AsciiNameList& asciiNames,
                                       int timeOffsetHours);

}  // namespace ferrix::listing
