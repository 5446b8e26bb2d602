#include <gtest/gtest.h>

#include <string>

#include "support/MyWString.h"

namespace {

std::u16string Text(const CMyWString& str) {
    return str.GetBuff() == nullptr ? std::u16string() : std::u16string(str.GetBuff());
}

// The invariants every operation must keep: the terminator at the length, the length below the
// capacity.
void ExpectWellFormed(const CMyWString& str) {
    if (str.GetBuff() == nullptr) {
        EXPECT_EQ(str.GetLength(), 0u);
        EXPECT_EQ(str.GetBuffSize(), 0u);
        return;
    }
    ASSERT_LT(str.GetLength(), str.GetBuffSize());
    EXPECT_EQ(str.GetBuff()[str.GetLength()], 0);
    EXPECT_EQ(std::u16string(str.GetBuff()).size(), str.GetLength());
}

} // namespace

TEST(CMyWString, GrowthRuleFigures) {
    struct Row {
        DWORD dwCur, dwNeed, dwLimit, dwExpected;
    };
    const Row rows[] = {
        {2000, 2001, 0x7FFFFFFF, 8004},           // need x 4
        {2000, 2002, 0x7FFFFFFF, 8007},           // one less through double rounding
        {0, 2002, 0x7FFFFFFF, 8008},              // no capacity: exactly need x 4
        {2000, 4999999, 0x7FFFFFFF, 19999996},    // last need with factor 4
        {2000, 5000000, 0x7FFFFFFF, 7500000},     // first need with factor 1.5
        {2000, 6000000, 0x7FFFFFFF, 9000000},     //
        {2000, 250000000, 0x7FFFFFFF, 314000000}, // need + 64,000,000
        {2000, 300000000, 0x7FFFFFFF, 364000000}, //
        {2000, 1005547519, 0x7FFFFFFF, 1069547519},
        {2000, 1005547520, 0x7FFFFFFF, 0xFFFFFFFF}, // the sum reaches 0x3FC00000: no capacity
        {2000, 0xFFFFFFFF, 0x7FFFFFFF, 0xFFFFFFFF},
        {2000, 2001, 5000, 5000}, // cut to the limit
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(CMyWString::CalcNewBuffSize(rows[i].dwCur, rows[i].dwNeed, rows[i].dwLimit),
                  rows[i].dwExpected)
            << "row " << i;
    }
}

TEST(CMyWString, DefaultAndAssignKeepInitialCapacity) {
    CMyWString str;
    EXPECT_EQ(str.GetBuffSize(), 2000u);
    EXPECT_EQ(str.GetLength(), 0u);
    EXPECT_FALSE(str.GetError());
    str = u"0123456789";
    EXPECT_EQ(str.GetBuffSize(), 2000u);
    EXPECT_EQ(Text(str), u"0123456789");
    str = static_cast<const WCHAR*>(nullptr);
    EXPECT_EQ(str.GetLength(), 0u);
    ExpectWellFormed(str);
}

TEST(CMyWString, AppendToFullBufferGrowsByRule) {
    CMyWString str(std::u16string(1999, u'x').c_str());
    ASSERT_EQ(str.GetBuffSize(), 2000u);
    ASSERT_EQ(str.GetLength(), 1999u);
    ASSERT_TRUE(str.Append(u"y"));
    EXPECT_EQ(str.GetBuffSize(), 8004u);
    EXPECT_EQ(str.GetLength(), 2000u);
    EXPECT_EQ(str.GetBuff()[1999], u'y');
    ExpectWellFormed(str);

    // Assignment past the capacity grows by the same rule.
    CMyWString strAssigned;
    strAssigned = std::u16string(2001, u'z').c_str(); // need 2002
    EXPECT_EQ(strAssigned.GetBuffSize(), 8007u);
    ExpectWellFormed(strAssigned);
}

