#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Win32.h"
#include "tests/common/Platform.h"

namespace {

std::u16string ToWide(const std::string& strAnsi, UINT uCodePage = CP_ACP, DWORD dwFlags = 0) {
    const int cch = MultiByteToWideChar(uCodePage, dwFlags, strAnsi.data(),
                                        static_cast<int>(strAnsi.size()), nullptr, 0);
    std::u16string str(static_cast<std::size_t>(cch > 0 ? cch : 0), u'\0');
    if (cch > 0) {
        EXPECT_EQ(MultiByteToWideChar(uCodePage, dwFlags, strAnsi.data(),
                                      static_cast<int>(strAnsi.size()), str.data(), cch),
                  cch);
    }
    return str;
}

std::string ToAnsi(const std::u16string& strWide, UINT uCodePage = CP_ACP,
                   BOOL* pbUsedDefault = nullptr, LPCCH pcDefault = nullptr) {
    const int cb =
        WideCharToMultiByte(uCodePage, 0, strWide.data(), static_cast<int>(strWide.size()), nullptr,
                            0, pcDefault, pbUsedDefault);
    std::string str(static_cast<std::size_t>(cb > 0 ? cb : 0), '\0');
    if (cb > 0) {
        EXPECT_EQ(WideCharToMultiByte(uCodePage, 0, strWide.data(),
                                      static_cast<int>(strWide.size()), str.data(), cb, pcDefault,
                                      pbUsedDefault),
                  cb);
    }
    return str;
}

// The code as CP932 bytes.
std::string Bytes(unsigned uCode) {
    if (uCode < 0x100) {
        return std::string(1, static_cast<char>(uCode));
    }
    return {static_cast<char>(uCode >> 8), static_cast<char>(uCode & 0xFF)};
}

} // namespace

TEST(CodePage932, SpotValuesBothWays) {
    const struct {
        unsigned uCode;
        char16_t wc;
    } rows[] = {
        {0x955C, u'表'},     {0x835C, u'ソ'},     {0x5C, u'\\'},     {0x7E, u'~'},
        {0x8160, u'～'},     {0x815F, u'＼'},     {0x817C, u'－'},   {0x8161, u'∥'},
        {0x815C, u'―'},      {0x8191, u'￠'},     {0x8740, u'①'},    {0xFA40, u'ⅰ'},
        {0xF040, u'\uE000'}, {0xF9FC, u'\uE757'}, {0xB1, u'ｱ'},      {0xA1, u'｡'},
        {0xDF, u'ﾟ'},        {0x80, u'\u0080'},   {0xA0, u'\uF8F0'}, {0xFD, u'\uF8F1'},
        {0xFE, u'\uF8F2'},   {0xFF, u'\uF8F3'},   {0x889F, u'亜'},   {0xEAA4, u'熙'},
        {0x00, u'\0'},       {0x7F, u'\x7F'},     {0x8145, u'・'},   {0xFC4B, u'黑'},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(ToWide(Bytes(rows[i].uCode)), std::u16string(1, rows[i].wc)) << "row " << i;
        EXPECT_EQ(ToAnsi(std::u16string(1, rows[i].wc)), Bytes(rows[i].uCode)) << "row " << i;
    }
}

TEST(CodePage932, DuplicatesEncodeAsWindowsDoes) {
    const struct {
        unsigned uOther; // another code that decodes to the same character
        unsigned uWindows;
    } rows[] = {
        {0x8790, 0x81E0},                   // ≒: JIS X 0208 before NEC row 13
        {0x8791, 0x81DF},                   // ≡
        {0x879A, 0x81E6},                   // ∵: JIS X 0208 before NEC row 13 and IBM
        {0xFA5B, 0x81E6}, {0xEEF9, 0x81CA}, // ￢
        {0xFA54, 0x81CA}, {0xEEEF, 0xFA40}, // ⅰ: IBM before NEC-selected IBM
        {0xFA4A, 0x8754},                   // Ⅰ: NEC row 13 before IBM
        {0xFA59, 0x8782},                   // №
        {0xEEFA, 0xFA55},                   // ￤
        {0xED40, 0xFA5C},                   // 纊
        {0xEEEC, 0xFC4B},                   // 黑
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const std::u16string strWide = ToWide(Bytes(rows[i].uOther));
        ASSERT_EQ(strWide, ToWide(Bytes(rows[i].uWindows))) << "row " << i;
        EXPECT_EQ(ToAnsi(strWide), Bytes(rows[i].uWindows)) << "row " << i;
    }
}

