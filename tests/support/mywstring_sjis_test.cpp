#include <gtest/gtest.h>

#include <string>

#include "support/AnsiText.h"
#include "support/MyWString.h"
#include "tests/common/ProgramFolders.h"

namespace {

std::string Ansi(const char* pcUtf8) {
    return AnsiFromUtf8(pcUtf8).Str();
}

// What WriteTraceText leaves on disk for a UTF-8 message: CP932 with CR LF line ends.
std::string TraceEntry(const char* pcUtf8) {
    std::string strEntry;
    for (char c : Ansi(pcUtf8)) {
        if (c == '\n') {
            strEntry += '\r';
        }
        strEntry += c;
    }
    return strEntry;
}

class CMyWStringSJis : public ::testing::Test {
protected:
    tessaly::test::ProgramFolders m_folders;
};

} // namespace

TEST_F(CMyWStringSJis, ConstructorConvertsAndGetStringRoundTrips) {
    const std::string strPath = Ansi("C:\\曲\\表示.mp3"); // 表 and 示 end in trail byte 0x5C/0xA6
    CMyWString str(strPath.c_str());
    EXPECT_EQ(std::u16string(str.GetBuff()), u"C:\\曲\\表示.mp3");
    EXPECT_EQ(str.GetBuffSize(), 2000u);
    EXPECT_EQ(str.GetString().Str(), strPath);
    // The trail byte 0x5C of 表 is no separator.
    EXPECT_EQ(str.ReverseFind(0, "\\"), 4);
    EXPECT_EQ(m_folders.TraceBytes(), "");

    const std::string strLong(3000, 'a');
    CMyWString strBig(strLong.c_str());
    EXPECT_EQ(strBig.GetLength(), 3000u);
    EXPECT_EQ(strBig.GetBuffSize(), 3001u);
}

TEST_F(CMyWStringSJis, NullPointerGivesEmptyStringAndTwoLogLines) {
    CMyWString str(static_cast<const char*>(nullptr));
    EXPECT_EQ(str.GetLength(), 0u);
    ASSERT_NE(str.GetBuff(), nullptr);
    EXPECT_EQ(str.GetBuff()[0], 0);
    const std::string strLog = m_folders.TraceBytes();
    const std::string strOwn =
        TraceEntry("※　ワイド文字への変換に失敗。CMyWString::CMyWString(const char *pcStr)\n"
                   "\tNeedBuffSize[2000], InputStrLen[0]\n");
    const std::string strFirst = Ansi("※　引数が無効です。ConvSJisToWideCharGetLen()");
    ASSERT_GE(strLog.size(), strOwn.size());
    EXPECT_EQ(strLog.compare(0, strFirst.size(), strFirst), 0) << strLog;
    EXPECT_EQ(strLog.substr(strLog.size() - strOwn.size()), strOwn);
}

