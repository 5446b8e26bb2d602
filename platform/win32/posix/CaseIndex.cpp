// Per-folder indexes of names by a hash of their folded form (composed, upper-cased), in one
// process-wide LRU cache.
#include "platform/win32/posix/CaseIndex.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/win32/common/CaseFold.h"
#include "platform/win32/posix/LayerMutex.h"
#include "platform/win32/posix/MoveTemporary.h"
#include "platform/win32/posix/NameTable.h"
#include "platform/win32/posix/PathMap.h"

namespace tessaly::win32::detail {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::size_t kMaxFolders = 256;
constexpr std::size_t kMaxNames = std::size_t{1} << 20; // about 80 MB at most
// A folder changed this recently may change again within the same timestamp tick, which its
// modification time would not show; such an index is read again when a name is not found in it.
constexpr long long kRacyNs = 50'000'000;
constexpr auto kMinRecheck = std::chrono::milliseconds(50);
// While the layer itself is changing a folder, its index answers without a stat of the folder for
// this long after it was read (longer for a big folder, so that reading it again stays a small
// part of the time), then the folder is read again: its new time cannot tell our changes from
// someone else's.
constexpr auto kMinTrust = std::chrono::milliseconds(100);
constexpr int kTrustPerBuild = 64;

// FoldedNameHash of the name this thread asked for last: a move's checks, its lookups and its
// notes all ask for the same name.
std::uint64_t NameHash(std::string_view strName) {
    thread_local std::string t_strLast;
    thread_local std::uint64_t t_uLast = 0;
    thread_local bool t_bValid = false;
    if (!t_bValid || t_strLast != strName) {
        t_bValid = false;
        t_uLast = FoldedNameHash(strName);
        t_strLast.assign(strName);
        t_bValid = true;
    }
    return t_uLast;
}

struct FolderIndex {
    dev_t dev = 0;
    ino_t ino = 0;
    timespec tsMtime{};
    bool bRacy = false;
    SteadyClock::time_point tRecheck;
    SteadyClock::time_point tRead;
    SteadyClock::duration dTrust{};
    bool bSelfChanged = false; // by the layer since it was read
    NameTable mapNames;
    std::list<const std::string*>::iterator itLru;
};

struct Cache {
    LayerMutex mutex;
    PathMap<FolderIndex> mapFolders;
    // The folders' paths (the map's own keys, which stay put) most recently used first.
    std::list<const std::string*> lstLru;
    // Row n, bit l (both modulo 64): some folder whose path has l bytes and whose last name n
    // got an index since the last clearing. Set only: a path without its bit has no index.
    std::array<std::uint64_t, 64> auShapes{};
    std::size_t nNames = 0;
    std::size_t nBuilds = 0;
    // The layer's own changes noted so far, held in an index or not: a read that some of them
    // may have missed is not installed over them (CaseIndexReadAhead).
    std::uint64_t uChanges = 0;
};

Cache& TheCache() {
    static Cache* pCache = new Cache; // never destroyed: detached threads may outlive it
    return *pCache;
}

bool IsSameFolder(const FolderIndex& index, const struct stat& st) {
    return index.dev == st.st_dev && index.ino == st.st_ino &&
           index.tsMtime.tv_sec == st.st_mtim.tv_sec && index.tsMtime.tv_nsec == st.st_mtim.tv_nsec;
}

// Whether a listing shows strA before strB. Names equal but for case list by their bytes; names
// equal but for normalisation by their upper-cased units first.
bool ListedBefore(std::string_view strA, std::string_view strB) {
    std::string strKeyA;
    std::string strKeyB;
    AppendListingKey(strA, strKeyA);
    AppendListingKey(strB, strKeyB);
    return strKeyA < strKeyB;
}

// Applies the removals that wait in index (NameTable::RemoveLater). Called with the lock held.
void Settle(Cache& cache, FolderIndex& index) {
    cache.nNames = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(cache.nNames) +
                                            index.mapNames.Settle());
}

