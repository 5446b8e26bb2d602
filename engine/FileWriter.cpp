#include "engine/FileWriter.h"

#include "platform/win32/Win32.h"
#include "support/SJisConv.h"

CFileWriter::CFileWriter() : m_hFile(nullptr), m_bOpen(false), m_ullBytes(0) {}

CFileWriter::~CFileWriter() {
    if (m_bOpen) {
        Close();
    }
}

bool CFileWriter::SetPath(LPCSTR pcPath) {
    if (m_bOpen || pcPath == nullptr || pcPath[0] == '\0') {
        return false;
    }
    m_strFilePath = pcPath;
    // A "\\" may be the trail byte of a double-byte character (表 is 0x95 0x5C); "/" never is.
    const int iBackslash = ReverseFindByteSJis(pcPath, '\\');
    const int iSlash = m_strFilePath.ReverseFind('/');
    const int iSep = iBackslash > iSlash ? iBackslash : iSlash;
    if (iSep < 0) {
        m_strFileDir = m_strFilePath;
        m_strFileName = m_strFilePath;
    } else {
        m_strFileDir = m_strFilePath.Left(iSep);
        m_strFileName = m_strFilePath.Mid(iSep + 1);
    }
    return true;
}

bool CFileWriter::Open() {
    if (m_bOpen) {
        return false;
    }
    HANDLE hFile = CreateFileA(m_strFilePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return false;
    }
    m_hFile = hFile;
    m_bOpen = true;
    WIN32_FIND_DATAA findData;
    HANDLE hFind = FindFirstFileA(m_strFilePath, &findData);
    if (hFind != INVALID_HANDLE_VALUE) {
        m_ullBytes = (static_cast<ULONGLONG>(findData.nFileSizeHigh) << 32) | findData.nFileSizeLow;
        FindClose(hFind);
    }
    return true;
}

bool CFileWriter::Seek(LONGLONG llOffset) {
    if (!m_bOpen) {
        return false;
    }
    LONG lHigh = static_cast<LONG>(static_cast<ULONGLONG>(llOffset) >> 32);
    // A low part of 0xFFFFFFFF is a valid position: only the error code tells a failure.
    SetLastError(NO_ERROR);
    const DWORD dwLow =
        SetFilePointer(m_hFile, static_cast<LONG>(llOffset & 0xFFFFFFFF), &lHigh, FILE_BEGIN);
    return !(dwLow == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool CFileWriter::Close() {
    CSingleLock lock(&m_cs, TRUE);
    if (!m_bOpen) {
        return true;
    }
    if (!CloseHandle(m_hFile)) {
        return false;
    }
    m_bOpen = false;
    m_hFile = nullptr;
    return true;
}

bool CFileWriter::WriteAll(LPCSTR pcPath, const void* pData, ULONGLONG ullLength) {
    CSingleLock lock(&m_cs, TRUE);
    if (pData == nullptr && ullLength != 0) {
        return false;
    }
    if (!SetPath(pcPath)) {
        return false;
    }
    if (!m_buf.SetCapacity(kStagingBytes, TRUE)) {
        return false;
    }
    if (!Open()) {
        return false;
    }
    bool bResult = Seek(0);
    if (bResult) {
        m_ullBytes = 0;
        const BYTE* pbyData = static_cast<const BYTE*>(pData);
        ULONGLONG ullLeft = ullLength;
        while (ullLeft > 0) {
            const DWORD dwPiece = ullLeft > kMaxPiece ? kMaxPiece : static_cast<DWORD>(ullLeft);
            DWORD dwWritten = 0;
            bResult = WriteFile(m_hFile, pbyData, dwPiece, &dwWritten, nullptr) != FALSE;
            m_ullBytes += dwWritten;
            pbyData += dwWritten;
            ullLeft -= dwWritten;
            // A call that wrote nothing would repeat forever; a short one goes on with the rest.
            if (!bResult || dwWritten == 0) {
                bResult = false;
                break;
            }
        }
    }
    // An older, longer content must not survive behind the new data; if it does, say so.
    if (!SetEndOfFile(m_hFile)) {
        bResult = false;
    }
    if (!Close()) {
        bResult = false;
    }
    return bResult;
}