TEST_F(CMyWStringSJis, AssignmentAndSetDataFromShiftJis) {
    CMyWString str(u"old");
    str = static_cast<const char*>(nullptr); // changes nothing
    EXPECT_EQ(std::u16string(str.GetBuff()), u"old");
    str = Ansi("新しい名前").c_str();
    EXPECT_EQ(std::u16string(str.GetBuff()), u"新しい名前");

    const std::string strName = Ansi("曲名.wav");
    EXPECT_FALSE(str.SetData(strName.c_str(), -1));
    EXPECT_FALSE(str.SetData(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(str.SetData(strName.c_str(), 2)); // one double-byte character
    EXPECT_EQ(std::u16string(str.GetBuff()), u"曲");
    EXPECT_TRUE(str.SetData(strName.c_str(), 999)); // never read past the terminator
    EXPECT_EQ(std::u16string(str.GetBuff()), u"曲名.wav");
    EXPECT_TRUE(str.SetData(""));
    EXPECT_EQ(str.GetLength(), 0u);

    ASSERT_TRUE(str.SetBuffSize(4));
    EXPECT_TRUE(str.SetData("abcdefgh"));
    EXPECT_EQ(str.GetBuffSize(), 8u + 1001u);
    EXPECT_EQ(std::u16string(str.GetBuff()), u"abcdefgh");
}

TEST_F(CMyWStringSJis, SectorsOut) {
    const CMyWString str(u"曲名.mp3");
    struct Row {
        DWORD dwStart, dwCount;
        const char* pcExpected;
    };
    const Row rows[] = {
        {0, 2, "曲名"}, {3, 0, "mp3"}, {1, 99, "名.mp3"}, {6, 1, ""}, {9, 0, ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(str.GetSectorData(rows[i].dwStart, rows[i].dwCount).Str(),
                  Ansi(rows[i].pcExpected))
            << "row " << i;
        CString strCopy("stale");
        EXPECT_EQ(str.CopySectorData(&strCopy, rows[i].dwStart, rows[i].dwCount),
                  rows[i].dwStart < str.GetLength() ? TRUE : FALSE)
            << "row " << i;
        EXPECT_EQ(strCopy.Str(), Ansi(rows[i].pcExpected)) << "row " << i;
    }
    EXPECT_FALSE(str.CopySectorData(nullptr, 0));
    // A character CP932 lacks becomes its default character.
    EXPECT_EQ(CMyWString(u"aé").GetString().Str(), "a?");

    char* pcPast = str.GetSectorDataA(6, 1);
    ASSERT_NE(pcPast, nullptr);
    EXPECT_STREQ(pcPast, "");
    delete[] pcPast;
    EXPECT_EQ(m_folders.TraceBytes(), ""); // a start past the end is no failure

    char* pcPart = str.GetSectorDataA(1, 2);
    EXPECT_EQ(std::string(pcPart), Ansi("名."));
    delete[] pcPart;

    char* pcNone = str.GetSectorDataA(0, 0); // a count of 0 converts nothing: that fails
    ASSERT_NE(pcNone, nullptr);
    EXPECT_STREQ(pcNone, "");
    delete[] pcNone;
    EXPECT_EQ(m_folders.TraceBytes(), TraceEntry("※　ワイド文字からの変換予定バイト数が出せません。"
                                                 "CMyWString::GetSectorDataA()\n"));
}

TEST_F(CMyWStringSJis, SearchesWithShiftJisArguments) {
    const CMyWString str(u"Music/曲名\\Song.MP3");
    EXPECT_EQ(str.FindOneOf(0, "\\/"), 5);
    EXPECT_EQ(str.FindOneOf(6, "\\/"), 8);
    EXPECT_EQ(str.FindOneOf(0, Ansi("名").c_str()), 7);
    EXPECT_EQ(str.FindOneOf(0, ""), -1);
    EXPECT_EQ(str.FindOneOf(99, "/"), -1);
    EXPECT_EQ(str.ReverseFind(0, ".mp3", TRUE), 13);
    EXPECT_EQ(str.ReverseFind(0, ".mp3"), -1);
    EXPECT_EQ(str.ReverseFind(0, Ansi("曲").c_str()), 6);
    EXPECT_EQ(str.Compare(Ansi("Music/曲名\\Song.MP3").c_str()), 0);
    EXPECT_EQ(str.Compare(Ansi("music/曲名\\song.mp3").c_str(), TRUE), 0);
    EXPECT_EQ(str.Compare(""), -1); // converts to nothing
    EXPECT_EQ(CMyWString(u"").Compare(static_cast<const char*>(nullptr)), -1);
}

namespace {

// ConvertInto must hold exactly what the constructor holds, one buffer serving every text: ASCII
// (widened without conversion), kana and kanji, a 0x5C trail byte, a name outside CP932, bytes
// that are no CP932, a dangling lead byte, a text longer than the constructor's first buffer.
TEST(CMyWStringConvertInto, HoldsWhatTheConstructorHolds) {
    const std::string strLong(2500, 'x');
    const std::string strLongKana = Ansi("ア") + strLong + Ansi("曲");
    const std::string astrTexts[] = {"",
                                     "track0001.WAV",
                                     Ansi("曲名 ソ表.wav"),
                                     Ansi("café 한글.mp3"),
                                     std::string("\x81\x20\xA0\xFD"), // no CP932 characters
                                     std::string("end\x81"),          // a dangling lead byte
                                     strLong,
                                     strLongKana,
                                     "a"};
    std::vector<WCHAR> vecBuff;
    for (const std::string& strText : astrTexts) {
        SCOPED_TRACE("text of " + std::to_string(strText.size()) + " bytes");
        const CMyWString strExpected(strText.c_str());
        DWORD dwLen = 12345;
        ASSERT_TRUE(CMyWString::ConvertInto(strText.c_str(), vecBuff, &dwLen));
        ASSERT_EQ(dwLen, strExpected.GetLength());
        EXPECT_EQ(std::u16string(vecBuff.data(), dwLen),
                  std::u16string(strExpected.GetBuff(), strExpected.GetLength()));
        EXPECT_EQ(vecBuff[dwLen], 0);
    }
}

} // namespace