bool Search(Cache& cache, FolderIndex& index, std::uint64_t uHash, std::string_view strName,
            std::string& strFound) {
    Settle(cache, index);
    bool bExact = false;
    std::optional<std::string_view> best;
    index.mapNames.ForEach(uHash, [&](std::string_view strCandidate) {
        if (bExact) {
            return;
        }
        if (strCandidate == strName) {
            bExact = true;
            best = strCandidate;
            return;
        }
        // Equal hashes need not be equal names.
        if ((!best || ListedBefore(strCandidate, *best)) && EqualFolded(strCandidate, strName)) {
            best = strCandidate;
        }
    });
    if (!best) {
        return false;
    }
    strFound = std::string(*best);
    return true;
}

std::optional<FolderIndex> Build(const std::string& strFolder) {
    const int fd = ::open(strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    DIR* pDir = ::fdopendir(fd);
    if (pDir == nullptr) {
        ::close(fd);
        return std::nullopt;
    }
    const SteadyClock::time_point tStart = SteadyClock::now();
    FolderIndex index;
    index.dev = st.st_dev;
    index.ino = st.st_ino;
    index.tsMtime = st.st_mtim;
    bool bOk = true;
    bool bTemporaries = false;
    for (;;) {
        errno = 0;
        const dirent* pEntry = ::readdir(pDir);
        if (pEntry == nullptr) {
            bOk = errno == 0;
            break;
        }
        const std::string_view strName(pEntry->d_name);
        if (strName == "." || strName == "..") {
            continue;
        }
        index.mapNames.AddRead(FoldedNameHash(strName), strName);
        bTemporaries = bTemporaries || MayBeMoveTemporary(strName);
    }
    ::closedir(pDir);
    if (!bOk) {
        return std::nullopt;
    }
    // Its sweep would find nothing: a folder a move goes into is then read once, not twice.
    if (!bTemporaries) {
        NoteFolderSwept(strFolder);
    }
    index.mapNames.SealRead();
    timespec tsNow;
    ::clock_gettime(CLOCK_REALTIME, &tsNow);
    const long long llAgeNs =
        (static_cast<long long>(tsNow.tv_sec) - st.st_mtim.tv_sec) * 1'000'000'000LL +
        (tsNow.tv_nsec - st.st_mtim.tv_nsec);
    index.bRacy = llAgeNs < kRacyNs;
    const SteadyClock::time_point tEnd = SteadyClock::now();
    // Reading again at most every so often keeps a folder that changes all the time cheap.
    index.tRecheck = tEnd + std::max<SteadyClock::duration>(kMinRecheck, 4 * (tEnd - tStart));
    index.tRead = tEnd;
    index.dTrust = std::max<SteadyClock::duration>(kMinTrust, kTrustPerBuild * (tEnd - tStart));
    return index;
}

void Erase(Cache& cache, decltype(Cache::mapFolders)::iterator it) {
    cache.nNames -= it->second.mapNames.size();
    cache.lstLru.erase(it->second.itLru);
    cache.mapFolders.erase(it);
}

bool IsTrusted(const FolderIndex& index, SteadyClock::time_point tNow) {
    return index.bSelfChanged && tNow - index.tRead < index.dTrust;
}

std::uint64_t& ShapeRow(Cache& cache, std::size_t uNameLength) {
    return cache.auShapes[uNameLength % 64];
}

std::uint64_t ShapeBit(std::size_t uPathLength) {
    return std::uint64_t{1} << (uPathLength % 64);
}

FolderIndex& Install(Cache& cache, const std::string& strFolder, FolderIndex&& index,
                     bool bRead = true) {
    const std::size_t uSlash = strFolder.rfind('/');
    const std::size_t uNameLength =
        uSlash == std::string::npos ? strFolder.size() : strFolder.size() - uSlash - 1;
    ShapeRow(cache, uNameLength) |= ShapeBit(strFolder.size());
    auto itOld = cache.mapFolders.find(strFolder);
    if (itOld != cache.mapFolders.end()) {
        Erase(cache, itOld);
    }
    cache.nNames += index.mapNames.size();
    cache.nBuilds += bRead ? 1 : 0;
    const auto itInstalled = cache.mapFolders.emplace(strFolder, std::move(index)).first;
    cache.lstLru.push_front(&itInstalled->first);
    itInstalled->second.itLru = cache.lstLru.begin();
    FolderIndex& installed = itInstalled->second;
    while ((cache.mapFolders.size() > kMaxFolders || cache.nNames > kMaxNames) &&
           cache.lstLru.size() > 1) {
        Erase(cache, cache.mapFolders.find(*cache.lstLru.back()));
    }
    return installed;
}

void UpdateNames(Cache& cache, FolderIndex& index, std::string_view strName, bool bAdded) {
    const std::uint64_t uHash = NameHash(strName);
    if (!bAdded) {
        if (index.mapNames.RemoveLater(uHash, strName)) {
            Settle(cache, index);
        }
        return;
    }
    cache.nNames = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(cache.nNames) +
                                            index.mapNames.Add(uHash, strName));
}

