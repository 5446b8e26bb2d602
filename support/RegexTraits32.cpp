#include "support/RegexTraits32.h"

#include <boost/spirit/home/support/char_encoding/unicode/query.hpp>

namespace {

namespace ucd = boost::spirit::ucd;
using Category = ucd::properties::category;
using MajorCategory = ucd::properties::major_category;

constexpr char32_t kMaxCodePoint = 0x10FFFF;

constexpr std::uint32_t kClassAlnum = 1u << 0;
constexpr std::uint32_t kClassAlpha = 1u << 1;
constexpr std::uint32_t kClassBlank = 1u << 2;
constexpr std::uint32_t kClassCntrl = 1u << 3;
constexpr std::uint32_t kClassDigit = 1u << 4;
constexpr std::uint32_t kClassGraph = 1u << 5;
constexpr std::uint32_t kClassHorizontal = 1u << 6;
constexpr std::uint32_t kClassLower = 1u << 7;
constexpr std::uint32_t kClassPrint = 1u << 8;
constexpr std::uint32_t kClassPunct = 1u << 9;
constexpr std::uint32_t kClassSpace = 1u << 10;
constexpr std::uint32_t kClassUnicode = 1u << 11;
constexpr std::uint32_t kClassUpper = 1u << 12;
constexpr std::uint32_t kClassVertical = 1u << 13;
constexpr std::uint32_t kClassWord = 1u << 14;
constexpr std::uint32_t kClassXdigit = 1u << 15;

// In the order of Boost's get_default_class_id: alnum alpha blank cntrl d digit graph h l lower
// print punct s space u unicode upper v w word xdigit.
constexpr std::uint32_t kDefaultClasses[] = {
    kClassAlnum, kClassAlpha,      kClassBlank,  kClassCntrl,   kClassDigit, kClassDigit,
    kClassGraph, kClassHorizontal, kClassLower,  kClassLower,   kClassPrint, kClassPunct,
    kClassSpace, kClassSpace,      kClassUpper,  kClassUnicode, kClassUpper, kClassVertical,
    kClassWord,  kClassWord,       kClassXdigit,
};

std::uint32_t DefaultClass(const char32_t* pc32First, const char32_t* pc32Last) {
    const int iId = boost::BOOST_REGEX_DETAIL_NS::get_default_class_id(pc32First, pc32Last);
    return iId >= 0 && static_cast<std::size_t>(iId) < std::size(kDefaultClasses)
               ? kDefaultClasses[iId]
               : 0;
}

// Vertical space as Perl's \v has it: line and paragraph separators and the white-space controls
// other than the tab (NEL included); all other white space is horizontal, and blank.
bool IsVerticalSpace(char32_t c32) {
    if (!ucd::is_white_space(c32) || c32 == U'\t') {
        return false;
    }
    const Category category = ucd::get_category(c32);
    return category == Category::control || category == Category::line_separator ||
           category == Category::paragraph_separator;
}

// The classes of one code point, after Unicode's recommendations for regular expressions (UTS
// #18, annex C): \d is any decimal digit (fullwidth ones too), \w adds marks and connector
// punctuation to letters and digits, so that a decomposed "é" or "＿" stays inside a word.
std::uint32_t ClassesOf(char32_t c32) {
    std::uint32_t dwClasses = c32 > 0xFF ? kClassUnicode : 0;
    if (c32 > kMaxCodePoint) {
        return dwClasses;
    }
    const Category category = ucd::get_category(c32);
    const MajorCategory major = ucd::get_major_category(c32);
    const bool bAlpha = ucd::is_alphabetic(c32);
    const bool bDigit = category == Category::decimal_number;
    if (bAlpha) {
        dwClasses |= kClassAlpha | kClassAlnum | kClassWord;
    }
    if (bDigit) {
        dwClasses |= kClassDigit | kClassAlnum | kClassWord | kClassXdigit;
    }
    if (major == MajorCategory::mark || category == Category::connector_punctuation) {
        dwClasses |= kClassWord;
    }
    if (ucd::is_hex_digit(c32)) {
        dwClasses |= kClassXdigit;
    }
    if (ucd::is_uppercase(c32)) {
        dwClasses |= kClassUpper;
    }
    if (ucd::is_lowercase(c32)) {
        dwClasses |= kClassLower;
    }
    if (ucd::is_white_space(c32)) {
        dwClasses |=
            kClassSpace | (IsVerticalSpace(c32) ? kClassVertical : kClassHorizontal | kClassBlank);
    }
    if (category == Category::control) {
        dwClasses |= kClassCntrl;
    }
    // POSIX counts ASCII symbols such as '$' and '+' as punctuation; so does Unicode's
    // compatible definition, for every symbol that is not a letter.
    if (major == MajorCategory::punctuation || (major == MajorCategory::symbol && !bAlpha)) {
        dwClasses |= kClassPunct;
    }
    // The table reads code points newer than its Unicode version as graphic, which most of
    // them are (emoji, ideographs); they belong to no letter or digit class.
    if (ucd::is_graph(c32)) {
        dwClasses |= kClassGraph;
    }
    if (ucd::is_print(c32)) {
        dwClasses |= kClassPrint;
    }
    return dwClasses;
}

} // namespace