TEST(CMyWString, AppendForms) {
    CMyWString str(u"ab");
    EXPECT_TRUE(str.Append(u"", TRUE)); // empty text: no line feed either
    EXPECT_EQ(Text(str), u"ab");
    EXPECT_FALSE(str.Append(static_cast<const WCHAR*>(nullptr), FALSE));
    EXPECT_TRUE(str.Append(u"cd", TRUE));
    EXPECT_EQ(Text(str), u"abcd\n");
    EXPECT_TRUE(str.Append(u"0123456", 4, 100, FALSE)); // count cut to what remains
    EXPECT_EQ(Text(str), u"abcd\n456");
    EXPECT_FALSE(str.Append(u"0123", 4, 1, FALSE)); // start at the end
    EXPECT_TRUE(str.Append(u"0123", 1, 0, TRUE));   // no characters, but the line feed
    EXPECT_EQ(Text(str), u"abcd\n456\n");
    // The string's own content can be appended, also when that makes it grow.
    CMyWString strSelf(std::u16string(1500, u'q').c_str());
    ASSERT_TRUE(strSelf.Append(strSelf.GetBuff()));
    EXPECT_EQ(Text(strSelf), std::u16string(3000, u'q'));
    ExpectWellFormed(strSelf);
}

TEST(CMyWString, WideConstructorAndSetData) {
    CMyWString strCut(u"abcdef", 3);
    EXPECT_EQ(Text(strCut), u"abc");
    EXPECT_EQ(strCut.GetBuffSize(), 2000u);
    CMyWString strWhole(u"abcdef", 99); // a count above the length takes the whole text
    EXPECT_EQ(Text(strWhole), u"abcdef");
    const std::u16string strLong(2500, u'l');
    CMyWString strBig(strLong.c_str());
    EXPECT_EQ(strBig.GetBuffSize(), 2501u);
    CMyWString strCopy(strBig);
    EXPECT_EQ(Text(strCopy), strLong);
    EXPECT_NE(strCopy.GetBuff(), strBig.GetBuff());

    CMyWString str;
    EXPECT_FALSE(str.SetData(static_cast<const WCHAR*>(nullptr)));
    EXPECT_TRUE(str.SetData(u"abc\0def", 7)); // copying stops at the 0 character
    EXPECT_EQ(str.GetLength(), 3u);
    EXPECT_TRUE(str.SetData(strLong.c_str(), 2000)); // count not below the capacity
    EXPECT_EQ(str.GetBuffSize(), 3000u);
    EXPECT_EQ(str.GetLength(), 2000u);
    EXPECT_TRUE(str.SetData(u""));
    EXPECT_EQ(str.GetLength(), 0u);
    ExpectWellFormed(str);
}

TEST(CMyWString, Insert) {
    struct Row {
        const char16_t* pwcStart;
        DWORD dwPos;
        const char16_t* pwcText;
        DWORD dwCount;
        BOOL bResult;
        const char16_t* pwcExpected;
    };
    const Row rows[] = {
        {u"abc", 3, u"XY", 0, TRUE, u"abcXY"},  // at the length: appends
        {u"abc", 99, u"XY", 1, TRUE, u"abcX"},  // past the end: appends the first count
        {u"abc", 0, u"XY", 0, TRUE, u"XYabc"},  //
        {u"abc", 1, u"XYZ", 2, TRUE, u"aXYbc"}, //
        {u"abc", 1, u"XY", 9, TRUE, u"aXYbc"},  // count above the text: the whole text
        {u"abc", 1, u"", 0, TRUE, u"abc"},      //
        {u"", 0, u"XY", 0, TRUE, u"XY"},        //
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CMyWString str(rows[i].pwcStart);
        EXPECT_EQ(str.Insert(rows[i].dwPos, rows[i].pwcText, rows[i].dwCount), rows[i].bResult)
            << "row " << i;
        EXPECT_EQ(Text(str), rows[i].pwcExpected) << "row " << i;
        ExpectWellFormed(str);
    }
    CMyWString str(u"abc");
    EXPECT_FALSE(str.Insert(0, nullptr));

    // A full buffer grows to the new length plus 2048.
    CMyWString strFull(std::u16string(1999, u'x').c_str());
    ASSERT_TRUE(strFull.Insert(5, u"12"));
    EXPECT_EQ(strFull.GetBuffSize(), 2001u + 2048u);
    EXPECT_EQ(Text(strFull).substr(4, 4), u"x12x");
    ExpectWellFormed(strFull);

    // Inserting the string into itself reads the text before it moves.
    CMyWString strSelf(u"abcd");
    ASSERT_TRUE(strSelf.Insert(1, strSelf.GetBuff()));
    EXPECT_EQ(Text(strSelf), u"aabcdbcd");
}

