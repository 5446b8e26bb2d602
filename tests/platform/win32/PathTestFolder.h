// A fresh temporary folder mapped to drive P: for one test; the drive table, the current
// directory, the failure hooks and the executable's path are restored afterwards.
// On Windows there is no drive table: the test runner maps P: and T: to one empty folder
// (scripts/test-windows, through Wine's drive links; subst on Windows), which each test empties.
#pragma once

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Drives.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32TestHooks.h"
#include "tests/common/Platform.h"

#ifdef _WIN32
// Windows' SetFileTime: the C runtime's own sets whole seconds only (windows/native_times.cpp).
bool SetNativeWriteTime(const wchar_t* pwszPath, std::uint64_t ullTicks);
#endif

class PathTestFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedDrives = tessaly::win32::GetDriveTable();
        char acCwd[4096];
        ASSERT_GT(GetCurrentDirectoryA(sizeof acCwd, acCwd), 0u);
        m_strSavedCwd = acCwd;
#ifdef _WIN32
        ASSERT_NE(GetDriveTypeA("P:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR))
            << "the test runner maps P: and T: to one empty folder";
        m_strRoot = "P:";
        Empty();
#else
        char acTemplate[] = "/tmp/tessaly-paths-XXXXXX";
        ASSERT_NE(mkdtemp(acTemplate), nullptr);
        m_strRoot = acTemplate;
        MapDrives({{'P', m_strRoot}});
#endif
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
#ifdef _WIN32
        Empty();
#else
        std::error_code error;
        std::filesystem::remove_all(m_strRoot, error);
#endif
    }

    // The standard library's path of a UTF-8 path: its narrow paths are not UTF-8 on Windows.
    static std::filesystem::path FsPath(const std::string& strUtf8) {
        return std::filesystem::path(std::u8string(strUtf8.begin(), strUtf8.end()));
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
        if (strRelative.empty()) {
            return tessaly::test::kOnWindows ? m_strRoot + "\\"
                                             : m_strRoot; // "P:" alone is relative
        }
        return m_strRoot + "/" + strRelative;
    }

    void MakeFile(const std::string& strRelative) const {
        std::ofstream file(FsPath(Posix(strRelative)), std::ios::binary | std::ios::trunc);
        ASSERT_TRUE(file.good()) << strRelative;
    }

    void MakeFolder(const std::string& strRelative) const {
        ASSERT_TRUE(std::filesystem::create_directory(FsPath(Posix(strRelative)))) << strRelative;
    }

    // Sets a folder's or file's modification time to a fixed second, far from now, so that a change
    // shows whatever the file system's timestamp resolution.
    void SetMtime(const std::string& strRelative, time_t tSeconds, long lNanoseconds = 0) const {
#ifdef _WIN32
        constexpr std::uint64_t kUnixEpochIn1601Seconds = 11644473600;
        const std::uint64_t ullTicks =
            (static_cast<std::uint64_t>(tSeconds) + kUnixEpochIn1601Seconds) * 10'000'000u +
            static_cast<std::uint64_t>(lNanoseconds) / 100u;
        ASSERT_TRUE(SetNativeWriteTime(FsPath(Posix(strRelative)).wstring().c_str(), ullTicks))
            << strRelative;
#else
        const timespec aTimes[2] = {{tSeconds, lNanoseconds}, {tSeconds, lNanoseconds}};
        ASSERT_EQ(::utimensat(AT_FDCWD, Posix(strRelative).c_str(), aTimes, AT_SYMLINK_NOFOLLOW),
                  0);
#endif
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
        const std::u8string strCwd = std::filesystem::current_path().u8string();
        return std::string(strCwd.begin(), strCwd.end());
    }

    std::string m_strRoot;

private:
    // Everything below the mapped drive's root goes (Windows).
    void Empty() const {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(FsPath(Posix("")), error)) {
            std::filesystem::remove_all(entry.path(), error);
        }
    }

    std::map<char, std::string> m_savedDrives;
    std::string m_strSavedCwd;
};
