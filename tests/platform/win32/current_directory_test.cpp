#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "PathTestFolder.h"
#include "platform/win32/Win32Errors.h"
#include "tests/common/Platform.h"

using CurrentDirectory = PathTestFolder;

TEST_F(CurrentDirectory, ChangesOnlyToExistingFoldersAndShowsTheirNamesOnDisk) {
    MakeFolder("Music");
    MakeFolder("Music/Album");
    MakeFile("Music/track.wav");
    ASSERT_TRUE(SetCurrentDirectoryA("P:\\music\\ALBUM\\"));
    // Windows keeps the case it was given; the stand-in shows the names on disk.
    const std::string strShown =
        tessaly::test::kOnWindows ? "P:\\music\\ALBUM" : "P:\\Music\\Album";
    EXPECT_EQ(CurrentWindowsDirectory(), strShown);
    if (!tessaly::test::kOnWindows) {
        EXPECT_EQ(RealWorkingDirectory(), Posix("Music/Album"));
    }
    const struct {
        const char* pszPath;
        DWORD dwError;
    } failures[] = {{"P:\\Music\\missing", ERROR_FILE_NOT_FOUND},
                    {"P:\\missing\\deeper", ERROR_PATH_NOT_FOUND},
                    {"P:\\Music\\track.wav", ERROR_DIRECTORY},
                    {"Q:\\", ERROR_PATH_NOT_FOUND},
                    {"", ERROR_PATH_NOT_FOUND}};
    for (std::size_t i = 0; i < std::size(failures); ++i) {
        if (failures[i].pszPath[0] == '\0' && tessaly::test::UnderWine()) {
            continue; // Wine: ERROR_INVALID_NAME for an empty path
        }
        SetLastError(0);
        EXPECT_FALSE(SetCurrentDirectoryA(failures[i].pszPath)) << "row " << i;
        EXPECT_EQ(GetLastError(), failures[i].dwError) << "row " << i;
        EXPECT_EQ(CurrentWindowsDirectory(), strShown) << "row " << i;
    }
}

TEST_F(CurrentDirectory, RelativeAndRootedFormsStartFromIt) {
    MakeFolder("a");
    MakeFolder("a/b");
    const struct {
        const char* pszPath;
        const char* pszExpected;
    } steps[] = {{"P:\\a", "P:\\a"}, {"b", "P:\\a\\b"},  {"..", "P:\\a"},     {".\\b\\..", "P:\\a"},
                 {"\\", "P:\\"},     {"..\\..", "P:\\"}, {"a/b", "P:\\a\\b"}, {"P:", "P:\\a\\b"}};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_TRUE(SetCurrentDirectoryA(steps[i].pszPath)) << "step " << i;
        EXPECT_EQ(CurrentWindowsDirectory(), steps[i].pszExpected) << "step " << i;
    }
}

TEST_F(CurrentDirectory, EachDriveRemembersItsOwnFolder) {
    TESSALY_STAND_IN_ONLY("a drive table");
    MakeFolder("p");
    MakeFolder("p/deep");
    MakeFolder("o");
    MakeFolder("o/x");
    MapDrives({{'P', Posix("p")}, {'O', Posix("o")}});
    ASSERT_TRUE(SetCurrentDirectoryA("P:\\deep"));
    ASSERT_TRUE(SetCurrentDirectoryA("O:\\x"));
    EXPECT_EQ(_getdrive(), 'O' - 'A' + 1);
    // "P:" and "P:name" are relative to P's own current folder.
    EXPECT_EQ(tessaly::win32::WindowsToPosixPath("P:y"), Posix("p/deep/y"));
    ASSERT_EQ(_chdrive('P' - 'A' + 1), 0);
    EXPECT_EQ(CurrentWindowsDirectory(), "P:\\deep");
    EXPECT_EQ(RealWorkingDirectory(), Posix("p/deep"));
    ASSERT_TRUE(SetCurrentDirectoryA("O:"));
    EXPECT_EQ(CurrentWindowsDirectory(), "O:\\x");
    // A remembered folder that is gone sends the drive back to its root.
    ASSERT_EQ(::rmdir(Posix("p/deep").c_str()), 0);
    ASSERT_EQ(_chdrive('P' - 'A' + 1), 0);
    EXPECT_EQ(CurrentWindowsDirectory(), "P:\\");
    for (int iDrive : {0, 27, 'Q' - 'A' + 1}) {
        EXPECT_EQ(_chdrive(iDrive), -1) << iDrive;
    }
    EXPECT_EQ(_getdrive(), 'P' - 'A' + 1);
}

TEST_F(CurrentDirectory, ShortBufferGetsNothingAndTheNeededSize) {
    MakeFolder("abc");
    ASSERT_TRUE(SetCurrentDirectoryA("P:\\abc"));
    const std::string strExpected = "P:\\abc";
    const DWORD dwLength = static_cast<DWORD>(strExpected.size());
    char acBuf[32];
    std::memset(acBuf, 'x', sizeof acBuf);
    EXPECT_EQ(GetCurrentDirectoryA(dwLength, acBuf), dwLength + 1);
    EXPECT_EQ(std::string(acBuf, sizeof acBuf), std::string(sizeof acBuf, 'x'));
    EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), dwLength + 1);
    EXPECT_EQ(GetCurrentDirectoryA(dwLength + 1, acBuf), dwLength);
    EXPECT_EQ(std::string(acBuf), strExpected);
    EXPECT_EQ(acBuf[dwLength + 1], 'x');
}

