// Inside the layer: finding a name in a folder ignoring case and Unicode normalisation without
// reading the folder each time. Each folder gets an index of its names by folded form, built on
// first need, kept in step with the layer's own changes and rebuilt when the folder's inode or
// modification time shows that someone else changed it. While the layer is moving names in and out
// of a folder, its index is trusted for a short while without a stat, then read again. The indexes
// are bounded (least recently used ones are dropped).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct stat;

namespace tessaly::win32::detail {

// The on-disk name in strFolder (a POSIX path) equal to strDiskName ignoring case and
// normalisation (EqualFolded); the exact name wins, then the first in listing order. False when
// none matches or the folder cannot be read. pFolderStat: the folder's stat when the caller has it
// (saves one).
bool FindNameIgnoringCase(const std::string& strFolder, std::string_view strDiskName,
                          std::string& strFound, const struct stat* pFolderStat = nullptr);

// The same answer from an index the layer is keeping in step with its own changes, without a
// system call: 1 found, 0 no such name, -1 no such index now (ask FindNameIgnoringCase).
int FindNameInTrustedIndex(std::string_view strFolder, std::string_view strDiskName,
                           std::string& strFound);

// Builds strFolder's index now unless one is held that still matches the folder: a thread of its
// own may read a big folder before the lookups in it ask.
void CaseIndexReadAhead(const std::string& strFolder);

// The layer itself made strFolder: it is empty, no need to read it.
void CaseIndexNoteCreatedFolder(const std::string& strFolder);
// Drops strFolder's index: it was found to be behind someone else's change.
void CaseIndexForget(std::string_view strFolder);

// The layer itself added or removed strName in strFolder. bTakeTime: stat the folder to take its
// new time, so that the next lookup needs no new index; without it the index is trusted for a
// short while (FindNameInTrustedIndex) and read again when a lookup needs the folder's time.
void CaseIndexNoteAdded(std::string_view strFolder, std::string_view strName,
                        bool bTakeTime = true);
void CaseIndexNoteRemoved(std::string_view strFolder, std::string_view strName,
                          bool bTakeTime = true);
// A move the layer made, in a run of them: CaseIndexNoteRemoved then CaseIndexNoteAdded, both
// without taking the time, at once.
void CaseIndexNoteMoved(std::string_view strFromFolder, std::string_view strFromName,
                        std::string_view strToFolder, std::string_view strToName);

struct CaseIndexStats {
    std::size_t nBuilds = 0;  // indexes built (read from disk) since the start
    std::size_t nFolders = 0; // indexes held now
    std::size_t nNames = 0;   // names held in them
};
CaseIndexStats GetCaseIndexStats();
// Drops every index (tests and benchmarks).
void ClearCaseIndexes();

} // namespace tessaly::win32::detail