TEST(CMyWString, Replace) {
    struct Row {
        const char16_t* pwcStart;
        DWORD dwPos, dwOldLen;
        const char16_t* pwcNew;
        DWORD dwNewLen;
        BOOL bResult;
        const char16_t* pwcExpected;
    };
    const Row rows[] = {
        {u"abcdef", 1, 2, u"XY", 0, TRUE, u"aXYdef"},    // equal lengths
        {u"abcdef", 1, 3, u"X", 0, TRUE, u"aXef"},       // shorter
        {u"abcdef", 1, 1, u"XYZ", 0, TRUE, u"aXYZcdef"}, // longer, fits
        {u"abcdef", 4, 99, u"XYZ", 0, TRUE, u"abcdXYZ"}, // old length cut to the end
        {u"abcdef", 1, 2, u"XYZ", 2, TRUE, u"aXYdef"},   // new length limits the text
        {u"abcdef", 1, 2, u"XYZ", 99, TRUE, u"aXYZdef"}, // new length beyond the text
        {u"abcdef", 1, 2, nullptr, 0, TRUE, u"adef"},    // null new text deletes
        {u"abcdef", 6, 1, u"X", 0, FALSE, u"abcdef"},    // position at the end
        {u"", 5, 1, u"XYZ", 2, TRUE, u"XY"},             // empty string: becomes the text
        {u"", 0, 0, u"XYZ", 0xFFFFFFFF, TRUE, u"XYZ"},   //
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CMyWString str(rows[i].pwcStart);
        EXPECT_EQ(str.Replace(rows[i].dwPos, rows[i].dwOldLen, rows[i].pwcNew, rows[i].dwNewLen),
                  rows[i].bResult)
            << "row " << i;
        EXPECT_EQ(Text(str), rows[i].pwcExpected) << "row " << i;
        ExpectWellFormed(str);
    }

    // Longer text that does not fit: a new buffer by the growth rule, head and tail kept.
    std::u16string strBody(1990, u'b');
    strBody[0] = u'H';
    strBody[1989] = u'T';
    CMyWString str(strBody.c_str());
    const std::u16string strNew(20, u'n');
    ASSERT_TRUE(str.Replace(1, 1, strNew.c_str()));
    EXPECT_EQ(str.GetBuffSize(), 8039u); // need 2010
    EXPECT_EQ(str.GetLength(), 2009u);
    std::u16string strExpected = strBody;
    strExpected.replace(1, 1, strNew);
    EXPECT_EQ(Text(str), strExpected);
    ExpectWellFormed(str);

    // The string's own content as the new text.
    CMyWString strSelf(u"abcdef");
    ASSERT_TRUE(strSelf.Replace(0, 1, strSelf.GetBuff() + 3));
    EXPECT_EQ(Text(strSelf), u"defbcdef");
}

TEST(CMyWString, ReplaceAll) {
    struct Row {
        const char16_t* pwcStart;
        DWORD dwStart;
        const char16_t* pwcPattern;
        const char16_t* pwcReplace;
        BOOL bIgnoreCase;
        DWORD dwCount;
        const char16_t* pwcExpected;
    };
    const Row rows[] = {
        {u"aaa", 0, u"a", u"aa", FALSE, 3, u"aaaaaa"}, // inserted text is not searched again
        {u"abab", 0, u"ab", u"b", FALSE, 2, u"bb"},    //
        {u"xAbab", 0, u"ab", u"-", TRUE, 2, u"x--"},   //
        {u"xAbab", 0, u"ab", u"-", FALSE, 1, u"xAb-"}, //
        {u"abab", 1, u"ab", u"", FALSE, 1, u"ab"},     // from the start position on
        {u"abab", 0, u"ab", nullptr, FALSE, 2, u""},   // null replacement: deleted
        {u"abab", 0, u"", u"x", FALSE, 0, u"abab"},    //
        {u"ab", 0, u"abc", u"x", FALSE, 0, u"ab"},     // pattern longer than the text
        {u"ab", 2, u"a", u"x", FALSE, 0, u"ab"},       // start at the end
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CMyWString str(rows[i].pwcStart);
        EXPECT_EQ(str.ReplaceAll(rows[i].dwStart, rows[i].pwcPattern, 0, rows[i].pwcReplace, 0,
                                 rows[i].bIgnoreCase),
                  rows[i].dwCount)
            << "row " << i;
        EXPECT_EQ(Text(str), rows[i].pwcExpected) << "row " << i;
        ExpectWellFormed(str);
    }
    CMyWString str(u"abcabc");
    EXPECT_EQ(str.ReplaceAll(0, nullptr, 0, u"x", 0), 0u);
    EXPECT_EQ(str.ReplaceAll(0, u"abc", 2, u"XYZ", 1), 2u); // both lengths honoured
    EXPECT_EQ(Text(str), u"XcXc");
}

