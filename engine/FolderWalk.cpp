// The recursive folder walk of CFileCollector.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/FileCollector.h"
#include "engine/FolderListingAhead.h"
#include "engine/RunState.h"
#include "platform/win32/Win32.h"
#include "support/PathHelpers.h"

namespace {

// GetCurrentDirectoryA asks for 5000 characters; a longer directory gets the size it needs, so
// that the walk can always go back to it.
constexpr DWORD kdwCurDirSize = 5000;

BOOL RememberCurrentDir(CString& strDir) {
    DWORD dwSize = kdwCurDirSize;
    for (int iTry = 0; iTry < 3; ++iTry) {
        LPSTR pcBuff = strDir.GetBuffer(static_cast<int>(dwSize));
        const DWORD dwLen = GetCurrentDirectoryA(dwSize, pcBuff);
        if (dwLen == 0) {
            strDir.ReleaseBuffer(0);
            return FALSE;
        }
        if (dwLen < dwSize) {
            strDir.ReleaseBuffer(static_cast<int>(dwLen));
            return TRUE;
        }
        strDir.ReleaseBuffer(0);
        dwSize = dwLen; // it grew meanwhile if this is still short
    }
    return FALSE;
}

// GetFileIdentity of ".", by its name: nothing to open where the system need not (one statx
// here, four through a handle).
BOOL CurrentFolderIdentity(std::pair<DWORD, ULONGLONG>& id) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!tessaly::win32::GetFileInformationByName(".", info)) {
        return FALSE;
    }
    id = {info.dwVolumeSerialNumber, MakeUInt64(info.nFileIndexLow, info.nFileIndexHigh)};
    return TRUE;
}

// How many walks this thread is inside of. A walk below a folder given with its drive enters
// each sub-folder by its full path, so it need not come back up between two of them: only the
// outermost walk goes back to the directory it started in (one chdir a folder fewer).
thread_local int t_iWalkDepth = 0;

struct CWalkDepth {
    CWalkDepth() { ++t_iWalkDepth; }
    ~CWalkDepth() { --t_iWalkDepth; }
    CWalkDepth(const CWalkDepth&) = delete;
    CWalkDepth& operator=(const CWalkDepth&) = delete;
};

bool IsDrivePath(LPCSTR pcPath) {
    const char c = pcPath[0];
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && pcPath[1] == ':' &&
           (pcPath[2] == '\\' || pcPath[2] == '/');
}

// Whether the path's last byte is '\' or '/' (or the trail byte 0x5C of a character: such a
// walk lists its folders itself).
bool EndsInSeparator(LPCSTR pcPath) {
    const std::size_t uLen = std::strlen(pcPath);
    return uLen > 0 && (pcPath[uLen - 1] == '\\' || pcPath[uLen - 1] == '/');
}

// Whether a walk from pcFolder has its folders listed ahead: one given with its drive.
bool ListedAhead(LPCSTR pcFolder) {
    return IsDrivePath(pcFolder) && !EndsInSeparator(pcFolder);
}

// Clears the collector's pointer to the listings made ahead when the walk that made them ends.
class CListingAheadEnd {
public:
    CListingAheadEnd(CFolderListingAhead*& pAhead, bool bOwn) : m_pAhead(pAhead), m_bOwn(bOwn) {}
    ~CListingAheadEnd() {
        if (m_bOwn) {
            m_pAhead = nullptr;
        }
    }
    CListingAheadEnd(const CListingAheadEnd&) = delete;
    CListingAheadEnd& operator=(const CListingAheadEnd&) = delete;

private:
    CFolderListingAhead*& m_pAhead;
    bool m_bOwn;
};

} // namespace

void CFileCollector::TrackWalkedFolders(BOOL bTrack) {
    m_bTrackWalked = bTrack;
    m_mapWalked.clear();
}

BOOL CFileCollector::MarkFolderWalked(LPCSTR pcFolder, CString* pstrFirst) {
    std::pair<DWORD, ULONGLONG> id;
    if (pcFolder == nullptr || !GetFileIdentity(pcFolder, id)) {
        return TRUE;
    }
    const auto [it, bNew] = m_mapWalked.try_emplace(id, CString(pcFolder));
    if (!bNew && pstrFirst != nullptr) {
        *pstrFirst = it->second;
    }
    return bNew ? TRUE : FALSE;
}

void CFileCollector::TellSkip(LPCSTR pcPath, ECollectSkip eWhy, DWORD dwError, LPCSTR pcFirst) {
    if (m_pSkipHost != nullptr) {
        m_pSkipHost->OnCollectSkip(pcPath, eWhy, dwError, pcFirst);
    }
}

