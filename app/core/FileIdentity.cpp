#include "app/core/FileIdentity.h"

#include "platform/win32/Win32.h"
#include "support/PathHelpers.h"

namespace {

ULONGLONG Join(DWORD dwHigh, DWORD dwLow) {
    return static_cast<ULONGLONG>(dwHigh) << 32 | dwLow;
}

} // namespace

BOOL IdentifyFile(LPCSTR pcPath, CFileIdentity& identity) {
    const HANDLE hFile =
        CreateFileA(pcPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    if (hFile != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info;
        const BOOL bInfo = GetFileInformationByHandle(hFile, &info);
        CloseHandle(hFile);
        if (bInfo && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            identity.m_ullSize = Join(info.nFileSizeHigh, info.nFileSizeLow);
            identity.m_ullWriteTime =
                Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
            identity.m_dwVolume = info.dwVolumeSerialNumber;
            identity.m_ullIndex = Join(info.nFileIndexHigh, info.nFileIndexLow);
            return TRUE;
        }
        return FALSE;
    }
    // A file this user may not open still has a size and a time.
    WIN32_FIND_DATAA data;
    if (!GetFileFindData(&data, pcPath) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FALSE;
    }
    identity = CFileIdentity();
    identity.m_ullSize = Join(data.nFileSizeHigh, data.nFileSizeLow);
    identity.m_ullWriteTime =
        Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    return TRUE;
}

bool IsSameFile(const CFileIdentity& recorded, const CFileIdentity& found) {
    if (recorded.m_ullSize != found.m_ullSize || recorded.m_ullWriteTime != found.m_ullWriteTime) {
        return false;
    }
    const bool bKnown = recorded.m_ullIndex != 0 && found.m_ullIndex != 0;
    return !bKnown || recorded.m_dwVolume != found.m_dwVolume ||
           recorded.m_ullIndex == found.m_ullIndex;
}
