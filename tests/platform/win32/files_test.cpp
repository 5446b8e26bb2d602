#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/win32/Win32.h"
#include "tests/common/Platform.h"
#include "tests/platform/win32/FileTestFolder.h"

using tessaly::win32::FailSysCall;
using tessaly::win32::SysCall;

class CreateFile : public FileTestFolder {};

TEST_F(CreateFile, DispositionsCreateOpenAndTruncateAsWindows) {
    // Every existing case is opened through another case of its name, as NTFS allows.
    const struct {
        DWORD dwDisposition;
        bool bExists;
        bool bOpens;
        DWORD dwError;
        const char* pszContentAfter; // null: the file does not exist afterwards
    } rows[] = {
        {CREATE_NEW, false, true, ERROR_SUCCESS, ""},
        {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old data"},
        {CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
        {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {OPEN_EXISTING, true, true, ERROR_SUCCESS, "old data"},
        {OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old data"},
        {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
    };
    int i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << i++);
        std::filesystem::remove(Posix("data.bin"));
        std::filesystem::remove(Posix("DATA.BIN"));
        if (row.bExists) {
            WriteBytes(Posix("data.bin"), "old data");
        }
        SetLastError(12345);
        HANDLE h = CreateFileA(row.bExists ? "T:\\DATA.BIN" : "T:\\data.bin",
                               GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               row.dwDisposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(GetLastError(), row.dwError);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, row.bOpens);
        if (h != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(CloseHandle(h));
        }
        EXPECT_EQ(Names(), row.pszContentAfter ? std::set<std::string>{"data.bin"}
                                               : std::set<std::string>{});
        if (row.pszContentAfter != nullptr) {
            EXPECT_EQ(ReadBytes(Posix("data.bin")), row.pszContentAfter);
        }
    }
}

TEST_F(CreateFile, RefusesWhatWindowsRefuses) {
    std::filesystem::create_directory(Posix("folder"));
    const struct {
        const char* pszPath;
        DWORD dwAccess;
        DWORD dwDisposition;
        DWORD dwFlags;
        DWORD dwError;
        bool bWineToo = true; // Wine answers ERROR_FILE_EXISTS and ERROR_FILE_NOT_FOUND there
    } rows[] = {
        {"T:\\missing\\new.txt", GENERIC_WRITE, CREATE_ALWAYS, 0, ERROR_PATH_NOT_FOUND},
        {"T:\\folder", GENERIC_READ, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},
        {"T:\\folder", GENERIC_WRITE, CREATE_ALWAYS, FILE_FLAG_BACKUP_SEMANTICS,
         ERROR_ACCESS_DENIED, false},
        {"T:\\folder", GENERIC_READ, CREATE_NEW, FILE_FLAG_BACKUP_SEMANTICS, ERROR_FILE_EXISTS},
        {"T:\\x.txt", GENERIC_WRITE, 42, 0, ERROR_INVALID_PARAMETER},
        {"T:\\x.txt", GENERIC_READ, TRUNCATE_EXISTING, 0, ERROR_INVALID_PARAMETER, false},
    };
    int i = 0;
    for (const auto& row : rows) {
        if (!row.bWineToo && tessaly::test::UnderWine()) {
            ++i;
            continue;
        }
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(CreateFileA(row.pszPath, row.dwAccess, 0, nullptr, row.dwDisposition, row.dwFlags,
                              nullptr),
                  INVALID_HANDLE_VALUE)
            << "row " << i;
        EXPECT_EQ(GetLastError(), row.dwError) << "row " << i;
        ++i;
    }
    EXPECT_EQ(Names(), std::set<std::string>{"folder"});
}

TEST_F(CreateFile, WritesSeeksAndCutsAnOldLongerContent) {
    WriteBytes(Posix("log.txt"), "a much longer old content");
    HANDLE h = CreateFileA("T:\\log.txt", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD dwWritten = 0;
    ASSERT_TRUE(WriteFile(h, "new", 3, &dwWritten, nullptr));
    EXPECT_EQ(dwWritten, 3u);
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), 3u);
    EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_CURRENT), 1u);
    char acBuf[8] = {};
    DWORD dwRead = 0;
    ASSERT_TRUE(ReadFile(h, acBuf, sizeof acBuf, &dwRead, nullptr));
    EXPECT_EQ(std::string(acBuf, dwRead), "ew");
    ASSERT_TRUE(ReadFile(h, acBuf, sizeof acBuf, &dwRead, nullptr));
    EXPECT_EQ(dwRead, 0u); // the end of the file is no error

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(SetFilePointer(h, -4, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), 131u); // ERROR_NEGATIVE_SEEK
    EXPECT_TRUE(FlushFileBuffers(h));
    DWORD dwHigh = 7;
    EXPECT_EQ(GetFileSize(h, &dwHigh), 3u);
    EXPECT_EQ(dwHigh, 0u);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(ReadBytes(Posix("log.txt")), "new");
}

