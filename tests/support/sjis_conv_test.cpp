#include "support/SJisConv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32CodePage.h"
#include "support/AnsiText.h"
#include "tests/common/ProgramFolders.h"

namespace {

// A trace entry as WriteTraceText stores it: CP932, "\n" as CR LF.
std::string StoredText(const char* pcUtf8) {
    const CString strAnsi = AnsiFromUtf8(pcUtf8);
    std::string strStored;
    for (const char* pc = strAnsi; *pc != '\0'; ++pc) {
        strStored += *pc == '\n' ? std::string("\r\n") : std::string(1, *pc);
    }
    return strStored;
}

std::string Hex8(const void* pv) {
    CString str;
    str.Format("%08X", static_cast<DWORD>(reinterpret_cast<UINT_PTR>(pv) & 0xFFFFFFFFu));
    return std::string(str);
}

struct WideDeleter {
    void operator()(WCHAR* pwc) const { delete[] pwc; }
};
using WideText = std::unique_ptr<WCHAR, WideDeleter>;
struct AnsiDeleter {
    void operator()(char* pc) const { delete[] pc; }
};
using AnsiText = std::unique_ptr<char, AnsiDeleter>;

class SJisConv : public ::testing::Test {
protected:
    tessaly::test::ProgramFolders m_folders;
};

TEST(SJisBytes, LeadAndTrailClassesStopWhereTheProgramsTestsDo) {
    struct Row {
        BYTE by;
        BOOL bLead;
        BOOL bTrail;
    };
    const Row rows[] = {{0x3F, FALSE, FALSE}, {0x40, FALSE, TRUE},  {0x5C, FALSE, TRUE},
                        {0x7E, FALSE, TRUE},  {0x7F, FALSE, FALSE}, {0x80, FALSE, TRUE},
                        {0x81, TRUE, TRUE},   {0x9F, TRUE, TRUE},   {0xA0, FALSE, TRUE},
                        {0xDF, FALSE, TRUE},  {0xE0, TRUE, TRUE},   {0xF5, TRUE, TRUE},
                        {0xF6, FALSE, TRUE},  {0xFC, FALSE, TRUE},  {0xFD, FALSE, FALSE}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].bLead, IsSJisLeadByte(rows[i].by)) << "row " << i;
        EXPECT_EQ(rows[i].bTrail, IsSJisTrailByte(rows[i].by)) << "row " << i;
    }
}

TEST(SJisBytes, ReverseFindNeverStopsAtATrailByte) {
    // 表 ソ 十 能 all end in the trail byte 0x5C, the byte of "\".
    struct Row {
        const char* pcUtf8;
        int iExpected;
    };
    const Row rows[] = {
        {"C:\\音楽\\表", 7}, {"C:\\ソ", 2},       {"表", -1},
        {"十能\\", 4},       {"C:\\dir\\能x", 6}, {"", -1},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].iExpected, ReverseFindByteSJis(AnsiFromUtf8(rows[i].pcUtf8), '\\'))
            << "row " << i;
    }
    EXPECT_EQ(-1, ReverseFindByteSJis(nullptr, '\\'));
    // The lead byte 0x83 right before the end has no trail byte and counts alone.
    EXPECT_EQ(1, ReverseFindByteSJis("a\\\x83", '\\'));
}

TEST(SJisBytes, DanglingLeadByteIsFoundByWalkingFromTheStart) {
    struct Row {
        const char* pcBytes;
        BOOL bDangling;
    };
    const Row rows[] = {
        {"\x83", TRUE},         // a lead byte alone
        {"\x83\x93", FALSE},    // ン
        {"a\x83\x83", FALSE},   // ャ: its trail byte 0x83 is also a lead value
        {"\x83\x83\x83", TRUE}, // ャ, then a lone lead byte
        {"\xF6", FALSE},        // beyond the program's lead range
        {"\x81\x20\x81", TRUE}, // lead, a byte that is no trail, then a lone lead
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].bDangling,
                  IsEndingInSJisLeadByte(rows[i].pcBytes,
                                         static_cast<DWORD>(std::strlen(rows[i].pcBytes))))
            << "row " << i;
    }
}

