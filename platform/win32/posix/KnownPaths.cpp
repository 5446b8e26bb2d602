// Folders by their on-disk path, the spellings that led to them where those differ, and a ring of
// the last few entries looked up. Entries are shared, never copied; keys are looked up as views.
#include "platform/win32/posix/KnownPaths.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "platform/win32/posix/LayerMutex.h"
#include "platform/win32/posix/PathMap.h"

namespace tessaly::win32::detail {
namespace {

using Clock = std::chrono::steady_clock;

// Long enough to carry a run of calls on one folder, short enough that someone else's change
// is seen soon after.
constexpr auto kFolderTrust = std::chrono::milliseconds(100);
// A move follows its lookup at once; anything older is asked again.
constexpr auto kEntryTrust = std::chrono::milliseconds(20);
// A journal notes a batch of sources before their moves; a batch takes well under a second on
// tmpfs, and a late move merely looks again.
constexpr auto kBeforeMoveTrust = std::chrono::seconds(2);
constexpr std::size_t kMaxBeforeMove = 16384;
// Sources taken for their moves and not yet freed by the thread that noted them, at most.
constexpr std::size_t kMaxTaken = 4096;
constexpr std::size_t kMaxFolders = 4096;
constexpr std::size_t kRecentSlots = 4;
constexpr std::size_t kFilterRows = 64;

struct Folder {
    KnownEntryPtr pEntry;
    Clock::time_point tSeen;
    bool bChanged = false; // by the layer since it was seen
};

struct Recent {
    std::string strGiven; // empty: a free slot
    KnownEntryPtr pEntry;
    Clock::time_point tSeen;
    bool bAliased = false; // strGiven is not the entry's on-disk path

