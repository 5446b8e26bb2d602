#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "app/core/ConflictReport.h"
#include "platform/framework/core/MessageBox.h"
#include "platform/framework/core/Shell.h"
#include "platform/win32/Win32.h"
#include "support/AnsiText.h"
#include "support/StartUp.h"
#include "tests/common/Platform.h"
#include "tests/common/ProgramFolders.h"

namespace framework = tessaly::framework;
namespace win32 = tessaly::win32;

namespace {

struct ShellCall {
    std::string strVerb;
    std::string strFile;
    bool bNoParameters;
    bool bNoDirectory;
    bool bNoOwner;
    INT nShowCmd;
};

// Records the shell's "open" instead of launching a viewer.
class ConflictReportTest : public ::testing::Test {
protected:
    ConflictReportTest() {
        m_previous =
            framework::SetShellExecuteProvider([this](HWND hwnd, LPCSTR pcVerb, LPCSTR pcFile,
                                                      LPCSTR pcParams, LPCSTR pcDir, INT nShow) {
                m_vecCalls.push_back({pcVerb, pcFile, pcParams == nullptr, pcDir == nullptr,
                                      hwnd == nullptr, nShow});
                return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(m_iAnswer));
            });
    }
    ~ConflictReportTest() override { framework::SetShellExecuteProvider(std::move(m_previous)); }

    std::string Header() const {
        return AnsiFromUtf8("=====  重複したファイルのリスト  =====").Str();
    }

    tessaly::test::ProgramFolders m_folders;
    std::vector<ShellCall> m_vecCalls;
    int m_iAnswer = 42; // above 32: opened

private:
    framework::ShellExecuteProvider m_previous;
};

} // namespace

TEST_F(ConflictReportTest, WritesHeaderPathsAndEmptyLastLineWithCrLfAndOpensIt) {
    const CString strList = AnsiFromUtf8("C:\\a\\x.wav\nC:\\曲\\x.wav\n");
    ASSERT_TRUE(WriteConflictReport(strList));
    EXPECT_EQ(m_folders.ReadBytes("ConflictFile.txt"),
              Header() + "\r\nC:\\a\\x.wav\r\n" + AnsiFromUtf8("C:\\曲\\x.wav").Str() + "\r\n\r\n");

    ASSERT_EQ(m_vecCalls.size(), 1u);
    const std::string strPath = std::string(g_strExeFolder.GetString()) + "\\ConflictFile.txt";
    EXPECT_EQ(GetConflictReportPath(), strPath.c_str());
    EXPECT_EQ(m_vecCalls[0].strVerb, "open");
    EXPECT_EQ(m_vecCalls[0].strFile, strPath);
    EXPECT_TRUE(m_vecCalls[0].bNoOwner && m_vecCalls[0].bNoParameters &&
                m_vecCalls[0].bNoDirectory);
    EXPECT_EQ(m_vecCalls[0].nShowCmd, SW_SHOWNORMAL);
}

