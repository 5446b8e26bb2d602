// Inside the layer: FindFirstFileA's name patterns, matched as Windows matches them. Windows
// rewrites a pattern into DOS wildcards first: '?' matches one character but also nothing before
// a dot or at the end ("a?" finds "a"); "*." before a dot stops at the name's last dot; a dot
// before a wildcard or at the end also matches the end of a name ("*.*" finds "README", "*."
// finds only names without a dot). Case is ignored.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessaly::win32::detail {

class NamePattern {
public:
    // strAnsiPattern: the last component of a search path, in CP932.
    explicit NamePattern(std::string_view strAnsiPattern);

    // "*" and "*.*": every name, with no need to look at it.
    bool MatchesAll() const { return m_bAll; }
    // strUpcased: the name's upper-cased UTF-16 form (AppendUpcasedName). Not for two threads at
    // once (it reuses its work space).
    bool Matches(std::u16string_view strUpcased) const;

private:
    enum class Kind : std::uint8_t { Unit, Star, DosStar, DosQm, DosDot };
    struct Token {
        Kind kind;
        char16_t cUnit;
    };
    void Close(std::vector<std::uint8_t>& aStates, std::u16string_view strName,
               std::size_t uPos) const;

    std::vector<Token> m_aTokens;
    bool m_bAll = false;
    mutable std::vector<std::uint8_t> m_aCurrent;
    mutable std::vector<std::uint8_t> m_aNext;
};

} // namespace tessaly::win32::detail