    void Clear() {
        strGiven.clear(); // keeps its buffer for the next one
        pEntry.reset();
    }
};

struct BeforeMove {
    KnownEntryPtr pEntry;
    Clock::time_point tSeen;
};

struct Known {
    LayerMutex mutex;
    PathMap<Folder> mapFolders;                    // by on-disk path
    std::set<std::string, std::less<>> setFolders; // the same paths in order, for subtrees
    PathMap<std::string> mapAliases;               // spelling -> on-disk path
    std::array<Recent, kRecentSlots> aRecent;
    std::size_t uNextRecent = 0;
    // Sources noted before their moves, by spelling; those spelt otherwise than on disk also by
    // their on-disk path (one spelling each), so that a change there finds them; and how many lie
    // in each folder (as spelt and on disk), so that a folder's change looks at them only when
    // some are below it.
    PathMap<BeforeMove> mapBeforeMove;
    PathMap<std::string> mapBeforeMoveByDisk;
    PathMap<std::size_t> mapBeforeMoveFolders;
    // Sources taken for their moves, for the thread that notes them to free: it made them, and
    // freeing them on the moving thread waited for that thread's heap at every other move.
    std::vector<PathMap<BeforeMove>::node_type> vecTaken;
    // Row d (the last row: d or more components), bit l (modulo 64): some changed folder of d
    // components has a last name of l bytes as on disk, or some spelling of that depth and name
    // length leads to a folder. Set only, until the next clearing: a lookup whose bit is clear
    // needs no search.
    std::array<std::uint64_t, kFilterRows> auNameLengths{};
    // Row n, bit l (both modulo 64): some folder in setFolders is at or below a path of l bytes
    // whose last name has n bytes. Set only, until the next clearing: a subtree without its bit
    // holds no known folder.
    std::array<std::uint64_t, 64> auHeldShapes{};
};

Known& TheKnown() {
    static Known* pKnown = new Known; // never destroyed: detached threads may outlive it
    return *pKnown;
}

std::uint64_t& FilterRow(Known& known, std::size_t nNames) {
    return known.auNameLengths[std::min(nNames, kFilterRows - 1)];
}

std::uint64_t LengthBit(std::size_t uLength) {
    return std::uint64_t{1} << (uLength % 64);
}

// The length of strPath's last name.
std::size_t LastNameLength(std::string_view strPath) {
    const std::size_t uSlash = strPath.rfind('/');
    return uSlash == std::string_view::npos ? strPath.size() : strPath.size() - uSlash - 1;
}

// strFolder and each folder above it: the subtrees that now hold a known folder.
void NoteHeldShapes(Known& known, std::string_view strFolder) {
    for (std::size_t i = 1; i <= strFolder.size(); ++i) {
        if (i == strFolder.size() || strFolder[i] == '/') {
            const std::string_view strAbove = strFolder.substr(0, i);
            known.auHeldShapes[LastNameLength(strAbove) % 64] |= LengthBit(i);
        }
    }
}

// Whether some folder in setFolders may be at or below strTop.
bool MayHoldBelow(const Known& known, std::string_view strTop) {
    if (strTop.size() <= 1 || strTop.back() == '/') {
        return true; // the root, or a form no known folder takes
    }
    return (known.auHeldShapes[LastNameLength(strTop) % 64] & LengthBit(strTop.size())) != 0;
}

void MarkChanged(Known& known, Folder& folder) {
    folder.bChanged = true;
    const KnownEntry& entry = *folder.pEntry;
    FilterRow(known, entry.nNames) |= LengthBit(LastNameLength(entry.strResolved));
}

bool IsAtOrBelow(std::string_view strPath, std::string_view strTop) {
    // Paths near each other share their start: their ends tell them apart sooner.
    if (strPath.size() < strTop.size() ||
        (!strTop.empty() && strPath[strTop.size() - 1] != strTop.back())) {
        return false;
    }
    return strPath.substr(0, strTop.size()) == strTop &&
           (strPath.size() == strTop.size() || strTop == "/" || strPath[strTop.size()] == '/');
}

// strFolder and strName as one path, in a buffer of the calling thread's (no allocation once it
// has grown).
const std::string& Join(std::string_view strFolder, std::string_view strName) {
    thread_local std::string t_strPath;
    t_strPath.assign(strFolder);
    if (strFolder != "/") {
        t_strPath += '/';
    }
    t_strPath += strName;
    return t_strPath;
}

std::string_view ParentOf(std::string_view strPath) {
    const std::size_t uSlash = strPath.rfind('/');
    return uSlash == 0 || uSlash == std::string_view::npos ? std::string_view("/")
                                                           : strPath.substr(0, uSlash);
}

// The folder known under strGiven (a spelling or its on-disk path), trusted at tNow. The clock is
// read only once a candidate is found.
const Folder* FindTrusted(const Known& known, std::string_view strGiven,
                          std::optional<Clock::time_point>& tNow) {
    std::string_view strResolved = strGiven;
    if (!known.mapAliases.empty()) {
        const auto itAlias = known.mapAliases.find(strGiven);
        if (itAlias != known.mapAliases.end()) {
            strResolved = itAlias->second;
        }
    }
    const auto it = known.mapFolders.find(strResolved);
    if (it == known.mapFolders.end() || !it->second.bChanged) {
        return nullptr;
    }
    if (!tNow) {
        tNow = Clock::now();
    }
    return *tNow - it->second.tSeen < kFolderTrust ? &it->second : nullptr;
}

void CountFolder(Known& known, std::string_view strFolder, bool bAdd) {
    const auto it = known.mapBeforeMoveFolders.find(strFolder);
    if (bAdd) {
        if (it == known.mapBeforeMoveFolders.end()) {
            known.mapBeforeMoveFolders.emplace(std::string(strFolder), 1);
        } else {
            ++it->second;
        }
    } else if (it != known.mapBeforeMoveFolders.end() && --it->second == 0) {
        known.mapBeforeMoveFolders.erase(it);
    }
}

void CountBeforeMove(Known& known, std::string_view strGiven, const KnownEntry& entry, bool bAdd) {
    const std::string_view strFolder = ParentOf(strGiven);
    CountFolder(known, strFolder, bAdd);
    const std::string_view strDiskFolder = ParentOf(entry.strResolved);
    if (strDiskFolder != strFolder) {
        CountFolder(known, strDiskFolder, bAdd);
    }
}

// pvecKeep: where its node goes, to be freed later, instead of now.
void EraseBeforeMove(Known& known, PathMap<BeforeMove>::iterator it,
                     std::vector<PathMap<BeforeMove>::node_type>* pvecKeep = nullptr) {
    const KnownEntry& entry = *it->second.pEntry;
    if (entry.strResolved != it->first) {
        const auto itDisk = known.mapBeforeMoveByDisk.find(entry.strResolved);
        if (itDisk != known.mapBeforeMoveByDisk.end() && itDisk->second == it->first) {
            known.mapBeforeMoveByDisk.erase(itDisk);
        }
    }
    CountBeforeMove(known, it->first, entry, false);
    if (pvecKeep != nullptr) {
        pvecKeep->push_back(known.mapBeforeMove.extract(it));
    } else {
        known.mapBeforeMove.erase(it);
    }
}

void EraseBeforeMoveSpelt(Known& known, std::string_view strGiven) {
    const auto it = known.mapBeforeMove.find(strGiven);
    if (it != known.mapBeforeMove.end()) {
        EraseBeforeMove(known, it);
    }
}

// The sources noted before their moves at or below strTop, as spelt or on disk.
void ForgetBeforeMoveLocked(Known& known, std::string_view strTop) {
    if (known.mapBeforeMove.empty()) {
        return;
    }
    EraseBeforeMoveSpelt(known, strTop);
    const auto itDisk = known.mapBeforeMoveByDisk.find(strTop);
    if (itDisk != known.mapBeforeMoveByDisk.end()) {
        const std::string strGiven = itDisk->second;
        EraseBeforeMoveSpelt(known, strGiven);
    }
    bool bBelow = false;
    for (const auto& [strFolder, nCount] : known.mapBeforeMoveFolders) {
        bBelow = bBelow || IsAtOrBelow(strFolder, strTop);
    }
    if (!bBelow) {
        return;
    }
    for (auto it = known.mapBeforeMove.begin(); it != known.mapBeforeMove.end();) {
        const auto itNext = std::next(it);
        if (IsAtOrBelow(it->first, strTop) || IsAtOrBelow(it->second.pEntry->strResolved, strTop)) {
            EraseBeforeMove(known, it);
        }
        it = itNext;
    }
}

void ForgetLocked(Known& known, std::string_view strTop) {
    ForgetBeforeMoveLocked(known, strTop);
    for (auto it = MayHoldBelow(known, strTop) ? known.setFolders.lower_bound(strTop)
                                               : known.setFolders.end();
         it != known.setFolders.end() && it->starts_with(strTop);) {
        if (IsAtOrBelow(*it, strTop)) {
            known.mapFolders.erase(*it);
            it = known.setFolders.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = known.mapAliases.begin(); it != known.mapAliases.end();) {
        const bool bStale = IsAtOrBelow(it->first, strTop) || IsAtOrBelow(it->second, strTop);
        it = bStale ? known.mapAliases.erase(it) : std::next(it);
    }
    for (Recent& recent : known.aRecent) {
        if (recent.pEntry != nullptr && (IsAtOrBelow(recent.pEntry->strResolved, strTop) ||
                                         IsAtOrBelow(recent.strGiven, strTop))) {
            recent.Clear();
        }
    }
}

} // namespace

void NoteFolderSeen(std::string_view strGiven, KnownEntryPtr pEntry, bool bMadeHere) {
    Known& known = TheKnown();
    const std::string& strResolved = pEntry->strResolved;
    std::lock_guard lock(known.mutex);
    if (known.mapFolders.size() >= kMaxFolders) {
        known.mapFolders.clear();
        known.setFolders.clear();
        known.mapAliases.clear();
        known.auNameLengths.fill(0);
        known.auHeldShapes.fill(0);
    }
    auto it = known.mapFolders.find(strResolved);
    if (it == known.mapFolders.end()) {
        known.setFolders.insert(strResolved);
        NoteHeldShapes(known, strResolved);
        it = known.mapFolders.try_emplace(strResolved).first;
    }
    Folder& folder = it->second;
    folder.pEntry = std::move(pEntry);
    folder.tSeen = Clock::now();
    folder.bChanged = false;
    if (bMadeHere) {
        MarkChanged(known, folder);
    }
    if (strGiven != folder.pEntry->strResolved) {
        FilterRow(known, folder.pEntry->nNames) |= LengthBit(LastNameLength(strGiven));
        known.mapAliases.insert_or_assign(std::string(strGiven), folder.pEntry->strResolved);
    } else if (!known.mapAliases.empty()) {
        const auto itAlias = known.mapAliases.find(strGiven);
        if (itAlias != known.mapAliases.end()) {
            known.mapAliases.erase(itAlias);
        }
    }
}

KnownEntryPtr LookupNearestTrustedFolder(std::string_view strGiven, const std::size_t* auPrefixEnds,
                                         std::size_t nPrefixes, std::size_t& m) {
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    std::optional<Clock::time_point> tNow;
    // No folder has no names: m = 0 is never asked.
    for (std::size_t mm = nPrefixes; mm-- > 1;) {
        // The name ends the part; a separator before it is not counted.
        const std::size_t uStart = auPrefixEnds[mm - 1];
        const std::size_t uName =
            auPrefixEnds[mm] - uStart - (uStart < auPrefixEnds[mm] && strGiven[uStart] == '/');
        if ((known.auNameLengths[std::min(mm, kFilterRows - 1)] & LengthBit(uName)) == 0) {
            continue;
        }
        const Folder* pFolder = FindTrusted(known, strGiven.substr(0, auPrefixEnds[mm]), tNow);
        if (pFolder != nullptr && pFolder->pEntry->nNames == mm) {
            m = mm;
            return pFolder->pEntry;
        }
    }
    return nullptr;
}

void NoteEntryBeforeMove(std::string_view strGiven, KnownEntryPtr pEntry) {
    Known& known = TheKnown();
    const auto tNow = Clock::now();
    // Those the moves took since, freed here once the lock is let go (the buffers change hands).
    thread_local std::vector<PathMap<BeforeMove>::node_type> t_vecTaken;
    struct CFreeTaken {
        ~CFreeTaken() { t_vecTaken.clear(); }
    } freeTaken;
    std::lock_guard lock(known.mutex);
    t_vecTaken.swap(known.vecTaken);
    if (known.mapBeforeMove.size() >= kMaxBeforeMove) {
        known.mapBeforeMove.clear();
        known.mapBeforeMoveByDisk.clear();
        known.mapBeforeMoveFolders.clear();
    }
    EraseBeforeMoveSpelt(known, strGiven);
    if (strGiven != pEntry->strResolved) {
        const auto itDisk = known.mapBeforeMoveByDisk.find(pEntry->strResolved);
        if (itDisk != known.mapBeforeMoveByDisk.end()) {
            const std::string strOther = itDisk->second;
            EraseBeforeMoveSpelt(known, strOther);
        }
        known.mapBeforeMoveByDisk.insert_or_assign(pEntry->strResolved, std::string(strGiven));
    }
    CountBeforeMove(known, strGiven, *pEntry, true);
    known.mapBeforeMove.insert_or_assign(std::string(strGiven),
                                         BeforeMove{std::move(pEntry), tNow});
}

KnownEntryPtr TakeEntryBeforeMove(std::string_view strGiven) {
    Known& known = TheKnown();
    std::vector<PathMap<BeforeMove>::node_type> vecUnclaimed;
    std::unique_lock lock(known.mutex);
    if (known.mapBeforeMove.empty()) {
        return nullptr;
    }
    const auto it = known.mapBeforeMove.find(strGiven);
    if (it == known.mapBeforeMove.end()) {
        return nullptr;
    }
    KnownEntryPtr pEntry = it->second.pEntry;
    const bool bFresh = Clock::now() - it->second.tSeen < kBeforeMoveTrust;
    EraseBeforeMove(known, it, &known.vecTaken);
    // Nobody noting sources any more: this thread frees them after all.
    if (known.vecTaken.size() >= kMaxTaken) {
        vecUnclaimed.swap(known.vecTaken);
    }
    lock.unlock();
    return bFresh ? pEntry : nullptr;
}

void NoteEntrySeen(std::string_view strGiven, KnownEntryPtr pEntry) {
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    for (Recent& recent : known.aRecent) {
        if (recent.strGiven == strGiven) {
            recent.Clear(); // at most one answer per spelling
        }
    }
    Recent& slot = known.aRecent[known.uNextRecent];
    slot.strGiven.assign(strGiven);
    slot.bAliased = strGiven != pEntry->strResolved;
    slot.pEntry = std::move(pEntry);
    slot.tSeen = Clock::now();
    known.uNextRecent = (known.uNextRecent + 1) % kRecentSlots;
}

KnownEntryPtr LookupRecentEntry(std::string_view strGiven) {
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    for (const Recent& recent : known.aRecent) {
        if (!recent.strGiven.empty() && recent.strGiven == strGiven) {
            // The only one for this spelling.
            return Clock::now() - recent.tSeen < kEntryTrust ? recent.pEntry : nullptr;
        }
    }
    return nullptr;
}

namespace {

void NoteChangeLocked(Known& known, std::string_view strFolder, std::string_view strName,
                      bool bAdded) {
    const std::string& strPath = Join(strFolder, strName);
    const auto itFolder = known.mapFolders.find(strFolder);
    if (itFolder != known.mapFolders.end()) {
        MarkChanged(known, itFolder->second);
    }
    if (!bAdded) {
        ForgetLocked(known, strPath);
        return;
    }
    // A new name can take over a spelling that led elsewhere (the exact name wins, then the
    // first in listing order): those of this folder are asked again.
    if (!known.mapBeforeMove.empty()) {
        EraseBeforeMoveSpelt(known, strPath);
        if (!known.mapBeforeMoveByDisk.empty() &&
            known.mapBeforeMoveFolders.find(strFolder) != known.mapBeforeMoveFolders.end()) {
            std::vector<std::string> vecGone;
            for (const auto& [strResolved, strGiven] : known.mapBeforeMoveByDisk) {
                if (ParentOf(strResolved) == strFolder) {
                    vecGone.push_back(strGiven);
                }
            }
            for (const std::string& strGiven : vecGone) {
                EraseBeforeMoveSpelt(known, strGiven);
            }
        }
    }
    for (auto it = known.mapAliases.begin(); it != known.mapAliases.end();) {
        it = ParentOf(it->first) == strFolder ? known.mapAliases.erase(it) : std::next(it);
    }
    for (Recent& recent : known.aRecent) {
        if (recent.pEntry == nullptr) {
            continue;
        }
        const std::string& strResolved = recent.pEntry->strResolved;
        if (recent.strGiven == strPath || strResolved == strPath ||
            (recent.bAliased && ParentOf(recent.strGiven) == strFolder)) {
            recent.Clear();
        }
    }
}

} // namespace

void KnownPathsNoteChange(std::string_view strFolder, std::string_view strName, bool bAdded) {
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    NoteChangeLocked(known, strFolder, strName, bAdded);
}

void KnownPathsNoteMoved(std::string_view strFromFolder, std::string_view strFromName,
                         std::string_view strToFolder, std::string_view strToName) {
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    NoteChangeLocked(known, strFromFolder, strFromName, false);
    NoteChangeLocked(known, strToFolder, strToName, true);
}

void ForgetKnownPaths(std::string_view strResolved) {
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    ForgetLocked(known, strResolved);
}

void ClearKnownPaths() {
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    known.mapFolders.clear();
    known.setFolders.clear();
    known.mapAliases.clear();
    for (Recent& recent : known.aRecent) {
        recent.Clear();
    }
    known.mapBeforeMove.clear();
    known.mapBeforeMoveByDisk.clear();
    known.mapBeforeMoveFolders.clear();
    known.auNameLengths.fill(0);
    known.auHeldShapes.fill(0);
}

} // namespace tessaly::win32::detail
