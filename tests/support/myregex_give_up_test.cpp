#include <gtest/gtest.h>

#include <string>

#include "support/MyRegex.h"

TEST(CMyRegex, TellsAMatchItGaveUpOnFromOneThatFailed) {
    CMyRegex regex;
    ASSERT_TRUE(regex.SetPattern("(a*)*(a*)*c|.*\\.wav"));
    const std::u16string strHard(60, u'a');
    const struct {
        const char16_t* pwcText;
        BOOL bMatch;
        BOOL bGaveUp;
    } rows[] = {
        {strHard.c_str(), FALSE, TRUE}, {u"song.wav", TRUE, FALSE}, {u"song.mp3", FALSE, FALSE},
        {strHard.c_str(), FALSE, TRUE}, {nullptr, FALSE, FALSE},
    };
    int iRow = 0;
    for (const auto& row : rows) {
        EXPECT_EQ(regex.IsMatch(row.pwcText), row.bMatch) << "row " << iRow;
        EXPECT_EQ(regex.LastMatchGaveUp(), row.bGaveUp) << "row " << iRow;
        ++iRow;
    }
}
