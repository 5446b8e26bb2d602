// A fresh temporary folder mapped to drive P: for one test; the drive table, the current
// directory, the failure hooks and the executable's path are restored afterwards.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Drives.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32TestHooks.h"

class PathTestFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedDrives = tessaly::win32::GetDriveTable();
        char acCwd[4096];
        ASSERT_GT(GetCurrentDirectoryA(sizeof acCwd, acCwd), 0u);
        m_strSavedCwd = acCwd;
        char acTemplate[] = "/tmp/tessaly-paths-XXXXXX";
        ASSERT_NE(mkdtemp(acTemplate), nullptr);
        m_strRoot = acTemplate;
        MapDrives({{'P', m_strRoot}});
    }

    // The move-step hook runs fnAct once, the first time a move reaches stepWanted.
    static void AtFirst(tessaly::win32::MoveStep stepWanted,
                        std::function<void(const std::string&)> fnAct) {
        tessaly::win32::SetMoveStepHookForTests(
            [stepWanted, fnAct, bDone = false](tessaly::win32::MoveStep step,
                                               const std::string& strPath) mutable {
                if (step == stepWanted && !bDone) {
                    bDone = true;
                    fnAct(strPath);
                }
            });
    }

    void TearDown() override {
        tessaly::win32::ClearSysCallFailures();
        tessaly::win32::SetMoveStepHookForTests({});
        tessaly::win32::SetModuleFileNameForTests("");
        tessaly::win32::SetDriveTable(m_savedDrives);
        SetCurrentDirectoryA(m_strSavedCwd.c_str());
        std::error_code error;
        std::filesystem::remove_all(m_strRoot, error);
    }

    // The saved table plus these drives.
    void MapDrives(const std::map<char, std::string>& mapExtra) {
        auto drives = m_savedDrives;
        for (const auto& [cLetter, strRoot] : mapExtra) {
            drives[cLetter] = strRoot;
        }
        tessaly::win32::SetDriveTable(drives);
    }

    // The POSIX path of a UTF-8 name below the folder ("a/b.txt").
    std::string Posix(const std::string& strRelative) const {
        return strRelative.empty() ? m_strRoot : m_strRoot + "/" + strRelative;
    }

    void MakeFile(const std::string& strRelative) const {
        const int fd = ::open(Posix(strRelative).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << strRelative;
        ::close(fd);
    }

    void MakeFolder(const std::string& strRelative) const {
        ASSERT_EQ(::mkdir(Posix(strRelative).c_str(), 0755), 0) << strRelative;
    }

    // Sets a folder's or file's modification time to a fixed second, far from now, so that a change
    // shows whatever the file system's timestamp resolution.
    void SetMtime(const std::string& strRelative, time_t tSeconds) const {
        const timespec aTimes[2] = {{tSeconds, 0}, {tSeconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, Posix(strRelative).c_str(), aTimes, AT_SYMLINK_NOFOLLOW),
                  0);
    }

    // CP932 of a UTF-8 text (a Windows path written readably in the test).
    static std::string Ansi(const std::string& strUtf8) {
        std::string strAnsi;
        EXPECT_TRUE(tessaly::win32::Utf8ToAnsi(strUtf8, strAnsi)) << strUtf8;
        return strAnsi;
    }

    static std::string CurrentWindowsDirectory() {
        char acBuf[4096];
        const DWORD dwLength = GetCurrentDirectoryA(sizeof acBuf, acBuf);
        return std::string(acBuf, dwLength < sizeof acBuf ? dwLength : 0);
    }

    static std::string RealWorkingDirectory() {
        char acBuf[4096];
        return ::getcwd(acBuf, sizeof acBuf) != nullptr ? acBuf : "";
    }

    std::string m_strRoot;

private:
    std::map<char, std::string> m_savedDrives;
    std::string m_strSavedCwd;
};
