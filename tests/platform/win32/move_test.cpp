#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/win32/Win32.h"
#include "tests/common/Platform.h"
#include "tests/platform/win32/FileTestFolder.h"

using tessaly::win32::FailSysCall;
using tessaly::win32::MoveStep;
using tessaly::win32::SysCall;

class MoveFile : public FileTestFolder {};

TEST_F(MoveFile, RefusesWithoutTouchingEitherFile) {
    std::filesystem::create_directory(Posix("dst"));
    WriteBytes(Posix("src.mp3"), "source");
    WriteBytes(Posix("dst/taken.mp3"), "keep me");
    const struct {
        const char* pszFrom;
        const char* pszTo;
        DWORD dwError;
    } rows[] = {
        {"T:\\src.mp3", "T:\\dst\\taken.mp3", ERROR_ALREADY_EXISTS},
        {"T:\\src.mp3", "T:\\DST\\TAKEN.MP3", ERROR_ALREADY_EXISTS}, // a case variant is taken too
        {"T:\\missing.mp3", "T:\\dst\\new.mp3", ERROR_FILE_NOT_FOUND},
        {"T:\\src.mp3", "T:\\nowhere\\new.mp3", ERROR_PATH_NOT_FOUND},
    };
    int i = 0;
    for (const auto& row : rows) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(MoveFileA(row.pszFrom, row.pszTo)) << "row " << i;
        EXPECT_EQ(GetLastError(), row.dwError) << "row " << i;
        ++i;
    }
    EXPECT_EQ(ReadBytes(Posix("src.mp3")), "source");
    EXPECT_EQ(ReadBytes(Posix("dst/taken.mp3")), "keep me");
    EXPECT_EQ(Names("dst"), std::set<std::string>{"taken.mp3"});
}

TEST_F(MoveFile, MovesFilesAndFoldersIntoFoldersFoundIgnoringCase) {
    std::filesystem::create_directories(Posix("Music/album"));
    std::filesystem::create_directory(Posix("album"));
    WriteBytes(Posix("a.mp3"), "song");
    WriteBytes(Posix("album/b.mp3"), "other");
    ASSERT_TRUE(MoveFileA("T:\\A.MP3", "T:\\music\\ALBUM\\Track.mp3"));
    EXPECT_EQ(ReadBytes(Posix("Music/album/Track.mp3")), "song");
    ASSERT_TRUE(MoveFileA("T:\\album", "T:\\MUSIC\\Second"));
    EXPECT_EQ(ReadBytes(Posix("Music/Second/b.mp3")), "other");
    EXPECT_EQ(Names(), std::set<std::string>{"Music"});
}

