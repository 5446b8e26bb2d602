// Folders by their on-disk path, the spellings that led to them where those differ, and a ring of
// the last few entries looked up.
#include "platform/win32/posix/KnownPaths.h"

#include <array>
#include <chrono>
#include <mutex>
#include <set>
#include <unordered_map>

namespace tessaly::win32::detail {
namespace {

using Clock = std::chrono::steady_clock;

// Long enough to carry a run of calls on one folder, short enough that someone else's change
// is seen soon after.
constexpr auto kFolderTrust = std::chrono::milliseconds(100);
// A move follows its lookup at once; anything older is asked again.
constexpr auto kEntryTrust = std::chrono::milliseconds(20);
constexpr std::size_t kMaxFolders = 4096;
constexpr std::size_t kRecentSlots = 4;

struct Folder {
    KnownEntry entry;
    Clock::time_point tSeen;
    bool bChanged = false; // by the layer since it was seen
};

struct Recent {
    std::string strGiven;
    std::string strResolved;
    KnownEntry entry;
    Clock::time_point tSeen;
};

struct Known {
    std::mutex mutex;
    std::unordered_map<std::string, Folder> mapFolders; // by on-disk path
    std::set<std::string> setFolders;                   // the same paths in order, for subtrees
    std::unordered_map<std::string, std::string> mapAliases; // spelling -> on-disk path
    std::array<Recent, kRecentSlots> aRecent;
    std::size_t uNextRecent = 0;
};

Known& TheKnown() {
    static Known* pKnown = new Known; // never destroyed: detached threads may outlive it
    return *pKnown;
}

bool IsAtOrBelow(const std::string& strPath, const std::string& strTop) {
    return strPath.compare(0, strTop.size(), strTop) == 0 &&
           (strPath.size() == strTop.size() || strTop == "/" || strPath[strTop.size()] == '/');
}

std::string Join(const std::string& strFolder, const std::string& strName) {
    return strFolder == "/" ? "/" + strName : strFolder + "/" + strName;
}

std::string ParentOf(const std::string& strPath) {
    const std::size_t uSlash = strPath.rfind('/');
    return uSlash == 0 || uSlash == std::string::npos ? std::string("/")
                                                      : strPath.substr(0, uSlash);
}

void ForgetLocked(Known& known, const std::string& strTop) {
    for (auto it = known.setFolders.lower_bound(strTop);
         it != known.setFolders.end() && it->compare(0, strTop.size(), strTop) == 0;) {
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
        if (IsAtOrBelow(recent.strResolved, strTop) || IsAtOrBelow(recent.strGiven, strTop)) {
            recent = Recent();
        }
    }
}

} // namespace

void NoteFolderSeen(const std::string& strGiven, const std::string& strResolved,
                    const KnownEntry& entry, bool bMadeHere) {
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    if (known.mapFolders.size() >= kMaxFolders) {
        known.mapFolders.clear();
        known.setFolders.clear();
        known.mapAliases.clear();
    }
    known.setFolders.insert(strResolved);
    Folder& folder = known.mapFolders[strResolved];
    folder.entry = entry;
    folder.tSeen = Clock::now();
    folder.bChanged = bMadeHere;
    if (strGiven != strResolved) {
        known.mapAliases[strGiven] = strResolved;
    } else {
        known.mapAliases.erase(strGiven);
    }
}

bool LookupTrustedFolder(const std::string& strGiven, KnownEntry& entry) {
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    const auto itAlias = known.mapAliases.find(strGiven);
    const auto it =
        known.mapFolders.find(itAlias == known.mapAliases.end() ? strGiven : itAlias->second);
    if (it == known.mapFolders.end() || !it->second.bChanged ||
        Clock::now() - it->second.tSeen >= kFolderTrust) {
        return false;
    }
    entry = it->second.entry;
    return true;
}

void NoteEntrySeen(const std::string& strGiven, const std::string& strResolved,
                   const KnownEntry& entry) {
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    for (Recent& recent : known.aRecent) {
        if (recent.strGiven == strGiven) {
            recent = Recent(); // at most one answer per spelling
        }
    }
    known.aRecent[known.uNextRecent] = Recent{strGiven, strResolved, entry, Clock::now()};
    known.uNextRecent = (known.uNextRecent + 1) % kRecentSlots;
}

bool LookupRecentEntry(const std::string& strGiven, KnownEntry& entry) {
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    const Clock::time_point tNow = Clock::now();
    for (const Recent& recent : known.aRecent) {
        if (!recent.strGiven.empty() && recent.strGiven == strGiven &&
            tNow - recent.tSeen < kEntryTrust) {
            entry = recent.entry;
            return true;
        }
    }
    return false;
}

void KnownPathsNoteChange(const std::string& strFolder, const std::string& strName, bool bAdded) {
    const std::string strPath = Join(strFolder, strName);
    Known& known = TheKnown();
    std::lock_guard lock(known.mutex);
    const auto itFolder = known.mapFolders.find(strFolder);
    if (itFolder != known.mapFolders.end()) {
        itFolder->second.bChanged = true;
    }
    if (!bAdded) {
        ForgetLocked(known, strPath);
        return;
    }
    // A new name can take over a spelling that led elsewhere (the exact name wins, then the
    // first in listing order): those of this folder are asked again.
    for (auto it = known.mapAliases.begin(); it != known.mapAliases.end();) {
        it = ParentOf(it->first) == strFolder ? known.mapAliases.erase(it) : std::next(it);
    }
    for (Recent& recent : known.aRecent) {
        if (recent.strGiven == strPath || recent.strResolved == strPath ||
            (recent.strGiven != recent.strResolved && ParentOf(recent.strGiven) == strFolder)) {
            recent = Recent();
        }
    }
}

void ForgetKnownPaths(const std::string& strResolved) {
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
    known.aRecent.fill(Recent());
}

} // namespace tessaly::win32::detail
