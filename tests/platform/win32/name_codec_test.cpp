#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/Win32.h"
#include "platform/win32/common/CaseFold.h"

using tessaly::win32::AnsiNameToDisk;
using tessaly::win32::AnsiToCodePoints;
using tessaly::win32::AnsiToUtf8;
using tessaly::win32::DiskNameToAnsi;
using tessaly::win32::kRawByteBase;
using tessaly::win32::TextKind;
using tessaly::win32::Utf8ToAnsi;
using tessaly::win32::WideToCodePoints;

namespace {

std::string Utf8Of(char32_t c) {
    std::string strOut;
    if (c < 0x80) {
        strOut += static_cast<char>(c);
        return strOut;
    }
    if (c < 0x800) {
        strOut += static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
        strOut += static_cast<char>(0xE0 | (c >> 12));
    } else {
        strOut += static_cast<char>(0xF0 | (c >> 18));
        strOut += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    }
    if (c >= 0x800) {
        strOut += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    strOut += static_cast<char>(0x80 | (c & 0x3F));
    return strOut;
}

// The program's own byte tests: lead bytes stop at 0xF5.
bool IsProgramLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xF5);
}
bool IsProgramTrail(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The characters of a CP932 text as the program walks it.
std::vector<std::string> ProgramCharacters(const std::string& strAnsi) {
    std::vector<std::string> aChars;
    for (std::size_t i = 0; i < strAnsi.size();) {
        const bool bPair = IsProgramLead(static_cast<unsigned char>(strAnsi[i])) &&
                           i + 1 < strAnsi.size() &&
                           IsProgramTrail(static_cast<unsigned char>(strAnsi[i + 1]));
        aChars.push_back(strAnsi.substr(i, bPair ? 2 : 1));
        i += bPair ? 2 : 1;
    }
    return aChars;
}

// True when the bytes are one pair of the codec: two codes with leads 0xF0-0xF5 whose trail byte
// is neither '\' nor '|'.
bool IsPair(const std::string& str) {
    if (str.size() != 4) {
        return false;
    }
    for (std::size_t i = 0; i < 4; i += 2) {
        const auto bLead = static_cast<unsigned char>(str[i]);
        const auto bTrail = static_cast<unsigned char>(str[i + 1]);
        if (bLead < 0xF0 || bLead > 0xF5 || !IsProgramTrail(bTrail) || bTrail == 0x5C ||
            bTrail == 0x7C) {
            return false;
        }
    }
    return true;
}

// What Windows' MultiByteToWideChar makes of a code; 0 when it is no character.
char16_t WindowsChar(unsigned uCode) {
    const char ac[2] = {static_cast<char>(uCode >> 8), static_cast<char>(uCode & 0xFF)};
    const int cb = uCode < 0x100 ? 1 : 2;
    WCHAR wc = 0;
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, uCode < 0x100 ? ac + 1 : ac, cb, &wc,
                            1) != 1) {
        return 0;
    }
    return wc;
}

std::string Bytes(std::initializer_list<unsigned> codes) {
    std::string str;
    for (unsigned u : codes) {
        str.push_back(static_cast<char>(u >> 8));
        str.push_back(static_cast<char>(u & 0xFF));
    }
    return str;
}

// Code points as text, for readable failures.
std::string Hex(const std::u32string& str) {
    std::string strHex;
    for (char32_t c : str) {
        char ac[12];
        std::snprintf(ac, sizeof ac, "%X ", static_cast<unsigned>(c));
        strHex += ac;
    }
    return strHex;
}

} // namespace