TEST_F(SJisConv, RoundTripThroughUtf16) {
    const CString strAnsi = AnsiFromUtf8("C:\\表示\\ソ十能ｶﾅ.mp3");
    DWORD dwWideLen = 99;
    WideText pwcWide(ConvSJisToWideChar(strAnsi, 0, &dwWideLen));
    ASSERT_NE(nullptr, pwcWide);
    EXPECT_EQ(std::u16string(u"C:\\表示\\ソ十能ｶﾅ.mp3"), std::u16string(pwcWide.get()));
    EXPECT_EQ(15u, dwWideLen);

    DWORD dwAnsiLen = 99;
    AnsiText pcBack(ConvWideCharToSJis(pwcWide.get(), 0, &dwAnsiLen));
    ASSERT_NE(nullptr, pcBack);
    EXPECT_STREQ(strAnsi, pcBack.get());
    EXPECT_EQ(static_cast<DWORD>(strAnsi.GetLength()), dwAnsiLen);

    // A count takes only the first characters.
    AnsiText pcHead(ConvWideCharToSJis(u"表示abc", 2, &dwAnsiLen));
    EXPECT_STREQ(AnsiFromUtf8("表示"), pcHead.get());
    EXPECT_EQ(4u, dwAnsiLen);
    EXPECT_EQ("", m_folders.TraceBytes());
}

TEST_F(SJisConv, TextEndingInALeadByteIsRefused) {
    DWORD dwLen = 99;
    EXPECT_EQ(nullptr, ConvSJisToWideChar("\x83", 0, &dwLen)); // a lone lead byte
    EXPECT_EQ(0u, dwLen);
    EXPECT_EQ(StoredText("※　末尾がSJIS1バイト目なのでワイド文字に変換できません。"
                         "ConvSJisToWideChar()\n"),
              m_folders.TraceBytes());

    WideText pwc(ConvSJisToWideChar("\x83\x93", 0, &dwLen)); // ン
    ASSERT_NE(nullptr, pwc);
    EXPECT_EQ(std::u16string(u"ン"), std::u16string(pwc.get()));
    EXPECT_EQ(1u, dwLen);
}

TEST_F(SJisConv, NullAndEmptyInputs) {
    DWORD dwLen = 99;
    EXPECT_EQ(nullptr, ConvSJisToWideChar("", 0, &dwLen));
    EXPECT_EQ(nullptr, ConvWideCharToSJis(u"", 0, &dwLen));
    EXPECT_EQ(0u, dwLen);
    EXPECT_EQ("", m_folders.TraceBytes()); // empty texts are silent

    EXPECT_EQ(nullptr, ConvSJisToWideChar(nullptr, 7, &dwLen));
    EXPECT_EQ(nullptr, ConvWideCharToSJis(nullptr, 0, &dwLen));
    EXPECT_EQ(0u, dwLen);
    EXPECT_EQ(StoredText("※　引数が無効です。ConvSJisToWideChar()\n"
                         "\tpcSrcStr[00000000], dwSrcLen[7]\n"
                         "※　引数が無効です。ConvWideCharToSJis()\n"
                         "\tpwcSrcStr[00000000], dwSrcLen[0]\n"),
              m_folders.TraceBytes());
}

TEST_F(SJisConv, CharactersCp932LacksBecomeTheDefaultCharacter) {
    AnsiText pc(ConvWideCharToSJis(u"a가b"));
    ASSERT_NE(nullptr, pc);
    EXPECT_STREQ("a?b", pc.get());
}

// The piecewise conversion must equal one whole conversion of the same bytes.
std::u16string WholeConversion(const std::string& strBytes) {
    std::u16string str(strBytes.size() + 1, u'\0');
    const int iLen = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, strBytes.data(),
                                         static_cast<int>(strBytes.size()), str.data(),
                                         static_cast<int>(str.size()));
    str.resize(static_cast<std::size_t>(iLen > 0 ? iLen : 0));
    return str;
}

std::u16string Pieces(const std::string& strBytes, DWORD dwTemp, DWORD* pdwLen = nullptr) {
    std::vector<WCHAR> vecOut(strBytes.size() + 2, u'#');
    DWORD dwLen = 0;
    EXPECT_TRUE(ConvSJisToWideCharGetLen(vecOut.data(), strBytes.c_str(),
                                         static_cast<DWORD>(vecOut.size()), 0xFFFFFFFF, dwTemp,
                                         &dwLen));
    if (pdwLen != nullptr) {
        *pdwLen = dwLen;
    }
    return std::u16string(vecOut.data());
}

TEST_F(SJisConv, PiecesEqualOneWholeConversion) {
    // 25 bytes each; with a temporary size of 11 the pieces are 10 bytes, or 9 where the tenth
    // byte of a piece begins a two-byte character.
    const std::string rows[] = {
        std::string(AnsiFromUtf8("abcdefghijklmnopqrstuvwxy")),
        std::string(AnsiFromUtf8("abcdefghi表klmnopqソ十能w")),
        std::string(AnsiFromUtf8("ｱ表示ソ十能ｲｳｴｵ音楽ファン")),
        std::string(AnsiFromUtf8("a表b示cソd十e能fｶgﾅ\\/.mp3")),
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        ASSERT_EQ(25u, rows[i].size()) << "row " << i;
        const std::u16string strWhole = WholeConversion(rows[i]);
        for (DWORD dwTemp : {11u, 12u, 0u, 10u}) {
            DWORD dwLen = 0;
            EXPECT_EQ(strWhole, Pieces(rows[i], dwTemp, &dwLen))
                << "row " << i << " temp " << dwTemp;
            EXPECT_EQ(strWhole.size(), dwLen) << "row " << i << " temp " << dwTemp;
        }
    }
    EXPECT_EQ("", m_folders.TraceBytes());
}