TEST(CodePage932, WholeTableIsConsistent) {
    // Every code's character encodes to a code that reads back as that character, and every
    // encodable character reads back unchanged.
    int iDoubleCodes = 0;
    for (unsigned uLead = 0x81; uLead <= 0xFC; ++uLead) {
        if (!IsDBCSLeadByte(static_cast<BYTE>(uLead))) {
            continue;
        }
        for (unsigned uTrail = 0x40; uTrail <= 0xFC; ++uTrail) {
            const std::u16string strWide = ToWide(Bytes(uLead << 8 | uTrail));
            if (uTrail == 0x7F) {
                if (!tessaly::test::UnderWine()) { // Wine takes 0x7F with its lead byte
                    EXPECT_EQ(strWide, u"\u30FB\x7F") << std::hex << uLead;
                }
                continue;
            }
            ASSERT_EQ(strWide.size(), 1u);
            if (strWide[0] == u'\u30FB' && (uLead << 8 | uTrail) != 0x8145) {
                continue; // unassigned
            }
            ++iDoubleCodes;
            EXPECT_EQ(ToWide(ToAnsi(strWide)), strWide) << std::hex << (uLead << 8 | uTrail);
        }
    }
    // 7,724 characters of Windows' table and 1,880 of the user-defined area.
    EXPECT_EQ(iDoubleCodes, 7724 + 1880);
    for (char32_t c = 0; c < 0x10000; ++c) {
        const std::u16string strWide(1, static_cast<char16_t>(c));
        BOOL bUsedDefault = TRUE;
        const std::string strAnsi = ToAnsi(strWide, CP_ACP, &bUsedDefault);
        if (!bUsedDefault) {
            ASSERT_EQ(ToWide(strAnsi), strWide) << std::hex << static_cast<unsigned>(c);
        }
    }
    const unsigned unassigned[] = {0x8540, 0x86FC, 0xEB40, 0xEF40, 0xEAA5, 0xFC4C, 0x81AD};
    for (unsigned uCode : unassigned) {
        EXPECT_EQ(ToWide(Bytes(uCode)), u"\u30FB") << std::hex << uCode;
    }
}

TEST(CodePage932, InvalidBytesBecomeMiddleDot) {
    // Windows' documentation leaves open what a lead byte before a byte that is no trail byte
    // gives; Wine reads the two as one unassigned pair.
    TESSALY_NOT_UNDER_WINE("a lead byte takes any following byte with it");
    const struct {
        std::string strAnsi; // CP932 bytes, some invalid
        std::u16string strWide;
    } rows[] = {
        {"\x81", u"\u30FB"},           // a lone lead byte at the end
        {"a\x81 b", u"a\u30FB b"},     // lead byte, then a byte that is no trail byte
        {"\x81\x7F", u"\u30FB\x7F"},   // 0x7F is no trail byte either
        {"\xFC\xFD", u"\u30FB\uF8F1"}, // nor 0xFD, read on its own
        {"\x85\x40z", u"\u30FBz"},     // an unassigned pair takes both bytes
        {std::string("\x81\0", 2), std::u16string(u"\u30FB\0", 2)},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(ToWide(rows[i].strAnsi, CP_ACP, MB_PRECOMPOSED), rows[i].strWide) << "row " << i;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "row " << i;

        WCHAR awBuf[8] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
        EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, rows[i].strAnsi.data(),
                                      static_cast<int>(rows[i].strAnsi.size()), awBuf, 8),
                  0)
            << "row " << i;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION)) << "row " << i;
        EXPECT_EQ(awBuf[0], u'x') << "row " << i << ": the buffer stays untouched";
    }
    // Every lead byte is also a trail byte: after a lead byte it is read as one.
    EXPECT_EQ(ToWide("\x81\x81\x40", CP_ACP, MB_ERR_INVALID_CHARS), u"＝@");
}

