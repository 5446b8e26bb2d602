#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/AnsiText.h"
#include "support/MyRegex.h"

#include "platform/win32/NameCodec.h"

namespace {

struct MatchRow {
    const char16_t* pwcText;
    BOOL bExpected;
};

void ExpectMatches(const CMyRegex& regex, std::initializer_list<MatchRow> rows) {
    int iRow = 0;
    for (const MatchRow& row : rows) {
        EXPECT_EQ(regex.IsMatch(row.pwcText), row.bExpected) << "row " << iRow;
        ++iRow;
    }
}

} // namespace

TEST(CMyRegex, NeverSetMatchesNothing) {
    const CMyRegex regex;
    ExpectMatches(regex, {{u"", FALSE}, {u"a", FALSE}, {u"song.wav", FALSE}});
    EXPECT_FALSE(regex.IsMatch(nullptr));
}

TEST(CMyRegex, WholeNameAndCaseSensitive) {
    CMyRegex regex;
    ASSERT_TRUE(regex.SetPattern(u".+"));
    ExpectMatches(regex, {{u"x", TRUE}, {u"曲名.wav", TRUE}, {u"", FALSE}});
    EXPECT_FALSE(regex.IsMatch(nullptr));

    ASSERT_TRUE(regex.SetPattern(u"abc"));
    ExpectMatches(regex, {{u"abc", TRUE}, {u"xabc", FALSE}, {u"abcx", FALSE}, {u"ABC", FALSE}});

    ASSERT_TRUE(regex.SetPattern(u".*\\.(wav|mp3)"));
    ExpectMatches(regex, {{u"a.wav", TRUE}, {u"a.mp3", TRUE}, {u"a.wav.txt", FALSE}});
}

TEST(CMyRegex, FailedAndEmptyPatterns) {
    CMyRegex regex;
    EXPECT_FALSE(regex.SetPattern(u"("));
    EXPECT_FALSE(regex.IsMatch(u"("));

    ASSERT_TRUE(regex.SetPattern(u"a+"));
    // An empty or null pattern is refused but leaves the earlier expression in use.
    EXPECT_FALSE(regex.SetPattern(u""));
    EXPECT_FALSE(regex.SetPattern(static_cast<const WCHAR*>(nullptr)));
    EXPECT_FALSE(regex.SetPattern(""));
    EXPECT_TRUE(regex.IsMatch(u"aaa"));
    // A pattern that does not compile makes every match fail, the earlier one included.
    EXPECT_FALSE(regex.SetPattern(u"a[b"));
    EXPECT_FALSE(regex.IsMatch(u"aaa"));
    EXPECT_FALSE(regex.SetPattern(u"*"));
    EXPECT_FALSE(regex.SetPattern(u"a{2,1}"));
    ASSERT_TRUE(regex.SetPattern(u"b"));
    EXPECT_TRUE(regex.IsMatch(u"b"));
}

