// Inside the layer: finding a name in a folder ignoring case without reading the folder each time.
// Each folder gets an index of its names by upper-cased form, built on first need, kept in step
// with the layer's own changes and rebuilt when the folder's inode or modification time shows that
// someone else changed it. The indexes are bounded (least recently used ones are dropped).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct stat;

namespace tessaly::win32::detail {

// The on-disk name in strFolder (a POSIX path) equal to strDiskName ignoring case; the exact name
// wins, then the first in listing order. False when none matches or the folder cannot be read.
// pFolderStat: the folder's stat when the caller has it (saves one).
bool FindNameIgnoringCase(const std::string& strFolder, std::string_view strDiskName,
                          std::string& strFound, const struct stat* pFolderStat = nullptr);

// The layer itself added or removed strName in strFolder.
void CaseIndexNoteAdded(const std::string& strFolder, std::string_view strName);
void CaseIndexNoteRemoved(const std::string& strFolder, std::string_view strName);

struct CaseIndexStats {
    std::size_t nBuilds = 0;  // indexes built (read from disk) since the start
    std::size_t nFolders = 0; // indexes held now
    std::size_t nNames = 0;   // names held in them
};
CaseIndexStats GetCaseIndexStats();
// Drops every index (tests and benchmarks).
void ClearCaseIndexes();

} // namespace tessaly::win32::detail
