#include "support/MyRegex.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/win32/NameCodec.h"

namespace {

// The name's real characters: the codec's pairs give back the character they stand for, a
// surrogate pair one character; a lone surrogate is kept as its own value, so that no name is
// ever refused for it.
std::u32string CodePoints(const WCHAR* pwcText, DWORD dwLen) {
    return tessaly::win32::WideToCodePoints(std::u16string_view(pwcText, dwLen));
}

} // namespace

CMyRegex::CMyRegex() : m_bValid(FALSE) {}

CMyRegex::~CMyRegex() = default;

BOOL CMyRegex::SetPattern(const char* pcPattern) {
    if (pcPattern == nullptr || pcPattern[0] == 0) {
        m_strPattern.Empty();
        return FALSE;
    }
    m_bValid = FALSE;
    if (!m_strPattern.SetData(pcPattern)) {
        return FALSE;
    }
    return Compile();
}

BOOL CMyRegex::SetPattern(const WCHAR* pwcPattern) {
    if (pwcPattern == nullptr || pwcPattern[0] == 0) {
        m_strPattern.Empty();
        return FALSE;
    }
    m_bValid = FALSE;
    if (!m_strPattern.SetData(pwcPattern)) {
        return FALSE;
    }
    return Compile();
}

BOOL CMyRegex::Compile() {
    try {
        const std::u32string strPattern =
            CodePoints(m_strPattern.GetBuff(), m_strPattern.GetLength());
        m_regex.assign(strPattern.data(), strPattern.data() + strPattern.size(),
                       boost::regex_constants::normal);
    } catch (const std::runtime_error&) {
        return FALSE; // boost::regex_error is one
    } catch (const std::bad_exception&) {
        return FALSE;
    } catch (const std::bad_alloc&) {
        return FALSE; // what the library reports as a runtime error elsewhere
    }
    m_bValid = TRUE;
    return TRUE;
}

BOOL CMyRegex::IsMatch(const WCHAR* pwcText) const {
    m_bGaveUp = FALSE;
    if (!m_bValid || pwcText == nullptr) {
        return FALSE;
    }
    try {
        const std::u32string strText =
            CodePoints(pwcText, static_cast<DWORD>(std::char_traits<WCHAR>::length(pwcText)));
        return boost::regex_match(strText.data(), strText.data() + strText.size(), m_regex,
                                  boost::match_default)
                   ? TRUE
                   : FALSE;
    } catch (const std::runtime_error&) {
        // Too complex for this text, or out of the library's own stack: no match.
        m_bGaveUp = TRUE;
        return FALSE;
    } catch (const std::bad_alloc&) {
        m_bGaveUp = TRUE;
        return FALSE;
    }
}
