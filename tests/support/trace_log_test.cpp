#include "support/TraceLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>
#include <optional>
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

// Sets (or, for null, removes) an environment variable until the end of the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* pcName, const char* pcValue) : m_strName(pcName) {
        if (const char* pcOld = std::getenv(pcName)) {
            m_strOld = pcOld;
        }
        Set(pcValue);
    }
    ~ScopedVariable() { Set(m_strOld ? m_strOld->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void Set(const char* pcValue) {
#ifdef _WIN32
        _putenv_s(m_strName.c_str(), pcValue != nullptr ? pcValue : "");
#else
        if (pcValue != nullptr) {
            setenv(m_strName.c_str(), pcValue, 1);
        } else {
            unsetenv(m_strName.c_str());
        }
#endif
    }

    std::string m_strName;
    std::optional<std::string> m_strOld;
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

TEST_F(TraceLog, AnExecutablesFolderThatCannotBeWrittenLeavesTheReportsInTheUsersStateFolder) {
    TESSALY_STAND_IN_ONLY("the drive letter of the stand-in, and $XDG_STATE_HOME and $HOME");
    EXPECT_STREQ("T:", g_strReportFolder);
    EXPECT_FALSE(AreReportsElsewhere());
    // A folder where the log would be: the executable's folder takes no log, even for root.
    std::filesystem::remove(m_folders.Native("TraceFile.txt"));
    std::filesystem::create_directory(m_folders.Native("TraceFile.txt"));
    m_folders.WriteBytes("file", "a file where a folder would have to be made");
    const std::string strRoot = m_folders.PosixPath();
    const struct {
        const char* pcWhat;
        const char* pcLocalAppData; // a drive path
        const char* pcStateHome;    // below the drive's root when it starts with '/'
        const char* pcHome;
        const char* pcFolder; // where the reports go; null: nowhere
    } rows[] = {
        {"XDG_STATE_HOME", nullptr, "/xdg", "/home", "T:\\xdg\\tessaly"},
        {"HOME's default", nullptr, nullptr, "/home", "T:\\home\\.local\\state\\tessaly"},
        {"a relative XDG_STATE_HOME", nullptr, "xdg", "/home", "T:\\home\\.local\\state\\tessaly"},
        {"an XDG_STATE_HOME that cannot be made", nullptr, "/file/xdg", "/home",
         "T:\\home\\.local\\state\\tessaly"},
        {"LOCALAPPDATA first", "T:\\local", "/xdg", "/home", "T:\\local\\Tessaly"},
        {"a relative LOCALAPPDATA", "local", "/xdg", "/home", "T:\\xdg\\tessaly"},
        {"no place", nullptr, "/file/xdg", "/file/home", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pcWhat);
        const auto below = [&](const char* pcValue) {
            return pcValue != nullptr && pcValue[0] == '/' ? strRoot + pcValue
                   : pcValue != nullptr                    ? std::string(pcValue)
                                                           : std::string();
        };
        const std::string strStateHome = below(row.pcStateHome);
        const std::string strHome = below(row.pcHome);
        ScopedVariable localAppData("LOCALAPPDATA", row.pcLocalAppData);
        ScopedVariable stateHome("XDG_STATE_HOME",
                                 row.pcStateHome ? strStateHome.c_str() : nullptr);
        ScopedVariable home("HOME", strHome.c_str());
        std::string strRelative;
        if (row.pcFolder != nullptr) {
            strRelative = std::string(row.pcFolder).substr(3) + "/TraceFile.txt";
            std::replace(strRelative.begin(), strRelative.end(), '\\', '/');
            // The log of the previous run there is emptied as beside the executable.
            m_folders.WriteBytes(strRelative, "previous run\r\n");
        }
        tessaly::test::MessageBoxRecorder recorder;
        InitProgramFolders();
        EXPECT_STREQ("T:", g_strExeFolder);
        const std::string strFolder = row.pcFolder != nullptr ? row.pcFolder : "T:";
        EXPECT_EQ(strFolder, g_strReportFolder.GetString());
        EXPECT_EQ(strFolder + "\\TraceFile.txt", g_strTracePath.GetString());
        EXPECT_EQ(row.pcFolder != nullptr, AreReportsElsewhere() != FALSE);
        WriteTraceText("entry\n");
        if (row.pcFolder != nullptr) {
            EXPECT_EQ("entry\r\n", m_folders.ReadBytes(strRelative));
            EXPECT_TRUE(recorder.Texts().empty());
        } else {
            // Only now is the user told that there is no log.
            EXPECT_EQ(1u, recorder.Texts().size());
        }
    }
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

TEST_F(TraceLog, ANameOutsideCp932TurnsTheWholeLogIntoUtf8WithAByteOrderMark) {
    // ん is 0x82F1: its trail byte is no code outside CP932.
    WriteTraceText(AnsiFromUtf8("※　ん\n"));
    AppendTraceText("raw", TRUE);
    EXPECT_EQ("\x81\xA6\x81\x40\x82\xF1\r\nraw\n", m_folders.TraceBytes());
    AppendTraceText(AnsiFromUtf8("T:\\café\\한글.wav"), TRUE);
    const std::string strUtf8 = "\xEF\xBB\xBF※　ん\r\nraw\nT:\\café\\한글.wav\n";
    EXPECT_EQ(strUtf8, m_folders.TraceBytes());
    // Once UTF-8, every later entry is.
    WriteTraceText(AnsiFromUtf8("表\n"));
    WriteTraceFormat("%s\n", AnsiFromUtf8("é").GetString());
    EXPECT_EQ(strUtf8 + "表\r\né\n", m_folders.TraceBytes());
    // A new run's log starts in CP932 again.
    EXPECT_TRUE(EmptyTraceLog());
    WriteTraceText(AnsiFromUtf8("表\n"));
    EXPECT_EQ("\x95\x5C\r\n", m_folders.TraceBytes());
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
