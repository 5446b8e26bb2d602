// Inside the layer: what the last lookups learnt about folders and entries, so that a run of calls
// on the same few paths (check, check, create, move) does not stat them again and again.
// A folder is answered from here only while the layer itself is changing it and for a short while
// after it was last seen on disk; an entry only for a move right after its lookup, whose rename
// tells if it went stale. Every other lookup goes to the disk as before.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tessaly::win32::detail {

// What one lookup found. Never changed once noted, so that lookups share it instead of copying.
struct KnownEntry {
    // The on-disk POSIX path, as WindowsPath::PosixPath builds it: the drive's folder, then
    // nNames components, each after one '/' (none after a root of "/").
    std::string strResolved;
    std::size_t uRootLength = 0; // the drive's folder's share of strResolved
    std::size_t nNames = 0;
    struct statx stx {}; // a link described by its target
    bool bLink = false;  // the name itself is a symbolic link

    // Calls fn(i, name) with the on-disk components in order.
    template <typename Fn> void ForEachName(Fn&& fn) const {
        const std::string_view strAll(strResolved);
        std::size_t uPos = uRootLength;
        for (std::size_t i = 0; i < nNames; ++i) {
            if (uPos < strAll.size() && strAll[uPos] == '/') {
                ++uPos;
            }
            std::size_t uEnd = strAll.find('/', uPos);
            uEnd = uEnd == std::string_view::npos ? strAll.size() : uEnd;
            fn(i, strAll.substr(uPos, uEnd - uPos));
            uPos = uEnd;
        }
    }
};
using KnownEntryPtr = std::shared_ptr<const KnownEntry>;

// strGiven is the POSIX path as the caller spelled it; the entry holds it as it is on disk.
// bMadeHere: the layer has just created it.
void NoteFolderSeen(std::string_view strGiven, KnownEntryPtr pEntry, bool bMadeHere = false);
// The nearest folder on the way to strGiven (strGiven itself included) that the layer changed
// since it was last seen, not long ago. The part of strGiven with m components ends at
// auPrefixEnds[m] (m < nPrefixes); the longest such folder with m components on disk too is
// taken, and m set. Null when there is none.
KnownEntryPtr LookupNearestTrustedFolder(std::string_view strGiven, const std::size_t* auPrefixEnds,
                                         std::size_t nPrefixes, std::size_t& m);

void NoteEntrySeen(std::string_view strGiven, KnownEntryPtr pEntry);
// The entry strGiven was found as by one of the last few lookups, moments ago; null otherwise.
KnownEntryPtr LookupRecentEntry(std::string_view strGiven);

// A file about to be moved, found as pEntry under strGiven: MoveFileA takes it for its source once,
// up to a few seconds later, instead of looking again (its rename tells if it went stale).
// Another lookup never answers from it.
void NoteEntryBeforeMove(std::string_view strGiven, KnownEntryPtr pEntry);
// The entry noted before the move of strGiven, now forgotten; null when there is none (any more).
KnownEntryPtr TakeEntryBeforeMove(std::string_view strGiven);

// The layer itself added or removed strName in strFolder (resolved POSIX paths).
void KnownPathsNoteChange(std::string_view strFolder, std::string_view strName, bool bAdded);
// Both changes of one move, at once.
void KnownPathsNoteMoved(std::string_view strFromFolder, std::string_view strFromName,
                         std::string_view strToFolder, std::string_view strToName);
// Forgets strResolved and everything below it: something changed there behind the layer's back.
void ForgetKnownPaths(std::string_view strResolved);
// Drops everything (tests, and a changed drive table).
void ClearKnownPaths();

} // namespace tessaly::win32::detail