// strFolder and strName as one path, in a buffer of the calling thread's (no allocation once it
// has grown).
const std::string& ChildPath(std::string_view strFolder, std::string_view strName) {
    thread_local std::string t_strPath;
    t_strPath.assign(strFolder);
    if (strFolder != "/") {
        t_strPath += '/';
    }
    t_strPath += strName;
    return t_strPath;
}

// Whether strName in strFolder may have an index: most names are files, whose path is not looked
// up then. Called with the cache's lock held.
bool MayHoldChild(Cache& cache, std::string_view strFolder, std::string_view strName) {
    const std::size_t uLength = strFolder.size() + (strFolder == "/" ? 0 : 1) + strName.size();
    return (ShapeRow(cache, strName.size()) & ShapeBit(uLength)) != 0;
}

// A removed folder's own index is of no more use. Called with the cache's lock held.
void EraseChild(Cache& cache, std::string_view strFolder, std::string_view strName) {
    if (!MayHoldChild(cache, strFolder, strName)) {
        return;
    }
    auto itSelf = cache.mapFolders.find(ChildPath(strFolder, strName));
    if (itSelf != cache.mapFolders.end()) {
        Erase(cache, itSelf);
    }
}

// A change the layer makes many of in a row (moves): no stat to take the folder's new time. The
// index is trusted for a while instead (IsTrusted), and read again once a lookup needs its time.
// Called with the cache's lock held.
void NoteTrustingLocked(Cache& cache, std::string_view strFolder, std::string_view strName,
                        bool bAdded) {
    ++cache.uChanges;
    if (!bAdded) {
        EraseChild(cache, strFolder, strName);
    }
    auto it = cache.mapFolders.find(strFolder);
    if (it != cache.mapFolders.end()) {
        UpdateNames(cache, it->second, strName, bAdded);
        it->second.bSelfChanged = true;
        // An index kept in step is in use: a run that makes thousands of folders beside its moves
        // out of the flat folder pushed that folder's index out, to be read again, whole.
        cache.lstLru.splice(cache.lstLru.begin(), cache.lstLru, it->second.itLru);
    }
}

void Note(std::string_view strFolder, std::string_view strName, bool bAdded, bool bTakeTime) {
    Cache& cache = TheCache();
    if (!bTakeTime) {
        std::lock_guard lock(cache.mutex);
        NoteTrustingLocked(cache, strFolder, strName, bAdded);
        return;
    }
    {
        // Most changes land in folders nobody has looked up ignoring case: no stat for those.
        std::lock_guard lock(cache.mutex);
        ++cache.uChanges;
        const bool bFolderKnown = cache.mapFolders.count(strFolder) != 0;
        const bool bSelfKnown = !bAdded && MayHoldChild(cache, strFolder, strName) &&
                                cache.mapFolders.count(ChildPath(strFolder, strName));
        if (!bFolderKnown && !bSelfKnown) {
            return;
        }
    }
    struct stat st;
    const bool bStat = ::stat(std::string(strFolder).c_str(), &st) == 0;
    std::lock_guard lock(cache.mutex);
    if (!bAdded) {
        EraseChild(cache, strFolder, strName);
    }
    auto it = cache.mapFolders.find(strFolder);
    if (it == cache.mapFolders.end()) {
        return;
    }
    FolderIndex& index = it->second;
    if (!bStat || index.dev != st.st_dev || index.ino != st.st_ino) {
        Erase(cache, it);
        return;
    }
    UpdateNames(cache, index, strName, bAdded);
    cache.lstLru.splice(cache.lstLru.begin(), cache.lstLru, index.itLru);
    // The change is the layer's own, so the new time does not call for reading the folder again.
    // (Someone else's change made since the last look and before this one goes unseen.)
    index.tsMtime = st.st_mtim;
}

} // namespace

