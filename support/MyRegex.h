// A user's regular expression that file names are tested against, whole name against whole
// pattern. Compiled and matched by Boost.Regex with its default (Perl) syntax, case-sensitive; no
// exception leaves the class: a pattern that does not compile, or a match that the library gives
// up on as too complex, is reported as FALSE.
#pragma once

#include <boost/regex.hpp>

#include "platform/win32/Win32Types.h"
#include "support/MyWString.h"
#include "support/RegexTraits32.h"

class CMyRegex {
public:
    CMyRegex();
    virtual ~CMyRegex();

    // TRUE when the pattern compiled. A null or empty pattern returns FALSE and keeps the earlier
    // expression (and its validity) in use.
    BOOL SetPattern(const char* pcPattern); // Shift-JIS
    BOOL SetPattern(const WCHAR* pwcPattern);

    // TRUE when the whole 0-terminated text matches the last pattern that compiled.
    BOOL IsMatch(const WCHAR* pwcText) const;
    // Whether the last IsMatch gave up (too complex, out of memory) rather than found no match.
    BOOL LastMatchGaveUp() const { return m_bGaveUp; }

private:
    BOOL Compile();

    BOOL m_bValid;
    mutable BOOL m_bGaveUp = FALSE;
    CMyWString m_strPattern;
    // Pattern and names are matched as the code points they stand for (the name codec's pairs
    // decoded), with classes and case folding from a Unicode table rather than a locale, so that
    // a pattern matches the same names on every platform.
    boost::basic_regex<char32_t, CRegexTraits32> m_regex;
};
