#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <thread>

#include "engine/FileWriter.h"
#include "platform/win32/Win32.h"
#include "support/AnsiText.h"
#include "tests/common/Platform.h"
#include "tests/common/TempDrive.h"

namespace {

class FileWriterTest : public ::testing::Test {
protected:
    tessaly::test::TempDrive m_drive{'W'};
};

} // namespace

TEST_F(FileWriterTest, NewContentReplacesALongerOldOne) {
    m_drive.WriteBytes("out.txt", std::string(100, 'o'));
    CFileWriter writer;
    EXPECT_TRUE(writer.WriteAll(m_drive.WinPath("out.txt").c_str(), "0123456789", 10));
    EXPECT_EQ(m_drive.ReadBytes("out.txt"), "0123456789");
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(writer.GetBytes(), 10u);
    EXPECT_EQ(writer.GetStagingCapacity(), CFileWriter::kStagingBytes);

    // Again through the same object, and then nothing at all.
    EXPECT_TRUE(writer.WriteAll(m_drive.WinPath("out.txt").c_str(), "abc", 3));
    EXPECT_EQ(m_drive.ReadBytes("out.txt"), "abc");
    EXPECT_TRUE(writer.WriteAll(m_drive.WinPath("out.txt").c_str(), "", 0));
    EXPECT_TRUE(m_drive.Exists("out.txt"));
    EXPECT_EQ(m_drive.ReadBytes("out.txt"), "");
}

TEST_F(FileWriterTest, RefusesWhatItCannotOpen) {
    CFileWriter writer;
    EXPECT_FALSE(writer.WriteAll(m_drive.WinPath("missing/out.txt").c_str(), "x", 1));
    EXPECT_FALSE(m_drive.Exists("missing"));
    EXPECT_FALSE(writer.WriteAll(nullptr, "x", 1));
    EXPECT_FALSE(writer.WriteAll("", "x", 1));
    EXPECT_FALSE(writer.IsOpen());
}

TEST_F(FileWriterTest, SetPathSplitsAtTheLastSeparator) {
    struct Row {
        const char* pcPath; // UTF-8, split as CP932
        const char* pcDir;
        const char* pcName;
    };
    // 表 and ソ end in the byte 0x5C, which is then no separator.
    const Row rows[] = {
        {"W:\\dir\\name.txt", "W:\\dir", "name.txt"},
        {"W:/a\\b/c.txt", "W:/a\\b", "c.txt"},
        {"name.txt", "name.txt", "name.txt"},
        {"W:\\dir\\", "W:\\dir", ""},
        {"W:\\dir\\表", "W:\\dir", "表"},
        {"W:\\表\\ソ.txt", "W:\\表", "ソ.txt"},
        {"W:\\ソ表", "W:", "ソ表"},
        {"W:/表ソ", "W:", "表ソ"},
        {"表", "表", "表"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CFileWriter writer;
        ASSERT_TRUE(writer.SetPath(AnsiFromUtf8(rows[i].pcPath))) << "row " << i;
        EXPECT_EQ(writer.GetFileDir(), AnsiFromUtf8(rows[i].pcDir)) << "row " << i;
        EXPECT_EQ(writer.GetFileName(), AnsiFromUtf8(rows[i].pcName)) << "row " << i;
    }
    CFileWriter writer;
    ASSERT_TRUE(writer.SetPath(m_drive.WinPath("open.txt").c_str()));
    ASSERT_TRUE(writer.Open());
    EXPECT_FALSE(writer.SetPath("W:\\other.txt")) << "not while a file is open";
    EXPECT_FALSE(writer.Open());
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(writer.Seek(0)) << "closed";
}

TEST_F(FileWriterTest, PathWithoutFolderIsRelativeToTheCurrentDirectory) {
    char szSaved[5000];
    ASSERT_GT(GetCurrentDirectoryA(sizeof(szSaved), szSaved), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(m_drive.WinPath().c_str()));
    CFileWriter writer;
    const bool bResult = writer.WriteAll("here.txt", "here", 4);
    SetCurrentDirectoryA(szSaved);
    EXPECT_TRUE(bResult);
    EXPECT_EQ(m_drive.ReadBytes("here.txt"), "here");
}

TEST_F(FileWriterTest, AFailedWriteIsReportedAndTheFileClosed) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    m_drive.WriteBytes("full.txt", std::string(50, 'o'));
    tessaly::win32::FailSysCall(tessaly::win32::SysCall::Write, ENOSPC, -1, 0, "full.txt");
    CFileWriter writer;
    EXPECT_FALSE(writer.WriteAll(m_drive.WinPath("full.txt").c_str(), "new", 3));
    tessaly::win32::ClearSysCallFailures();
    EXPECT_FALSE(writer.IsOpen());
    // Nothing was written, and the end of file was set where the writing stopped.
    EXPECT_EQ(m_drive.ReadBytes("full.txt"), "");
    EXPECT_TRUE(writer.WriteAll(m_drive.WinPath("full.txt").c_str(), "ok", 2));
    EXPECT_EQ(m_drive.ReadBytes("full.txt"), "ok");
}

TEST_F(FileWriterTest, TwoThreadsThroughOneWriterNeverMixTheirContents) {
    const std::string strA(300000, 'a');
    const std::string strB(200000, 'b');
    const std::string strPath = m_drive.WinPath("shared.txt");
    CFileWriter writer;
    auto run = [&](const std::string& strData, bool* pbAllOk) {
        for (int i = 0; i < 20; ++i) {
            *pbAllOk = writer.WriteAll(strPath.c_str(), strData.data(), strData.size()) && *pbAllOk;
        }
    };
    bool bOkA = true;
    bool bOkB = true;
    std::thread threadA(run, std::cref(strA), &bOkA);
    std::thread threadB(run, std::cref(strB), &bOkB);
    threadA.join();
    threadB.join();
    EXPECT_TRUE(bOkA);
    EXPECT_TRUE(bOkB);
    const std::string strFinal = m_drive.ReadBytes("shared.txt");
    EXPECT_TRUE(strFinal == strA || strFinal == strB) << "size " << strFinal.size();
}
