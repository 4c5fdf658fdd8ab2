// The remote folder and file commands: changing, printing, making and
// removing remote folders, deleting, renaming and moving remote files,
// changing their permissions, and the single commands of the "FTP Commands"
// menu. Each is a short command sequence over the control channel with the
// fallbacks older servers need (CDUP, XCWD, XPWD, XMKD, XRMD).
//
// The wrappers return the reply class (replyCode / 100) of the last command
// they sent, 0 when nothing valid came back or a command was not sent.
// Names usually come from a listing, so a command whose text would carry a
// line break or NUL, or be cut to the control channel's length limit, is not
// sent (class 0, an error line); nor is a command naming an entry to delete,
// remove, rename, move, make or chmod when the name ends in a blank, which
// the command line would lose.
// Nothing is removed recursively: a folder goes only when the server takes it.
//
// Ownership: the caller owns the session and the user interface; the only
// state kept between commands is the remembered permission value, which the
// caller owns too (RememberedPermissions).
//
// Thread rule: run on the engine thread that owns the control connection.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "session/session_state.h"
#include "session/user_interface.h"

namespace ferrix::session {

inline constexpr int kHostTypeVmsUcx = 6012;

int changeRemoteFolder(Session& session, UserInterface& ui, int control, std::string_view folder);
// The folder itself is read from replyLine by the listing.
int printRemoteFolder(Session& session, int control);
int makeRemoteFolder(Session& session, int control, std::string_view folder);
int removeRemoteFolder(Session& session, int control, std::string_view folder);
int deleteRemoteFile(Session& session, int control, std::string_view file);

// How one rename went: a refused RNFR skips the entry without a message.
enum class RenameOutcome { kRenamed, kSkipped, kFailed };
RenameOutcome renameRemoteEntry(Session& session, int control, std::string_view from,
                                std::string_view to);

// ".." and drive entries ("[-" and a letter) are never deleted, renamed or
// moved.
bool isProtectedEntryName(std::string_view name);

// Asks for each name's new name and renames it; a failure logs and sounds,
// and the walk goes on. Returns whether anything was renamed.
bool renameRemoteEntries(Session& session, UserInterface& ui, int control,
                         const std::vector<std::string>& names);
// Asks once for a destination folder and moves every name into it
// (destination/name). Returns whether anything was moved.
bool moveRemoteEntries(Session& session, UserInterface& ui, int control,
                       const std::vector<std::string>& names);

// The permission dialog's value: three octal digits written as a decimal
// number (755), kept from one chmod to the next.
struct RememberedPermissions {
  static constexpr unsigned kInitial = 644;
  unsigned digits = kInitial;
};

// The chmod command: asks for the permissions, then sends "SITE chmod"
// for each name, or, with no names, asks for a free SITE text. Stops at the
// first refusal. Returns the class of the last reply (0 when cancelled).
int chmodRemoteEntries(Session& session, UserInterface& ui, int control,
                       RememberedPermissions& remembered, const std::vector<std::string>& names);

// The "FTP Commands" menu. Each asks what it needs (Cancel sends nothing and
// returns 0) and returns the class of the last reply.
int cwdMenuCommand(Session& session, UserInterface& ui, int control);
int pwdMenuCommand(Session& session, int control);
int helpMenuCommand(Session& session, int control);
int systMenuCommand(Session& session, int control);
int siteMenuCommand(Session& session, UserInterface& ui, int control);

}  // namespace ferrix::session
