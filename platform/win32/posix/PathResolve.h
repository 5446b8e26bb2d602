// Inside the layer: from a Windows path to the POSIX path of an existing file, ignoring case.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/win32/posix/PathState.h"

namespace tessaly::win32::detail {

// Resolves every component of the path against the disk: the exact name first, then a match
// ignoring case and Unicode normalisation in its folder (the exact one wins, then the first in
// listing order). A last component that does not exist is kept as given (so callers can create it);
// a missing folder on the way fails with ERROR_PATH_NOT_FOUND, a bad drive or form with
// ERROR_PATH_NOT_FOUND or ERROR_INVALID_NAME. On failure GetLastError is set and false returned. A
// path that names a drive's root gives the root's folder (ERROR_PATH_NOT_FOUND when that folder is
// missing). *pbExists, when given, says whether the path names an existing entry (so callers need
// no second stat to learn it). pFound, when given, receives what ResolveOnDisk learnt of the entry
// (see there).
struct FoundEntry;
bool ResolvePath(std::string_view strAnsiPath, std::string& strPosixOut, bool* pbExists = nullptr,
                 FoundEntry* pFound = nullptr);

// ResolvePath for a file about to be moved: a file found is kept for MoveFileA's source, which then
// need not look again (see NoteEntryBeforeMove).
bool ResolvePathBeforeMove(std::string_view strAnsiPath, std::string& strPosixOut, bool* pbExists,
                           FoundEntry* pFound);

// The entry a path names, as far as its lookup learnt it: stx.stx_mask is 0 when it did not.
struct FoundEntry {
    struct statx stx {}; // a link described by its target, a dangling one by itself
    bool bLink = false;  // the name itself is a symbolic link
};

// What a lookup may answer from without asking the disk. None: nothing (a lookup that creates or
// opens acts on its answer). Known: folders the layer is changing itself and the names in them
// (a check whose answer the following move or creation guards). LastLookup: that, and the entry
// one of the last lookups found moments ago for the same spelling (a move: its rename fails if
// the entry went away meanwhile, and it then asks again).
enum class Reuse { None, Known, LastLookup };

// The same for the first n components of a parsed path (all of them by default): their disk
// names in path.aDisk are replaced by the names found. With bLastMayBeMissing the last of them
// may be missing (bExists then false); otherwise that fails with ERROR_FILE_NOT_FOUND.
// pFound, when given, receives the entry's statx when the lookup learnt it (the path exists as
// given, or a folder the layer is changing itself); its stx_mask is 0 otherwise. That saves the
// caller a second stat in the common case. Folders the layer is changing itself and the names in
// them are answered from what the layer knows (KnownPaths, CaseIndex) without asking the disk.
// pstrPosix, when given, receives path.PosixPath(n) on success (often known without building it).
bool ResolveOnDisk(WindowsPath& path, bool bLastMayBeMissing, bool& bExists,
                   std::size_t n = static_cast<std::size_t>(-1), FoundEntry* pFound = nullptr,
                   Reuse eReuse = Reuse::None, std::string* pstrPosix = nullptr);

// Keeps the per-folder case indexes in step with the layer's own changes. bTakeTime: stat the
// folder for its new time (see CaseIndexNoteAdded); moves, which come in long runs, do without.
void NoteEntryAdded(std::string_view strPosixPath, bool bTakeTime = true);
void NoteEntryRemoved(std::string_view strPosixPath, bool bTakeTime = true);
// A move the layer made: NoteEntryRemoved(strFrom, false) then NoteEntryAdded(strTo, false).
void NoteEntryMoved(std::string_view strFrom, std::string_view strTo);
// The layer made the folder that path (resolved) names, asked for as strGiven (POSIX, as spelled).
void NoteFolderCreated(const std::string& strGiven, const WindowsPath& path);
// Drops what the layer knows of strPosixFolder and below: a call found it behind someone else's
// change.
void ForgetFolder(const std::string& strPosixFolder);

} // namespace tessaly::win32::detail
