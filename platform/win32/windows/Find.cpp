// Directory searches over FindFirstFileExW: the file system's own matching, order and records,
// with every name through the name codec. Names the program cannot carry are left out, counted and
// told to the thread's listener, as on Linux.
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/win32/ListingOmissions.h"
#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/common/AnsiPath.h"
#include "platform/win32/windows/Native.h"
#include "platform/win32/windows/WidePath.h"

namespace tessaly::win32::detail {
namespace {

thread_local ListingOmissionListener t_pOmissionListener = nullptr;
thread_local void* t_pOmissionContext = nullptr;

// Every open search: whether it lists a folder (a single lookup has nothing more to give), and
// that folder, for the listener.
struct OpenSearch {
    bool bListing = false;
    std::string strFolderUtf8;
};
std::mutex g_mutexSearches;
std::unordered_map<HANDLE, OpenSearch> g_mapSearchFolders;

void SplitTicks(std::uint64_t ull, FILETIME& ft) {
    ft.dwLowDateTime = static_cast<DWORD>(ull);
    ft.dwHighDateTime = static_cast<DWORD>(ull >> 32);
}

// The record in the program's form; false (counted, the listener told) when its name cannot be
// carried or does not fit cFileName.
bool ToAnsiRecord(const native::FindRecord& record, std::string_view strFolderUtf8,
                  WIN32_FIND_DATAA& data) {
    std::string strAnsi;
    ListingOmission eReason = ListingOmission::Unmappable;
    if (WideNameToAnsi(record.strName, strAnsi)) {
        if (strAnsi.size() < MAX_PATH) {
            std::memset(&data, 0, sizeof data);
            data.dwFileAttributes = record.dwAttributes;
            SplitTicks(record.ullCreation, data.ftCreationTime);
            SplitTicks(record.ullAccess, data.ftLastAccessTime);
            SplitTicks(record.ullWrite, data.ftLastWriteTime);
            data.nFileSizeHigh = static_cast<DWORD>(record.ullSize >> 32);
            data.nFileSizeLow = static_cast<DWORD>(record.ullSize);
            std::memcpy(data.cFileName, strAnsi.c_str(), strAnsi.size() + 1);
            return true;
        }
        eReason = ListingOmission::TooLong;
    }
    NoteUnmappableName();
    if (t_pOmissionListener != nullptr) {
        const DWORD dwError = GetLastError();
        t_pOmissionListener(t_pOmissionContext, strFolderUtf8, WideToWtf8(record.strName), eReason);
        SetLastError(dwError);
    }
    return false;
}

bool IsSeparatorByte(char c) {
    return c == '\\' || c == '/';
}

// "X:", "X:\", "\\server\share" or "\\server\share\" (separators either way).
bool IsRoot(std::string_view strPath) {
    const std::string_view strBare = WithoutTrailingSeparators(strPath);
    if (strBare.size() == 2 && strBare[1] == ':') {
        return true;
    }
    if (strBare.size() > 2 && IsSeparatorByte(strBare[0]) && IsSeparatorByte(strBare[1])) {
        const std::vector<std::size_t> aCuts = SeparatorPositions(strBare.substr(2));
        return aCuts.size() == 1;
    }
    return false;
}

HANDLE Fail(DWORD dwError) {
    SetLastError(dwError);
    return INVALID_HANDLE_VALUE;
}

} // namespace
} // namespace tessaly::win32::detail

namespace tessaly::win32 {

ListingOmissionListener SetListingOmissionListener(ListingOmissionListener pListener,
                                                   void* pContext) {
    const ListingOmissionListener pPrevious = detail::t_pOmissionListener;
    detail::t_pOmissionListener = pListener;
    detail::t_pOmissionContext = pContext;
    return pPrevious;
}

} // namespace tessaly::win32

