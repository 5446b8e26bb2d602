#include "app/core/MovePlan.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "app/core/ShownPath.h"
#include "engine/RunState.h"
#include "platform/win32/Win32.h"
#include "support/MyWString.h"
#include "support/PathHelpers.h"

namespace {

// From this many entries FindClaims hashes their names on two threads.
constexpr DWORD kClaimsSharedFrom = 8192;

// The folder part of a path: everything before its last separator (cut on UTF-16, so a trail
// byte 0x5C is never one); empty when there is none.
CString ParentOf(const CString& strPath) {
    const CMyWString strWide(static_cast<LPCSTR>(strPath));
    const int iSep = strWide.ReverseFindChar(u'\\');
    return iSep > 0 ? strWide.GetSectorData(0, static_cast<DWORD>(iSep)) : CString();
}

CBatchResult Result(EBatchOutcome eOutcome, std::string strWhy = {}) {
    CBatchResult result;
    result.m_eOutcome = eOutcome;
    result.m_strWhy = std::move(strWhy);
    return result;
}

} // namespace

std::vector<DWORD> FindClaims(const CFileList& store, LPCSTR pcOperationFolder,
                              LPCSTR pcTargetExt) {
    const DWORD dwCount = store.GetCount();
    std::vector<DWORD> vecClaimedBy(dwCount);
    // Only sources whose names the file system could take for one another can be one file: those
    // are grouped by the hash of their case-folded names, and only a group's files are opened.
    std::vector<std::pair<std::uint64_t, DWORD>> vecKeys(dwCount);
    const auto hashRange = [&](DWORD dwBegin, DWORD dwEnd) {
        CString strName;
        for (DWORD i = dwBegin; i < dwEnd; ++i) {
            vecClaimedBy[i] = i;
            // Every source lies in the operation folder, so names tell them apart.
            strName = BuildMoveName(store.GetAt(i), pcTargetExt);
            vecKeys[i] = {tessaly::win32::NameCaseHash(std::string_view(
                              strName, static_cast<std::size_t>(strName.GetLength()))),
                          i};
        }
    };
    // The run waits for this before its first move: a large store's second half is hashed on a
    // second core (a million names take about a second on one).
    const DWORD dwHalf = dwCount >= kClaimsSharedFrom && std::thread::hardware_concurrency() > 1
                             ? dwCount / 2
                             : dwCount;
    std::thread helper;
    if (dwHalf < dwCount) {
        try {
            helper = std::thread(hashRange, dwHalf, dwCount);
        } catch (const std::system_error&) {
            hashRange(dwHalf, dwCount); // no thread to be had: all on this one
        }
    }
    hashRange(0, dwHalf);
    if (helper.joinable()) {
        helper.join();
    }
    std::sort(vecKeys.begin(), vecKeys.end());
    std::map<std::pair<DWORD, ULONGLONG>, DWORD> mapFirst;
    for (std::size_t uBegin = 0; uBegin < vecKeys.size();) {
        std::size_t uEnd = uBegin + 1;
        while (uEnd < vecKeys.size() && vecKeys[uEnd].first == vecKeys[uBegin].first) {
            ++uEnd;
        }
        // In store order within the group (the sort keeps indexes ascending), so the earliest
        // entry is the claimant.
        for (std::size_t u = uBegin; uEnd - uBegin > 1 && u < uEnd; ++u) {
            const DWORD i = vecKeys[u].second;
            MovePaths paths;
            std::pair<DWORD, ULONGLONG> id;
            if (BuildMovePaths(&store.GetAt(i), &paths, pcOperationFolder, pcTargetExt) &&
                IsExistFile(paths.m_strSrcPath, FALSE, FALSE) &&
                GetFileIdentity(paths.m_strSrcPath, id)) {
                vecClaimedBy[i] = mapFirst.try_emplace(id, i).first->second;
            }
        }
        mapFirst.clear();
        uBegin = uEnd;
    }
    return vecClaimedBy;
}

