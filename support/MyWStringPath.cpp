#include "support/MyWString.h"

namespace {

// The position of the last "\" or "/", -1 when there is none.
int LastSeparator(const CMyWString& str) {
    const int iBackslash = str.ReverseFindChar(u'\\');
    const int iSlash = str.ReverseFindChar(u'/');
    return iBackslash > iSlash ? iBackslash : iSlash;
}

} // namespace

BOOL CMyWString::LeaveExtension(DWORD dwMaxExtLen) {
    if (dwMaxExtLen == 0) {
        dwMaxExtLen = kDefaultMaxExtLen;
    }
    if (m_dwStrLen == 0) {
        return FALSE;
    }
    const int iDot = ReverseFindChar(u'.');
    if (iDot == -1 || iDot < LastSeparator(*this)) {
        return FALSE;
    }
    const DWORD dwExtLen = m_dwStrLen - static_cast<DWORD>(iDot) - 1;
    if (dwExtLen == 0 || dwExtLen > dwMaxExtLen) {
        return FALSE;
    }
    return KeepSector(static_cast<DWORD>(iDot) + 1, m_dwStrLen - 1);
}

BOOL CMyWString::LeaveFileName() {
    if (m_dwStrLen == 0) {
        return FALSE;
    }
    const int iSep = LastSeparator(*this);
    if (iSep == -1) {
        return TRUE;
    }
    if (static_cast<DWORD>(iSep) == m_dwStrLen - 1) {
        return FALSE;
    }
    return KeepSector(static_cast<DWORD>(iSep) + 1, m_dwStrLen - 1);
}

BOOL CMyWString::LeaveFileTitle(DWORD dwMaxExtLen) {
    if (dwMaxExtLen == 0) {
        dwMaxExtLen = kDefaultMaxExtLen;
    }
    const int iSep = LastSeparator(*this);
    int iDot = ReverseFindChar(u'.');
    if (iDot < iSep) {
        iDot = -1; // a dot in a folder name is no extension
    }
    const DWORD dwNameStart = static_cast<DWORD>(iSep + 1);
    if (iSep != -1 && dwNameStart >= m_dwStrLen) {
        return FALSE; // ends with a separator: there is no name to keep
    }
    if (iDot == -1) {
        return iSep == -1 ? TRUE : KeepSector(dwNameStart, m_dwStrLen - 1);
    }
    const DWORD dwDot = static_cast<DWORD>(iDot);
    if (m_dwStrLen - dwDot - 1 > dwMaxExtLen || dwDot == dwNameStart) {
        return FALSE;
    }
    return KeepSector(dwNameStart, dwDot - 1);
}
