// Helpers shared by the CMyWString sources; not for use outside the class.
#pragma once

#include <string>

#include "platform/win32/Win32Types.h"

namespace mywstring_detail {

inline DWORD WideLen(const WCHAR* pwcStr) {
    return static_cast<DWORD>(std::char_traits<WCHAR>::length(pwcStr));
}

inline WCHAR FoldAscii(WCHAR wc) {
    return (wc >= u'A' && wc <= u'Z') ? static_cast<WCHAR>(wc + (u'a' - u'A')) : wc;
}

// One trace entry from a format written in UTF-8 source text: the format is converted to CP932,
// filled in and written with WriteTraceText.
void WriteTrace(const char* pcFormatUtf8, ...);

} // namespace mywstring_detail