TEST(CMyRegex, ShiftJisPattern) {
    CMyRegex regex;
    // 表 is 0x95 0x5C in CP932: its trail byte must not become an escaping backslash.
    ASSERT_TRUE(regex.SetPattern(AnsiFromUtf8("表")));
    ExpectMatches(regex, {{u"表", TRUE}, {u"表x", FALSE}});
    ASSERT_TRUE(regex.SetPattern(AnsiFromUtf8("曲.*\\.wav")));
    ExpectMatches(regex, {{u"曲名.wav", TRUE}, {u"名曲.wav", FALSE}});
    EXPECT_FALSE(regex.SetPattern(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(regex.IsMatch(u"曲.wav"));
}

TEST(CMyRegex, SurrogatePairIsOneCharacter) {
    CMyRegex regex;
    // U+1D11E (musical symbol G clef) is the pair D834 DD1E.
    ASSERT_TRUE(regex.SetPattern(u"..\\.wav"));
    ExpectMatches(regex,
                  {{u"\U0001D11Ea.wav", TRUE}, {u"ab.wav", TRUE}, {u"\U0001D11E.wav", FALSE}});
    ASSERT_TRUE(regex.SetPattern(u"[\U0001D11E\U0001F3B5]+"));
    ExpectMatches(regex, {{u"\U0001F3B5\U0001D11E", TRUE}, {u"\U0001D11E", TRUE}, {u"a", FALSE}});
    // A lone surrogate is kept as a character of its own, never an error.
    ASSERT_TRUE(regex.SetPattern(u".b"));
    ExpectMatches(regex, {{u"\xD834"
                           u"b",
                           TRUE},
                          {u"\xDD1E"
                           u"b",
                           TRUE}});
}

TEST(CMyRegex, CharacterClassesKnowJapaneseLetters) {
    CMyRegex regex;
    ASSERT_TRUE(regex.SetPattern(u"\\w+\\.mp3"));
    ExpectMatches(regex,
                  {{u"曲名かなカナ_1.mp3", TRUE}, {u"曲 名.mp3", FALSE}, {u"ｱｲｳ.mp3", TRUE}});
    ASSERT_TRUE(regex.SetPattern(u"[[:alpha:]]+"));
    ExpectMatches(regex, {{u"ひらがな", TRUE}, {u"123", FALSE}});
    ASSERT_TRUE(regex.SetPattern(u"\\W"));
    ExpectMatches(regex, {{u"あ", FALSE}, {u"-", TRUE}});
}

TEST(CMyRegex, ExplodingPatternFailsQuickly) {
    CMyRegex regex;
    ASSERT_TRUE(regex.SetPattern(u"(a*)*b"));
    const std::u16string strRun(40, u'a'); // a file-name length
    const auto tStart = std::chrono::steady_clock::now();
    EXPECT_FALSE(regex.IsMatch(strRun.c_str()));
    EXPECT_LT(std::chrono::steady_clock::now() - tStart, std::chrono::seconds(20));
    // The expression stays usable after the library gave up on one text.
    EXPECT_TRUE(regex.IsMatch(u"aab"));

    ASSERT_TRUE(regex.SetPattern(u"(x+x+)+y"));
    EXPECT_FALSE(regex.IsMatch(std::u16string(40, u'x').c_str()));
}

namespace {

// A name as the folder scan hands it over: listed from disk through the codec into CP932, then
// read into UTF-16 as the program reads every name.
std::u16string NameFromDisk(const std::string& strUtf8) {
    std::string strAnsi;
    EXPECT_TRUE(tessaly::win32::DiskNameToAnsi(strUtf8, strAnsi)) << strUtf8;
    CMyWString strName;
    EXPECT_TRUE(strName.SetData(strAnsi.c_str()));
    return std::u16string(strName.GetBuff(), strName.GetLength());
}

} // namespace

TEST(CMyRegex, MatchesTheRealCharactersOfNamesOutsideCp932) {
    const struct {
        const char* pcPattern; // UTF-8, set as CP932 as the window and the terminal hand it over
        const char* pcName;
        BOOL bExpected;
    } rows[] = {
        {"\\w+\\.wav", "café.wav", TRUE},
        {"\\w+\\.wav", "Straße.wav", TRUE},
        {"\\w+\\.wav", "한국.wav", TRUE},
        {"\\w+\\.wav", "日本.wav", TRUE},
        {"\\w+\\.wav", "a b.wav", FALSE},
        {"\\w+\\.wav", "😀.wav", FALSE},
        {"[[:alpha:]]+\\.wav", "naïve.wav", TRUE},
        {"[[:alpha:]]+\\.wav", "한국.wav", TRUE},
        {"[[:alpha:]]+\\.wav", "a1.wav", FALSE},
        {"(?i)CAFÉ\\.WAV", "café.wav", TRUE},
        {"(?i)CAFÉ\\.WAV", "CAFÉ.wav", TRUE},
        {"(?i)CAFÉ\\.WAV", "cafe.wav", FALSE},
        {"CAFÉ\\.WAV", "café.wav", FALSE},
        {"caf\\x{00e9}\\.wav", "café.wav", TRUE},
        {"caf\\x{00e9}\\.wav", "cafe.wav", FALSE},
        {".\\.wav", "😀.wav", TRUE}, // one character each, however many codes carry it
        {".\\.wav", "é.wav", TRUE},
        {".\\.wav", "\xff.wav", TRUE}, // a byte of invalid UTF-8
        {"..\\.wav", "é.wav", FALSE},
        {"한.+", "한국.wav", TRUE},
        {"[^:]+", "a:b", FALSE}, // a character Windows forbids, carried as a pair
        {"表.*\\.wav", "表示.wav", TRUE},
        {"纊.", "纊k", TRUE}, // an IBM extension, whichever code the name was in
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CMyRegex regex;
        ASSERT_TRUE(regex.SetPattern(AnsiFromUtf8(rows[i].pcPattern))) << "row " << i;
        EXPECT_EQ(regex.IsMatch(NameFromDisk(rows[i].pcName).c_str()), rows[i].bExpected)
            << "row " << i << ": " << rows[i].pcPattern << " / " << rows[i].pcName;
    }
}