TEST(CMyWString, Searches) {
    const CMyWString str(u"xabababAB");
    struct Row {
        const char* pcWhat;
        int iResult, iExpected;
    };
    const Row rows[] = {
        {"Find ab", str.Find(0, u"ab"), 1},
        {"Find ab from 2", str.Find(2, u"ab"), 3},
        {"Find AB folded", str.Find(0, u"AB", 0, TRUE), 1},
        {"Find AB exact", str.Find(0, u"AB"), 7},
        {"Find with length", str.Find(0, u"aXX", 1), 1},
        {"Find past end", str.Find(9, u"a"), -1},
        {"Find longer than rest", str.Find(8, u"AB"), -1},
        {"Find empty", str.Find(0, u""), -1},
        {"Find null", str.Find(0, static_cast<const WCHAR*>(nullptr)), -1},
        {"ReverseFind ab", str.ReverseFind(0, u"ab"), 5},
        {"ReverseFind ab folded", str.ReverseFind(0, u"ab", TRUE), 7},
        {"ReverseFind from 6", str.ReverseFind(6, u"a"), -1},
        {"ReverseFindChar b", str.ReverseFindChar(u'b'), 6},
        {"ReverseFindChar z", str.ReverseFindChar(u'z'), -1},
        {"ReverseFindCharA B", str.ReverseFindCharA('B'), 8},
        {"Compare equal", str.Compare(u"xabababAB"), 0},
        {"Compare folded", str.Compare(u"XABABABab", TRUE), 0},
        {"Compare less", str.Compare(u"y") < 0, true},
        {"Compare greater", str.Compare(u"xa") > 0, true},
        {"Compare null", str.Compare(static_cast<const WCHAR*>(nullptr)), -1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.iResult, row.iExpected) << row.pcWhat;
    }
    EXPECT_EQ(CMyWString(u"ababab").ReverseFind(0, u"ab"), 4);
    EXPECT_EQ(CMyWString(u"xab").Find(0, u"AB", 0, TRUE), 1);
    EXPECT_EQ(CMyWString(u"aaaaa").ReverseFind(0, u"aa"), 2); // non-overlapping from the start
    // Folding is ASCII only: full-width letters and other scripts compare by code.
    EXPECT_EQ(CMyWString(u"ＡＢ").Find(0, u"ａｂ", 0, TRUE), -1);
    EXPECT_NE(CMyWString(u"É").Compare(u"é", TRUE), 0);
}

