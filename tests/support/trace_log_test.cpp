#include "support/TraceLog.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Win32.h"
#include "support/AnsiText.h"
#include "tests/common/Platform.h"
#include "tests/common/ProgramFolders.h"
#include "tests/common/RecordingProviders.h"

namespace {

using tessaly::win32::SysCall;

class TraceLog : public ::testing::Test {
protected:
    tessaly::test::ProgramFolders m_folders;
};

TEST_F(TraceLog, StartUpPointsAtTheExecutablesFolderAndEmptiesTheLog) {
    TESSALY_STAND_IN_ONLY("the executable on a drive of its own");
    m_folders.WriteBytes("TraceFile.txt", "entries of the previous run\r\n");
    InitProgramFolders();
    EXPECT_STREQ("T:", g_strExeFolder);
    EXPECT_STREQ("T:\\TraceFile.txt", g_strTracePath);
    EXPECT_TRUE(m_folders.Exists("TraceFile.txt"));
    EXPECT_EQ("", m_folders.TraceBytes());
}

TEST_F(TraceLog, TextModeWritesCrLfAndRawModesKeepLf) {
    WriteTraceText("text\nmode\n");
    AppendTraceText("append\nraw", TRUE);
    AppendTraceText("no line feed", FALSE);
    EXPECT_EQ(16, WriteTraceFormat("format[%u], %s\n", 42u, "raw"));
    EXPECT_EQ("text\r\nmode\r\nappend\nraw\nno line feedformat[42], raw\n", m_folders.TraceBytes());
}

TEST_F(TraceLog, NothingIsWrittenForEmptyOrNullInput) {
    AppendTraceText("", TRUE);
    AppendTraceText(nullptr, TRUE);
    EXPECT_EQ(0, WriteTraceFormat(nullptr));
    EXPECT_EQ("", m_folders.TraceBytes());
}

TEST_F(TraceLog, EntriesAreCp932) {
    WriteTraceText(AnsiFromUtf8("※　表示。\n"));
    // ※ 0x81A6, ideographic space 0x8140, 表 0x955C, 示 0x8EA6, 。 0x8142, then CR LF.
    EXPECT_EQ("\x81\xA6\x81\x40\x95\x5C\x8E\xA6\x81\x42\r\n", m_folders.TraceBytes());
}

TEST_F(TraceLog, LongFormattedEntryIsCutToTheBufferInsteadOfOverflowing) {
    const std::string strPath(0x180000, 'p');
    const int iLen = WriteTraceFormat("path\n:%s", strPath.c_str());
    EXPECT_EQ(0xFFFFF, iLen);
    const std::string strBytes = m_folders.TraceBytes();
    ASSERT_EQ(0xFFFFFu, strBytes.size());
    EXPECT_EQ("path\n:ppp", strBytes.substr(0, 9));
}

TEST_F(TraceLog, UnopenableLogShowsTheMessageOnceUntilItOpensAgain) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    tessaly::test::MessageBoxRecorder recorder;
    tessaly::win32::FailSysCall(SysCall::Open, EACCES, -1, 0, "TraceFile");
    WriteTraceText("lost one\n");
    WriteTraceText("lost two\n");
    AppendTraceText("silently dropped", TRUE);
    WriteTraceFormat("silently dropped %u\n", 1u);
    tessaly::win32::ClearSysCallFailures();

    // "トレース用ファイルが開けません" in CP932.
    const std::string strMessage =
        "\x83\x67\x83\x8C\x81\x5B\x83\x58\x97\x70\x83\x74\x83\x40\x83\x43"
        "\x83\x8B\x82\xAA\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1";
    EXPECT_EQ((std::vector<std::string>{strMessage}), recorder.Texts());
    EXPECT_EQ("", m_folders.TraceBytes());
    WriteTraceText("back\n");
    EXPECT_EQ("back\r\n", m_folders.TraceBytes());
    tessaly::win32::FailSysCall(SysCall::Open, EACCES, 1, 0, "TraceFile");
    WriteTraceText("lost three\n");
    EXPECT_EQ((std::vector<std::string>{strMessage, strMessage}), recorder.Texts());
}

TEST_F(TraceLog, MessageBoxIsShownWithoutHoldingTheLogLock) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    // The box of a worker is shown by the window thread, which may trace before it answers.
    std::promise<void> traced;
    std::future<void> futureTraced = traced.get_future();
    auto previous = tessaly::framework::SetMessageBoxProvider([&](LPCTSTR, UINT) {
        std::thread windowThread([&] {
            AppendTraceText("window thread", TRUE);
            traced.set_value();
        });
        const bool bDone =
            futureTraced.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        windowThread.detach();
        return bDone ? IDOK : IDCANCEL;
    });
    tessaly::win32::FailSysCall(SysCall::Open, EACCES, 1, 0, "TraceFile");
    WriteTraceText("lost\n");
    tessaly::framework::SetMessageBoxProvider(std::move(previous));
    ASSERT_EQ(std::future_status::ready, futureTraced.wait_for(std::chrono::seconds(0)));
    EXPECT_EQ("window thread\n", m_folders.TraceBytes());
}

TEST_F(TraceLog, LastErrorTextIsTheSystemTextAndALineFeed) {
    LPSTR pcSystem = nullptr;
    ASSERT_NE(0u, FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                 nullptr, ERROR_FILE_NOT_FOUND, 0x400,
                                 reinterpret_cast<LPSTR>(&pcSystem), 0, nullptr));
    std::string strExpected;
    for (const char* pc = pcSystem; *pc != '\0'; ++pc) {
        strExpected += *pc == '\n' ? std::string("\r\n") : std::string(1, *pc); // text mode
    }
    LocalFree(pcSystem);
    strExpected += "\r\n";

    EXPECT_TRUE(WriteLastErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(strExpected, m_folders.TraceBytes());
}

TEST_F(TraceLog, ConcurrentWritersLoseNoEntry) {
    constexpr int kThreads = 8;
    constexpr int kEntries = 150;
    std::vector<std::thread> vecThreads;
    for (int t = 0; t < kThreads; ++t) {
        vecThreads.emplace_back([t] {
            for (int i = 0; i < kEntries; ++i) {
                CString str;
                switch (i % 3) {
                case 0:
                    str.Format("T%d-%d\n", t, i);
                    WriteTraceText(str);
                    break;
                case 1:
                    str.Format("A%d-%d", t, i);
                    AppendTraceText(str, TRUE);
                    break;
                default:
                    WriteTraceFormat("F%d-%d\n", t, i);
                    break;
                }
            }
        });
    }
    for (std::thread& thread : vecThreads) {
        thread.join();
    }

    std::istringstream stream(m_folders.TraceBytes());
    std::set<std::string> setSeen;
    std::string strLine;
    while (std::getline(stream, strLine)) {
        // Text-mode entries end in CR LF, raw ones in LF alone.
        const bool bCr = !strLine.empty() && strLine.back() == '\r';
        if (bCr) {
            strLine.pop_back();
        }
        ASSERT_FALSE(strLine.empty());
        EXPECT_EQ(strLine[0] == 'T', bCr) << strLine;
        EXPECT_TRUE(setSeen.insert(strLine).second) << "twice: " << strLine;
    }
    EXPECT_EQ(static_cast<std::size_t>(kThreads * kEntries), setSeen.size());
}

} // namespace