TEST_F(MoveFile, RenamesANameToAnotherCaseInPlace) {
    TESSALY_NOT_UNDER_WINE("a name moved to another case keeps its old case");
    WriteBytes(Posix("song.mp3"), "x");
    ASSERT_TRUE(MoveFileA("T:\\song.mp3", "T:\\Song.MP3"));
    EXPECT_EQ(Names(), std::set<std::string>{"Song.MP3"});
    ASSERT_TRUE(MoveFileA("T:\\song.mp3", "T:\\Song.MP3")); // already so: nothing to do
    EXPECT_EQ(Names(), std::set<std::string>{"Song.MP3"});
    if (tessaly::test::kOnWindows) {
        return; // two names that differ in case are one file there
    }
    // Two names that differ in case are two files: the other one is not replaced.
    WriteBytes(Posix("song.mp3"), "y");
    EXPECT_FALSE(MoveFileA("T:\\song.mp3", "T:\\Song.MP3"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadBytes(Posix("Song.MP3")), "x");
}

TEST_F(MoveFile, TwoMovesRacingForOneNameNeverReplace) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    for (int iRound = 0; iRound < 60; ++iRound) {
        SCOPED_TRACE(testing::Message() << "round " << iRound);
        // Every other round on a file system without RENAME_NOREPLACE: link decides.
        tessaly::win32::ClearSysCallFailures();
        if (iRound % 2 == 1) {
            FailSysCall(SysCall::Rename, EINVAL);
        }
        std::filesystem::remove(Posix("dst.mp3"));
        WriteBytes(Posix("one.mp3"), "one");
        WriteBytes(Posix("two.mp3"), "two");
        std::atomic<int> iReady{0};
        BOOL abMoved[2] = {};
        DWORD adwError[2] = {};
        const auto race = [&](int iSide, const char* pszFrom) {
            ++iReady;
            while (iReady.load() < 2) {
            }
            abMoved[iSide] = MoveFileA(pszFrom, "T:\\dst.mp3");
            adwError[iSide] = GetLastError();
        };
        std::thread first(race, 0, "T:\\one.mp3");
        std::thread second(race, 1, "T:\\two.mp3");
        first.join();
        second.join();
        ASSERT_NE(abMoved[0], abMoved[1]);
        const int iLoser = abMoved[0] ? 1 : 0;
        EXPECT_EQ(adwError[iLoser], static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        EXPECT_EQ(ReadBytes(Posix("dst.mp3")), iLoser == 0 ? "two" : "one");
        EXPECT_TRUE(Exists(iLoser == 0 ? "one.mp3" : "two.mp3"));
        std::filesystem::remove(Posix(iLoser == 0 ? "one.mp3" : "two.mp3"));
    }
}

TEST_F(MoveFile, WithoutNoReplaceRenameStillNeverReplaces) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    // The file system answers RENAME_NOREPLACE with EINVAL: files go by link and unlink, folders
    // by a rename after a check.
    WriteBytes(Posix("a.txt"), "a");
    WriteBytes(Posix("b.txt"), "b");
    std::filesystem::create_directories(Posix("folder/sub"));
    std::filesystem::create_directory(Posix("empty"));
    const auto noReplaceUnsupported = [] {
        tessaly::win32::ClearSysCallFailures();
        FailSysCall(SysCall::Rename, EINVAL, 1);
    };
    noReplaceUnsupported();
    EXPECT_TRUE(MoveFileA("T:\\a.txt", "T:\\c.txt"));
    noReplaceUnsupported();
    // An empty folder is what a plain rename would silently replace.
    EXPECT_FALSE(MoveFileA("T:\\folder", "T:\\empty"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    noReplaceUnsupported();
    EXPECT_TRUE(MoveFileA("T:\\folder", "T:\\moved"));
    EXPECT_EQ(Names(), (std::set<std::string>{"b.txt", "c.txt", "empty", "moved"}));
    EXPECT_EQ(ReadBytes(Posix("c.txt")), "a");
    EXPECT_EQ(ReadBytes(Posix("b.txt")), "b");
    EXPECT_TRUE(Exists("moved/sub"));
}

TEST_F(MoveFile, AcrossFileSystemsCopiesBytesAndTimesThenRemovesTheSource) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
#ifndef _WIN32
    std::filesystem::create_directory(Posix("dst"));
    std::string strData(600 * 1024, '\0');
    for (size_t i = 0; i < strData.size(); ++i) {
        strData[i] = static_cast<char>(i * 7 + i / 1000);
    }
    WriteBytes(Posix("src.wav"), strData);
    ASSERT_EQ(chmod(Posix("src.wav").c_str(), 0640), 0);
    const timespec aTimes[2] = {{1000000000, 0}, {1234567890, 500000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, Posix("src.wav").c_str(), aTimes, 0), 0);
    FailSysCall(SysCall::Rename, EXDEV, -1, 0, "src.wav");

    ASSERT_TRUE(MoveFileA("T:\\src.wav", "T:\\dst\\out.wav"));
    EXPECT_FALSE(Exists("src.wav"));
    EXPECT_EQ(Names("dst"), std::set<std::string>{"out.wav"});
    EXPECT_TRUE(ReadBytes(Posix("dst/out.wav")) == strData);
    struct stat st;
    ASSERT_EQ(stat(Posix("dst/out.wav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(st.st_mtim.tv_nsec, 500000000);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A folder cannot be carried over.
    std::filesystem::create_directory(Posix("src.wav.d"));
    EXPECT_FALSE(MoveFileA("T:\\src.wav.d", "T:\\dst\\folder"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SAME_DEVICE));
    EXPECT_TRUE(Exists("src.wav.d"));
#endif
}

TEST_F(MoveFile, AFailedCopyLeavesTheSourceAndNothingElse) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    std::filesystem::create_directory(Posix("dst"));
    const std::string strData(700 * 1024, 'm');
    const struct {
        SysCall call;
        int iErrno;
        int iSkip; // calls that succeed first: 1 write is a partial copy
        DWORD dwError;
    } rows[] = {
        {SysCall::Write, ENOSPC, 0, ERROR_DISK_FULL},
        {SysCall::Write, ENOSPC, 1, ERROR_DISK_FULL},
        {SysCall::Fsync, EIO, 0, ERROR_GEN_FAILURE},
        {SysCall::Link, ENOSPC, 0, ERROR_DISK_FULL},
    };
    int i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << i++);
        WriteBytes(Posix("src.wav"), strData);
        tessaly::win32::ClearSysCallFailures();
        FailSysCall(SysCall::Rename, EXDEV, -1, 0, "src.wav");
        FailSysCall(row.call, row.iErrno, -1, row.iSkip);
        EXPECT_FALSE(MoveFileA("T:\\src.wav", "T:\\dst\\out.wav"));
        EXPECT_EQ(GetLastError(), row.dwError);
        EXPECT_TRUE(ReadBytes(Posix("src.wav")) == strData);
        EXPECT_EQ(Names("dst"), std::set<std::string>{});
    }
}

// Without RENAME_NOREPLACE and hard links, another process creating the destination at any step
// of the move keeps what it made: the move then fails, or the other's create does.
TEST_F(MoveFile, WithoutNoReplaceOrLinksARacingCreatorIsNeverOverwritten) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
#ifndef _WIN32
    enum class Creator { Exclusive, Plain, RemoveAndCreate };
    // Each creator puts "theirs" at the path and says whether it managed to.
    const auto create = [](Creator creator, const std::string& strPath) {
        if (creator == Creator::RemoveAndCreate) {
            ::unlink(strPath.c_str());
        }
        const int iFlags = O_WRONLY | O_CREAT | (creator == Creator::Plain ? O_TRUNC : O_EXCL);
        const int fd = ::open(strPath.c_str(), iFlags, 0644);
        if (fd < 0) {
            return false;
        }
        const bool bWritten = ::write(fd, "theirs", 6) == 6;
        ::close(fd);
        return bWritten;
    };
    const struct {
        MoveStep step;
        Creator creator;
    } rows[] = {
        {MoveStep::NameClaim, Creator::Exclusive},
        {MoveStep::NameClaim, Creator::Plain},
        {MoveStep::NameClaim, Creator::RemoveAndCreate},
        {MoveStep::NameClaimed, Creator::Exclusive},
        {MoveStep::NameClaimed, Creator::Plain},
        {MoveStep::NameClaimed, Creator::RemoveAndCreate},
        // After the last check only an exclusive creator is shut out; the other two are the
        // moment MoveFileA's header names.
        {MoveStep::NameChecked, Creator::Exclusive},
    };
    int i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << i++);
        tessaly::win32::ClearSysCallFailures();
        FailSysCall(SysCall::Rename, EINVAL, 1);
        FailSysCall(SysCall::Link, EPERM);
        std::filesystem::remove(Posix("dst.mp3"));
        WriteBytes(Posix("src.mp3"), "source");
        bool bTheirs = false;
        AtFirst(row.step,
                [&](const std::string& strPath) { bTheirs = create(row.creator, strPath); });
        SetLastError(ERROR_SUCCESS);
        const BOOL bMoved = MoveFileA("T:\\src.mp3", "T:\\dst.mp3");
        tessaly::win32::SetMoveStepHookForTests({});
        EXPECT_NE(bMoved, bTheirs);
        if (bTheirs) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
            EXPECT_EQ(ReadBytes(Posix("dst.mp3")), "theirs");
            EXPECT_EQ(ReadBytes(Posix("src.mp3")), "source");
        } else {
            EXPECT_EQ(ReadBytes(Posix("dst.mp3")), "source");
            EXPECT_FALSE(Exists("src.mp3"));
        }
        // No placeholder or other trace of the move is left.
        const std::set<std::string> left =
            bMoved ? std::set<std::string>{"dst.mp3"} : std::set<std::string>{"dst.mp3", "src.mp3"};
        EXPECT_EQ(Names(), left);
    }