CRegexTraits32::size_type CRegexTraits32::length(const char_type* pc32Text) {
    return std::char_traits<char_type>::length(pc32Text);
}

// Simple case folding: the lower case of the upper case, so that every spelling of a letter
// meets in one, final sigma and ſ included (ς and σ share Σ, ſ and s share S).
CRegexTraits32::char_type CRegexTraits32::translate_nocase(char_type c32) const {
    if (c32 > kMaxCodePoint) {
        return c32;
    }
    return static_cast<char_type>(ucd::to_lowercase(ucd::to_uppercase(c32)));
}

CRegexTraits32::char_type CRegexTraits32::tolower(char_type c32) const {
    return c32 > kMaxCodePoint ? c32 : static_cast<char_type>(ucd::to_lowercase(c32));
}

CRegexTraits32::char_type CRegexTraits32::toupper(char_type c32) const {
    return c32 > kMaxCodePoint ? c32 : static_cast<char_type>(ucd::to_uppercase(c32));
}

CRegexTraits32::string_type CRegexTraits32::transform(const char_type* pc32First,
                                                      const char_type* pc32Last) const {
    return string_type(pc32First, pc32Last);
}

CRegexTraits32::string_type CRegexTraits32::transform_primary(const char_type* pc32First,
                                                              const char_type* pc32Last) const {
    string_type strKey;
    strKey.reserve(static_cast<size_type>(pc32Last - pc32First));
    for (const char_type* pc32 = pc32First; pc32 != pc32Last; ++pc32) {
        strKey.push_back(translate_nocase(*pc32));
    }
    return strKey;
}

// POSIX's names ("space", "hyphen", "a") or a single character; nothing else is known.
CRegexTraits32::string_type CRegexTraits32::lookup_collatename(const char_type* pc32First,
                                                               const char_type* pc32Last) const {
    std::string strName;
    for (const char_type* pc32 = pc32First; pc32 != pc32Last; ++pc32) {
        if (*pc32 > 0x7F) {
            strName.clear();
            break;
        }
        strName.push_back(static_cast<char>(*pc32));
    }
    if (!strName.empty()) {
        const std::string strFound =
            boost::BOOST_REGEX_DETAIL_NS::lookup_default_collate_name(strName);
        if (!strFound.empty()) {
            return string_type(strFound.begin(), strFound.end());
        }
    }
    if (pc32Last - pc32First == 1) {
        return string_type(1, *pc32First);
    }
    return string_type();
}

CRegexTraits32::char_class_type CRegexTraits32::lookup_classname(const char_type* pc32First,
                                                                 const char_type* pc32Last) const {
    if (const char_class_type dwClass = DefaultClass(pc32First, pc32Last)) {
        return dwClass;
    }
    // [[:Alpha:]] and \p{Space} as well; only ASCII letters are lowered, as the names are ASCII.
    string_type strLower(pc32First, pc32Last);
    for (char_type& c32 : strLower) {
        if (c32 >= U'A' && c32 <= U'Z') {
            c32 += U'a' - U'A';
        }
    }
    return DefaultClass(strLower.data(), strLower.data() + strLower.size());
}

bool CRegexTraits32::isctype(char_type c32, char_class_type dwClasses) const {
    return (ClassesOf(c32) & dwClasses) != 0;
}

int CRegexTraits32::value(char_type c32, int iRadix) const {
    int iValue = -1;
    if (c32 >= U'0' && c32 <= U'9') {
        iValue = static_cast<int>(c32 - U'0');
    } else if (c32 >= U'a' && c32 <= U'z') {
        iValue = static_cast<int>(c32 - U'a') + 10;
    } else if (c32 >= U'A' && c32 <= U'Z') {
        iValue = static_cast<int>(c32 - U'A') + 10;
    }
    return iValue < iRadix ? iValue : -1;
}

std::intmax_t CRegexTraits32::toi(const char_type*& pc32First, const char_type* pc32Last,
                                  int iRadix) const {
    return boost::BOOST_REGEX_DETAIL_NS::global_toi(pc32First, pc32Last, iRadix, *this);
}

// Only ASCII characters carry syntax; any other character, escaped or not, stands for itself.
boost::regex_constants::syntax_type CRegexTraits32::syntax_type(char_type c32) const {
    return c32 <= 0x7F
               ? boost::BOOST_REGEX_DETAIL_NS::get_default_syntax_type(static_cast<char>(c32))
               : boost::regex_constants::syntax_char;
}

boost::regex_constants::escape_syntax_type CRegexTraits32::escape_syntax_type(char_type c32) const {
    return c32 <= 0x7F ? boost::BOOST_REGEX_DETAIL_NS::get_default_escape_syntax_type(
                             static_cast<char>(c32))
                       : boost::regex_constants::escape_type_identity;
}

std::string CRegexTraits32::error_string(boost::regex_constants::error_type error) const {
    return boost::BOOST_REGEX_DETAIL_NS::get_default_error_string(error);
}