BOOL CFileCollector::IsDanglingLink(LPCSTR pcPath, const WIN32_FIND_DATAA& findData, BOOL bPicked) {
    WIN32_FIND_DATAA whole;
    const WIN32_FIND_DATAA* pRecord = &findData;
    if (bPicked) {
        // Only a small file can be a link: a link's own size is the text of its target, under
        // 4,096 bytes (0 on Windows). Such a file is looked up again for the whole record.
        if (MakeUInt64(findData.nFileSizeLow, findData.nFileSizeHigh) >= 4096 ||
            !GetFileFindData(&whole, pcPath)) {
            return FALSE;
        }
        pRecord = &whole;
    }
    // Windows marks every link as a reparse point, the layer on Linux a dangling one; only those
    // are opened, through the link.
    if ((pRecord->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 ||
        (pRecord->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FALSE;
    }
    std::pair<DWORD, ULONGLONG> id;
    return GetFileIdentity(pcPath, id) ? FALSE : TRUE;
}

BOOL CFileCollector::AddPickedFolders(LPCSTR pcBase, const std::vector<CString>& vecFolders,
                                      BOOL bFiltered) {
    CFolderIdSet setOnPath;
    std::pair<DWORD, ULONGLONG> idBase;
    if (pcBase != nullptr && GetFileIdentity(pcBase, idBase)) {
        setOnPath.insert(idBase);
    }
    // The picked folders given with their drives are listed ahead by one thread, one after the
    // other: a thread for each, begun and ended with its walk, cost a wait at each end.
    std::vector<std::string> vecTops;
    for (const CString& strFolder : vecFolders) {
        if (ListedAhead(strFolder)) {
            vecTops.emplace_back(strFolder.GetString());
        }
    }
    std::unique_ptr<CFolderListingAhead> pListingAhead;
    if (m_pListingAhead == nullptr && !vecTops.empty()) {
        pListingAhead = std::make_unique<CFolderListingAhead>(vecTops);
        m_pListingAhead = pListingAhead.get();
    }
    const CListingAheadEnd listingAheadEnd(m_pListingAhead, pListingAhead != nullptr);
    BOOL bAll = TRUE;
    for (const CString& strFolder : vecFolders) {
        if (!ScanFolderIn(strFolder, TRUE, bFiltered, setOnPath)) {
            bAll = FALSE;
        }
    }
    return bAll;
}

BOOL CFileCollector::ScanFolder(LPCSTR pcFolder, BOOL bRecurse) {
    CFolderIdSet setOnPath;
    return ScanFolderIn(pcFolder, bRecurse, FALSE, setOnPath);
}

BOOL CFileCollector::ScanFolderFiltered(LPCSTR pcFolder, BOOL bRecurse) {
    CFolderIdSet setOnPath;
    return ScanFolderIn(pcFolder, bRecurse, TRUE, setOnPath);
}

BOOL CFileCollector::ScanFolderIn(LPCSTR pcFolder, BOOL bRecurse, BOOL bFiltered,
                                  CFolderIdSet& setOnPath) {
    if (bFiltered && !IsFilterUsable()) {
        return FALSE;
    }
    if (pcFolder == nullptr) {
        return FALSE;
    }
    // Below the walk's top, a folder named from its drive is entered from wherever the walk is,
    // and left for the next one the same way: only the others go back, and remember where to.
    // Without a directory to go back to, the walk would leave the process somewhere else.
    const bool bGoBack = t_iWalkDepth == 0 || !IsDrivePath(pcFolder);
    CString strPrevDir;
    if (bGoBack && !RememberCurrentDir(strPrevDir)) {
        TellSkip(pcFolder, ECollectSkip::FolderNotEntered, GetLastError());
        return FALSE;
    }
    if (!SetCurrentDirectoryA(pcFolder)) {
        TellSkip(pcFolder, ECollectSkip::FolderNotEntered, GetLastError());
        return FALSE;
    }
    const CWalkDepth depth;

    // A link back up the tree would make the walk endless: such a folder is not entered again.
    // A folder whose identity cannot be read is walked all the same.
    std::pair<DWORD, ULONGLONG> id;
    const BOOL bKnown = CurrentFolderIdentity(id);
    if (bKnown && m_bTrackWalked) {
        const auto it = m_mapWalked.find(id);
        if (it != m_mapWalked.end()) {
            TellSkip(pcFolder, ECollectSkip::FolderWalkedBefore, 0, it->second);
            if (bGoBack) {
                SetCurrentDirectoryA(strPrevDir);
            }
            return FALSE;
        }
    }
    if (bKnown && !setOnPath.insert(id).second) {
        if (bGoBack) {
            SetCurrentDirectoryA(strPrevDir);
        }
        return FALSE;
    }
    // Remembered only once it is walked: a folder on the path (a pick's own folder, whose
    // entries were chosen one by one) is not walked by being reached.
    if (bKnown && m_bTrackWalked) {
        m_mapWalked.emplace(id, CString(pcFolder));
    }
    // A walk from a drive path has its folders listed ahead, while it takes in their entries.
    std::unique_ptr<CFolderListingAhead> pListingAhead;
    if (m_pListingAhead == nullptr && t_iWalkDepth == 1 && bRecurse && ListedAhead(pcFolder)) {
        pListingAhead = std::make_unique<CFolderListingAhead>(pcFolder);
        m_pListingAhead = pListingAhead.get();
    }
    const CListingAheadEnd listingAheadEnd(m_pListingAhead, pListingAhead != nullptr);

    // A vector rather than the store's array: most folders have few sub-folders, and a walk of a
    // million folders should not construct a thousand slots for each.
    std::vector<CString> vecSubFolders;
    const CString strFolder(pcFolder);
    BOOL bAll = ScanEntries(strFolder, bRecurse, bFiltered, vecSubFolders);
    // After the enumeration is closed, so that one search is open however deep the tree; also
    // after an abort, each sub-walk testing the flag itself.
    for (const CString& strSub : vecSubFolders) {
        if (!ScanFolderIn(strSub, TRUE, bFiltered, setOnPath)) {
            bAll = FALSE;
        }
    }

    if (bKnown) {
        setOnPath.erase(id);
    }
    if (bGoBack) {
        SetCurrentDirectoryA(strPrevDir);
    }
    return bAll;
}

BOOL CFileCollector::ScanEntries(const CString& strFolder, BOOL bRecurse, BOOL bFiltered,
                                 std::vector<CString>& vecSubFolders) {
    WIN32_FIND_DATAA found = {};
    // The entry at hand: found, or one of the listing made ahead, read where it lies.
    const WIN32_FIND_DATAA* pFound = &found;
    // The listing made ahead, if any; else the folder's own, from the current directory.
    const bool bAhead =
        m_pListingAhead != nullptr && m_pListingAhead->Take(strFolder.GetString(), m_vecListed);
    std::size_t uNextListed = 0;
    // A listing made ahead has its files' index slots fetched a few files before they are looked
    // up: at a million files each lookup would otherwise wait on memory.
    constexpr std::size_t kPrefetchAhead = 8;
    std::size_t uPrefetched = 0;
    std::string strAheadPath; // the folder and a separator, then a name ahead
    std::size_t uFolderBytes = 0;
    const auto nextListed = [&] {
        if (uNextListed == m_vecListed.size()) {
            return false;
        }
        const std::size_t uUpTo = std::min(uNextListed + kPrefetchAhead, m_vecListed.size());
        for (; uPrefetched < uUpTo; ++uPrefetched) {
            const WIN32_FIND_DATAA& ahead = m_vecListed[uPrefetched];
            if ((ahead.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                strAheadPath.resize(uFolderBytes);
                strAheadPath += ahead.cFileName;
                PrefetchPath(strAheadPath);
            }
        }
        pFound = &m_vecListed[uNextListed++];
        return true;
    };
    if (bAhead) {
        strAheadPath.assign(strFolder.GetString(), static_cast<std::size_t>(strFolder.GetLength()));
        strAheadPath += '\\';
        uFolderBytes = strAheadPath.size();
    }
    const HANDLE hFind = bAhead ? nullptr : FindFirstFileA("*.*", &found);
    if (bAhead && !nextListed()) {
        return TRUE;
    }
    if (hFind == INVALID_HANDLE_VALUE) {
        // An empty folder still lists "." and "..": a failure here is a folder we cannot read.
        const DWORD dwError = GetLastError();
        if (dwError != ERROR_FILE_NOT_FOUND && dwError != ERROR_NO_MORE_FILES) {
            TellSkip(strFolder, ECollectSkip::FolderNotListed, dwError);
        }
        return TRUE;
    }

    BOOL bAll = TRUE;
    CFileEntry entry;
    DWORD dwEntry = 1;
    do {
        if (IsDotsName(pFound->cFileName)) {
            continue;
        }
        const BOOL bFolder = (pFound->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (bFolder && bRecurse) {
            // Folder names are never filtered; a sub-folder that cannot be queued is dropped.
            try {
                CString strSub;
                strSub.Format("%s\\%s", strFolder.GetString(), pFound->cFileName);
                vecSubFolders.push_back(std::move(strSub));
            } catch (const std::bad_alloc&) {
                bAll = FALSE;
            }
            continue;
        }
        if (bFiltered) {
            if (!PassesFilterOnName(pFound->cFileName)) {
                TellIfFilterGaveUp(strFolder, pFound->cFileName);
                bAll = FALSE;
                continue;
            }
        }
        if (bFolder || strFolder.IsEmpty()) {
            bAll = FALSE;
            continue;
        }
        entry.m_strFullPath.Join(strFolder.GetString(), '\\', pFound->cFileName);
        if (FindByPath(entry.m_strFullPath) != -1 ||
            IsDanglingLink(entry.m_strFullPath, *pFound, FALSE)) {
            bAll = FALSE;
            continue;
        }
        entry.m_strFolder = strFolder;
        entry.m_strName = pFound->cFileName;
        entry.m_ullSize = MakeUInt64(pFound->nFileSizeLow, pFound->nFileSizeHigh);
        entry.m_strRoot = g_strPickRoot;
        if (!Append(entry)) {
            bAll = FALSE;
        }
    } while (!(++dwEntry >= 3 && g_bAbort.load()) &&
             (bAhead ? nextListed() : FindNextFileA(hFind, &found) != FALSE));
    if (!bAhead) {
        FindClose(hFind);
    }
    return bAll;
}
