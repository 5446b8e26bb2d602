// Helpers shared by the CMyWString sources; not for use outside the class.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <string>

#include "platform/win32/Win32Types.h"

namespace mywstring_detail {

inline DWORD WideLen(const WCHAR* pwcStr) {
    return static_cast<DWORD>(std::char_traits<WCHAR>::length(pwcStr));
}

inline WCHAR* AllocBuff(std::uint64_t qwSize, bool bZero) {
    if (qwSize == 0 || qwSize > 0xFFFFFFFFull) {
        return nullptr;
    }
    const std::size_t nSize = static_cast<std::size_t>(qwSize);
    return bZero ? new (std::nothrow) WCHAR[nSize]() : new (std::nothrow) WCHAR[nSize];
}

// A source that lies in the string's own buffer is copied first: the edit would move or free it.
class CSourceCopy {
public:
    CSourceCopy(const WCHAR* pwcSrc, DWORD dwCount, const WCHAR* pwcBuff, DWORD dwBuffSize)
        : m_pwcSrc(pwcSrc), m_pwcCopy(nullptr) {
        std::less<const WCHAR*> less;
        if (pwcBuff != nullptr && !less(pwcSrc, pwcBuff) && less(pwcSrc, pwcBuff + dwBuffSize)) {
            m_pwcCopy = AllocBuff(static_cast<std::uint64_t>(dwCount) + 1, false);
            if (m_pwcCopy != nullptr) {
                std::memcpy(m_pwcCopy, pwcSrc, dwCount * sizeof(WCHAR));
            }
            m_pwcSrc = m_pwcCopy;
        }
    }
    ~CSourceCopy() { delete[] m_pwcCopy; }
    CSourceCopy(const CSourceCopy&) = delete;
    CSourceCopy& operator=(const CSourceCopy&) = delete;

    // Null when the copy could not be made.
    const WCHAR* Get() const { return m_pwcSrc; }

private:
    const WCHAR* m_pwcSrc;
    WCHAR* m_pwcCopy;
};

// One trace entry from a format written in UTF-8 source text: the format is converted to CP932,
// filled in and written with WriteTraceText.
void WriteTrace(const char* pcFormatUtf8, ...);

} // namespace mywstring_detail