TEST(CodePage932, LengthsSizeQueriesAndShortBuffers) {
    const std::string strNihon = "\x93\xfa\x96\x7b"; // 日本 in CP932
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, strNihon.c_str(), -1, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, strNihon.c_str(), -5, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, strNihon.c_str(), 4, nullptr, 0), 2);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\0b", 3, nullptr, 0), 3);
    WCHAR awBuf[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, strNihon.c_str(), -1, awBuf, 4), 3);
    EXPECT_EQ(std::u16string(awBuf), u"日本");

    awBuf[0] = awBuf[1] = u'x';
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, strNihon.c_str(), -1, awBuf, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(awBuf[0], u'日') << "filled as far as it goes";

    const std::u16string strWide = u"a日本";
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, strWide.c_str(), -1, nullptr, 0, nullptr, nullptr), 6);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, strWide.c_str(), 2, nullptr, 0, nullptr, nullptr), 3);
    char acBuf[8];
    std::memset(acBuf, 'x', sizeof acBuf);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, strWide.c_str(), -1, acBuf, 6, nullptr, nullptr), 6);
    EXPECT_STREQ(acBuf, "a\x93\xfa\x96\x7b");
    std::memset(acBuf, 'x', sizeof acBuf);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, strWide.c_str(), -1, acBuf, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(acBuf[0], 'a');
    EXPECT_EQ(acBuf[1], 'x') << "a double-byte character is never split";
}

TEST(CodePage932, UnmappableBecomesDefaultChar) {
    const struct {
        std::u16string strWide;
        const char* pcDefault;
        std::string strAnsi;
        BOOL bUsedDefault;
    } rows[] = {
        {u"café", nullptr, "caf?", TRUE},
        {u"한", nullptr, "?", TRUE},
        {u"〜", nullptr, "?", TRUE}, // U+301C WAVE DASH: CP932 has U+FF5E instead
        {u"¥", nullptr, "?", TRUE},  // never a backslash
        {u"a\xD800z", nullptr, "a?z", TRUE},
        {u"\xDC00", nullptr, "?", TRUE},
        {u"🎵", nullptr, "??", TRUE},
        {u"é", "*", "*", TRUE},
        {u"é", "\x81\x45", "\x81\x45", TRUE}, // ・ in CP932 as the default
        {u"ｱ表", nullptr, "\xb1\x95\x5c", FALSE},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        BOOL bUsedDefault = 2;
        EXPECT_EQ(ToAnsi(rows[i].strWide, CP_ACP, &bUsedDefault, rows[i].pcDefault),
                  rows[i].strAnsi)
            << "row " << i;
        EXPECT_EQ(bUsedDefault, rows[i].bUsedDefault) << "row " << i;
    }
}