TEST(NameCodec, DiskNamesRoundTripByteForByte) {
    const std::string names[] = {
        "plain.txt",
        "日本語の名前.mp3",
        "表示とソース.wav", // trail bytes 0x5C in CP932
        "café.mp3",
        "naïve",
        "😀",
        "🎵 song.mp3",
        "한국어.wav",
        "波〜線", // U+301C WAVE DASH: CP932 reads 0x8160 back as U+FF5E
        "a\\b",
        "a:b*c?d\"e<f>g|h",
        "tab\there\x01",
        "\xff\xfe",                     // invalid UTF-8
        "x\xe6\x97y",                   // a truncated three-byte sequence
        "\xed\xa0\x80.txt",             // an encoded surrogate
        "\xc0\xaf",                     // an overlong '/'
        "\xee\x80\x80\xee\x80\x81私用", // U+E000 U+E001: the user-defined area on disk
        "\xf4\x8f\xbf\xbf",             // U+10FFFF
        "ⅰⅱ①≒￢",
        "纊k冝", // IBM extensions: at the start, in the middle, at the end
        "k冝",
        "髙橋﨑",
    };
    for (std::size_t i = 0; i < std::size(names); ++i) {
        std::string strAnsi;
        ASSERT_TRUE(DiskNameToAnsi(names[i], strAnsi)) << "row " << i;
        EXPECT_EQ(AnsiNameToDisk(strAnsi), names[i]) << "row " << i;
        for (const std::string& strChar : ProgramCharacters(strAnsi)) {
            if (strChar.size() == 1) {
                EXPECT_EQ(std::string("\\:*?\"<>|\x01\t").find(strChar[0]), std::string::npos)
                    << "row " << i << ": a forbidden byte stands alone in the CP932 name";
                EXPECT_FALSE(IsProgramLead(static_cast<unsigned char>(strChar[0])))
                    << "row " << i << ": a dangling lead byte";
            }
        }
    }
}

TEST(NameCodec, EveryCp932CharacterRoundTripsAsOneCharacterOfTheProgram) {
    std::size_t cChecked = 0;
    for (unsigned uCode = 0x01; uCode <= 0xFCFC; ++uCode) {
        const char16_t wc = WindowsChar(uCode);
        if (wc == 0 || (uCode >= 0x100 && uCode < 0x8100)) {
            continue;
        }
        ++cChecked;
        const std::string strUtf8 = Utf8Of(wc);
        SCOPED_TRACE(::testing::Message() << std::hex << "code 0x" << uCode << " U+" << +wc);
        for (const std::string& strName :
             {strUtf8, "a" + strUtf8 + "b", strUtf8 + "x", "x" + strUtf8}) {
            if (wc == u'/') {
                break; // in no on-disk name
            }
            std::string strAnsi;
            ASSERT_TRUE(DiskNameToAnsi(strName, strAnsi));
            ASSERT_EQ(AnsiNameToDisk(strAnsi), strName);
        }
        std::string strAnsi;
        ASSERT_TRUE(Utf8ToAnsi(strUtf8, strAnsi, TextKind::Text));
        const std::vector<std::string> aChars = ProgramCharacters(strAnsi);
        // Only the user-defined area, which pairs are made of, is itself written as pairs.
        const bool bUserDefined = uCode >= 0xF040 && uCode <= 0xF9FC;
        ASSERT_EQ(IsPair(strAnsi), bUserDefined);
        if (bUserDefined) {
            continue;
        }
        ASSERT_EQ(aChars.size(), 1u) << "the program reads it as one character";
        if (strAnsi.size() == 1) {
            EXPECT_FALSE(IsProgramLead(static_cast<unsigned char>(strAnsi[0])));
        }
        // Carried as CP932 bytes, they are bytes that Windows reads as the same character.
        const unsigned uCarried = strAnsi.size() == 1
                                      ? static_cast<unsigned char>(strAnsi[0])
                                      : static_cast<unsigned char>(strAnsi[0]) << 8 |
                                            static_cast<unsigned char>(strAnsi[1]);
        EXPECT_EQ(WindowsChar(uCarried), wc);
        const unsigned uLead = uCode >> 8;
        if (uLead >= 0xFA && uLead <= 0xFC) {
            EXPECT_TRUE((uCarried >> 8) == 0xED || (uCarried >> 8) == 0xEE ||
                        (uCarried >> 8) < 0xA0)
                << "an IBM extension goes to its twin";
        }
    }
    EXPECT_GT(cChecked, 9000u);
}