using namespace tessaly::win32;
using namespace tessaly::win32::detail;

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    if (lpFileName == nullptr || lpFindFileData == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const std::string_view strPath(lpFileName);
    const std::size_t uLast = LastSeparator(strPath);
    const std::string_view strFolder =
        uLast == std::string_view::npos ? std::string_view() : strPath.substr(0, uLast + 1);
    const std::string_view strLast =
        uLast == std::string_view::npos ? strPath : strPath.substr(uLast + 1);
    if (strFolder.find_first_of("*?") != std::string_view::npos) {
        return Fail(ERROR_INVALID_NAME);
    }
    const bool bWildcard = strLast.find_first_of("*?") != std::string_view::npos;
    native::FindRecord record;
    if (!bWildcard && (strLast.empty() || IsRoot(strPath))) {
        // A root or a path ending in a separator names that folder; FindFirstFileW would fail on
        // a root, and the program checks folders this way.
        if (IsRoot(strPath)) {
            std::string strRoot(WithoutTrailingSeparators(strPath));
            strRoot += '\\';
            if (!native::GetAttributesEx(AnsiToWidePath(strRoot), record)) {
                return INVALID_HANDLE_VALUE;
            }
            std::memset(lpFindFileData, 0, sizeof *lpFindFileData);
            lpFindFileData->dwFileAttributes = record.dwAttributes;
            lpFindFileData->ftCreationTime.dwLowDateTime = static_cast<DWORD>(record.ullCreation);
            lpFindFileData->ftCreationTime.dwHighDateTime =
                static_cast<DWORD>(record.ullCreation >> 32);
            lpFindFileData->ftLastWriteTime.dwLowDateTime = static_cast<DWORD>(record.ullWrite);
            lpFindFileData->ftLastWriteTime.dwHighDateTime =
                static_cast<DWORD>(record.ullWrite >> 32);
            lpFindFileData->ftLastAccessTime = lpFindFileData->ftLastWriteTime;
            // A search of its own, so that FindNextFileA ends it and FindClose closes it.
            const HANDLE hRoot = native::FindFirst(AnsiToWidePath(strRoot + "*"), record);
            if (hRoot == INVALID_HANDLE_VALUE) {
                return INVALID_HANDLE_VALUE;
            }
            std::lock_guard lock(g_mutexSearches);
            g_mapSearchFolders[hRoot] = OpenSearch{};
            SetLastError(ERROR_SUCCESS);
            return hRoot;
        }
        return FindFirstFileA(std::string(WithoutTrailingSeparators(strPath)).c_str(),
                              lpFindFileData);
    }
    const HANDLE hFind = native::FindFirst(AnsiToWidePath(strPath), record);
    if (hFind == INVALID_HANDLE_VALUE) {
        return INVALID_HANDLE_VALUE;
    }
    const std::string strFolderUtf8 = AnsiToUtf8(strFolder);
    while (!ToAnsiRecord(record, strFolderUtf8, *lpFindFileData)) {
        if (!native::FindNext(hFind, record)) {
            native::FindClose(hFind);
            return Fail(ERROR_FILE_NOT_FOUND);
        }
    }
    {
        std::lock_guard lock(g_mutexSearches);
        g_mapSearchFolders[hFind] = OpenSearch{bWildcard, strFolderUtf8};
    }
    SetLastError(ERROR_SUCCESS);
    return hFind;
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    std::string strFolderUtf8;
    {
        std::lock_guard lock(g_mutexSearches);
        const auto it = g_mapSearchFolders.find(hFindFile);
        if (it == g_mapSearchFolders.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (!it->second.bListing) {
            SetLastError(ERROR_NO_MORE_FILES);
            return FALSE;
        }
        strFolderUtf8 = it->second.strFolderUtf8;
    }
    native::FindRecord record;
    do {
        if (!native::FindNext(hFindFile, record)) {
            return FALSE; // ERROR_NO_MORE_FILES at the end
        }
    } while (!ToAnsiRecord(record, strFolderUtf8, *lpFindFileData));
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    {
        std::lock_guard lock(g_mutexSearches);
        if (g_mapSearchFolders.erase(hFindFile) == 0) {
            // Not an open search of this layer: Windows' own FindClose would touch freed memory.
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    return native::FindClose(hFindFile) ? TRUE : FALSE;
}