#endif
}

// A folder claims its name with an empty folder, which rename(2) replaces only while it is empty.
TEST_F(MoveFile, WithoutNoReplaceAFolderNeverReplacesWhatOthersPutThere) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
#ifndef _WIN32
    enum class Creator { MakeFolder, FillPlaceholder, ReplacePlaceholder };
    const auto create = [](Creator creator, const std::string& strPath) {
        if (creator == Creator::ReplacePlaceholder && ::rmdir(strPath.c_str()) != 0) {
            return false;
        }
        if (creator != Creator::FillPlaceholder && ::mkdir(strPath.c_str(), 0755) != 0) {
            return false;
        }
        const int fd = ::open((strPath + "/theirs.txt").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            return false;
        }
        ::close(fd);
        return true;
    };
    const struct {
        MoveStep step;
        Creator creator;
    } rows[] = {
        {MoveStep::NameClaim, Creator::MakeFolder},
        {MoveStep::NameClaimed, Creator::MakeFolder}, // fails: the name is ours
        {MoveStep::NameClaimed, Creator::FillPlaceholder},
        {MoveStep::NameClaimed, Creator::ReplacePlaceholder},
        {MoveStep::NameChecked, Creator::FillPlaceholder},
        {MoveStep::NameChecked, Creator::ReplacePlaceholder},
    };
    int i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << i++);
        tessaly::win32::ClearSysCallFailures();
        FailSysCall(SysCall::Rename, EINVAL, 1);
        std::filesystem::remove_all(Posix("moved"));
        std::filesystem::remove_all(Posix("album"));
        std::filesystem::create_directory(Posix("album"));
        WriteBytes(Posix("album/song.mp3"), "song");
        bool bTheirs = false;
        AtFirst(row.step,
                [&](const std::string& strPath) { bTheirs = create(row.creator, strPath); });
        SetLastError(ERROR_SUCCESS);
        const BOOL bMoved = MoveFileA("T:\\album", "T:\\moved");
        tessaly::win32::SetMoveStepHookForTests({});
        EXPECT_NE(bMoved, bTheirs);
        if (bTheirs) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
            EXPECT_EQ(Names("moved"), std::set<std::string>{"theirs.txt"});
            EXPECT_EQ(ReadBytes(Posix("album/song.mp3")), "song");
        } else {
            EXPECT_EQ(ReadBytes(Posix("moved/song.mp3")), "song");
            EXPECT_FALSE(Exists("album"));
        }
    }
