#include "platform/framework/core/CString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(CString, FormatHandlesWindowsConversions) {
    struct Row {
        const char* pszExpected;
        CString str;
    };
    auto fmt = [](const char* pszFormat, auto... args) {
        CString str;
        str.Format(pszFormat, args...);
        return str;
    };
    const Row rows[] = {
        {"18446744073709551615", fmt("%I64u", static_cast<unsigned long long>(-1))},
        {"-9000000000", fmt("%I64d", -9000000000LL)},
        {"0000ABCD", fmt("%08X", 0xABCDu)},
        {"name[x], 7", fmt("%s[%s], %d", "name", "x", 7)},
        {"4294967295", fmt("%u", 0xFFFFFFFFu)},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_STREQ(rows[i].pszExpected, rows[i].str) << "row " << i;
    }
}

TEST(CString, FormatGrowsPastAnyFixedBuffer) {
    // Longer than wvsprintfA's 1,024 bytes and than the first formatting attempt.
    const std::string strLong(70000, 'p');
    CString str;
    str.Format("[%s]", strLong.c_str());
    ASSERT_EQ(70002, str.GetLength());
    EXPECT_EQ('[', str.GetAt(0));
    EXPECT_EQ(']', str.GetAt(70001));
}

TEST(CString, GetBufferKeepsTextAndReleaseBufferSetsLength) {
    CString str("abc");
    char* pc = str.GetBuffer(100);
    EXPECT_STREQ("abc", pc);
    std::strcpy(pc, "longer text");
    str.ReleaseBuffer();
    EXPECT_EQ(CString("longer text"), str);
    EXPECT_EQ(11, str.GetLength());

    str.GetBuffer(0);
    str.ReleaseBuffer(6);
    EXPECT_EQ(CString("longer"), str);
}

TEST(CString, CuttingIsClampedToTheText) {
    const CString str("abcdef");
    EXPECT_EQ(CString("abc"), str.Left(3));
    EXPECT_EQ(CString("abcdef"), str.Left(99));
    EXPECT_TRUE(str.Left(-1).IsEmpty());
    EXPECT_EQ(CString("cdef"), str.Mid(2));
    EXPECT_EQ(CString("cd"), str.Mid(2, 2));
    EXPECT_TRUE(str.Mid(6).IsEmpty());
    EXPECT_TRUE(str.Mid(2, 0).IsEmpty());
    EXPECT_EQ(CString("ef"), str.Right(2));
    EXPECT_EQ(CString("abcdef"), str.Right(10));
    EXPECT_EQ('\0', str.GetAt(6));
}

TEST(CString, SearchesReturnPositionsOrMinusOne) {
    const CString str("a\\b\\c");
    EXPECT_EQ(1, str.Find('\\'));
    EXPECT_EQ(3, str.Find('\\', 2));
    EXPECT_EQ(3, str.ReverseFind('\\'));
    EXPECT_EQ(2, str.Find("b\\"));
    EXPECT_EQ(-1, str.Find('x'));
    EXPECT_EQ(-1, CString().ReverseFind('\\'));
}

TEST(CString, CaseMappingLeavesTrailBytesAlone) {
    // CP932 0x83 0x61 and 0x83 0x41: double-byte characters whose trail bytes look like 'a', 'A'.
    CString str("x\x83\x61y\x83\x41");
    str.MakeUpper();
    EXPECT_EQ(CString("X\x83\x61Y\x83\x41"), str);
    str.MakeLower();
    EXPECT_EQ(CString("x\x83\x61y\x83\x41"), str);
}

TEST(CString, ComparesBytesUnsigned) {
    // A CP932 lead byte (0x81) sorts after every ASCII byte.
    const CString strHigh("\x81\x40");
    EXPECT_GT(strHigh.Compare("z"), 0);
    EXPECT_TRUE(CString("z") < strHigh);
    EXPECT_TRUE(CString("abc") == "abc");
    EXPECT_TRUE("abd" != CString("abc"));
    EXPECT_EQ(0, CString("AbC").CompareNoCase("aBc"));
}

TEST(CString, ConcatenationAndNullText) {
    CString str(static_cast<const char*>(nullptr));
    EXPECT_TRUE(str.IsEmpty());
    str += "dir";
    str += '\\';
    const CString strPath = str + "name" + CString(".mp3");
    EXPECT_EQ(CString("dir\\name.mp3"), strPath);
    str.Empty();
    EXPECT_EQ(0, str.GetLength());
}

} // namespace