TEST(NameCodec, PairsAreComputedFromTheCodePoint) {
    // The same bytes in every run and every process, whatever came before.
    std::string strAnsi;
    ASSERT_TRUE(DiskNameToAnsi("é", strAnsi));
    // 0xE9 = 0 * 1,116 + 233: code 0 is 0xF040, code 233 is lead 0xF1 and its 48th trail byte.
    EXPECT_EQ(strAnsi, Bytes({0xF040, 0xF170}));
    ASSERT_TRUE(DiskNameToAnsi("\\", strAnsi));
    EXPECT_EQ(strAnsi, Bytes({0xF040, 0xF09F})) << "92: 0x5C and 0x7C are skipped";
    ASSERT_TRUE(DiskNameToAnsi("\xf4\x8f\xbf\xbf", strAnsi));
    EXPECT_EQ(strAnsi, Bytes({0xF587, 0xF1E0})) << "U+10FFFF = 998 * 1,116 + 343";

    // 5,000 distinct Hangul and CJK characters in one run: all distinct, all four bytes.
    std::set<std::string> setForms;
    for (unsigned c = 0; c < 5000; ++c) {
        const char32_t cp = c < 2500 ? 0xAC00 + c : 0x20000 + c;
        ASSERT_TRUE(DiskNameToAnsi(Utf8Of(cp), strAnsi)) << c;
        ASSERT_TRUE(IsPair(strAnsi)) << c;
        ASSERT_EQ(AnsiNameToDisk(strAnsi), Utf8Of(cp)) << c;
        setForms.insert(strAnsi);
    }
    EXPECT_EQ(setForms.size(), 5000u);
}

TEST(NameCodec, TextKindKeepsSeparatorsAndNameKindPairsThem) {
    std::string strText, strName;
    ASSERT_TRUE(Utf8ToAnsi("C:\\dir\\é", strText, TextKind::Text));
    EXPECT_EQ(strText, "C:\\dir\\" + Bytes({0xF040, 0xF170}));
    EXPECT_EQ(AnsiToUtf8(strText), "C:\\dir\\é");
    ASSERT_TRUE(Utf8ToAnsi("a\\b", strName, TextKind::Name));
    EXPECT_EQ(strName, std::string("a").append(Bytes({0xF040, 0xF09F})).append("b"));
    EXPECT_EQ(AnsiToUtf8(strName), "a\\b");
    // Not one on-disk name.
    EXPECT_FALSE(Utf8ToAnsi("a/b", strName, TextKind::Name));
    EXPECT_TRUE(strName.empty());
    EXPECT_FALSE(Utf8ToAnsi(std::string("a\0b", 3), strName, TextKind::Name));
}

TEST(NameCodec, CodesThatAreNoPairReadAsWindowsReadsThem) {
    const std::string rows[] = {
        Bytes({0xF040}),         // one code alone
        Bytes({0xF05C}),         // a trail byte that pairs never use
        Bytes({0xF9FC}),         // beyond the pairs' lead bytes
        Bytes({0xF040, 0xF084}), // 'A', carried as itself
        Bytes({0xF040, 0xF040}), // NUL
        Bytes({0xF057, 0xF26E}), // 日, carried as its CP932 bytes
        Bytes({0xF072, 0xF377}), // a surrogate
        Bytes({0xF587, 0xF266}), // the raw value of a byte below 0x80, always valid UTF-8
        Bytes({0xF5FC, 0xF5FC}), // beyond every value a pair stands for
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::u16string strWide(rows[i].size(), u'\0');
        const int cch =
            MultiByteToWideChar(CP_ACP, 0, rows[i].data(), static_cast<int>(rows[i].size()),
                                strWide.data(), static_cast<int>(strWide.size()));
        std::string strWindows;
        for (int k = 0; k < cch; ++k) {
            strWindows += Utf8Of(strWide[static_cast<std::size_t>(k)]);
        }
        EXPECT_EQ(AnsiToUtf8(rows[i]), strWindows) << "row " << i;
    }
    // Values that pairs do stand for, next to the rows above.
    EXPECT_EQ(AnsiToUtf8(Bytes({0xF587, 0xF36A})), "\xff");
    EXPECT_EQ(AnsiToUtf8(Bytes({0xF587, 0xF2A7})), "\x80");
    EXPECT_EQ(AnsiToUtf8(Bytes({0xF040, 0xF09F})), "\\");

    const struct {
        std::string strAnsi;
        std::string strUtf8;
    } windows[] = {
        {"\x81", "・"},               // a lone lead byte
        {"\x81 a", "・ a"},           // a lead byte before a non-trail byte
        {"\x85\x40", "・"},           // an unassigned pair
        {"\x83\x5c\x95\x5c", "ソ表"}, // trail bytes 0x5C
        {"\xb1\x80\xa0", "ｱ\u0080\uf8f0"},
        {"\xfa\x40\xee\xef", "ⅰⅰ"}, // both codes of ⅰ
    };
    for (std::size_t i = 0; i < std::size(windows); ++i) {
        EXPECT_EQ(AnsiToUtf8(windows[i].strAnsi), windows[i].strUtf8) << "row " << i;
    }
}

