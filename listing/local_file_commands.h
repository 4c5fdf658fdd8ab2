// The local side of the folder and file commands: changing the local folder,
// making, removing, renaming and moving local entries. The local folder is
// the one the local pane shows, held by the caller, never the process's
// working folder (the engine thread and the window share the process).
//
// Names taken from the pane are single entries of that folder: a name that
// would reach outside it ("", ".", "..", or one holding '/') is refused. A
// text the person typed (a new name, a destination, a folder to go to) may be
// a path, relative to the local folder or absolute. Nothing is overwritten
// and nothing is removed recursively: a folder goes only when it is empty.
//
// Thread rule: stateless; the thread that runs the pane commands.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace ferrix::listing {

// `typed` made absolute against `folder` and lexically normalised (".."
// steps taken), without a trailing separator.
std::filesystem::path ResolveTypedPath(const std::filesystem::path& folder, std::string_view typed);

// The path of the pane entry `name` in `folder`; nothing when the name would
// leave the folder.
std::optional<std::filesystem::path> EntryInFolder(const std::filesystem::path& folder,
                                                   std::string_view name);

// The folder that `typed` names from `folder` (".." is the parent), or
// nothing, with `error` set, when it is no folder.
std::optional<std::filesystem::path> EnterLocalFolder(const std::filesystem::path& folder,
                                                      std::string_view typed,
                                                      std::error_code& error);

// Removes the entry `name` of `folder`: a file or link, or an empty folder.
bool RemoveLocalEntry(const std::filesystem::path& folder, std::string_view name,
                      std::error_code& error);

// Renames the entry `name` of `folder` to `target` (already resolved).
// Fails, changing nothing, when `target` exists.
bool RenameLocalEntry(const std::filesystem::path& folder, std::string_view name,
                      const std::filesystem::path& target, std::error_code& error);

}  // namespace ferrix::listing