TEST(CMyWString, DeleteKeepSectorAndBuffSize) {
    CMyWString str(u"abcdef");
    EXPECT_FALSE(str.Delete(6, 1));
    EXPECT_TRUE(str.Delete(1, 0));
    EXPECT_TRUE(str.Delete(1, 2));
    EXPECT_EQ(Text(str), u"adef");
    EXPECT_TRUE(str.Delete(2, 99));
    EXPECT_EQ(Text(str), u"ad");

    struct Row {
        DWORD dwFirst, dwLast;
        BOOL bResult;
        const char16_t* pwcExpected;
    };
    const Row rows[] = {
        {1, 3, TRUE, u"bcd"},
        {3, 1, TRUE, u"bcd"}, // swapped
        {4, 99, TRUE, u"ef"}, // last cut to the final character
        {6, 7, FALSE, u"abcdef"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CMyWString strKeep(u"abcdef");
        EXPECT_EQ(strKeep.KeepSector(rows[i].dwFirst, rows[i].dwLast), rows[i].bResult)
            << "row " << i;
        EXPECT_EQ(Text(strKeep), rows[i].pwcExpected) << "row " << i;
    }
    CMyWString strEmpty;
    EXPECT_FALSE(strEmpty.KeepSector(0, 0));

    // Ranges outside either buffer are refused, the string untouched.
    CMyWString strMove(u"abcdef");
    EXPECT_FALSE(strMove.ResizeBuffAndMoveSector(10, 2, 4, 5, 3)); // source past the length
    EXPECT_FALSE(strMove.ResizeBuffAndMoveSector(10, 2, 1, 8, 3)); // destination past the buffer
    EXPECT_FALSE(strMove.ResizeBuffAndMoveSector(4, 4, 0, 0, 0));  // head fills the buffer
    EXPECT_EQ(Text(strMove), u"abcdef");
    ASSERT_TRUE(strMove.ResizeBuffAndMoveSector(10, 2, 3, 4, 3));
    EXPECT_EQ(strMove.GetBuffSize(), 10u);
    EXPECT_EQ(std::u16string(strMove.GetBuff() + 4, 3), u"def");
    EXPECT_EQ(Text(strMove), u"ab"); // terminated after the head until the caller sets a length

    CMyWString strSize(u"abcdef");
    EXPECT_FALSE(strSize.SetBuffSize(0x80000000));
    EXPECT_FALSE(strSize.SetBuffSize(0));
    ASSERT_TRUE(strSize.SetBuffSize(4)); // content cut to capacity - 1
    EXPECT_EQ(strSize.GetBuffSize(), 4u);
    EXPECT_EQ(Text(strSize), u"abc");
    ASSERT_TRUE(strSize.Append(u"defg"));
    EXPECT_EQ(Text(strSize), u"abcdefg");
    ExpectWellFormed(strSize);
}

TEST(CMyWString, PathReductions) {
    enum Op { Extension, Title, Name };
    struct Row {
        Op op;
        const char16_t* pwcPath;
        DWORD dwMax;
        BOOL bResult;
        const char16_t* pwcExpected;
    };
    const Row rows[] = {
        {Extension, u"C:\\dir\\song.mp3", 0, TRUE, u"mp3"},
        {Extension, u"C:\\dir\\song.mpeg3", 0, FALSE, u"C:\\dir\\song.mpeg3"}, // longer than 4
        {Extension, u"C:\\dir\\song.mpeg3", 5, TRUE, u"mpeg3"},
        {Extension, u"C:\\dir.x\\song", 0, FALSE, u"C:\\dir.x\\song"}, // dot not in the name
        {Extension, u"C:/dir.x/song", 0, FALSE, u"C:/dir.x/song"},
        {Extension, u"song.", 0, FALSE, u"song."}, // empty extension
        {Extension, u"a.tar.gz", 0, TRUE, u"gz"},
        {Extension, u"", 0, FALSE, u""},
        {Title, u"C:\\dir\\song.mp3", 0, TRUE, u"song"},
        {Title, u"song.mp3", 0, TRUE, u"song"},
        {Title, u"C:\\dir\\.mp3", 0, FALSE, u"C:\\dir\\.mp3"}, // the title would be empty
        {Title, u"C:\\dir\\song.mpeg3", 0, FALSE, u"C:\\dir\\song.mpeg3"},
        {Title, u"C:\\dir.x\\song", 0, TRUE, u"song"}, // no dot in the name
        {Title, u"C:/d\\曲名.wav", 0, TRUE, u"曲名"},
        {Title, u"song", 0, TRUE, u"song"},
        {Title, u".mp3", 0, FALSE, u".mp3"},
        {Title, u"song.mpeg3", 0, FALSE, u"song.mpeg3"},
        {Title, u"song.mpeg3", 5, TRUE, u"song"},
        {Title, u"C:\\dir\\", 0, FALSE, u"C:\\dir\\"},
        {Name, u"C:\\dir\\song.mp3", 0, TRUE, u"song.mp3"},
        {Name, u"C:\\dir/song.mp3", 0, TRUE, u"song.mp3"},
        {Name, u"song.mp3", 0, TRUE, u"song.mp3"},
        {Name, u"C:\\dir\\", 0, FALSE, u"C:\\dir\\"},
        {Name, u"", 0, FALSE, u""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CMyWString str(rows[i].pwcPath);
        BOOL bResult = FALSE;
        switch (rows[i].op) {
        case Extension:
            bResult = str.LeaveExtension(rows[i].dwMax);
            break;
        case Title:
            bResult = str.LeaveFileTitle(rows[i].dwMax);
            break;
        case Name:
            bResult = str.LeaveFileName();
            break;
        }
        EXPECT_EQ(bResult, rows[i].bResult) << "row " << i;
        EXPECT_EQ(Text(str), rows[i].pwcExpected) << "row " << i;
        ExpectWellFormed(str);
    }
}