TEST(NameCodec, CodePointsOfCp932AndOfTheProgramsUtf16) {
    std::string strAnsi;
    ASSERT_TRUE(DiskNameToAnsi("café\xff😀表", strAnsi));
    const std::u32string expected = {U'c', U'a', U'f', U'é', kRawByteBase + 0xFF, U'😀', U'表'};
    EXPECT_EQ(Hex(AnsiToCodePoints(strAnsi)), Hex(expected));

    // The same text read by MultiByteToWideChar: the pairs' codes are U+E000-area units.
    std::u16string strWide(strAnsi.size(), u'\0');
    const int cch = MultiByteToWideChar(CP_ACP, 0, strAnsi.data(), static_cast<int>(strAnsi.size()),
                                        strWide.data(), static_cast<int>(strWide.size()));
    ASSERT_GT(cch, 0);
    strWide.resize(static_cast<std::size_t>(cch));
    EXPECT_EQ(Hex(WideToCodePoints(strWide)), Hex(expected));

    const struct {
        std::u16string strWide;
        std::u32string expected;
    } rows[] = {
        {u"\xD83D\xDE00", U"😀"},
        {u"a\xD83D", U"a" + std::u32string(1, 0xD83D)},
        {std::u16string(u"\xDE00x"), U"\xDE00x"},
        {u"\xE000\xE043", U"\xE000\xE043"}, // 'A' as a pair is no pair
        {u"\xE000", U"\xE000"},
        {u"\xE01C\xE000", U"\xE01C\xE000"}, // 0xF05C is no pair code
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(Hex(WideToCodePoints(rows[i].strWide)), Hex(rows[i].expected)) << "row " << i;
    }

    // Every character and every byte of invalid UTF-8, in runs of 4,096, comes back whole both
    // ways, as the regular expression reads a name: a slip at a pair's trail bytes (0x7E, 0x80)
    // would turn about one in 186 into two private-use characters.
    const auto roundTrip = [&](const std::string& strRunUtf8, const std::u32string& run) {
        ASSERT_TRUE(DiskNameToAnsi(strRunUtf8, strAnsi));
        strWide.assign(strAnsi.size(), u'\0');
        strWide.resize(static_cast<std::size_t>(
            MultiByteToWideChar(CP_ACP, 0, strAnsi.data(), static_cast<int>(strAnsi.size()),
                                strWide.data(), static_cast<int>(strWide.size()))));
        EXPECT_TRUE(WideToCodePoints(strWide) == run) << Hex(run.substr(0, 1));
        EXPECT_TRUE(AnsiToCodePoints(strAnsi) == run) << Hex(run.substr(0, 1));
    };
    for (char32_t cFirst = 0x80; cFirst < 0x110000; cFirst += 0x1000) {
        std::string strRunUtf8;
        std::u32string run;
        for (char32_t c = cFirst; c < cFirst + 0x1000 && c < 0x110000; ++c) {
            if (c < 0xD800 || c > 0xDFFF) {
                strRunUtf8 += Utf8Of(c);
                run += c;
            }
        }
        roundTrip(strRunUtf8, run);
    }
    std::string strBytes;
    std::u32string expectedBytes;
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
        strBytes += {static_cast<char>(b), 'a'};
        expectedBytes += {kRawByteBase + b, U'a'};
    }
    roundTrip(strBytes, expectedBytes);
}

