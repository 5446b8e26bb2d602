// The texts of a stored file (name, full path, folder, root): an immutable Shift-JIS byte string
// whose copies share one buffer. A million entries name a few thousand folders and one root, and
// each name ends its full path, so a text equal to one of the last few made on this thread shares
// that one's buffer, and a longer text's tail (the name after the full path) is kept as a view
// into it. Reads give a 0-terminated string that lives as long as some copy of the text does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/framework/core/CString.h"

class CSharedText {
public:
    CSharedText() = default;
    CSharedText(LPCTSTR pszText); // null gives the empty text
    CSharedText(const CString& str);
    CSharedText(const CSharedText& other) noexcept;
    CSharedText(CSharedText&& other) noexcept : m_pHead(other.m_pHead) { other.m_pHead = nullptr; }
    ~CSharedText();

    CSharedText& operator=(const CSharedText& other) noexcept;
    CSharedText& operator=(CSharedText&& other) noexcept;
    CSharedText& operator=(LPCTSTR pszText);
    CSharedText& operator=(const CString& str);

    // CString::Format's text.
    void Format(LPCTSTR pszFormat, ...);
    // strFirst, cSep and strSecond one after the other: a folder and a name, without formatting.
    void Join(std::string_view strFirst, char cSep, std::string_view strSecond);
    void Empty();

    int GetLength() const;
    bool IsEmpty() const { return m_pHead == nullptr; }
    // Hints for a reader of many texts in no order, which change nothing: the first fetches what
    // GetString() reads first, the second (once that has come) the text itself.
    void PrefetchHead() const {
        if (m_pHead != nullptr) {
            __builtin_prefetch(m_pHead);
        }
    }
    void PrefetchText() const;
    LPCTSTR GetString() const;
    operator LPCTSTR() const { return GetString(); }
    std::string_view View() const { return {GetString(), static_cast<size_t>(GetLength())}; }
    std::string Str() const { return std::string(View()); }

    // The buffer this text reads from, for tests of the sharing.
    const void* SharedBuffer() const;

    struct Head;

private:
    void Assign(const char* pcText, size_t uLength);

    Head* m_pHead = nullptr; // null for the empty text
};

bool operator==(const CSharedText& txt1, const CSharedText& txt2);
bool operator==(const CSharedText& txt, const CString& str);
bool operator==(const CSharedText& txt, LPCTSTR psz);
bool operator!=(const CSharedText& txt1, const CSharedText& txt2);
bool operator!=(const CSharedText& txt, const CString& str);
bool operator!=(const CSharedText& txt, LPCTSTR psz);
bool operator==(const CString& str, const CSharedText& txt);
bool operator==(LPCTSTR psz, const CSharedText& txt);
bool operator!=(const CString& str, const CSharedText& txt);
bool operator!=(LPCTSTR psz, const CSharedText& txt);

CString operator+(const CSharedText& txt, LPCTSTR psz);
CString operator+(const CSharedText& txt, const CString& str);
CString operator+(const CSharedText& txt1, const CSharedText& txt2);
CString operator+(const CString& str, const CSharedText& txt);
CString operator+(LPCTSTR psz, const CSharedText& txt);
