// The pattern is simulated as a small automaton over the name's units: every state is a position
// in the pattern, so no pattern backtracks exponentially.
#include "platform/win32/posix/NamePattern.h"

#include <string>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/common/CaseFold.h"
#include "platform/win32/common/CodePage932Tables.h"

namespace tessaly::win32::detail {
namespace {

enum class Raw { Text, Star, Question, Dot };

struct RawToken {
    Raw kind;
    std::string strText; // CP932 bytes of a Text run
};

std::vector<RawToken> Tokenize(std::string_view strAnsi) {
    std::vector<RawToken> aTokens;
    const auto* pb = reinterpret_cast<const unsigned char*>(strAnsi.data());
    for (std::size_t i = 0, cb; i < strAnsi.size(); i += cb) {
        cb = Cp932CharLength(pb + i, strAnsi.size() - i);
        const char c = strAnsi[i];
        if (cb == 2) {
            if (aTokens.empty() || aTokens.back().kind != Raw::Text) {
                aTokens.push_back({Raw::Text, {}});
            }
            aTokens.back().strText.append(strAnsi.substr(i, 2));
        } else if (c == '*' || c == '?' || c == '.') {
            aTokens.push_back({c == '*' ? Raw::Star : c == '?' ? Raw::Question : Raw::Dot, {}});
        } else {
            if (aTokens.empty() || aTokens.back().kind != Raw::Text) {
                aTokens.push_back({Raw::Text, {}});
            }
            aTokens.back().strText.push_back(c);
        }
    }
    return aTokens;
}

} // namespace

NamePattern::NamePattern(std::string_view strAnsiPattern) {
    const std::vector<RawToken> aRaw = Tokenize(strAnsiPattern);
    if (strAnsiPattern == "*" || strAnsiPattern == "*.*") {
        m_bAll = true;
        return;
    }
    for (std::size_t i = 0; i < aRaw.size(); ++i) {
        const Raw kindNext = i + 1 < aRaw.size() ? aRaw[i + 1].kind : Raw::Text;
        const bool bLast = i + 1 == aRaw.size();
        switch (aRaw[i].kind) {
        case Raw::Star:
            m_aTokens.push_back({kindNext == Raw::Dot && !bLast ? Kind::DosStar : Kind::Star, 0});
            break;
        case Raw::Question:
            m_aTokens.push_back({Kind::DosQm, 0});
            break;
        case Raw::Dot:
            if (bLast || kindNext == Raw::Star || kindNext == Raw::Question) {
                m_aTokens.push_back({Kind::DosDot, 0});
            } else {
                m_aTokens.push_back({Kind::Unit, u'.'});
            }
            break;
        case Raw::Text: {
            std::u16string strUpcased;
            AppendUpcasedName(AnsiNameToDisk(aRaw[i].strText), strUpcased);
            for (char16_t c : strUpcased) {
                m_aTokens.push_back({Kind::Unit, c});
            }
            break;
        }
        }
    }
}

void NamePattern::Close(std::vector<std::uint8_t>& aStates, std::u16string_view strName,
                        std::size_t uPos) const {
    const bool bAtEnd = uPos == strName.size();
    for (std::size_t i = 0; i < m_aTokens.size(); ++i) {
        if (!aStates[i]) {
            continue;
        }
        switch (m_aTokens[i].kind) {
        case Kind::Star:
        case Kind::DosStar:
            aStates[i + 1] = 1;
            break;
        case Kind::DosQm:
            if (bAtEnd || strName[uPos] == u'.') {
                aStates[i + 1] = 1;
            }
            break;
        case Kind::DosDot:
            if (bAtEnd) {
                aStates[i + 1] = 1;
            }
            break;
        case Kind::Unit:
            break;
        }
    }
}

bool NamePattern::Matches(std::u16string_view strUpcased) const {
    if (m_bAll) {
        return true;
    }
    const std::size_t nStates = m_aTokens.size() + 1;
    const std::size_t uLastDot = strUpcased.rfind(u'.');
    m_aCurrent.assign(nStates, 0);
    m_aCurrent[0] = 1;
    Close(m_aCurrent, strUpcased, 0);
    for (std::size_t j = 0; j < strUpcased.size(); ++j) {
        const char16_t c = strUpcased[j];
        m_aNext.assign(nStates, 0);
        bool bAny = false;
        for (std::size_t i = 0; i + 1 < nStates; ++i) {
            if (!m_aCurrent[i]) {
                continue;
            }
            const Token& token = m_aTokens[i];
            std::size_t uTo = nStates; // none
            switch (token.kind) {
            case Kind::Unit:
                uTo = c == token.cUnit ? i + 1 : nStates;
                break;
            case Kind::Star:
                uTo = i;
                break;
            case Kind::DosStar: // anything but the name's last dot
                uTo = c == u'.' && j == uLastDot ? nStates : i;
                break;
            case Kind::DosQm:
                uTo = c == u'.' ? nStates : i + 1;
                break;
            case Kind::DosDot:
                uTo = c == u'.' ? i + 1 : nStates;
                break;
            }
            if (uTo < nStates) {
                m_aNext[uTo] = 1;
                bAny = true;
            }
        }
        if (!bAny) {
            return false;
        }
        Close(m_aNext, strUpcased, j + 1);
        m_aCurrent.swap(m_aNext);
    }
    return m_aCurrent[nStates - 1] != 0;
}

} // namespace tessaly::win32::detail
