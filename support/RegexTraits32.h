// Regular-expression traits over Unicode code points (char32_t) for Boost.Regex, with no locale:
// character classes and case folding come from Boost.Spirit's Unicode character database, which is
// the same table on every platform, so a pattern matches the same names everywhere.
//
// Values above U+10FFFF (bytes of invalid UTF-8 carried through the name codec) belong to no class
// but [[:unicode:]], fold to themselves and are single characters like any other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <boost/regex/v5/regex_traits_defaults.hpp>

class CRegexTraits32 {
public:
    using char_type = char32_t;
    using size_type = std::size_t;
    using string_type = std::u32string;
    using char_class_type = std::uint32_t;
    // Matching depends on no locale; the type is there because Boost asks for one.
    struct locale_type {};
    // Every optional member Boost looks for is given here, so Boost adds no defaults of its own
    // (its defaults would fold case with towlower, which depends on the C library).
    struct boost_extensions_tag {};

    static size_type length(const char_type* pc32Text);

    char_type translate(char_type c32) const { return c32; }
    char_type translate_nocase(char_type c32) const;
    char_type translate(char_type c32, bool bIcase) const {
        return bIcase ? translate_nocase(c32) : c32;
    }
    char_type tolower(char_type c32) const;
    char_type toupper(char_type c32) const;

    // Code-point order; there is no collation without a locale. The primary key ignores case only.
    string_type transform(const char_type* pc32First, const char_type* pc32Last) const;
    string_type transform_primary(const char_type* pc32First, const char_type* pc32Last) const;
    string_type lookup_collatename(const char_type* pc32First, const char_type* pc32Last) const;

    // Boost's own class names ("alpha", "w", "xdigit", ...), in any letter case; 0 for others.
    char_class_type lookup_classname(const char_type* pc32First, const char_type* pc32Last) const;
    bool isctype(char_type c32, char_class_type dwClasses) const;

    // ASCII digits and letters only, so fullwidth digits never count in \x{..} or {n,m}.
    int value(char_type c32, int iRadix) const;
    std::intmax_t toi(const char_type*& pc32First, const char_type* pc32Last, int iRadix) const;

    boost::regex_constants::syntax_type syntax_type(char_type c32) const;
    boost::regex_constants::escape_syntax_type escape_syntax_type(char_type c32) const;
    std::string error_string(boost::regex_constants::error_type error) const;

    locale_type imbue(locale_type loc) { return loc; }
    locale_type getloc() const { return locale_type(); }
};

namespace boost::BOOST_REGEX_DETAIL_NS {

// Boost's generic line-separator test looks at the low 16 bits only, which would make U+20085 or
// a raw byte 0x85 (0x110085) a line end for ^, $ and (?-s). Declared before any char32_t matcher
// is instantiated, as an explicit specialisation must be.
template <> inline bool is_separator<char32_t>(char32_t c32) {
    return c32 == U'\n' || c32 == U'\r' || c32 == U'\f' || c32 == 0x85 || c32 == 0x2028 ||
           c32 == 0x2029;
}

} // namespace boost::BOOST_REGEX_DETAIL_NS