bool FindNameIgnoringCase(const std::string& strFolder, std::string_view strDiskName,
                          std::string& strFound, const struct stat* pFolderStat) {
    const std::uint64_t uHash = NameHash(strDiskName);
    Cache& cache = TheCache();
    struct stat st;
    if (pFolderStat != nullptr) {
        st = *pFolderStat;
    } else if (::stat(strFolder.c_str(), &st) != 0) {
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        return false;
    }
    {
        std::lock_guard lock(cache.mutex);
        auto it = cache.mapFolders.find(strFolder);
        if (it != cache.mapFolders.end() && !it->second.bSelfChanged &&
            IsSameFolder(it->second, st)) {
            cache.lstLru.splice(cache.lstLru.begin(), cache.lstLru, it->second.itLru);
            if (Search(cache, it->second, uHash, strDiskName, strFound)) {
                return true;
            }
            if (!it->second.bRacy || SteadyClock::now() < it->second.tRecheck) {
                return false;
            }
        }
    }
    // Read outside the lock: a big folder must not hold up lookups elsewhere.
    std::optional<FolderIndex> fresh = Build(strFolder);
    if (!fresh) {
        return false;
    }
    std::lock_guard lock(cache.mutex);
    return Search(cache, Install(cache, strFolder, std::move(*fresh)), uHash, strDiskName,
                  strFound);
}

int FindNameInTrustedIndex(std::string_view strFolder, std::string_view strDiskName,
                           std::string& strFound) {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    auto it = cache.mapFolders.find(strFolder);
    if (it == cache.mapFolders.end() || !IsTrusted(it->second, SteadyClock::now())) {
        return -1;
    }
    cache.lstLru.splice(cache.lstLru.begin(), cache.lstLru, it->second.itLru);
    return Search(cache, it->second, NameHash(strDiskName), strDiskName, strFound) ? 1 : 0;
}

void CaseIndexReadAhead(const std::string& strFolder) {
    Cache& cache = TheCache();
    struct stat st;
    if (::stat(strFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return; // the lookups say what is wrong
    }
    std::uint64_t uChangesBefore = 0;
    {
        std::lock_guard lock(cache.mutex);
        const auto it = cache.mapFolders.find(strFolder);
        if (it != cache.mapFolders.end() && IsSameFolder(it->second, st)) {
            return;
        }
        uChangesBefore = cache.uChanges;
    }
    std::optional<FolderIndex> fresh = Build(strFolder);
    std::lock_guard lock(cache.mutex);
    // A change the layer made meanwhile may be missing from this read, and once noted in it the
    // index would be trusted: the lookups read the folder themselves then.
    if (fresh && cache.uChanges == uChangesBefore) {
        Install(cache, strFolder, std::move(*fresh));
    }
}

void CaseIndexNoteCreatedFolder(const std::string& strFolder) {
    FolderIndex index;
    index.tRead = SteadyClock::now();
    index.dTrust = kMinTrust;
    index.bSelfChanged = true; // its time is not known: read it once the trust runs out
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    Install(cache, strFolder, std::move(index), false);
}

void CaseIndexForget(std::string_view strFolder) {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    auto it = cache.mapFolders.find(strFolder);
    if (it != cache.mapFolders.end()) {
        Erase(cache, it);
    }
}

void CaseIndexNoteAdded(std::string_view strFolder, std::string_view strName, bool bTakeTime) {
    Note(strFolder, strName, true, bTakeTime);
}

void CaseIndexNoteRemoved(std::string_view strFolder, std::string_view strName, bool bTakeTime) {
    Note(strFolder, strName, false, bTakeTime);
}

void CaseIndexNoteMoved(std::string_view strFromFolder, std::string_view strFromName,
                        std::string_view strToFolder, std::string_view strToName) {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    NoteTrustingLocked(cache, strFromFolder, strFromName, false);
    NoteTrustingLocked(cache, strToFolder, strToName, true);
}

CaseIndexStats GetCaseIndexStats() {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    return {cache.nBuilds, cache.mapFolders.size(), cache.nNames};
}

void ClearCaseIndexes() {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    cache.mapFolders.clear();
    cache.lstLru.clear();
    cache.auShapes.fill(0);
    cache.nNames = 0;
}

} // namespace tessaly::win32::detail
