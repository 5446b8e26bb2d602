// The framework's narrow string: a growable byte string in the ANSI code page (CP932). Lengths and
// positions count bytes; a double-byte character is two of them.
#pragma once

#include <cstdarg>
#include <string>

#include "platform/framework/core/AfxTypes.h"

class CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(LPCTSTR pszText); // null gives the empty string
    CString(LPCTSTR pszText, int nLength);
    CString(TCHAR ch, int nRepeat = 1);
    ~CString() = default;

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(LPCTSTR pszText);
    CString& operator=(TCHAR ch);
    CString& operator+=(const CString& str);
    CString& operator+=(LPCTSTR pszText);
    CString& operator+=(TCHAR ch);

    // printf semantics with the Windows forms %I64u, %I64d, %I64X; the result grows to fit.
    void Format(LPCTSTR pszFormat, ...);
    void FormatV(LPCTSTR pszFormat, va_list args);
    void AppendFormat(LPCTSTR pszFormat, ...);

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator LPCTSTR() const { return m_str.c_str(); }
    LPCTSTR GetString() const { return m_str.c_str(); }

    // A writable buffer of at least nMinBufLength bytes plus a terminator, holding the current
    // text; ReleaseBuffer(-1) takes the length up to the first 0 byte (within the buffer).
    LPTSTR GetBuffer(int nMinBufLength = 0);
    LPTSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);

    TCHAR GetAt(int nIndex) const;
    void SetAt(int nIndex, TCHAR ch);
    TCHAR operator[](int nIndex) const { return GetAt(nIndex); }

    // Byte searches (no lead-byte awareness, as the framework's own): position or -1.
    int Find(TCHAR ch, int nStart = 0) const;
    int Find(LPCTSTR pszSub, int nStart = 0) const;
    int ReverseFind(TCHAR ch) const;

    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Right(int nCount) const;

    // Byte comparison: <0, 0, >0.
    int Compare(LPCTSTR psz) const;
    int CompareNoCase(LPCTSTR psz) const;

    // Single-byte ASCII letters only; the trail bytes of double-byte characters stay as they are.
    CString& MakeUpper();
    CString& MakeLower();

    const std::string& Str() const { return m_str; }

private:
    std::string m_str;
};

CString operator+(const CString& str1, const CString& str2);
CString operator+(const CString& str, LPCTSTR psz);
CString operator+(LPCTSTR psz, const CString& str);
CString operator+(const CString& str, TCHAR ch);

bool operator==(const CString& str1, const CString& str2);
bool operator==(const CString& str, LPCTSTR psz);
bool operator==(LPCTSTR psz, const CString& str);
bool operator!=(const CString& str1, const CString& str2);
bool operator!=(const CString& str, LPCTSTR psz);
bool operator!=(LPCTSTR psz, const CString& str);
bool operator<(const CString& str1, const CString& str2);
