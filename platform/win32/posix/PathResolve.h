// Inside the layer: from a Windows path to the POSIX path of an existing file, ignoring case.
#pragma once

#include <string>
#include <string_view>

namespace tessaly::win32::detail {

// Resolves every component of the path against the disk: the exact name first, then a
// case-insensitive match in its folder (the exact one wins, then the first in listing order).
// A last component that does not exist is kept as given (so callers can create it); a missing
// folder on the way fails with ERROR_PATH_NOT_FOUND, a bad drive or form with ERROR_PATH_NOT_FOUND
// or ERROR_INVALID_NAME. On failure GetLastError is set and false returned.
bool ResolvePath(std::string_view strAnsiPath, std::string& strPosixOut);

// Keeps the per-folder case indexes in step with the layer's own changes.
void NoteEntryAdded(const std::string& strPosixPath);
void NoteEntryRemoved(const std::string& strPosixPath);

} // namespace tessaly::win32::detail
