#include <gtest/gtest.h>

#include <string>

#include "app/core/InputChecks.h"
#include "support/AnsiText.h"

namespace {
std::string Ansi(const char* pcUtf8) {
    return static_cast<LPCSTR>(AnsiFromUtf8(pcUtf8));
}
} // namespace

TEST(InputChecks, FilterTextsAreCheckedAsAddChecksThem) {
    const std::string strForbidden = Ansi("次の文字は使えません。\n　/\\<>|:\".");
    const std::string strTooLong = Ansi("拡張子が長すぎます。");
    const struct {
        const char* pcUtf8;
        BOOL bRegex;
        std::string strMessage;
        const char* pcTextAfter;
    } rows[] = {
        {"WAV", FALSE, "", "WAV"},
        {"jpeg", FALSE, "", "jpeg"},
        {"w*", FALSE, "", "w*"},
        {"", FALSE, "", "*"},
        {".wav", FALSE, strForbidden, ".wav"},
        {"a:b", FALSE, strForbidden, "a:b"},
        {"mpeg4", FALSE, strTooLong, "mpeg4"},
        {"音楽だ", FALSE, strTooLong, "音楽だ"}, // three double-byte characters: 6 bytes
        {"表", FALSE, "", "表"},                 // its trail byte 0x5C is no backslash
        {"", TRUE, "", ".+"},
        {"a.b/c|d", TRUE, "", "a.b/c|d"}, // no forbidden characters or limit for a pattern
        {"(abc", TRUE, Ansi("※　無効な正規表現です"), "(abc"},
    };
    for (const auto& row : rows) {
        CFilterSetting setting;
        setting.m_strFilterText = AnsiFromUtf8(row.pcUtf8);
        setting.m_bUseRegex = row.bRegex;
        CMyRegex validation;
        EXPECT_EQ(std::string(CheckFilterSetting(setting, validation)), row.strMessage)
            << row.pcUtf8;
        EXPECT_EQ(std::string(setting.m_strFilterText), Ansi(row.pcTextAfter)) << row.pcUtf8;
    }
}

TEST(InputChecks, StarLeavesTheCollectorsExtensionAlone) {
    CFileCollector collector;
    CFilterSetting setting;
    setting.m_strFilterText = "wav";
    EXPECT_TRUE(ApplyFilterSetting(setting, collector).IsEmpty());
    EXPECT_TRUE(setting.m_bFilterActive);
    EXPECT_TRUE(collector.m_bExtFilter);
    setting.m_strFilterText = "*";
    EXPECT_TRUE(ApplyFilterSetting(setting, collector).IsEmpty());
    EXPECT_FALSE(setting.m_bFilterActive);
    EXPECT_EQ(std::string(collector.m_strExtFilter), "wav");
    setting.m_bUseRegex = TRUE;
    setting.m_strFilterText = "[";
    EXPECT_EQ(std::string(ApplyFilterSetting(setting, collector)),
              Ansi("ファイルフィルターセットに失敗。"));
    EXPECT_FALSE(collector.m_bRegexOk);
}

TEST(InputChecks, ExecuteNeedsAFolderAndAnExtensionThatStaysInTheFolder) {
    EXPECT_EQ(std::string(CheckExecuteInputs("", "mp3")),
              Ansi("振り分け元フォルダがセットされていません"));
    EXPECT_EQ(std::string(CheckExecuteInputs("C:\\x", "")),
              Ansi("振り分けるファイルの拡張子がセットされていません"));
    const std::string strRefused = Ansi("操作対象拡張子に使えない文字が含まれています。");
    const struct {
        const char* pcUtf8;
        bool bRefused;
    } rows[] = {
        {".mp3", false},                    // used unchanged
        {"mp3", false},      {"表", false}, // its trail byte 0x5C is no backslash
        {"é", false},        {"m.p3.", false}, {"mp3\\..\\..\\x", true},
        {"a/b", true},       {"c:x", true},    {"..", true},
        {"m..p3", true},     {"*", true},      {"mp?", true},
        {"a\"b", true},      {"a<b", true},    {"a>b", true},
        {"a|b", true},       {"mp3\t", true},  {"mp3\x7F", true},
        {"mp3\u0085", true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(std::string(CheckExecuteInputs("C:\\x", Ansi(row.pcUtf8).c_str())),
                  row.bRefused ? strRefused : "")
            << row.pcUtf8;
    }
}
