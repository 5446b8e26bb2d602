// Inside the layer: from a Windows path to the POSIX path of an existing file, ignoring case.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/win32/posix/PathState.h"

namespace tessaly::win32::detail {

// Resolves every component of the path against the disk: the exact name first, then a
// case-insensitive match in its folder (the exact one wins, then the first in listing order).
// A last component that does not exist is kept as given (so callers can create it); a missing
// folder on the way fails with ERROR_PATH_NOT_FOUND, a bad drive or form with ERROR_PATH_NOT_FOUND
// or ERROR_INVALID_NAME. On failure GetLastError is set and false returned. A path that names a
// drive's root gives the root's folder (ERROR_PATH_NOT_FOUND when that folder is missing).
// *pbExists, when given, says whether the path names an existing entry (so callers need no
// second stat to learn it).
bool ResolvePath(std::string_view strAnsiPath, std::string& strPosixOut, bool* pbExists = nullptr);

// The same for the first n components of a parsed path (all of them by default): their disk
// names in path.aDisk are replaced by the names found. With bLastMayBeMissing the last of them
// may be missing (bExists then false); otherwise that fails with ERROR_FILE_NOT_FOUND.
// pStx, when given, receives the entry's statx (a link described by its target, a dangling one by
// itself) when the path exists exactly as given; its stx_mask is 0 otherwise. That saves the
// caller a second stat in the common case.
bool ResolveOnDisk(WindowsPath& path, bool bLastMayBeMissing, bool& bExists,
                   std::size_t n = static_cast<std::size_t>(-1), struct statx* pStx = nullptr);

// Keeps the per-folder case indexes in step with the layer's own changes.
void NoteEntryAdded(const std::string& strPosixPath);
void NoteEntryRemoved(const std::string& strPosixPath);

} // namespace tessaly::win32::detail