TEST_F(SJisConv, PiecesOfRandomTextEqualOneWholeConversion) {
    const char* apcChars[] = {"a", "\\", "ｶ", "表", "ソ", "十", "能", "ン", "ャ", "Ω", "・"};
    std::vector<std::string> vecChars;
    for (const char* pc : apcChars) {
        vecChars.emplace_back(AnsiFromUtf8(pc));
    }
    std::mt19937 random(1234);
    for (int iRound = 0; iRound < 200; ++iRound) {
        std::string strText;
        const int iCount = static_cast<int>(random() % 60);
        for (int i = 0; i < iCount; ++i) {
            strText += vecChars[random() % vecChars.size()];
        }
        const DWORD dwTemp = 11 + static_cast<DWORD>(random() % 20);
        ASSERT_EQ(WholeConversion(strText), Pieces(strText, dwTemp))
            << "round " << iRound << " temp " << dwTemp;
    }
}

TEST_F(SJisConv, PiecesDropADanglingLeadByteAtTheLimit) {
    // The limit of 3 bytes cuts 表 (0x95 0x5C) after its lead byte.
    const CString strText = AnsiFromUtf8("ab表");
    WCHAR awc[16];
    DWORD dwLen = 99;
    ASSERT_TRUE(ConvSJisToWideCharGetLen(awc, strText, 16, 3, 0, &dwLen));
    EXPECT_EQ(std::u16string(u"ab"), std::u16string(awc));
    EXPECT_EQ(2u, dwLen);
    ASSERT_TRUE(ConvSJisToWideCharGetLen(awc, strText, 16, 0, 0, &dwLen));
    EXPECT_EQ(std::u16string(u""), std::u16string(awc));
    EXPECT_EQ(0u, dwLen);
}

TEST_F(SJisConv, ShortResultBufferFailsWithoutOverrunningIt) {
    const std::string strText(25, 'x');
    // Room for exactly one full piece: the next one finds no space left.
    std::vector<WCHAR> vecOut(11, u'#');
    DWORD dwLen = 99;
    EXPECT_FALSE(
        ConvSJisToWideCharGetLen(vecOut.data(), strText.c_str(), 11, 0xFFFFFFFF, 11, &dwLen));
    EXPECT_EQ(0u, dwLen);
    EXPECT_EQ(u'\0', vecOut[0]);
    // Too small for the final piece.
    EXPECT_FALSE(
        ConvSJisToWideCharGetLen(vecOut.data(), strText.c_str(), 11, 0xFFFFFFFF, 0, &dwLen));
    EXPECT_EQ("", m_folders.TraceBytes()); // conversion failures are silent
}

TEST_F(SJisConv, InvalidArgumentsAreLoggedAndLeaveTheBufferAlone) {
    WCHAR awc[4] = {u'#', u'#', u'#', u'\0'};
    const char* pcSrc = "abc";
    DWORD dwLen = 99;
    EXPECT_FALSE(ConvSJisToWideCharGetLen(awc, pcSrc, 1, 0xFFFFFFFF, 0, &dwLen));
    EXPECT_EQ(0u, dwLen);
    EXPECT_EQ(u'#', awc[0]);
    EXPECT_FALSE(ConvSJisToWideCharGetLen(nullptr, pcSrc, 4, 0xFFFFFFFF, 0x40000000, nullptr));

    const std::string strExpected =
        StoredText(("※　引数が無効です。ConvSJisToWideCharGetLen()\n\tpwcResultBuff[" + Hex8(awc) +
                    "], pcSrcStr[" + Hex8(pcSrc) +
                    "], dwResultBuffSize[1], dwTempBuffSize[10000]\n")
                       .c_str()) +
        StoredText(("※　引数が無効です。ConvSJisToWideCharGetLen()\n\tpwcResultBuff[00000000], "
                    "pcSrcStr[" +
                    Hex8(pcSrc) + "], dwResultBuffSize[4], dwTempBuffSize[1073741824]\n")
                       .c_str());
    EXPECT_EQ(strExpected, m_folders.TraceBytes());
}

