#include "app/core/FileIdentity.h"

#include "platform/win32/Win32.h"

namespace {

ULONGLONG Join(DWORD dwHigh, DWORD dwLow) {
    return static_cast<ULONGLONG>(dwHigh) << 32 | dwLow;
}

BOOL Identify(LPCSTR pcPath, CFileIdentity& identity, bool bBeforeMove) {
    BY_HANDLE_FILE_INFORMATION info;
    const BOOL bFound = bBeforeMove ? tessaly::win32::GetFileInformationBeforeMove(pcPath, info)
                                    : tessaly::win32::GetFileInformationByName(pcPath, info);
    if (!bFound || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FALSE;
    }
    identity.m_ullSize = Join(info.nFileSizeHigh, info.nFileSizeLow);
    identity.m_ullWriteTime =
        Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    identity.m_dwVolume = info.dwVolumeSerialNumber;
    identity.m_ullIndex = Join(info.nFileIndexHigh, info.nFileIndexLow);
    return TRUE;
}

} // namespace

BOOL IdentifyFile(LPCSTR pcPath, CFileIdentity& identity) {
    return Identify(pcPath, identity, false);
}

BOOL IdentifyFileBeforeMove(LPCSTR pcPath, CFileIdentity& identity) {
    return Identify(pcPath, identity, true);
}

bool IsSameFile(const CFileIdentity& recorded, const CFileIdentity& found) {
    if (recorded.m_ullSize != found.m_ullSize || recorded.m_ullWriteTime != found.m_ullWriteTime) {
        return false;
    }
    const bool bKnown = recorded.m_ullIndex != 0 && found.m_ullIndex != 0;
    return !bKnown || recorded.m_dwVolume != found.m_dwVolume ||
           recorded.m_ullIndex == found.m_ullIndex;
}