CBatchResult PredictBatchMove(const MovePaths& paths) {
    return CBatchPredictor().Predict(paths);
}

const CBatchPredictor::CFolderState& CBatchPredictor::FolderState(const CString& strFolder) {
    static const CFolderState s_lookUp; // no folder to check: the destination is looked up
    if (strFolder.IsEmpty()) {
        return s_lookUp;
    }
    const std::string strKey(strFolder, static_cast<std::size_t>(strFolder.GetLength()));
    if (const auto it = m_mapFolders.find(strKey); it != m_mapFolders.end()) {
        return it->second;
    }
    // The first part of the path that exists must be a folder. Parents first: below a folder
    // that is not there, nothing is there either, so only folders whose parent is there are
    // looked up.
    const CString strParent = ParentOf(strFolder);
    CFolderState state = strParent.IsEmpty() ? s_lookUp : FolderState(strParent);
    // Otherwise it is as its parent: to be made, or blocked by the same file.
    if (state.m_eState == EFolder::Present) {
        WIN32_FIND_DATAA findData;
        if (!GetFileFindData(&findData, strFolder)) {
            state.m_eState = EFolder::ToBeMade;
        } else if ((findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            state.m_eState = EFolder::Blocked;
            state.m_strBlocker = strFolder;
        }
    }
    // Map nodes stay put as the map grows, so the reference outlives later insertions.
    return m_mapFolders.emplace(strKey, std::move(state)).first->second;
}

CBatchResult CBatchPredictor::Predict(const MovePaths& paths) {
    const CFolderState& folder = FolderState(paths.m_strDstFolder);
    // Nothing is found below a folder that is not there.
    WIN32_FIND_DATAA dstData;
    bool bDstLooked = false;
    bool bDstFound = false;
    const auto dstExists = [&](bool bAsFolder) {
        if (!bDstLooked) {
            bDstLooked = true;
            bDstFound = folder.m_eState == EFolder::Present &&
                        GetFileFindData(&dstData, paths.m_strDstPath);
        }
        return bDstFound &&
               ((dstData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == bAsFolder;
    };
    if (!IsExistFile(paths.m_strSrcPath, FALSE, FALSE)) {
        return Result(dstExists(false) ? EBatchOutcome::AlreadyInPlace
                                       : EBatchOutcome::SourceMissing);
    }
    if (paths.m_strDstPath == paths.m_strSrcPath) {
        return Result(EBatchOutcome::AlreadyInPlace); // the source is the destination, and there
    }
    if (dstExists(false)) {
        return Result(EBatchOutcome::DestinationExists);
    }
    if (dstExists(true)) {
        return Result(EBatchOutcome::MoveFailed,
                      "a folder " + ShowPath(paths.m_strDstPath) + " is in the way");
    }
    if (folder.m_eState == EFolder::Blocked) {
        return Result(EBatchOutcome::FolderNotCreated,
                      ShowPath(folder.m_strBlocker) + " is not a folder (a file or a broken link)");
    }
    return Result(EBatchOutcome::Moved);
}

namespace {

std::uint64_t PathCaseHash(const CString& strPath) {
    return tessaly::win32::NameCaseHash(
        std::string_view(strPath, static_cast<std::size_t>(strPath.GetLength())));
}

} // namespace

CPredictedDestinations::CPredictedDestinations(const CFileList& store, LPCSTR pcOperationFolder,
                                               LPCSTR pcTargetExt) {
    const DWORD dwCount = store.GetCount();
    m_vecMayMeet.assign(dwCount, false);
    std::vector<std::pair<std::uint64_t, DWORD>> vecKeys;
    vecKeys.reserve(dwCount);
    MovePaths paths;
    for (DWORD i = 0; i < dwCount; ++i) {
        if (BuildMovePaths(&store.GetAt(i), &paths, pcOperationFolder, pcTargetExt)) {
            vecKeys.emplace_back(PathCaseHash(paths.m_strDstPath), i);
        }
    }
    std::sort(vecKeys.begin(), vecKeys.end());
    for (std::size_t u = 0; u < vecKeys.size(); ++u) {
        if ((u > 0 && vecKeys[u - 1].first == vecKeys[u].first) ||
            (u + 1 < vecKeys.size() && vecKeys[u + 1].first == vecKeys[u].first)) {
            m_vecMayMeet[vecKeys[u].second] = true;
        }
    }
}

bool CPredictedDestinations::Take(DWORD i, const CString& strDstPath) {
    if (i >= m_vecMayMeet.size() || !m_vecMayMeet[i]) {
        return true;
    }
    const std::uint64_t uHash = PathCaseHash(strDstPath);
    const std::string_view strDst(strDstPath, static_cast<std::size_t>(strDstPath.GetLength()));
    const auto [itBegin, itEnd] = m_mapTaken.equal_range(uHash);
    for (auto it = itBegin; it != itEnd; ++it) {
        if (tessaly::win32::NamesEqualIgnoringCase(
                std::string_view(it->second, static_cast<std::size_t>(it->second.GetLength())),
                strDst)) {
            return false;
        }
    }
    m_mapTaken.emplace(uHash, strDstPath);
    return true;
}

CBatchPass::CBatchPass(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt)
    : m_store(store), m_strOperationFolder(pcOperationFolder), m_strTargetExt(pcTargetExt),
      m_vecClaimedBy(FindClaims(store, pcOperationFolder, pcTargetExt)) {}

bool CBatchPass::Settle(DWORD i, MovePaths& paths, CBatchResult& result, bool bPathsBuilt) const {
    if (!bPathsBuilt &&
        !BuildMovePaths(&m_store.GetAt(i), &paths, m_strOperationFolder, m_strTargetExt)) {
        // Its place below the operation folder cannot be told: nothing moves for it.
        result = Result(EBatchOutcome::MoveFailed,
                        "its template folder cannot be placed below the operation folder");
        return true;
    }
    if (IsClaimed(i)) {
        result = Result(EBatchOutcome::Claimed);
        result.m_dwClaimedBy = m_vecClaimedBy[i];
        return true;
    }
    return false;
}

void PredictBatchPass(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt,
                      const std::function<void(DWORD dwIndex, const MovePaths& paths,
                                               const CBatchResult& result)>& onEntry) {
    const CBatchPass pass(store, pcOperationFolder, pcTargetExt);
    // The run sees the files its earlier moves brought; the prediction keeps count of them.
    CPredictedDestinations predicted(store, pcOperationFolder, pcTargetExt);
    const DWORD dwCount = store.GetCount();
    CBatchPredictor predictor;
    MovePaths paths; // refilled for each entry, keeping its strings' room
    for (DWORD i = 0; i < dwCount && !g_bAbort; ++i) {
        CBatchResult result;
        if (!pass.Settle(i, paths, result)) {
            result = predictor.Predict(paths);
            if (result.m_eOutcome == EBatchOutcome::Moved &&
                !predicted.Take(i, paths.m_strDstPath)) {
                result.m_eOutcome = EBatchOutcome::DestinationExists;
            }
        }
        onEntry(i, paths, result);
    }
}

CBatchResult RunBatchMove(const MovePaths& paths, ESeenBeforeMove eSeen, CJournalAhead* pJournal) {
    EMoveOutcome eMove = EMoveOutcome::SourceMissing;
    MoveOneFile(paths, &eMove, eSeen, pJournal);
    CBatchResult result;
    switch (eMove) {
    case EMoveOutcome::Moved:
        result.m_eOutcome = EBatchOutcome::Moved;
        break;
    case EMoveOutcome::SourceMissing:
        // The file already moved by an earlier run is where it belongs.
        result.m_eOutcome = IsExistFile(paths.m_strDstPath, FALSE, FALSE)
                                ? EBatchOutcome::AlreadyInPlace
                                : EBatchOutcome::SourceMissing;
        break;
    case EMoveOutcome::AlreadyInPlace:
        result.m_eOutcome = EBatchOutcome::AlreadyInPlace;
        break;
    case EMoveOutcome::DestinationExists:
        result.m_eOutcome = EBatchOutcome::DestinationExists;
        break;
    case EMoveOutcome::FolderNotCreated:
        result.m_eOutcome = EBatchOutcome::FolderNotCreated;
        result.m_dwError = GetLastError();
        break;
    case EMoveOutcome::MoveFailed:
        result.m_eOutcome = EBatchOutcome::MoveFailed;
        result.m_dwError = GetLastError();
        break;
    }
    return result;
}

std::string DescribeOutcome(const CBatchResult& result, const CFileList& store) {
    switch (result.m_eOutcome) {
    case EBatchOutcome::Moved:
        return "moved";
    case EBatchOutcome::AlreadyInPlace:
        return "already in place";
    case EBatchOutcome::SourceMissing:
        return "source missing";
    case EBatchOutcome::DestinationExists:
        return "destination exists";
    case EBatchOutcome::FolderNotCreated:
        return "folder not created";
    case EBatchOutcome::MoveFailed:
        return "move failed";
    case EBatchOutcome::Claimed:
        return "claimed by " + ShowPath(store.GetAt(result.m_dwClaimedBy).m_strFullPath);
    }
    return "";
}

CBatchEntryText DescribeBatchEntry(const MovePaths& paths, const CBatchResult& result,
                                   const CFileList& store, bool bDryRun) {
    CBatchEntryText text;
    const std::string strSrc = ShowPathEndingIn(paths.m_strSrcPath, paths.m_strNewName);
    if (result.m_eOutcome == EBatchOutcome::Moved) {
        // Built in place: one line a file, the run's most frequent text.
        const std::string_view strVerb = bDryRun ? "would move " : "moved ";
        const std::string strDst = ShowPathEndingIn(paths.m_strDstPath, paths.m_strNewName);
        text.m_strLine.reserve(strVerb.size() + strSrc.size() + 4 + strDst.size());
        text.m_strLine.append(strVerb).append(strSrc).append(" -> ").append(strDst);
        return text;
    }
    text.m_strLine = std::string(bDryRun ? "would skip " : "skipped ") + strSrc + ": " +
                     DescribeOutcome(result, store);
    const std::string strWhy =
        result.m_strWhy.empty() ? SystemReason(result.m_dwError) : result.m_strWhy;
    if (result.m_eOutcome == EBatchOutcome::FolderNotCreated) {
        text.m_strReason = std::string(bDryRun ? "would not create " : "could not create ") +
                           "the folder " + ShowPath(paths.m_strDstFolder) + ": " + strWhy;
    } else if (result.m_eOutcome == EBatchOutcome::MoveFailed) {
        const std::string strTo =
            paths.m_strDstPath.IsEmpty() ? "" : " to " + ShowPath(paths.m_strDstPath);
        text.m_strReason = std::string(bDryRun ? "would not move " : "could not move ") + strSrc +
                           strTo + ": " + strWhy;
    }
    return text;
}

std::string SystemReason(DWORD dwError) {
    switch (dwError) {
    case ERROR_FILE_NOT_FOUND:
        return "no such file";
    case ERROR_PATH_NOT_FOUND:
        return "no such folder, or a part of the path is not a folder";
    case ERROR_ACCESS_DENIED:
        return "permission denied";
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return "something of that name already exists";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "no space left on the device";
    case ERROR_WRITE_PROTECT:
        return "read-only file system";
    case ERROR_FILENAME_EXCED_RANGE:
        return "the name or the path is too long";
    case ERROR_INVALID_NAME:
        return "the name is not valid";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "out of memory";
    case ERROR_TOO_MANY_OPEN_FILES:
        return "too many open files";
    case ERROR_BUSY:
        return "the file or folder is busy";
    case ERROR_GEN_FAILURE:
        return "input/output error";
    case ERROR_NOT_SAME_DEVICE:
        return "the destination is on another device";
    default:
        return "system error " + std::to_string(dwError);
    }
}