TEST(CodePage932, InvalidParametersAndFlags) {
    WCHAR awBuf[4];
    char acBuf[4];
    // kStandIn: only the stand-in refuses (it provides code pages 932 and UTF-8 alone, and no
    // composition); kNotWine: Windows' documentation says the call fails, Wine lets it pass.
    enum { kAll, kStandIn, kNotWine };
    const struct {
        std::function<int()> call;
        DWORD dwError;
        int iWhere = kAll;
    } rows[] = {
        {[&] { return MultiByteToWideChar(CP_ACP, 0, nullptr, 1, awBuf, 4); },
         ERROR_INVALID_PARAMETER},
        {[&] { return MultiByteToWideChar(CP_ACP, 0, "a", 0, awBuf, 4); }, ERROR_INVALID_PARAMETER},
        {[&] { return MultiByteToWideChar(CP_ACP, 0, "a", 1, awBuf, -1); },
         ERROR_INVALID_PARAMETER},
        {[&] { return MultiByteToWideChar(CP_ACP, 0, "a", 1, nullptr, 4); },
         ERROR_INVALID_PARAMETER},
        {[&] { return MultiByteToWideChar(1252, 0, "a", 1, awBuf, 4); }, ERROR_INVALID_PARAMETER,
         kStandIn},
        {[&] {
             return MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCCH>(awBuf), 1, awBuf, 4);
         },
         ERROR_INVALID_PARAMETER, kNotWine},
        {[&] { return MultiByteToWideChar(CP_ACP, MB_COMPOSITE, "a", 1, awBuf, 4); },
         ERROR_INVALID_FLAGS, kStandIn},
        {[&] { return MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, awBuf, 4); },
         ERROR_INVALID_FLAGS, kNotWine},
        {[&] { return WideCharToMultiByte(CP_ACP, 0, nullptr, 1, acBuf, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {[&] { return WideCharToMultiByte(CP_ACP, 0, u"a", 0, acBuf, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {[&] { return WideCharToMultiByte(CP_ACP, 0, u"a", 1, acBuf, -1, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {[&] { return WideCharToMultiByte(CP_ACP, 0, u"a", 1, nullptr, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {[&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, acBuf, 4, "?", nullptr); },
         ERROR_INVALID_PARAMETER, kNotWine},
        {[&] {
             return WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK, u"a", 1, acBuf, 4, nullptr,
                                        nullptr);
         },
         ERROR_INVALID_FLAGS, kStandIn},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        if ((rows[i].iWhere == kStandIn && tessaly::test::kOnWindows) ||
            (rows[i].iWhere == kNotWine && tessaly::test::UnderWine())) {
            continue;
        }
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(rows[i].call(), 0) << "row " << i;
        EXPECT_EQ(GetLastError(), rows[i].dwError) << "row " << i;
    }
    const UINT codePages[] = {CP_OEMCP, CP_THREAD_ACP, 932};
    for (UINT uCodePage : codePages) {
        awBuf[0] = 0;
        EXPECT_EQ(MultiByteToWideChar(uCodePage, 0, "\x95\x5c", 2, awBuf, 4), 1) << uCodePage;
        EXPECT_EQ(awBuf[0], u'表') << uCodePage;
    }
}

TEST(CodePageUtf8, InvalidSequencesAndSurrogates) {
    // One U+FFFD per maximal ill-formed part, as Unicode recommends and Windows does since
    // Vista; Wine groups the bytes its own way.
    TESSALY_NOT_UNDER_WINE("ill-formed UTF-8 is replaced in other groups");
    const struct {
        std::string strUtf8; // some of it invalid UTF-8
        std::u16string strWide;
    } rows[] = {
        {"\xC0", u"\uFFFD"},
        {"\xC0\xC0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"\xE0\xC0", u"\uFFFD\uFFFD"},
        {"\xE0\x20\xC0", u"\uFFFD \uFFFD"},
        {"\xE6\x97", u"\uFFFD"},                 // the first two bytes of 日
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"日本", u"日本"},
        {"🎵", u"🎵"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(ToWide(rows[i].strUtf8, CP_UTF8), rows[i].strWide) << "row " << i;
        const bool bValid = rows[i].strWide.find(u'\uFFFD') == std::u16string::npos;
        WCHAR awBuf[8];
        const int iStrict =
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, rows[i].strUtf8.data(),
                                static_cast<int>(rows[i].strUtf8.size()), awBuf, 8);
        EXPECT_EQ(iStrict != 0, bValid) << "row " << i;
        if (bValid) {
            EXPECT_EQ(ToAnsi(rows[i].strWide, CP_UTF8), rows[i].strUtf8) << "row " << i;
        } else {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
        }
    }
    EXPECT_EQ(ToAnsi(u"a\xD800", CP_UTF8), "a\xEF\xBF\xBD");
    char acBuf[8];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"a\xDC00", 2, acBuf, 8, nullptr,
                                  nullptr),
              0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(CodePage932, LeadBytesAndAcp) {
    const struct {
        BYTE b;
        BOOL bLead;
    } rows[] = {{0x40, FALSE}, {0x80, FALSE}, {0x81, TRUE}, {0x9F, TRUE}, {0xA0, FALSE},
                {0xDF, FALSE}, {0xE0, TRUE},  {0xF5, TRUE}, {0xFC, TRUE}, {0xFD, FALSE}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(IsDBCSLeadByte(rows[i].b), rows[i].bLead) << "row " << i;
        EXPECT_EQ(IsDBCSLeadByteEx(CP_ACP, rows[i].b), rows[i].bLead) << "row " << i;
        EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, rows[i].b)) << "row " << i;
    }
    EXPECT_EQ(GetACP(), 932u);
}

TEST(CodePage932, FirstUseFromManyThreadsBuildsOneTable) {
    std::vector<std::u16string> vResults(4);
    std::vector<std::thread> vThreads;
    for (std::size_t t = 0; t < vResults.size(); ++t) {
        vThreads.emplace_back([&, t] { vResults[t] = ToWide("\x95\x5c\x83\x5c\xfa\x40"); });
    }
    for (std::thread& thread : vThreads) {
        thread.join();
    }
    for (const std::u16string& str : vResults) {
        EXPECT_EQ(str, u"表ソⅰ");
    }
}

TEST(MbsCmp, ComparesDoubleByteCharactersAsOneValue) {
    const struct {
        const char* pc1; // CP932 bytes
        const char* pc2;
        int iSign;
    } rows[] = {
        {"a", "b", -1},
        {"A", "a", -1},               // case counts
        {"\x82\xa0", "\x82\xa2", -1}, // あ < い
        {"\x81\x40", "\xa1", 1},      // 0x8140 is above the single byte 0xA1
        {"\x95\x5c", "\x95\x5d", -1},
        {"\x81\x40z", "\x81\x40z", 0},
        {"abc\x81", "abc", 1}, // a dangling lead byte counts as a byte
        {"abc\x81", "abc\x81\x40", -1},
        {"\xe0\x40", "\x9f\xfc", 1},
        {"", "a", -1},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const int iCmp = _mbscmp(reinterpret_cast<const unsigned char*>(rows[i].pc1),
                                 reinterpret_cast<const unsigned char*>(rows[i].pc2));
        EXPECT_EQ(iCmp, rows[i].iSign) << "row " << i;
        const int iBack = _mbscmp(reinterpret_cast<const unsigned char*>(rows[i].pc2),
                                  reinterpret_cast<const unsigned char*>(rows[i].pc1));
        EXPECT_EQ(iBack, -rows[i].iSign) << "row " << i;
    }
    EXPECT_EQ(_mbscmp(nullptr, reinterpret_cast<const unsigned char*>("a")), _NLSCMPERROR);
}

TEST(LstrFunctions, CompareBytesAndAcceptNull) {
    EXPECT_EQ(lstrcmpA("abc", "abc"), 0);
    EXPECT_EQ(lstrcmpA("abc", "abd"), -1);
    EXPECT_EQ(lstrcmpA("\xff", "a"), 1) << "bytes compare unsigned";
    EXPECT_EQ(lstrcmpA(nullptr, "a"), -1);
    EXPECT_EQ(lstrcmpA("a", nullptr), 1);
    EXPECT_EQ(lstrcmpA(nullptr, nullptr), 0);
    EXPECT_EQ(lstrcmpA("", nullptr), 1);
    EXPECT_EQ(lstrlenA(nullptr), 0);
    EXPECT_EQ(lstrlenA("\x93\xfa\x96\x7b"), 4); // 日本 in CP932
}