// ASCII goes over in runs; the characters around and between them convert as they do alone.
TEST(NameCodec, AsciiRunsConvertAsTheirCharactersDoAlone) {
    for (int b = 0; b < 0x100; ++b) {
        // Spaces are no trail byte, so no character reaches across them.
        const std::string strByte(1, static_cast<char>(b));
        const std::string strAround = "  a b  ";
        for (const TextKind kind : {TextKind::Name, TextKind::Text}) {
            std::string strAlone, strRun;
            const bool bAlone = Utf8ToAnsi(strByte, strAlone, kind);
            const bool bRun = Utf8ToAnsi(strAround + strByte + strAround + strByte, strRun, kind);
            EXPECT_EQ(bRun, bAlone) << "byte " << b;
            if (bAlone) {
                EXPECT_EQ(strRun, strAround + strAlone + strAround + strAlone) << "byte " << b;
            } else {
                EXPECT_TRUE(strRun.empty()) << "byte " << b;
            }
        }
        EXPECT_EQ(AnsiToUtf8(strAround + strByte + strAround + strByte),
                  strAround + AnsiToUtf8(strByte) + strAround + AnsiToUtf8(strByte))
            << "byte " << b;
    }
    // Two-byte characters, pairs and invalid sequences between runs; the longest growth (three
    // bytes of UTF-8 a byte) at either end.
    const std::string rows[] = {"\x95\x5c", "\xf0\x40\xf1\x70", "\x81", "\xb1\xb2\xb3", "\xa0\x80"};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const std::string strUtf8 = AnsiToUtf8(rows[i]);
        EXPECT_EQ(AnsiToUtf8("x " + rows[i] + " y" + rows[i]), "x " + strUtf8 + " y" + strUtf8)
            << "row " << i;
        std::string strBack;
        ASSERT_TRUE(Utf8ToAnsi("x " + strUtf8 + " y", strBack, TextKind::Name)) << "row " << i;
        std::string strAlone;
        ASSERT_TRUE(Utf8ToAnsi(strUtf8, strAlone, TextKind::Name));
        EXPECT_EQ(strBack, "x " + strAlone + " y") << "row " << i;
    }
    EXPECT_EQ(AnsiToUtf8("\xb1\xb2\xb3"), "ｱｲｳ");
    EXPECT_EQ(AnsiToUtf8(""), "");
}

// Names the layer takes for one entry: equal once composed (NFC) and each UTF-16 unit is
// upper-cased, nothing more ("ß" is not "SS", half-width kana are not full-width); a name and its
// hash agree.
TEST(NameCodec, NamesEqualIgnoringCaseAsTheLayerLooksThemUp) {
    const auto ansi = [](const char* pcUtf8) {
        std::string strAnsi;
        EXPECT_TRUE(Utf8ToAnsi(pcUtf8, strAnsi, TextKind::Name)) << pcUtf8;
        return strAnsi;
    };
    const struct {
        const char* pcA;
        const char* pcB;
        bool bEqual;
    } rows[] = {
        {"café.mp3", "CAFÉ.MP3", true},
        {"été", "ÉTÉ", true},
        {"表現", "表現", true},
        {"Ｆｕｌｌ", "ｆｕｌｌ", true},
        {"straße", "STRASSE", false},
        {"a", "b", false},
        {"ab", "abc", false},
        {"한글", "한글", true},
        {"ソ", "ｿ", false},
        // Decomposed (as a Mac writes names) and composed are one name, in any case.
        {"cafe\u0301.mp3", "CAFÉ.MP3", true},
        {"\u30AB\u3099\u30D2\u309A", "ガピ", true},
        {"\u212B", "\u00C5", true}, // a singleton: Å (Angstrom sign) composes to Å
        {"\u1100\u1161", "가", true},
        {"\uFF76\uFF9E", "ガ", false}, // half-width kana and their sound mark stay apart
        {"e\u0301", "e", false},
        {"\xC3\xA9\xFF", "e\u0301\xFF", false}, // bytes that are not UTF-8: not composed
    };
    for (const auto& row : rows) {
        const std::string strA = ansi(row.pcA);
        const std::string strB = ansi(row.pcB);
        EXPECT_EQ(tessaly::win32::NamesEqualIgnoringCase(strA, strB), row.bEqual)
            << row.pcA << " / " << row.pcB;
        if (row.bEqual) {
            EXPECT_EQ(tessaly::win32::NameCaseHash(strA), tessaly::win32::NameCaseHash(strB))
                << row.pcA << " / " << row.pcB;
        }
    }
}