#endif
}

TEST_F(MoveFile, ACopyAcrossFileSystemsWithoutNoReplaceOrLinksNeverReplacesEither) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    WriteBytes(Posix("src.wav"), "source");
    FailSysCall(SysCall::Rename, EXDEV, -1, 0, "src.wav");
    FailSysCall(SysCall::Rename, EINVAL, 1, 0, ".tessaly-move-");
    FailSysCall(SysCall::Link, EPERM);
    tessaly::win32::SetMoveStepHookForTests([&](MoveStep step, const std::string& strPath) {
        if (step == MoveStep::NameClaimed) {
            WriteBytes(strPath, "theirs"); // opens the placeholder and writes
        }
    });
    EXPECT_FALSE(MoveFileA("T:\\src.wav", "T:\\dst.wav"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadBytes(Posix("dst.wav")), "theirs");
    EXPECT_EQ(ReadBytes(Posix("src.wav")), "source");
    EXPECT_EQ(Names(), (std::set<std::string>{"dst.wav", "src.wav"}));

    tessaly::win32::SetMoveStepHookForTests({});
    std::filesystem::remove(Posix("dst.wav"));
    tessaly::win32::ClearSysCallFailures();
    FailSysCall(SysCall::Rename, EXDEV, -1, 0, "src.wav");
    FailSysCall(SysCall::Rename, EINVAL, 1, 0, ".tessaly-move-");
    FailSysCall(SysCall::Link, EPERM);
    ASSERT_TRUE(MoveFileA("T:\\src.wav", "T:\\dst.wav"));
    EXPECT_EQ(ReadBytes(Posix("dst.wav")), "source");
    EXPECT_EQ(Names(), std::set<std::string>{"dst.wav"});
}
