// The real Win32 API behind the layer's Windows implementation. The only file of the layer that
// sees <windows.h>.
#include "platform/win32/windows/Native.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

namespace tessaly::win32::native {
namespace {

std::uint64_t Ticks(const ::FILETIME& ft) {
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

const wchar_t* W(const std::u16string& str) {
    return reinterpret_cast<const wchar_t*>(str.c_str());
}

std::u16string U(const wchar_t* pwc) {
    return std::u16string(reinterpret_cast<const char16_t*>(pwc));
}

void Fill(const WIN32_FIND_DATAW& data, FindRecord& record) {
    record.dwAttributes = data.dwFileAttributes;
    record.ullCreation = Ticks(data.ftCreationTime);
    record.ullAccess = Ticks(data.ftLastAccessTime);
    record.ullWrite = Ticks(data.ftLastWriteTime);
    record.ullSize = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    record.strName = U(data.cFileName);
}

// Calls fn(buffer, size) with growing buffers until the text fits; empty when fn fails.
template <class Fn> std::u16string GrowingText(Fn&& fn) {
    std::wstring strBuffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD dwLen = fn(strBuffer.data(), static_cast<DWORD>(strBuffer.size()));
        if (dwLen == 0) {
            return {};
        }
        if (dwLen < strBuffer.size()) {
            strBuffer.resize(dwLen);
            return std::u16string(strBuffer.begin(), strBuffer.end());
        }
        strBuffer.resize(static_cast<std::size_t>(dwLen) + 1 > strBuffer.size() * 2
                             ? static_cast<std::size_t>(dwLen) + 1
                             : strBuffer.size() * 2);
    }
}

int (*g_pfnOnCtrl)(std::uint32_t) = nullptr;

BOOL WINAPI OnCtrl(DWORD dwCtrlType) {
    return g_pfnOnCtrl != nullptr && g_pfnOnCtrl(dwCtrlType) != 0 ? TRUE : FALSE;
}

} // namespace

std::uint32_t GetLastError() {
    return ::GetLastError();
}

void SetLastError(std::uint32_t dwError) {
    ::SetLastError(dwError);
}

Handle FindFirst(const std::u16string& strPath, FindRecord& record) {
    WIN32_FIND_DATAW data;
    const HANDLE h = ::FindFirstFileExW(W(strPath), FindExInfoBasic, &data, FindExSearchNameMatch,
                                        nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h != INVALID_HANDLE_VALUE) {
        Fill(data, record);
    }
    return h;
}

bool FindNext(Handle hFind, FindRecord& record) {
    WIN32_FIND_DATAW data;
    if (!::FindNextFileW(hFind, &data)) {
        return false;
    }
    Fill(data, record);
    return true;
}

bool FindClose(Handle hFind) {
    return ::FindClose(hFind) != FALSE;
}

bool GetAttributesEx(const std::u16string& strPath, FindRecord& record) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(W(strPath), GetFileExInfoStandard, &data)) {
        return false;
    }
    record.dwAttributes = data.dwFileAttributes;
    record.ullCreation = Ticks(data.ftCreationTime);
    record.ullAccess = Ticks(data.ftLastAccessTime);
    record.ullWrite = Ticks(data.ftLastWriteTime);
    record.ullSize = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    record.strName.clear();
    return true;
}

std::uint32_t GetAttributes(const std::u16string& strPath) {
    return ::GetFileAttributesW(W(strPath));
}

Handle CreateFileW(const std::u16string& strPath, std::uint32_t dwAccess, std::uint32_t dwShare,
                   std::uint32_t dwDisposition, std::uint32_t dwFlags) {
    return ::CreateFileW(W(strPath), dwAccess, dwShare, nullptr, dwDisposition, dwFlags, nullptr);
}

bool CloseHandle(Handle h) {
    return ::CloseHandle(h) != FALSE;
}

std::uint32_t SetFilePointer(Handle h, std::int32_t lDistance, std::int32_t* plDistanceHigh,
                             std::uint32_t dwMethod) {
    LONG lHigh = plDistanceHigh != nullptr ? *plDistanceHigh : 0;
    const DWORD dwLow =
        ::SetFilePointer(h, lDistance, plDistanceHigh != nullptr ? &lHigh : nullptr, dwMethod);
    if (plDistanceHigh != nullptr) {
        *plDistanceHigh = lHigh;
    }
    return dwLow;
}

bool WriteFile(Handle h, const void* pBuffer, std::uint32_t cb, std::uint32_t* pcbWritten) {
    DWORD dwWritten = 0;
    const BOOL bOk = ::WriteFile(h, pBuffer, cb, &dwWritten, nullptr);
    if (pcbWritten != nullptr) {
        *pcbWritten = dwWritten;
    }
    return bOk != FALSE;
}

