#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include <boost/regex.hpp>

#include "support/RegexTraits32.h"

#include "platform/win32/NameCodec.h"

namespace {

using Regex32 = boost::basic_regex<char32_t, CRegexTraits32>;

std::string Hex(const std::u32string& str) {
    std::ostringstream out;
    out << std::hex;
    for (const char32_t c32 : str) {
        out << static_cast<unsigned long>(c32) << ' ';
    }
    return out.str();
}

} // namespace

TEST(CRegexTraits32, ClassesRangesAndFoldingComeFromTheUnicodeTable) {
    const char32_t c32RawByte85 = tessaly::win32::kRawByteBase + 0x85;
    const struct {
        const char32_t* pc32Pattern;
        std::u32string strText;
        bool bExpected;
    } rows[] = {
        // Ranges are code-point ranges: no accented letter falls inside [a-z].
        {U"[a-z]+", U"abc", true},
        {U"[a-z]+", U"été", false},
        {U"(?i)[a-z]+", U"ABC", true},
        // \d is any decimal digit, fullwidth ones included; [0-9] and superscripts are not.
        {U"\\d+", U"１２", true},
        {U"\\d", U"٣", true},
        {U"\\d", U"²", false},
        {U"[0-9]", U"１", false},
        {U"x{１}", U"x{１}", true}, // only ASCII digits count a repeat
        // Greek and Cyrillic fold; final sigma and sigma are one letter, ß does not become ss.
        {U"(?i)ΟΔΟΣ", U"οδος", true},
        {U"(?i)ΟΔΟΣ", U"ΟΔΟς", true},
        {U"ΟΔΟΣ", U"οδοσ", false},
        {U"(?i)МУЗЫКА", U"музыка", true},
        {U"(?i)ß", U"ẞ", true},
        {U"(?i)straße", U"STRASSE", false},
        {U"(?i)i", U"ı", true},
        // Upper and lower, and (?i) widening them to all letters as Boost does.
        {U"[[:upper:]]+", U"ÉΣД", true},
        {U"[[:upper:]]", U"é", false},
        {U"(?i)[[:upper:]]", U"é", true},
        {U"[[:lower:]]", U"ß", true},
        {U"[[:ALPHA:]]+", U"ab", true},
        // A decomposed é stays a word; white space and punctuation beyond ASCII.
        {U"\\w+", U"cafe\u0301", true},
        {U"\\w+", U"＿名前", true},
        {U"\\s", U"\u3000", true},
        {U"\\s", U"\u00A0", true},
        {U"[[:punct:]]", U"$", true},
        {U"[[:punct:]]", U"「", true},
        {U"[[:punct:]]", U"\u0301", false},
        {U"[[:graph:]]", U"😀", true},
        // A raw byte is a character of no class, never a line end.
        {U".", std::u32string(1, c32RawByte85), true},
        {U"(?-s).", std::u32string(1, c32RawByte85), true},
        {U"(?-s).", U"\U00020085", true},
        {U"(?-s).", U"\n", false},
        {U"[[:alpha:][:punct:][:space:]]", std::u32string(1, c32RawByte85), false},
        {U"(?i)\\x{110085}", std::u32string(1, c32RawByte85), true},
        // Escaped non-ASCII characters stand for themselves; [[=e=]] ignores case only.
        {U"\\é", U"é", true},
        {U"[[=e=]]", U"E", true},
        {U"[[=e=]]", U"é", false},
    };
    int iRow = 0;
    for (const auto& row : rows) {
        const Regex32 regex(row.pc32Pattern);
        EXPECT_EQ(boost::regex_match(row.strText, regex), row.bExpected)
            << "row " << iRow << ", text " << Hex(row.strText);
        ++iRow;
    }
}

TEST(CRegexTraits32, UnknownClassesAndBadEscapesDoNotCompile) {
    for (const char32_t* pc32Pattern : {U"[[:nosuch:]]", U"\\p{nosuch}", U"\\x{zz}"}) {
        EXPECT_THROW(Regex32{pc32Pattern}, boost::regex_error) << Hex(pc32Pattern);
    }
}

// Case-insensitive matching compares folded characters, so every spelling of a letter must fold to
// one: the fold of a character's upper and lower case is its own, and folding twice changes
// nothing.
TEST(CRegexTraits32, EveryCaseOfALetterFoldsAlike) {
    const CRegexTraits32 traits;
    for (char32_t c32 = 0; c32 <= tessaly::win32::kRawByteBase + 0xFF; ++c32) {
        const char32_t c32Folded = traits.translate_nocase(c32);
        ASSERT_EQ(traits.translate_nocase(c32Folded), c32Folded) << static_cast<unsigned>(c32);
        ASSERT_EQ(traits.translate_nocase(traits.toupper(c32)), c32Folded)
            << static_cast<unsigned>(c32);
        ASSERT_EQ(traits.translate_nocase(traits.tolower(c32)), c32Folded)
            << static_cast<unsigned>(c32);
    }
}
