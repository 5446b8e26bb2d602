// Per-folder indexes of names by a hash of their upper-cased form, in one process-wide LRU cache.
#include "platform/win32/posix/CaseIndex.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/win32/posix/CaseFold.h"

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
constexpr int kTrustPerBuild = 8;

struct IdentityHash {
    std::size_t operator()(std::uint64_t u) const noexcept { return static_cast<std::size_t>(u); }
};

struct FolderIndex {
    dev_t dev = 0;
    ino_t ino = 0;
    timespec tsMtime{};
    bool bRacy = false;
    SteadyClock::time_point tRecheck;
    SteadyClock::time_point tRead;
    SteadyClock::duration dTrust{};
    bool bSelfChanged = false; // by the layer since it was read
    std::unordered_multimap<std::uint64_t, std::string, IdentityHash> mapNames;
    std::list<std::string>::iterator itLru;
};

struct Cache {
    std::mutex mutex;
    std::unordered_map<std::string, FolderIndex> mapFolders;
    std::list<std::string> lstLru; // most recently used first
    std::size_t nNames = 0;
    std::size_t nBuilds = 0;
};

Cache& TheCache() {
    static Cache* pCache = new Cache; // never destroyed: detached threads may outlive it
    return *pCache;
}

bool IsSameFolder(const FolderIndex& index, const struct stat& st) {
    return index.dev == st.st_dev && index.ino == st.st_ino &&
           index.tsMtime.tv_sec == st.st_mtim.tv_sec && index.tsMtime.tv_nsec == st.st_mtim.tv_nsec;
}

bool Search(const FolderIndex& index, std::uint64_t uHash, std::string_view strName,
            std::string& strFound) {
    const auto [itBegin, itEnd] = index.mapNames.equal_range(uHash);
    const std::string* pBest = nullptr;
    for (auto it = itBegin; it != itEnd; ++it) {
        const std::string& strCandidate = it->second;
        if (strCandidate == strName) {
            strFound = strCandidate;
            return true;
        }
        // Equal hashes need not be equal names; among equal names the first listed has the
        // smallest bytes.
        if ((pBest == nullptr || strCandidate < *pBest) &&
            EqualIgnoringCase(strCandidate, strName)) {
            pBest = &strCandidate;
        }
    }
    if (pBest == nullptr) {
        return false;
    }
    strFound = *pBest;
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
        index.mapNames.emplace(UpcasedNameHash(strName), strName);
    }
    ::closedir(pDir);
    if (!bOk) {
        return std::nullopt;
    }
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

void Erase(Cache& cache, std::unordered_map<std::string, FolderIndex>::iterator it) {
    cache.nNames -= it->second.mapNames.size();
    cache.lstLru.erase(it->second.itLru);
    cache.mapFolders.erase(it);
}

bool IsTrusted(const FolderIndex& index, SteadyClock::time_point tNow) {
    return index.bSelfChanged && tNow - index.tRead < index.dTrust;
}

FolderIndex& Install(Cache& cache, const std::string& strFolder, FolderIndex&& index,
                     bool bRead = true) {
    auto itOld = cache.mapFolders.find(strFolder);
    if (itOld != cache.mapFolders.end()) {
        Erase(cache, itOld);
    }
    cache.lstLru.push_front(strFolder);
    index.itLru = cache.lstLru.begin();
    cache.nNames += index.mapNames.size();
    cache.nBuilds += bRead ? 1 : 0;
    FolderIndex& installed = cache.mapFolders.emplace(strFolder, std::move(index)).first->second;
    while ((cache.mapFolders.size() > kMaxFolders || cache.nNames > kMaxNames) &&
           cache.lstLru.size() > 1) {
        Erase(cache, cache.mapFolders.find(cache.lstLru.back()));
    }
    return installed;
}