TEST_F(SJisConv, SilentConversionsAndCounts) {
    const CString strText = AnsiFromUtf8("表示ab");
    WideText pwcSimple(ConvSJisToWideCharSimple(strText));
    ASSERT_NE(nullptr, pwcSimple);
    EXPECT_EQ(std::u16string(u"表示ab"), std::u16string(pwcSimple.get()));
    EXPECT_EQ(nullptr, ConvSJisToWideCharSimple(""));
    EXPECT_EQ(nullptr, ConvSJisToWideCharSimple(nullptr));

    WCHAR awc[8] = {u'#', u'\0'};
    EXPECT_TRUE(ConvSJisToWideCharInto(awc, strText));
    EXPECT_EQ(std::u16string(u"表示ab"), std::u16string(awc));
    EXPECT_FALSE(ConvSJisToWideCharInto(awc, ""));
    EXPECT_EQ(u'\0', awc[0]);
    EXPECT_FALSE(ConvSJisToWideCharInto(nullptr, strText));

    EXPECT_EQ(4u, GetWideCharLen(strText, 6));
    EXPECT_EQ(1u, GetWideCharLen(strText, 2));
    EXPECT_EQ(0u, GetWideCharLen(nullptr, 2));
    struct Row {
        DWORD dwOffset;
        DWORD dwCount;
        DWORD dwExpected;
    };
    const Row rows[] = {{0, 0, 4}, {2, 0, 3}, {4, 1, 1}, {4, 100, 2}, {6, 0, 0}, {60, 0, 0}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].dwExpected, GetWideCharLenAt(strText, rows[i].dwOffset, rows[i].dwCount))
            << "row " << i;
    }
    EXPECT_EQ("", m_folders.TraceBytes());
}

} // namespace

TEST_F(SJisConv, EveryCp932CharacterIsOneCharacterOfTheProgramBothWays) {
    // Every character of CP932 as a name on disk reaches the program through the codec, is read
    // into UTF-16 and written back: the bytes stay the same and the program's byte tests read
    // them as whole characters, with a backslash before and after.
    std::size_t cChecked = 0;
    for (unsigned uCode = 0x80; uCode <= 0xFCFC; ++uCode) {
        if (uCode >= 0x100 && uCode < 0x8100) {
            continue;
        }
        const char acCode[2] = {static_cast<char>(uCode >> 8), static_cast<char>(uCode & 0xFF)};
        const bool bSingle = uCode < 0x100;
        WCHAR awc[2] = {};
        if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bSingle ? acCode + 1 : acCode,
                                bSingle ? 1 : 2, awc, 1) != 1) {
            continue;
        }
        ++cChecked;
        SCOPED_TRACE(::testing::Message() << std::hex << "code 0x" << uCode);
        // The character's UTF-8 form as a name on disk.
        std::string strUtf8(8, '\0');
        strUtf8.resize(static_cast<std::size_t>(
            WideCharToMultiByte(CP_UTF8, 0, awc, 1, strUtf8.data(), 8, nullptr, nullptr)));
        std::string strAnsi;
        ASSERT_TRUE(tessaly::win32::DiskNameToAnsi(strUtf8, strAnsi));
        const DWORD dwLen = static_cast<DWORD>(strAnsi.size());
        EXPECT_FALSE(IsEndingInSJisLeadByte(strAnsi.c_str(), dwLen));
        const std::string strPath = "X:\\" + strAnsi + "\\" + strAnsi;
        EXPECT_EQ(ReverseFindByteSJis(strPath.c_str(), '\\'), static_cast<int>(3 + dwLen));

        DWORD dwWide = 0;
        const WideText pwcWide(ConvSJisToWideChar(strAnsi.c_str(), dwLen, &dwWide));
        ASSERT_NE(pwcWide, nullptr);
        DWORD dwBack = 0;
        const AnsiText pcBack(ConvWideCharToSJis(pwcWide.get(), dwWide, &dwBack));
        ASSERT_NE(pcBack, nullptr);
        EXPECT_EQ(std::string(pcBack.get(), dwBack), strAnsi);
    }
    EXPECT_GT(cChecked, 9000u);
}

TEST(SJisBytes, IbmExtensionsBecomeTheirNecSelectedTwins) {
    const struct {
        std::string strIn;
        std::string strOut;
    } rows[] = {
        {"\xfa\x5c", "\xed\x40"},                 // 纊, trail byte 0x5C
        {"k\xfa\x81", "k\xed\x64"},               // 冝, trail byte 0x81 (a lead value)
        {"\xfa\x40\xfa\x4a", "\xee\xef\xfa\x4a"}, // ⅰ has a twin; Ⅰ as CP932 never writes it
        {"\x95\x5c\xfa\x5c", "\x95\x5c\xed\x40"}, // 表 first: its trail byte is no lead
        {"\xfa", "\xfa"},                         // a lone byte is left alone
        {"\xfc\x4b", "\xee\xec"},                 // 黑, the last IBM extension
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::string str = rows[i].strIn;
        UseNecSelectedTwins(str.data(), static_cast<DWORD>(str.size()));
        EXPECT_EQ(str, rows[i].strOut) << "row " << i;
    }
}
