// Directory searches. A listing reads the folder once, keeps the matching names sorted in NTFS
// order with their CP932 forms, and keeps the folder open: each FindNextFileA is one statx relative
// to it, so a search that is given up early costs no stat of the rest.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/common/CaseFold.h"
#include "platform/win32/common/ListedName.h"
#include "platform/win32/posix/FileTime.h"
#include "platform/win32/posix/Handles.h"
#include "platform/win32/posix/NamePattern.h"
#include "platform/win32/posix/PathResolve.h"

namespace tessaly::win32::detail {
namespace {

// How many entries ahead a pass over a large listing fetches what it reads out of order.
constexpr std::size_t kFetchAhead = 8;

FILETIME ToFileTime(const statx_timestamp& ts) {
    return FileTimeFromUnix(ts.tv_sec, ts.tv_nsec);
}

// A link is described by what it points to; a dangling one by itself.
bool StatEntry(int fdDir, const char* pszName, struct statx& stx) {
    return ::statx(fdDir, pszName, AT_NO_AUTOMOUNT, kStatxMask, &stx) == 0 ||
           ::statx(fdDir, pszName, AT_NO_AUTOMOUNT | AT_SYMLINK_NOFOLLOW, kStatxMask, &stx) == 0;
}

// A record's fields but its names; no entry has attributes 0, which marks one that is gone.
struct Described {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};

Described Describe(const struct statx& stx) {
    Described described{};
    const bool bFolder = S_ISDIR(stx.stx_mode);
    described.dwFileAttributes = bFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    // A link is described by its target; one without a target by itself, marked as Windows marks
    // a link, so that it is not taken for a file.
    if (S_ISLNK(stx.stx_mode)) {
        described.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    if (!bFolder && (stx.stx_mode & S_IWUSR) == 0) {
        described.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    }
    described.ftLastWriteTime = ToFileTime(stx.stx_mtime);
    described.ftLastAccessTime = ToFileTime(stx.stx_atime);
    described.ftCreationTime =
        ToFileTime((stx.stx_mask & STATX_BTIME) != 0 ? stx.stx_btime : stx.stx_mtime);
    const std::uint64_t uSize = bFolder ? 0 : stx.stx_size;
    described.nFileSizeHigh = static_cast<DWORD>(uSize >> 32);
    described.nFileSizeLow = static_cast<DWORD>(uSize & 0xFFFFFFFFu);
    return described;
}

void FillFindData(const Described& described, std::string_view strAnsiName,
                  WIN32_FIND_DATAA& data) {
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = described.dwFileAttributes;
    data.ftCreationTime = described.ftCreationTime;
    data.ftLastAccessTime = described.ftLastAccessTime;
    data.ftLastWriteTime = described.ftLastWriteTime;
    data.nFileSizeHigh = described.nFileSizeHigh;
    data.nFileSizeLow = described.nFileSizeLow;
    std::memcpy(data.cFileName, strAnsiName.data(), strAnsiName.size());
}

void FillFindData(const struct statx& stx, std::string_view strAnsiName, WIN32_FIND_DATAA& data) {
    FillFindData(Describe(stx), strAnsiName, data);
}

class FindSearch final : public HandleObject {
public:
    ~FindSearch() override { Close(); }
    HandleKind Kind() const override { return HandleKind::Find; }
    bool Close() override {
        if (m_fdDir >= 0) {
            ::close(m_fdDir);
            m_fdDir = -1;
        }
        return true;
    }

    // The next entry that still exists; false with ERROR_NO_MORE_FILES at the end.
    bool Next(WIN32_FIND_DATAA& data) {
        std::lock_guard lock(m_mutex);
        if (m_single) {
            if (m_iNext++ == 0) {
                data = *m_single;
                return true;
            }
        } else {
            if (m_iNext == kLazyEntries && m_aEntries.size() > kLazyEntries) {
                StatTheRest();
            }
            while (m_iNext < m_aEntries.size()) {
                const std::size_t iEntry = m_iNext++;
                const Entry& entry = m_aEntries[iEntry];
                const std::string_view strAnsi(m_strNames.c_str() + entry.uAnsi, entry.uAnsiLen);
                if (!m_aStats.empty() && iEntry >= kLazyEntries) {
                    const Described& described = m_aStats[iEntry - kLazyEntries];
                    if (described.dwFileAttributes != 0) {
                        FillFindData(described, strAnsi, data);
                        return true;
                    }
                    continue; // removed since the folder was read: Windows would not show it
                }
                struct statx stx;
                const bool bFolderItself = iEntry == 0 && m_folderStat;
                if (bFolderItself) {
                    stx = *m_folderStat;
                }
                if (bFolderItself || StatEntry(m_fdDir, m_strNames.c_str() + entry.uDisk, stx)) {
                    FillFindData(stx, strAnsi, data);
                    return true;
                }
            }
        }
        SetLastError(ERROR_NO_MORE_FILES);
        return false;
    }

    // Ready for another single lookup; only for a search no handle and no other thread holds.
    void ResetForSingle() {
        std::lock_guard lock(m_mutex); // orders this after the last user's calls
        Close();
        m_strNames.clear();
        m_aEntries.clear();
        m_aStats.clear();
        m_iNext = 0;
        m_single.reset();
        m_folderStat.reset();
    }

    struct Entry {
        std::uint32_t uDisk; // offsets into m_strNames of NUL-terminated names
        std::uint32_t uAnsi;
        std::uint32_t uAnsiLen;
        std::uint32_t uRead; // its place in the folder's own order
    };

    // A search read past its first entries goes on to the end (the picker, the walk): the rest
    // are described at once, in the order the folder gave them, which the file system answers
    // faster than the same stats in name order (100,000 files on tmpfs: 235-265 ms against
    // 290-320 ms).
    static constexpr std::size_t kLazyEntries = 32;
    void StatTheRest() {
        std::uint32_t uReadEnd = 0;
        for (std::size_t i = kLazyEntries; i < m_aEntries.size(); ++i) {
            uReadEnd = std::max(uReadEnd, m_aEntries[i].uRead + 1);
        }
        std::vector<std::uint32_t> aiByRead(uReadEnd, UINT32_MAX);
        for (std::size_t i = kLazyEntries; i < m_aEntries.size(); ++i) {
            aiByRead[m_aEntries[i].uRead] = static_cast<std::uint32_t>(i);
        }
        m_aStats.assign(m_aEntries.size() - kLazyEntries, Described{});
        // In the folder's order the entries, their names and their records lie scattered: at a
        // million entries each is a cache miss, so they are fetched some entries ahead.
        // (In the loop itself: GCC 12 found a lambda holding only the prefetches without effect,
        // and dropped its calls.)
        const auto statRange = [&](std::size_t uBegin, std::size_t uEnd) {
            for (std::size_t i = uBegin; i < uEnd; ++i) {
                if (i + 2 * kFetchAhead < uEnd && aiByRead[i + 2 * kFetchAhead] != UINT32_MAX) {
                    __builtin_prefetch(&m_aEntries[aiByRead[i + 2 * kFetchAhead]]);
                }
                if (i + kFetchAhead < uEnd && aiByRead[i + kFetchAhead] != UINT32_MAX) {
                    const std::uint32_t iAhead = aiByRead[i + kFetchAhead];
                    __builtin_prefetch(m_strNames.c_str() + m_aEntries[iAhead].uDisk);
                    __builtin_prefetch(&m_aStats[iAhead - kLazyEntries], 1);
                }
                const std::uint32_t iEntry = aiByRead[i];
                struct statx stx;
                if (iEntry != UINT32_MAX &&
                    StatEntry(m_fdDir, m_strNames.c_str() + m_aEntries[iEntry].uDisk, stx)) {
                    m_aStats[iEntry - kLazyEntries] = Describe(stx);
                }
            }
        };
        // A large folder's stats are shared with a second thread: the kernel's work per entry is
        // most of a listing, and a picker's folder of 100,000 files is listed in half the time.
        const std::size_t uHalf = aiByRead.size() / 2;
        if (aiByRead.size() >= kSharedStats && std::thread::hardware_concurrency() > 1) {
            try {
                std::thread helper(statRange, uHalf, aiByRead.size());
                statRange(0, uHalf);
                helper.join();
                return;
            } catch (const std::system_error&) {
                // No thread to be had: the stats all go on this one.
            }
        }
        statRange(0, aiByRead.size());
    }
    static constexpr std::size_t kSharedStats = 4096;

    void Add(std::string_view strDisk, std::string_view strAnsi, std::uint32_t uRead) {
        Entry entry;
        entry.uRead = uRead;
        entry.uDisk = static_cast<std::uint32_t>(m_strNames.size());
        m_strNames.append(strDisk).push_back('\0');
        entry.uAnsi = static_cast<std::uint32_t>(m_strNames.size());
        entry.uAnsiLen = static_cast<std::uint32_t>(strAnsi.size());
        m_strNames.append(strAnsi).push_back('\0');
        m_aEntries.push_back(entry);
    }

    std::mutex m_mutex;
    int m_fdDir = -1;
    std::string m_strNames;
    std::vector<Entry> m_aEntries;
    std::size_t m_iNext = 0;
    std::vector<Described> m_aStats; // of the entries from kLazyEntries on, once read so far
    std::optional<WIN32_FIND_DATAA> m_single;
    // The first entry is "." and this its folder's statx, taken by the listing's own lookup.
    std::optional<struct statx> m_folderStat;
};

HANDLE Fail(DWORD dwError) {
    SetLastError(dwError);
    return INVALID_HANDLE_VALUE;
}

// Fills search with the folder's entries that match the pattern, in NTFS order.
bool ReadListing(WindowsPath& path, FindSearch& search) {
    // Most folders are there as spelled: opened at once, with the folder's statx taken from the
    // descriptor, their path is walked once rather than twice. Any other is looked up first.
    FoundEntry found;
    std::string strFolder;
    const auto openFolder = [&] {
        strFolder = path.PosixPath();
        search.m_fdDir = ::open(strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    };
    openFolder();
    if (search.m_fdDir >= 0) {
        if (::statx(search.m_fdDir, "", AT_EMPTY_PATH, kStatxMask, &found.stx) != 0) {
            found.stx.stx_mask = 0;
        }
    } else {
        bool bExists = false;
        if (!ResolveOnDisk(path, false, bExists, static_cast<std::size_t>(-1), &found)) {
            if (GetLastError() == ERROR_FILE_NOT_FOUND) {
                SetLastError(ERROR_PATH_NOT_FOUND); // the folder itself is what is missing
            }
            return false;
        }
        openFolder();
    }
    if (search.m_fdDir < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            SetLastError(ERROR_PATH_NOT_FOUND);
        } else {
            SetLastErrorFromErrno(errno);
        }
        return false;
    }
    const NamePattern pattern(*path.strPattern);

    // Sort keys: the upper-cased units big-endian, two zero bytes, the on-disk bytes.
    std::string strKeys;
    struct Key {
        std::uint64_t ullHead;  // the key's first eight bytes, big-endian, zeros after its end
        std::uint64_t ullHead2; // the next eight: an ASCII name's first eight units in all
        std::uint32_t uOffset;
        std::uint32_t uLength;
        std::uint32_t uDiskOffset; // where the on-disk name starts within the key
        std::uint32_t uRead;
    };
    std::vector<Key> aKeys;
    std::u16string strUpcased;
    // Worked out once: a walk lists every folder of a tree.
    static const std::array<char16_t, 128> acAsciiUpcased = [] {
        std::array<char16_t, 128> ac{};
        for (char16_t c = 0; c < 128; ++c) {
            ac[c] = UpcaseUnit(c);
        }
        return ac;
    }();
    // Read straight from the folder's own descriptor, which stays open for the stats to come: a
    // DIR on a copy of it cost five system calls more a folder (dup, fstat, two fcntl, lseek).
    thread_local std::vector<char> t_acBuffer(32768);
    std::size_t uPos = 0;
    std::size_t uEnd = 0;
    bool bReadOk = true;
    for (;;) {
        if (uPos >= uEnd) {
            const ssize_t cbRead =
                ::getdents64(search.m_fdDir, t_acBuffer.data(), t_acBuffer.size());
            if (cbRead <= 0) {
                bReadOk = cbRead == 0;
                break;
            }
            uPos = 0;
            uEnd = static_cast<std::size_t>(cbRead);
        }
        const auto* pEntry = reinterpret_cast<const dirent64*>(t_acBuffer.data() + uPos);
        uPos += pEntry->d_reclen;
        const std::string_view strName(pEntry->d_name);
        if (strName == "." || strName == "..") {
            continue;
        }
        // An ASCII name listed by "*" is its own units: its key is written straight from the
        // bytes, where the general path builds the upcased name first (half the listing's work).
        const bool bAsciiAll =
            pattern.MatchesAll() &&
            std::all_of(strName.begin(), strName.end(), [](char c) { return (c & 0x80) == 0; });
        if (!bAsciiAll) {
            strUpcased.clear();
            AppendUpcasedName(strName, strUpcased);
            if (!pattern.Matches(strUpcased)) {
                continue;
            }
        }
        const std::size_t uUnits = bAsciiAll ? strName.size() : strUpcased.size();
        Key key;
        key.uRead = static_cast<std::uint32_t>(aKeys.size());
        key.uOffset = static_cast<std::uint32_t>(strKeys.size());
        key.uDiskOffset = static_cast<std::uint32_t>(2 * uUnits + 2);
        key.uLength = key.uDiskOffset + static_cast<std::uint32_t>(strName.size());
        // Sized once and written in place: a listing builds one key a name.
        strKeys.resize(strKeys.size() + key.uLength);
        char* pc = strKeys.data() + key.uOffset;
        for (std::size_t i = 0; i < uUnits; ++i) {
            const char16_t c =
                bAsciiAll ? acAsciiUpcased[static_cast<unsigned char>(strName[i])] : strUpcased[i];
            *pc++ = static_cast<char>(c >> 8);
            *pc++ = static_cast<char>(c & 0xFF);
        }
        *pc++ = '\0';
        *pc++ = '\0';
        std::memcpy(pc, strName.data(), strName.size());
        key.ullHead = 0;
        key.ullHead2 = 0;
        const char* pcKey = strKeys.data() + key.uOffset;
        for (std::uint32_t i = 0; i < 16; ++i) {
            std::uint64_t& ullPart = i < 8 ? key.ullHead : key.ullHead2;
            ullPart =
                (ullPart << 8) | (i < key.uLength ? static_cast<unsigned char>(pcKey[i]) : 0u);
        }
        aKeys.push_back(key);
    }
    if (!bReadOk) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    const auto view = [&](const Key& key) {
        return std::string_view(strKeys.data() + key.uOffset, key.uLength);
    };
    // The heads decide most comparisons without reading the keys, which lie scattered.
    std::sort(aKeys.begin(), aKeys.end(), [&](const Key& a, const Key& b) {
        return a.ullHead != b.ullHead     ? a.ullHead < b.ullHead
               : a.ullHead2 != b.ullHead2 ? a.ullHead2 < b.ullHead2
                                          : view(a) < view(b);
    });

    // NTFS gives every folder but a drive's root its "." and "..", first.
    if (!IsDriveRootFolder(strFolder)) {
        for (const std::u16string_view strDots :
             {std::u16string_view(u"."), std::u16string_view(u"..")}) {
            if (pattern.Matches(strDots)) {
                const std::string_view strName = strDots.size() == 1 ? "." : "..";
                // "." is the folder the lookup above described (a link by its target).
                if (strDots.size() == 1 && search.m_aEntries.empty() && found.stx.stx_mask != 0 &&
                    S_ISDIR(found.stx.stx_mode)) {
                    search.m_folderStat = found.stx;
                }
                search.Add(strName, strName, 0);
            }
        }
    }
    search.m_strNames.reserve(search.m_strNames.size() + strKeys.size());
    search.m_aEntries.reserve(search.m_aEntries.size() + aKeys.size());
    std::string strAnsi;
    for (std::size_t i = 0; i < aKeys.size(); ++i) {
        // The names lie in the folder's order, scattered once sorted.
        if (i + kFetchAhead < aKeys.size()) {
            const Key& ahead = aKeys[i + kFetchAhead];
            __builtin_prefetch(strKeys.data() + ahead.uOffset + ahead.uDiskOffset);
        }
        const Key& key = aKeys[i];
        const std::string_view strDisk = view(key).substr(key.uDiskOffset);
        if (ListedName(strFolder, strDisk, strAnsi)) {
            search.Add(strDisk, strAnsi, key.uRead);
        }
    }
    return true;
}

std::string ParentFolder(const std::string& strPosixPath) {
    const std::size_t uSlash = strPosixPath.find_last_of('/');
    if (uSlash == std::string::npos) {
        return ".";
    }
    return uSlash == 0 ? "/" : strPosixPath.substr(0, uSlash);
}

// The one entry a path without a wildcard names. A drive's root or a path ending in a separator
// names the folder itself.
bool ReadSingle(WindowsPath& path, std::string& strAnsi, FindSearch& search) {
    bool bExists = false;
    FoundEntry found;
    // A single lookup is the check before a move or a creation, which guard themselves.
    if (!ResolveOnDisk(path, false, bExists, static_cast<std::size_t>(-1), &found, Reuse::Known)) {
        return false;
    }
    struct statx& stx = found.stx;
    if (stx.stx_mask == 0 && !StatEntry(AT_FDCWD, path.PosixPath().c_str(), stx)) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorFromErrno(errno));
        return false;
    }
    if (path.bTrailingSeparator && !S_ISDIR(stx.stx_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    strAnsi.clear(); // a drive's root has no name
    // The folder is spelled out only for a name that is left out, which the listener hears of.
    if (!path.aDisk.empty() &&
        !(DiskNameToAnsi(path.aDisk.back(), strAnsi) && strAnsi.size() < MAX_PATH) &&
        !ListedName(ParentFolder(path.PosixPath()), path.aDisk.back(), strAnsi)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    search.m_single.emplace();
    FillFindData(stx, strAnsi, *search.m_single);
    return true;
}

} // namespace
} // namespace tessaly::win32::detail

using tessaly::win32::detail::FindSearch;

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    using namespace tessaly::win32::detail;
    if (lpFileName == nullptr || lpFindFileData == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    // The thread's path and name keep their room from one search to the next (every check before
    // a move is a search); a search begun while another is under way on the thread (from an
    // omission listener) takes its own.
    struct Scratch {
        WindowsPath path;
        std::string strAnsi;
    };
    thread_local Scratch t_scratch;
    thread_local bool t_bScratchInUse = false;
    Scratch ownScratch;
    const bool bReuse = !t_bScratchInUse;
    Scratch& scratch = bReuse ? t_scratch : ownScratch;
    struct ScratchLease {
        bool bHeld;
        ~ScratchLease() {
            if (bHeld) {
                t_bScratchInUse = false;
            }
        }
    } lease{bReuse};
    t_bScratchInUse = true;
    WindowsPath& path = scratch.path;
    if (!ParseWindowsPath(lpFileName, path, true)) {
        return INVALID_HANDLE_VALUE;
    }
    // A single lookup's search is taken again by the thread's next one once nothing else holds
    // it (its handle closed): every check before a move is such a lookup.
    thread_local std::shared_ptr<FindSearch> t_pSpareSingle;
    std::shared_ptr<FindSearch> pSearch;
    if (!path.strPattern && t_pSpareSingle != nullptr && t_pSpareSingle.use_count() == 1) {
        pSearch = t_pSpareSingle;
        pSearch->ResetForSingle();
    } else {
        pSearch = std::make_shared<FindSearch>();
    }
    if (path.strPattern ? !ReadListing(path, *pSearch)
                        : !ReadSingle(path, scratch.strAnsi, *pSearch)) {
        return INVALID_HANDLE_VALUE;
    }
    if (!pSearch->Next(*lpFindFileData)) {
        return Fail(ERROR_FILE_NOT_FOUND);
    }
    if (!path.strPattern) {
        t_pSpareSingle = pSearch;
    }
    return RegisterHandle(std::move(pSearch));
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    using namespace tessaly::win32::detail;
    auto pSearch = LookupHandleAs<FindSearch>(hFindFile, HandleKind::Find);
    if (pSearch == nullptr) {
        return FALSE;
    }
    if (lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return pSearch->Next(*lpFindFileData) ? TRUE : FALSE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    using namespace tessaly::win32::detail;
    return ReleaseHandle(hFindFile, HandleKind::Find);
}