bool ReadFile(Handle h, void* pBuffer, std::uint32_t cb, std::uint32_t* pcbRead) {
    DWORD dwRead = 0;
    const BOOL bOk = ::ReadFile(h, pBuffer, cb, &dwRead, nullptr);
    if (pcbRead != nullptr) {
        *pcbRead = dwRead;
    }
    return bOk != FALSE;
}

bool SetEndOfFile(Handle h) {
    return ::SetEndOfFile(h) != FALSE;
}

bool FlushFileBuffers(Handle h) {
    return ::FlushFileBuffers(h) != FALSE;
}

std::uint32_t GetFileSize(Handle h, std::uint32_t* pdwHigh) {
    DWORD dwHigh = 0;
    const DWORD dwLow = ::GetFileSize(h, &dwHigh);
    if (pdwHigh != nullptr) {
        *pdwHigh = dwHigh;
    }
    return dwLow;
}

bool GetFileInformationByHandle(Handle h, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(h, &info)) {
        return false;
    }
    identity.dwAttributes = info.dwFileAttributes;
    identity.ullCreation = Ticks(info.ftCreationTime);
    identity.ullAccess = Ticks(info.ftLastAccessTime);
    identity.ullWrite = Ticks(info.ftLastWriteTime);
    identity.dwVolumeSerial = info.dwVolumeSerialNumber;
    identity.ullSize = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    identity.dwLinks = info.nNumberOfLinks;
    identity.ullIndex =
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool MoveFileNoReplace(const std::u16string& strFrom, const std::u16string& strTo) {
    return ::MoveFileExW(W(strFrom), W(strTo), MOVEFILE_COPY_ALLOWED) != FALSE;
}

bool DeleteFileW(const std::u16string& strPath) {
    return ::DeleteFileW(W(strPath)) != FALSE;
}

bool CreateDirectoryW(const std::u16string& strPath) {
    return ::CreateDirectoryW(W(strPath), nullptr) != FALSE;
}

bool RemoveDirectoryW(const std::u16string& strPath) {
    return ::RemoveDirectoryW(W(strPath)) != FALSE;
}

std::u16string GetFullPathNameW(const std::u16string& strPath) {
    return GrowingText(
        [&](wchar_t* pwc, DWORD cch) { return ::GetFullPathNameW(W(strPath), cch, pwc, nullptr); });
}

std::u16string GetCurrentDirectoryW() {
    return GrowingText([](wchar_t* pwc, DWORD cch) { return ::GetCurrentDirectoryW(cch, pwc); });
}

bool SetCurrentDirectoryW(const std::u16string& strPath) {
    return ::SetCurrentDirectoryW(W(strPath)) != FALSE;
}

std::u16string GetModuleFileNameW() {
    std::wstring strBuffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD dwLen =
            ::GetModuleFileNameW(nullptr, strBuffer.data(), static_cast<DWORD>(strBuffer.size()));
        if (dwLen == 0) {
            return {};
        }
        if (dwLen < strBuffer.size()) {
            return std::u16string(strBuffer.begin(), strBuffer.begin() + dwLen);
        }
        strBuffer.resize(strBuffer.size() * 2);
    }
}

std::u16string GetTempPathW() {
    return GrowingText([](wchar_t* pwc, DWORD cch) { return ::GetTempPathW(cch, pwc); });
}

std::optional<std::u16string> GetEnvironmentVariableW(const std::u16string& strName) {
    ::SetLastError(ERROR_SUCCESS);
    std::u16string strValue = GrowingText(
        [&](wchar_t* pwc, DWORD cch) { return ::GetEnvironmentVariableW(W(strName), pwc, cch); });
    if (strValue.empty() && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        return std::nullopt;
    }
    return strValue;
}

std::uint32_t GetLogicalDrives() {
    return ::GetLogicalDrives();
}

std::uint32_t GetDriveTypeW(const std::u16string& strRoot) {
    return ::GetDriveTypeW(strRoot.empty() ? nullptr : W(strRoot));
}

int MultiByteToWideChar(std::uint32_t uCodePage, std::uint32_t dwFlags, const char* pcIn, int cbIn,
                        char16_t* pwcOut, int cchOut) {
    return ::MultiByteToWideChar(uCodePage, dwFlags, pcIn, cbIn, reinterpret_cast<wchar_t*>(pwcOut),
                                 cchOut);
}

