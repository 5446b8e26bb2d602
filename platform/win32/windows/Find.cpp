// Directory searches over FindFirstFileExW: the file system's own matching, order and records,
// with every name through the name codec; a path missing as spelled is sought in the other
// normalisation forms of its names. Names the program cannot carry are left out, counted and
// told to the thread's listener, as on Linux.
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/common/AnsiPath.h"
#include "platform/win32/common/FileTimeTicks.h"
#include "platform/win32/common/ListedName.h"
#include "platform/win32/windows/Native.h"
#include "platform/win32/windows/NormalForms.h"
#include "platform/win32/windows/WidePath.h"

namespace tessaly::win32::detail {
namespace {

// Every open search of the layer: whether it lists a folder (a single lookup has nothing more to
// give), and that folder, for the listener. Nodes stay where they are until FindClose.
struct OpenSearch {
    bool bListing = false;
    std::string strFolderUtf8;
};
std::mutex g_mutexSearches;
std::unordered_map<HANDLE, OpenSearch> g_mapSearches;

void Register(HANDLE hFind, OpenSearch search) {
    std::lock_guard lock(g_mutexSearches);
    g_mapSearches[hFind] = std::move(search);
}

// The record in the program's form under the given name.
void FillRecord(const native::FindRecord& record, std::string_view strAnsiName,
                WIN32_FIND_DATAA& data) {
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = record.dwAttributes;
    data.ftCreationTime = FileTimeFromTicks(record.ullCreation);
    data.ftLastAccessTime = FileTimeFromTicks(record.ullAccess);
    data.ftLastWriteTime = FileTimeFromTicks(record.ullWrite);
    data.nFileSizeHigh = static_cast<DWORD>(record.ullSize >> 32);
    data.nFileSizeLow = static_cast<DWORD>(record.ullSize);
    std::memcpy(data.cFileName, strAnsiName.data(), strAnsiName.size());
}

// False when the listing leaves the record's name out.
bool ToAnsiRecord(const native::FindRecord& record, std::string_view strFolderUtf8,
                  WIN32_FIND_DATAA& data) {
    std::string strAnsi;
    if (!ListedName(strFolderUtf8, WideToWtf8(record.strName), strAnsi)) {
        return false;
    }
    FillRecord(record, strAnsi, data);
    return true;
}

bool IsSeparatorByte(char c) {
    return c == '\\' || c == '/';
}

// "X:", "X:\", "\\server\share" or "\\server\share\" (separators either way).
bool IsRoot(std::string_view strPath) {
    std::string_view strBare = strPath;
    while (!strBare.empty() && IsSeparatorByte(strBare.back())) {
        strBare.remove_suffix(1); // no trail byte: a root holds none
    }
    if (strBare.size() == 2 && strBare[1] == ':') {
        return true;
    }
    return strBare.size() > 2 && IsSeparatorByte(strBare[0]) && IsSeparatorByte(strBare[1]) &&
           SeparatorPositions(strBare.substr(2)).size() == 1;
}

// The folder a listener is told of: its full path in UTF-8, as the POSIX layer gives its own.
std::string ListenerFolder(std::string_view strAnsiFolder) {
    std::u16string strFull = native::GetFullPathNameW(
        strAnsiFolder.empty() ? std::u16string(u".") : AnsiToWide(strAnsiFolder));
    while (strFull.size() > 3 && (strFull.back() == u'\\' || strFull.back() == u'/')) {
        strFull.pop_back(); // a root keeps its separator
    }
    return WideToWtf8(strFull);
}

HANDLE Fail(DWORD dwError) {
    SetLastError(dwError);
    return INVALID_HANDLE_VALUE;
}

// A root names its folder, with an empty name; FindFirstFileW fails on a root, and the program
// checks folders this way. The search handle is one of the root's own, so that FindNextFileA
// ends it and FindClose closes it.
HANDLE FindRoot(std::string_view strPath, WIN32_FIND_DATAA& data) {
    std::string strRoot(strPath);
    while (!strRoot.empty() && IsSeparatorByte(strRoot.back())) {
        strRoot.pop_back();
    }
    strRoot += '\\';
    native::FindRecord record;
    if (!native::GetAttributesEx(AnsiToWidePath(strRoot), record)) {
        return INVALID_HANDLE_VALUE;
    }
    FillRecord(record, {}, data);
    native::FindRecord first;
    const HANDLE hRoot = native::FindFirst(AnsiToWidePath(strRoot + "*"), first);
    if (hRoot != INVALID_HANDLE_VALUE) {
        Register(hRoot, OpenSearch{});
        SetLastError(ERROR_SUCCESS);
    }
    return hRoot;
}

} // namespace
} // namespace tessaly::win32::detail

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
    if (!bWildcard && IsRoot(strPath)) {
        return FindRoot(strPath, *lpFindFileData);
    }
    if (!bWildcard && strLast.empty()) {
        // A path ending in a separator names that folder, and only a folder.
        const HANDLE hFolder =
            FindFirstFileA(std::string(WithoutTrailingSeparators(strPath)).c_str(), lpFindFileData);
        if (hFolder != INVALID_HANDLE_VALUE &&
            (lpFindFileData->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            FindClose(hFolder);
            return Fail(ERROR_PATH_NOT_FOUND);
        }
        return hFolder;
    }
    native::FindRecord record;
    std::u16string strWidePath = AnsiToWidePath(strPath);
    HANDLE hFind = native::FindFirst(strWidePath, record);
    if (hFind == INVALID_HANDLE_VALUE && RetryInDiskForms(strWidePath)) {
        hFind = native::FindFirst(strWidePath, record);
    }
    if (hFind == INVALID_HANDLE_VALUE) {
        return INVALID_HANDLE_VALUE;
    }
    std::string strFolderUtf8 = ListenerFolder(strFolder);
    while (!ToAnsiRecord(record, strFolderUtf8, *lpFindFileData)) {
        if (!native::FindNext(hFind, record)) {
            native::FindClose(hFind);
            return Fail(ERROR_FILE_NOT_FOUND);
        }
    }
    Register(hFind, OpenSearch{bWildcard, std::move(strFolderUtf8)});
    SetLastError(ERROR_SUCCESS);
    return hFind;
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    const OpenSearch* pSearch = nullptr;
    {
        std::lock_guard lock(g_mutexSearches);
        const auto it = g_mapSearches.find(hFindFile);
        if (it == g_mapSearches.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        pSearch = &it->second;
    }
    if (!pSearch->bListing) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    native::FindRecord record;
    do {
        if (!native::FindNext(hFindFile, record)) {
            return FALSE; // ERROR_NO_MORE_FILES at the end
        }
    } while (!ToAnsiRecord(record, pSearch->strFolderUtf8, *lpFindFileData));
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    {
        std::lock_guard lock(g_mutexSearches);
        if (g_mapSearches.erase(hFindFile) == 0) {
            // Not an open search of this layer: Windows' own FindClose would touch freed memory.
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    return native::FindClose(hFindFile) ? TRUE : FALSE;
}