TEST_F(ConflictReportTest, APathOutsideCp932MakesTheReportUtf8WithAByteOrderMark) {
    const struct {
        const char* pcList;
        std::string strFile;
    } rows[] = {
        {"C:\\é\\x.wav\nC:\\ん\\x.wav\n",
         "\xEF\xBB\xBF=====  重複したファイルのリスト  =====\r\nC:\\é\\x.wav\r\nC:\\ん\\x."
         "wav\r\n\r\n"},
        // ん is 0x82F1, 纊 an IBM extension: both CP932, so the bytes stay as they were.
        {"C:\\ん\\纊.wav\n", Header() + "\r\n" + AnsiFromUtf8("C:\\ん\\纊.wav").Str() + "\r\n\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pcList);
        ASSERT_TRUE(WriteConflictReport(AnsiFromUtf8(row.pcList)));
        EXPECT_EQ(m_folders.ReadBytes("ConflictFile.txt"), row.strFile);
    }
}

// No viewer for the file (xdg-open missing or failing): the report stays, and a box says where.
TEST_F(ConflictReportTest, AReportNoViewerOpensIsNamedInABox) {
    for (int iAnswer : {42, 31, 2}) {
        SCOPED_TRACE(iAnswer);
        m_iAnswer = iAnswer;
        framework::ClearQuietMessageBoxTexts();
        ASSERT_TRUE(WriteConflictReport(AnsiFromUtf8("C:\\a\\x.wav\n")));
        const std::vector<std::string> vecTexts = framework::QuietMessageBoxTexts();
        if (iAnswer > 32) {
            EXPECT_TRUE(vecTexts.empty());
            continue;
        }
        ASSERT_EQ(vecTexts.size(), 1u);
        EXPECT_EQ(vecTexts[0],
                  AnsiFromUtf8("ConflictFile.txt を開けませんでした。ファイルの場所：\n").Str() +
                      GetConflictReportPath().Str());
    }
}

TEST_F(ConflictReportTest, ShorterReportReplacesTheOldOneAndAnEmptyListKeepsTheFrame) {
    ASSERT_TRUE(WriteConflictReport("C:\\a\\long-name-one.wav\nC:\\b\\long-name-one.wav\n"));
    ASSERT_TRUE(WriteConflictReport("C:\\x.wav\n"));
    EXPECT_EQ(m_folders.ReadBytes("ConflictFile.txt"), Header() + "\r\nC:\\x.wav\r\n\r\n");
    ASSERT_TRUE(WriteConflictReport(""));
    EXPECT_EQ(m_folders.ReadBytes("ConflictFile.txt"), Header() + "\r\n\r\n");
    EXPECT_EQ(m_vecCalls.size(), 3u);
}

TEST_F(ConflictReportTest, FailedWriteOpensNothing) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    m_folders.WriteBytes("ConflictFile.txt", "earlier report");
    win32::FailSysCall(win32::SysCall::Open, EACCES, -1, 0, "ConflictFile.txt");
    EXPECT_FALSE(WriteConflictReport("C:\\x.wav\n"));
    win32::ClearSysCallFailures();
    EXPECT_TRUE(m_vecCalls.empty());
    EXPECT_EQ(m_folders.ReadBytes("ConflictFile.txt"), "earlier report");
}

TEST_F(ConflictReportTest, AListThatDoesNotConvertWholeLeavesTheOldReport) {
    m_folders.WriteBytes("ConflictFile.txt", "earlier report");
    // \x81 is a lead byte with nothing after it: the conversion would drop it, or everything.
    for (const char* pcList : {"\x81", "C:\\x.wav\nC:\\y.wav\x81"}) {
        SCOPED_TRACE(pcList);
        EXPECT_FALSE(WriteConflictReport(pcList));
        EXPECT_EQ(m_folders.ReadBytes("ConflictFile.txt"), "earlier report");
    }
    EXPECT_TRUE(m_vecCalls.empty());
}

TEST_F(ConflictReportTest, AReportKeptAwayFromTheExecutableIsOpenedThereAndTheBoxNamesIt) {
    // Beside the executable the box says the count alone.
    EXPECT_EQ(FormatDuplicateCountBox(2), FormatDuplicateCountMessage(2));
    m_folders.WriteBytes("state/keep", "");
    const CString strSaved = g_strReportFolder;
    g_strReportFolder = (m_folders.WinPath("state")).c_str();
    const std::string strPath = m_folders.WinPath("state") + "\\ConflictFile.txt";
    EXPECT_EQ(std::string(FormatDuplicateCountBox(2)),
              AnsiFromUtf8("※　2 個のファイルが重複しています。\n重複ファイルの一覧：").Str() +
                  strPath);
    EXPECT_TRUE(WriteConflictReport("C:\\x.wav\n"));
    g_strReportFolder = strSaved;
    EXPECT_EQ(m_folders.ReadBytes("state/ConflictFile.txt"), Header() + "\r\nC:\\x.wav\r\n\r\n");
    EXPECT_FALSE(m_folders.Exists("ConflictFile.txt"));
    ASSERT_EQ(m_vecCalls.size(), 1u);
    EXPECT_EQ(m_vecCalls[0].strFile, strPath);
}

TEST(FormatDuplicateCountMessage, GivesTheCountInTheFixedText) {
    EXPECT_EQ(FormatDuplicateCountMessage(3), AnsiFromUtf8("※　3 個のファイルが重複しています。"));
    EXPECT_EQ(FormatDuplicateCountMessage(4294967295u),
              AnsiFromUtf8("※　4294967295 個のファイルが重複しています。"));
}