TEST_F(CurrentDirectory, FailedChdirLeavesEverythingAsItWas) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    MakeFolder("here");
    MakeFolder("there");
    ASSERT_TRUE(SetCurrentDirectoryA("P:\\here"));
    tessaly::win32::FailSysCall(tessaly::win32::SysCall::Chdir, EACCES);
    EXPECT_FALSE(SetCurrentDirectoryA("P:\\there"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(CurrentWindowsDirectory(), "P:\\here");
    EXPECT_EQ(RealWorkingDirectory(), Posix("here"));
    tessaly::win32::ClearSysCallFailures();
    EXPECT_TRUE(SetCurrentDirectoryA("P:\\there"));
}

TEST(CurrentDirectoryAtStart, IsTheProcessWorkingDirectoryThroughTheTable) {
    TESSALY_STAND_IN_ONLY("a drive table");
#ifndef _WIN32
    // A fresh process, so that the table is read from the environment at first use.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            char acTemplate[] = "/tmp/tessaly-start-XXXXXX";
            const std::string strRoot = mkdtemp(acTemplate);
            ::mkdir((strRoot + "/sub").c_str(), 0755);
            ::setenv("TESSALY_DRIVES", ("K=" + strRoot + ";junk").c_str(), 1);
            const int iChdir = ::chdir((strRoot + "/sub").c_str());
            char acBuf[256] = {};
            GetCurrentDirectoryA(sizeof acBuf, acBuf);
            const int iDrive = _getdrive();
            const auto table = tessaly::win32::GetDriveTable();
            ::chdir("/");
            ::rmdir((strRoot + "/sub").c_str());
            ::rmdir(strRoot.c_str());
            const bool bOk = iChdir == 0 && std::string(acBuf) == "K:\\sub" &&
                             iDrive == 'K' - 'A' + 1 && table.size() == 2 && table.at('Z') == "/";
            std::exit(bOk ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
#endif
}

using Drives = PathTestFolder;

TEST_F(Drives, LogicalDriveStringsListEveryMappedDriveInOrder) {
    TESSALY_STAND_IN_ONLY("a drive table");
    MakeFolder("o");
    tessaly::win32::SetDriveTable({{'P', m_strRoot}, {'O', Posix("o")}, {'D', "/nowhere"}});
    const std::string strExpected("D:\\\0O:\\\0P:\\\0Z:\\\0\0", 17);
    char acBuf[64];
    std::memset(acBuf, 'x', sizeof acBuf);
    EXPECT_EQ(GetLogicalDriveStringsA(16, acBuf), 17u);
    EXPECT_EQ(acBuf[0], 'x');
    EXPECT_EQ(GetLogicalDriveStringsA(17, acBuf), 16u);
    EXPECT_EQ(std::string(acBuf, 17), strExpected);
}

TEST_F(Drives, TypeIsFixedForMappedFoldersThatExist) {
    TESSALY_STAND_IN_ONLY("a drive table");
    MapDrives({{'P', m_strRoot}, {'D', Posix("missing")}});
    ASSERT_TRUE(SetCurrentDirectoryA("P:\\"));
    const struct {
        const char* pszRoot;
        UINT uType;
    } rows[] = {
        {"P:\\", DRIVE_FIXED},       {"p:", DRIVE_FIXED},          {"P:/", DRIVE_FIXED},
        {nullptr, DRIVE_FIXED},      {"Z:\\", DRIVE_FIXED},        {"D:\\", DRIVE_NO_ROOT_DIR},
        {"Q:\\", DRIVE_NO_ROOT_DIR}, {"P:\\x", DRIVE_NO_ROOT_DIR}, {"", DRIVE_NO_ROOT_DIR}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(GetDriveTypeA(rows[i].pszRoot), rows[i].uType) << "row " << i;
    }
}

using ModuleFileName = PathTestFolder;

TEST_F(ModuleFileName, ReportsTheExecutableThroughTheTable) {
    char acBuf[4096];
    const DWORD dwLength = GetModuleFileNameA(nullptr, acBuf, sizeof acBuf);
#ifndef _WIN32
    char acExe[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", acExe, sizeof acExe - 1), 0);
    EXPECT_EQ(std::string(acBuf, dwLength), tessaly::win32::PosixToWindowsPath(acExe));
#else
    EXPECT_EQ(std::string(acBuf, dwLength).substr(dwLength - 15), "\\test_win32.exe");
#endif

    tessaly::win32::SetModuleFileNameForTests(Posix("bin/tessaly"));
    EXPECT_EQ(GetModuleFileNameA(nullptr, acBuf, sizeof acBuf), 14u);
    EXPECT_EQ(std::string(acBuf), "P:\\bin\\tessaly");
}

TEST_F(ModuleFileName, ShortBufferIsCutAndTerminated) {
    tessaly::win32::SetModuleFileNameForTests(Posix("日本/x.exe"));
    const std::string strFull = Ansi("P:\\日本\\x.exe"); // 日 and 本 take two bytes each
    char acBuf[64];
    const struct {
        DWORD nSize;
        std::size_t uKept;
    } rows[] = {{5, 3}, {6, 5}, {7, 5}, {8, 7}, {static_cast<DWORD>(strFull.size()), 12}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::memset(acBuf, 'x', sizeof acBuf);
        SetLastError(0);
        EXPECT_EQ(GetModuleFileNameA(nullptr, acBuf, rows[i].nSize), rows[i].nSize) << "row " << i;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << "row " << i;
        EXPECT_EQ(std::string(acBuf), strFull.substr(0, rows[i].uKept)) << "row " << i;
    }
}