// Lookups skip the normaliser for a name of characters that ComposesAsItself says need none:
// every such character must be its own composed form and compose with nothing before it (a
// letter, a kana that takes a voicing mark), and the marks that do compose must not be among them.
TEST(NameCodec, CharactersThatSkipTheNormaliserNeedNoComposition) {
    std::string strComposed;
    std::size_t nSkipping = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || !tessaly::win32::detail::ComposesAsItself(c)) {
            continue;
        }
        ++nSkipping;
        for (const char* pcBefore : {"", "A", "\u30AB", "\u304B", "\uFF76", "\u4E00"}) {
            const std::string strPair = pcBefore + Utf8Of(c);
            ASSERT_TRUE(tessaly::win32::detail::ComposeNfc(strPair, strComposed));
            EXPECT_EQ(strComposed, strPair) << "U+" << std::hex << static_cast<unsigned>(c);
        }
    }
    EXPECT_GT(nSkipping, 20000u); // the kanji are among them
    for (const char32_t c : {U'\u0300', U'\u3099', U'\u309A', U'\u302A', U'\uF900', U'\u212B'}) {
        EXPECT_FALSE(tessaly::win32::detail::ComposesAsItself(c))
            << "U+" << std::hex << static_cast<unsigned>(c);
    }
}

// Sets a variable from UTF-8 as the platform's own environment holds it (UTF-16 on Windows).
void SetVariable(const char* pcName, const std::string& strUtf8) {
#ifdef _WIN32
    const std::filesystem::path value(std::u8string(strUtf8.begin(), strUtf8.end()));
    const std::filesystem::path name(pcName);
    ASSERT_EQ(0, _wputenv_s(name.c_str(), value.c_str()));
#else
    ASSERT_EQ(0, setenv(pcName, strUtf8.c_str(), 1));
#endif
}

TEST(NameCodec, EnvironmentVariablesArriveAsTheProgramsTextWhole) {
    const struct {
        const char* pcValue;
        const char* pcAnsi; // null: carried in pairs, checked by the round trip alone
    } rows[] = {
        {"C:\\Users\\user\\AppData\\Local", "C:\\Users\\user\\AppData\\Local"},
        {"C:\\Users\\田中\\AppData\\Local", "C:\\Users\\\x93\x63\x92\x86\\AppData\\Local"},
        {"C:\\Users\\한국\\AppData\\Local", nullptr},
        {"/home/zoë/😀", nullptr},
    };
    const char* pcName = "TESSALY_TEST_VARIABLE";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pcValue);
        SetVariable(pcName, row.pcValue);
        const DWORD dwNeeded = GetEnvironmentVariableA(pcName, nullptr, 0);
        std::string strAnsi(dwNeeded, 'x');
        ASSERT_EQ(dwNeeded - 1, GetEnvironmentVariableA(pcName, strAnsi.data(), dwNeeded));
        strAnsi.pop_back();
        if (row.pcAnsi != nullptr) {
            EXPECT_EQ(row.pcAnsi, strAnsi);
        }
        EXPECT_EQ(row.pcValue, AnsiToUtf8(strAnsi));
        // One byte short: nothing is written and the size with the terminator comes back.
        std::string strShort(dwNeeded - 1, 'x');
        EXPECT_EQ(dwNeeded, GetEnvironmentVariableA(pcName, strShort.data(), dwNeeded - 1));
        EXPECT_EQ(std::string(dwNeeded - 1, 'x'), strShort);
    }
#ifdef _WIN32
    _putenv_s(pcName, "");
#else
    unsetenv(pcName);
#endif
    char cBuffer[8];
    EXPECT_EQ(0u, GetEnvironmentVariableA(pcName, cBuffer, sizeof cBuffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND), GetLastError());
}