TEST_F(CreateFile, PositionsBeyondFourGigabytesNeedTheHighPart) {
    HANDLE h = CreateFileA("T:\\big.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    // 0x1FFFFFFFF: a low part that looks like the failure value is told apart by the error.
    LONG lHigh = 1;
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetFilePointer(h, -1, &lHigh, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(lHigh, 1);
    ASSERT_TRUE(WriteFile(h, "z", 1, nullptr, nullptr));
    DWORD dwHigh = 0;
    EXPECT_EQ(GetFileSize(h, &dwHigh), 0u);
    EXPECT_EQ(dwHigh, 2u);
    // Without the high part the new position cannot be reported (Wine moves there all the same).
    if (!tessaly::test::UnderWine()) {
        EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    lHigh = 0;
    EXPECT_EQ(SetFilePointer(h, 16, &lHigh, FILE_BEGIN), 16u);
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, &dwHigh), 16u);
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(CreateFile, WriteFailuresAndBadHandlesAreReported) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    HANDLE hRead = CreateFileA("T:\\r.txt", GENERIC_READ, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(hRead, INVALID_HANDLE_VALUE);
    DWORD dwWritten = 9;
    EXPECT_FALSE(WriteFile(hRead, "x", 1, &dwWritten, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(dwWritten, 0u);
    EXPECT_FALSE(SetEndOfFile(hRead));

    FailSysCall(SysCall::Write, ENOSPC, -1, 0, "w.txt");
    HANDLE hWrite = CreateFileA("T:\\w.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(hWrite, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteFile(hWrite, "data", 4, &dwWritten, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    FailSysCall(SysCall::Fsync, EIO, -1, 0, "w.txt");
    EXPECT_FALSE(FlushFileBuffers(hWrite));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));

    EXPECT_TRUE(CloseHandle(hRead));
    EXPECT_TRUE(CloseHandle(hWrite));
    for (HANDLE hBad : {hRead, INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr)}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(CloseHandle(hBad));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(WriteFile(hBad, "x", 1, &dwWritten, nullptr));
    }
    // A search handle is no file handle, and the other way round.
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA("T:\\*", &data);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CloseHandle(hFind));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(FindClose(hFind));
    HANDLE hFile = CreateFileA("T:\\r.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(FindClose(hFile));
    EXPECT_TRUE(CloseHandle(hFile));
}

TEST_F(CreateFile, FolderHandlesIdentifyTheFolderThroughAnyPath) {
    TESSALY_NOT_UNDER_WINE("it cannot make symbolic links");
    std::filesystem::create_directories(Posix("real/inner"));
    std::filesystem::create_directory_symlink(Posix("real"), Posix("link"));
    const auto identify = [](const char* pszPath) {
        BY_HANDLE_FILE_INFORMATION info{};
        HANDLE h = CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << pszPath;
        EXPECT_TRUE(GetFileInformationByHandle(h, &info)) << pszPath;
        char c;
        DWORD dwRead;
        EXPECT_FALSE(ReadFile(h, &c, 1, &dwRead, nullptr)); // only for its identity
        CloseHandle(h);
        return info;
    };
    const BY_HANDLE_FILE_INFORMATION real = identify("T:\\real\\inner");
    const BY_HANDLE_FILE_INFORMATION linked = identify("T:\\LINK\\Inner");
    const BY_HANDLE_FILE_INFORMATION other = identify("T:\\real");
    struct stat st;
    ASSERT_EQ(stat(Posix("real/inner").c_str(), &st), 0);
    EXPECT_EQ(real.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ((static_cast<std::uint64_t>(real.nFileIndexHigh) << 32) | real.nFileIndexLow,
              static_cast<std::uint64_t>(st.st_ino));
    EXPECT_EQ(linked.dwVolumeSerialNumber, real.dwVolumeSerialNumber);
    EXPECT_EQ(linked.nFileIndexLow, real.nFileIndexLow);
    EXPECT_EQ(linked.nFileIndexHigh, real.nFileIndexHigh);
    EXPECT_EQ(other.dwVolumeSerialNumber, real.dwVolumeSerialNumber);
    EXPECT_NE(other.nFileIndexLow, real.nFileIndexLow);
}

TEST_F(CreateFile, FileInformationGivesSizeLinksAndTimesSince1601) {
    WriteBytes(Posix("song.mp3"), std::string(1234, 'x'));
    std::filesystem::create_hard_link(FsPath(Posix("song.mp3")), FsPath(Posix("again.mp3")));
    SetMtime("song.mp3", 981173106, 700000000); // 2001-02-03 04:05:06.7 UTC
    HANDLE h = CreateFileA("T:\\Song.MP3", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    BY_HANDLE_FILE_INFORMATION info{};
    ASSERT_TRUE(GetFileInformationByHandle(h, &info));
    CloseHandle(h);
    EXPECT_EQ(info.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(info.nFileSizeLow, 1234u);
    EXPECT_EQ(info.nFileSizeHigh, 0u);
    EXPECT_EQ(info.nNumberOfLinks, 2u);
    const std::uint64_t uWrite =
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
        info.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(uWrite, 126256467067000000ull);
}

TEST_F(CreateFile, InformationByNameIsTheHandlesWithoutOpeningTheFile) {
    WriteBytes(Posix("song.mp3"), std::string(1234, 'x'));
    std::filesystem::create_directory(Posix("folder"));
    SetMtime("song.mp3", 981173106, 700000000);
    const auto byHandle = [](const char* pszPath) {
        BY_HANDLE_FILE_INFORMATION info{};
        HANDLE h = CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        EXPECT_TRUE(GetFileInformationByHandle(h, &info)) << pszPath;
        CloseHandle(h);
        return info;
    };
    for (const char* pszPath : {"T:\\SONG.mp3", "T:\\folder"}) {
        BY_HANDLE_FILE_INFORMATION info{};
        ASSERT_TRUE(tessaly::win32::GetFileInformationByName(pszPath, info)) << pszPath;
        const BY_HANDLE_FILE_INFORMATION expected = byHandle(pszPath);
        EXPECT_EQ(info.dwFileAttributes, expected.dwFileAttributes) << pszPath;
        EXPECT_EQ(info.nFileSizeLow, expected.nFileSizeLow) << pszPath;
        EXPECT_EQ(info.ftLastWriteTime.dwLowDateTime, expected.ftLastWriteTime.dwLowDateTime);
        EXPECT_EQ(info.dwVolumeSerialNumber, expected.dwVolumeSerialNumber) << pszPath;
        EXPECT_EQ(info.nFileIndexLow, expected.nFileIndexLow) << pszPath;
        EXPECT_EQ(info.nFileIndexHigh, expected.nFileIndexHigh) << pszPath;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    EXPECT_FALSE(tessaly::win32::GetFileInformationByName("T:\\missing.mp3", info));
    EXPECT_FALSE(tessaly::win32::GetFileInformationByName("T:\\missing\\song.mp3", info));
    // "." is the current folder, however its path was spelled; once removed, it is gone.
    std::filesystem::create_directory(Posix("folder/inner"));
    for (const char* pszPath : {"T:\\FOLDER", "T:\\folder\\Inner"}) {
        ASSERT_TRUE(SetCurrentDirectoryA(pszPath)) << pszPath;
        ASSERT_TRUE(tessaly::win32::GetFileInformationByName(".", info)) << pszPath;
        const BY_HANDLE_FILE_INFORMATION expected = byHandle(pszPath);
        EXPECT_EQ(info.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY)) << pszPath;
        EXPECT_EQ(info.nFileIndexLow, expected.nFileIndexLow) << pszPath;
        EXPECT_EQ(info.nFileIndexHigh, expected.nFileIndexHigh) << pszPath;
    }
    if (!tessaly::test::kOnWindows) { // where a current folder cannot be removed
        std::filesystem::remove(Posix("folder/inner"));
        EXPECT_FALSE(tessaly::win32::GetFileInformationByName(".", info));
    }
}
