// Inside the layer: what the last lookups learnt about folders and entries, so that a run of calls
// on the same few paths (check, check, create, move) does not stat them again and again.
// A folder is answered from here only while the layer itself is changing it and for a short while
// after it was last seen on disk; an entry only for a move right after its lookup, whose rename
// tells if it went stale. Every other lookup goes to the disk as before.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

namespace tessaly::win32::detail {

struct KnownEntry {
    std::vector<std::string> aDisk; // the on-disk components below the drive's root
    struct statx stx {};            // a link described by its target
    bool bLink = false;             // the name itself is a symbolic link
};

// strGiven is the POSIX path as the caller spelled it, strResolved as it is on disk. bMadeHere: the
// layer has just created it.
void NoteFolderSeen(const std::string& strGiven, const std::string& strResolved,
                    const KnownEntry& entry, bool bMadeHere = false);
// The folder at strGiven when the layer changed it since it was last seen, not long ago.
bool LookupTrustedFolder(const std::string& strGiven, KnownEntry& entry);

void NoteEntrySeen(const std::string& strGiven, const std::string& strResolved,
                   const KnownEntry& entry);
// The entry strGiven was found as by one of the last few lookups, moments ago.
bool LookupRecentEntry(const std::string& strGiven, KnownEntry& entry);

// The layer itself added or removed strName in strFolder (resolved POSIX paths).
void KnownPathsNoteChange(const std::string& strFolder, const std::string& strName, bool bAdded);
// Forgets strResolved and everything below it: something changed there behind the layer's back.
void ForgetKnownPaths(const std::string& strResolved);
// Drops everything (tests, and a changed drive table).
void ClearKnownPaths();

} // namespace tessaly::win32::detail