int WideCharToMultiByte(std::uint32_t uCodePage, std::uint32_t dwFlags, const char16_t* pwcIn,
                        int cchIn, char* pcOut, int cbOut, const char* pcDefault,
                        int* pbUsedDefault) {
    BOOL bUsed = FALSE;
    const int iResult =
        ::WideCharToMultiByte(uCodePage, dwFlags, reinterpret_cast<const wchar_t*>(pwcIn), cchIn,
                              pcOut, cbOut, pcDefault, pbUsedDefault != nullptr ? &bUsed : nullptr);
    if (pbUsedDefault != nullptr) {
        *pbUsedDefault = bUsed;
    }
    return iResult;
}

bool IsDBCSLeadByteEx(std::uint32_t uCodePage, unsigned char b) {
    return ::IsDBCSLeadByteEx(uCodePage, b) != FALSE;
}

void UpcaseInvariant(char16_t* pwc, int cch) {
    std::wstring strOut(static_cast<std::size_t>(cch), L'\0');
    if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, reinterpret_cast<wchar_t*>(pwc),
                        cch, strOut.data(), cch, nullptr, nullptr, 0) == cch) {
        for (int i = 0; i < cch; ++i) {
            pwc[i] = static_cast<char16_t>(strOut[static_cast<std::size_t>(i)]);
        }
    }
}

bool FileTimeToLocalFileTime(std::uint64_t ullUtc, std::uint64_t& ullLocal) {
    const ::FILETIME ftUtc{static_cast<DWORD>(ullUtc), static_cast<DWORD>(ullUtc >> 32)};
    ::FILETIME ftLocal;
    if (!::FileTimeToLocalFileTime(&ftUtc, &ftLocal)) {
        return false;
    }
    ullLocal = Ticks(ftLocal);
    return true;
}

bool FileTimeToSystemTime(std::uint64_t ullTime, std::uint16_t awFields[8]) {
    const ::FILETIME ft{static_cast<DWORD>(ullTime), static_cast<DWORD>(ullTime >> 32)};
    ::SYSTEMTIME st;
    if (!::FileTimeToSystemTime(&ft, &st)) {
        return false;
    }
    const WORD awFrom[8] = {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                            st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
    for (int i = 0; i < 8; ++i) {
        awFields[i] = awFrom[i];
    }
    return true;
}

bool InstallCtrlHandler(int (*pfnOnCtrl)(std::uint32_t dwCtrlType)) {
    g_pfnOnCtrl = pfnOnCtrl;
    return ::SetConsoleCtrlHandler(OnCtrl, TRUE) != FALSE;
}

bool IgnoreCtrlC(bool bIgnore) {
    return ::SetConsoleCtrlHandler(nullptr, bIgnore ? TRUE : FALSE) != FALSE;
}

bool IsConsole(std::uint32_t nStdHandle) {
    DWORD dwMode = 0;
    const HANDLE h = ::GetStdHandle(nStdHandle);
    return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &dwMode) != FALSE;
}

bool WriteConsoleW(std::uint32_t nStdHandle, const std::u16string& strText) {
    const HANDLE h = ::GetStdHandle(nStdHandle);
    std::size_t uDone = 0;
    while (uDone < strText.size()) {
        DWORD dwWritten = 0;
        const DWORD dwChunk =
            static_cast<DWORD>(std::min<std::size_t>(strText.size() - uDone, 8192));
        if (!::WriteConsoleW(h, strText.data() + uDone, dwChunk, &dwWritten, nullptr) ||
            dwWritten == 0) {
            return false;
        }
        uDone += dwWritten;
    }
    return true;
}

void SetStandardStreamsBinary() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void EnableConsoleEscapes(std::uint32_t nStdHandle) {
    const HANDLE h = ::GetStdHandle(nStdHandle);
    DWORD dwMode = 0;
    if (::GetConsoleMode(h, &dwMode)) {
        ::SetConsoleMode(h, dwMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

std::FILE* OpenStream(const std::u16string& strPath, const std::u16string& strMode) {
    return ::_wfopen(W(strPath), W(strMode));
}

std::vector<std::u16string> CommandLineArguments() {
    std::vector<std::u16string> astrArgs;
    int iCount = 0;
    wchar_t** ppwcArgs = ::CommandLineToArgvW(::GetCommandLineW(), &iCount);
    if (ppwcArgs == nullptr) {
        return astrArgs;
    }
    for (int i = 0; i < iCount; ++i) {
        astrArgs.push_back(U(ppwcArgs[i]));
    }
    ::LocalFree(ppwcArgs);
    return astrArgs;
}

} // namespace tessaly::win32::native