void UpdateNames(Cache& cache, FolderIndex& index, std::string_view strName, bool bAdded) {
    const std::uint64_t uHash = UpcasedNameHash(strName);
    auto [itBegin, itEnd] = index.mapNames.equal_range(uHash);
    auto itName =
        std::find_if(itBegin, itEnd, [&](const auto& entry) { return entry.second == strName; });
    if (bAdded && itName == itEnd) {
        index.mapNames.emplace(uHash, strName);
        ++cache.nNames;
    } else if (!bAdded && itName != itEnd) {
        index.mapNames.erase(itName);
        --cache.nNames;
    }
}

// A change the layer makes many of in a row (moves): no stat to take the folder's new time. The
// index is trusted for a while instead (IsTrusted), and read again once a lookup needs its time.
void NoteTrusting(Cache& cache, const std::string& strFolder, std::string_view strName,
                  bool bAdded) {
    std::lock_guard lock(cache.mutex);
    if (!bAdded) {
        auto itSelf =
            cache.mapFolders.find(strFolder + (strFolder == "/" ? "" : "/") + std::string(strName));
        if (itSelf != cache.mapFolders.end()) {
            Erase(cache, itSelf);
        }
    }
    auto it = cache.mapFolders.find(strFolder);
    if (it != cache.mapFolders.end()) {
        UpdateNames(cache, it->second, strName, bAdded);
        it->second.bSelfChanged = true;
    }
}

void Note(const std::string& strFolder, std::string_view strName, bool bAdded, bool bTakeTime) {
    Cache& cache = TheCache();
    if (!bTakeTime) {
        NoteTrusting(cache, strFolder, strName, bAdded);
        return;
    }
    {
        // Most changes land in folders nobody has looked up ignoring case: no stat for those.
        std::lock_guard lock(cache.mutex);
        const bool bFolderKnown = cache.mapFolders.count(strFolder) != 0;
        const bool bSelfKnown =
            !bAdded && cache.mapFolders.count(strFolder + (strFolder == "/" ? "" : "/") +
                                              std::string(strName));
        if (!bFolderKnown && !bSelfKnown) {
            return;
        }
    }
    struct stat st;
    const bool bStat = ::stat(strFolder.c_str(), &st) == 0;
    std::lock_guard lock(cache.mutex);
    if (!bAdded) {
        // A removed folder's own index is of no more use.
        auto itSelf =
            cache.mapFolders.find(strFolder + (strFolder == "/" ? "" : "/") + std::string(strName));
        if (itSelf != cache.mapFolders.end()) {
            Erase(cache, itSelf);
        }
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
    // The change is the layer's own, so the new time does not call for reading the folder again.
    // (Someone else's change made since the last look and before this one goes unseen.)
    index.tsMtime = st.st_mtim;
}

} // namespace

bool FindNameIgnoringCase(const std::string& strFolder, std::string_view strDiskName,
                          std::string& strFound, const struct stat* pFolderStat) {
    const std::uint64_t uHash = UpcasedNameHash(strDiskName);
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
            if (Search(it->second, uHash, strDiskName, strFound)) {
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
    return Search(Install(cache, strFolder, std::move(*fresh)), uHash, strDiskName, strFound);
}

int FindNameInTrustedIndex(const std::string& strFolder, std::string_view strDiskName,
                           std::string& strFound) {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    auto it = cache.mapFolders.find(strFolder);
    if (it == cache.mapFolders.end() || !IsTrusted(it->second, SteadyClock::now())) {
        return -1;
    }
    cache.lstLru.splice(cache.lstLru.begin(), cache.lstLru, it->second.itLru);
    return Search(it->second, UpcasedNameHash(strDiskName), strDiskName, strFound) ? 1 : 0;
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

void CaseIndexForget(const std::string& strFolder) {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    auto it = cache.mapFolders.find(strFolder);
    if (it != cache.mapFolders.end()) {
        Erase(cache, it);
    }
}

void CaseIndexNoteAdded(const std::string& strFolder, std::string_view strName, bool bTakeTime) {
    Note(strFolder, strName, true, bTakeTime);
}

void CaseIndexNoteRemoved(const std::string& strFolder, std::string_view strName, bool bTakeTime) {
    Note(strFolder, strName, false, bTakeTime);
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
    cache.nNames = 0;
}

} // namespace tessaly::win32::detail
