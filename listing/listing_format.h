// Which format the session's listings come in: MLSD where the server offers
// it (FEAT lists MLST) and the site's host type leaves the choice open
// (Automatic detect or a UNIX-style type) or names MLSD itself, LIST
// otherwise and for the rest of a session whose server refused MLSD. MLSD
// times are UTC and are turned into local time before the site's offset.
//
// Thread rule: the thread that owns the session.
#pragma once

#include <ferrixcore.h>

#include "session/session_state.h"

namespace ferrix::listing {

bool ListsWithMlsd(const session::SessionState& state);

// The host type the listing lines are decoded with.
int ListingHostType(const session::SessionState& state);

// The entry's date and time, read as UTC, in local time. Entries without a
// full date are returned unchanged.
ListingEntry UtcToLocalTime(const ListingEntry& entry);

}  // namespace ferrix::listing
