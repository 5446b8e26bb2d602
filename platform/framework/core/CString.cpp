// CString over std::string; the formatting is the Win32 layer's, without its 1,024-byte cap.
#include "platform/framework/core/CString.h"

#include <cstring>
#include <vector>

#include "platform/win32/Win32Text.h"

namespace {

std::string FormatToString(LPCTSTR pszFormat, va_list args) {
    if (pszFormat == nullptr) {
        return {};
    }
    // A result that fills the buffer may have been cut: grow and format again.
    std::vector<char> buffer(256);
    for (;;) {
        va_list argsCopy;
        va_copy(argsCopy, args);
        const int iLen =
            tessaly::win32::FormatBounded(buffer.data(), buffer.size(), pszFormat, argsCopy);
        va_end(argsCopy);
        if (iLen >= 0 && static_cast<std::size_t>(iLen) + 1 < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(iLen));
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool IsLeadByte(unsigned char by) {
    return (by >= 0x81 && by <= 0x9F) || (by >= 0xE0 && by <= 0xFC);
}

template <typename Fn> void MapSingleBytes(std::string& str, Fn fnMap) {
    for (std::size_t i = 0; i < str.size(); ++i) {
        const auto by = static_cast<unsigned char>(str[i]);
        if (IsLeadByte(by) && i + 1 < str.size()) {
            ++i; // the trail byte may look like an ASCII letter
            continue;
        }
        str[i] = fnMap(str[i]);
    }
}

} // namespace

CString::CString(LPCTSTR pszText) : m_str(pszText != nullptr ? pszText : "") {}

CString::CString(LPCTSTR pszText, int nLength) {
    if (pszText != nullptr && nLength > 0) {
        m_str.assign(pszText, static_cast<std::size_t>(nLength));
    }
}

CString::CString(TCHAR ch, int nRepeat) {
    if (nRepeat > 0) {
        m_str.assign(static_cast<std::size_t>(nRepeat), ch);
    }
}

CString& CString::operator=(LPCTSTR pszText) {
    m_str = pszText != nullptr ? pszText : "";
    return *this;
}

CString& CString::operator=(TCHAR ch) {
    m_str.assign(1, ch);
    return *this;
}

CString& CString::operator+=(const CString& str) {
    m_str += str.m_str;
    return *this;
}

CString& CString::operator+=(LPCTSTR pszText) {
    if (pszText != nullptr) {
        m_str += pszText;
    }
    return *this;
}

CString& CString::operator+=(TCHAR ch) {
    m_str += ch;
    return *this;
}

void CString::Format(LPCTSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCTSTR pszFormat, va_list args) {
    m_str = FormatToString(pszFormat, args);
}

void CString::AppendFormat(LPCTSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    m_str += FormatToString(pszFormat, args);
    va_end(args);
}

LPTSTR CString::GetBuffer(int nMinBufLength) {
    if (nMinBufLength > GetLength()) {
        m_str.resize(static_cast<std::size_t>(nMinBufLength));
    }
    return m_str.data();
}

LPTSTR CString::GetBufferSetLength(int nNewLength) {
    m_str.resize(nNewLength > 0 ? static_cast<std::size_t>(nNewLength) : 0);
    return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength) {
    std::size_t cbLen;
    if (nNewLength < 0) {
        cbLen = strnlen(m_str.data(), m_str.size());
    } else {
        cbLen = static_cast<std::size_t>(nNewLength) < m_str.size()
                    ? static_cast<std::size_t>(nNewLength)
                    : m_str.size();
    }
    m_str.resize(cbLen);
}

TCHAR CString::GetAt(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetLength()) {
        return '\0';
    }
    return m_str[static_cast<std::size_t>(nIndex)];
}

void CString::SetAt(int nIndex, TCHAR ch) {
    if (nIndex >= 0 && nIndex < GetLength()) {
        m_str[static_cast<std::size_t>(nIndex)] = ch;
    }
}

int CString::Find(TCHAR ch, int nStart) const {
    if (nStart < 0 || nStart >= GetLength()) {
        return -1;
    }
    const std::size_t pos = m_str.find(ch, static_cast<std::size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCTSTR pszSub, int nStart) const {
    if (pszSub == nullptr || nStart < 0 || nStart > GetLength()) {
        return -1;
    }
    const std::size_t pos = m_str.find(pszSub, static_cast<std::size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(TCHAR ch) const {
    const std::size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int nCount) const {
    if (nCount <= 0) {
        return CString();
    }
    return CString(m_str.data(), nCount < GetLength() ? nCount : GetLength());
}

CString CString::Mid(int nFirst) const {
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const {
    if (nFirst < 0) {
        nFirst = 0;
    }
    if (nFirst >= GetLength() || nCount <= 0) {
        return CString();
    }
    const int nAvail = GetLength() - nFirst;
    return CString(m_str.data() + nFirst, nCount < nAvail ? nCount : nAvail);
}

CString CString::Right(int nCount) const {
    if (nCount <= 0) {
        return CString();
    }
    if (nCount >= GetLength()) {
        return *this;
    }
    return CString(m_str.data() + (GetLength() - nCount), nCount);
}

int CString::Compare(LPCTSTR psz) const {
    return std::strcmp(m_str.c_str(), psz != nullptr ? psz : "");
}

int CString::CompareNoCase(LPCTSTR psz) const {
    CString strLeft(*this);
    CString strRight(psz);
    strLeft.MakeUpper();
    strRight.MakeUpper();
    return strLeft.Compare(strRight);
}

CString& CString::MakeUpper() {
    MapSingleBytes(m_str, [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; });
    return *this;
}

CString& CString::MakeLower() {
    MapSingleBytes(m_str, [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
    return *this;
}

CString operator+(const CString& str1, const CString& str2) {
    CString strResult(str1);
    strResult += str2;
    return strResult;
}

CString operator+(const CString& str, LPCTSTR psz) {
    CString strResult(str);
    strResult += psz;
    return strResult;
}

CString operator+(LPCTSTR psz, const CString& str) {
    CString strResult(psz);
    strResult += str;
    return strResult;
}

CString operator+(const CString& str, TCHAR ch) {
    CString strResult(str);
    strResult += ch;
    return strResult;
}

bool operator==(const CString& str1, const CString& str2) {
    return str1.Str() == str2.Str();
}
bool operator==(const CString& str, LPCTSTR psz) {
    return str.Compare(psz) == 0;
}
bool operator==(LPCTSTR psz, const CString& str) {
    return str.Compare(psz) == 0;
}
bool operator!=(const CString& str1, const CString& str2) {
    return !(str1 == str2);
}
bool operator!=(const CString& str, LPCTSTR psz) {
    return !(str == psz);
}
bool operator!=(LPCTSTR psz, const CString& str) {
    return !(str == psz);
}
bool operator<(const CString& str1, const CString& str2) {
    return str1.Str() < str2.Str();
}
