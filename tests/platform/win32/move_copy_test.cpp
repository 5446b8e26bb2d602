// MoveFileA across file systems: the copy, its checks of the source, and the temporaries it
// leaves behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "platform/win32/Win32.h"
#include "tests/platform/win32/FileTestFolder.h"

using tessaly::win32::ClearSysCallFailures;
using tessaly::win32::FailSysCall;
using tessaly::win32::MoveStep;
using tessaly::win32::SetMoveStepHookForTests;
using tessaly::win32::SysCall;

namespace {

// Three copy pieces and a bit, so that a change after the first piece is met by later reads.
std::string SourceData() {
    std::string strData(800 * 1024, '\0');
    for (size_t i = 0; i < strData.size(); ++i) {
        strData[i] = static_cast<char>(i * 13 + i / 4096);
    }
    return strData;
}

void AppendTo(const std::string& strPath, const std::string& strBytes) {
    const int fd = ::open(strPath.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, strBytes.data(), strBytes.size()), static_cast<ssize_t>(strBytes.size()));
    ::close(fd);
}

void OverwriteStart(const std::string& strPath, const std::string& strBytes) {
    const int fd = ::open(strPath.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, strBytes.data(), strBytes.size(), 0),
              static_cast<ssize_t>(strBytes.size()));
    ::close(fd);
}

// A process id that is certainly not running: a child that has exited and been reaped.
pid_t GonePid() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(0);
    }
    ::waitpid(pid, nullptr, 0);
    return pid;
}

} // namespace

class MoveAcross : public FileTestFolder {
protected:
    void SetUp() override {
        FileTestFolder::SetUp();
        std::filesystem::create_directory(Posix("dst"));
        m_strData = SourceData();
        WriteBytes(Posix("src.wav"), m_strData);
        // Far from now, so that any write during the copy shows in the modification time.
        SetMtime("src.wav", 1000000000);
        FailSysCall(SysCall::Rename, EXDEV, -1, 0, "src.wav");
    }

    std::string m_strData;
};

TEST_F(MoveAcross, ASourceChangedDuringTheCopyStaysAndNoCopyIsLeft) {
    const std::string strOther(m_strData.size(), 'o');
    using Change = std::function<void(const std::string& strSource)>;
    const auto restore = [&](const std::string& strSource) {
        WriteBytes(strSource, m_strData);
        SetMtime("src.wav", 1000000000);
    };
    const struct {
        const char* pszWhat;
        MoveStep step;
        Change fnChange;
        std::string strSourceAfter; // what the changer left at the source's name
        Change fnOncePlaced;        // a second change, once the copy is in place
    } rows[] = {
        {"grows while copied", MoveStep::CopyChunk,
         [](const std::string& strSource) { AppendTo(strSource, "more"); }, m_strData + "more",
         nullptr},
        {"shrinks while copied", MoveStep::CopyChunk,
         [](const std::string& strSource) { ASSERT_EQ(::truncate(strSource.c_str(), 1000), 0); },
         m_strData.substr(0, 1000), nullptr},
        // Only the count of bytes copied tells: size and time are back by the last check.
        {"shrinks while copied, then is put back", MoveStep::CopyChunk,
         [](const std::string& strSource) { ASSERT_EQ(::truncate(strSource.c_str(), 1000), 0); },
         m_strData.substr(0, 1000), restore},
        {"grows while copied, then is put back", MoveStep::CopyChunk,
         [](const std::string& strSource) { AppendTo(strSource, "more"); }, m_strData + "more",
         restore},
        {"rewritten in place while copied", MoveStep::CopyChunk,
         [](const std::string& strSource) { OverwriteStart(strSource, "XYZ"); },
         "XYZ" + m_strData.substr(3), nullptr},
        {"appended to once copied", MoveStep::CopyPlaced,
         [](const std::string& strSource) { AppendTo(strSource, "late"); }, m_strData + "late",
         nullptr},
        // Same size and time under the same name, but another file: only the inode tells.
        {"replaced once copied", MoveStep::CopyPlaced,
         [&](const std::string& strSource) {
             WriteBytes(strSource + ".new", strOther);
             const timespec aTimes[2] = {{1000000000, 0}, {1000000000, 0}};
             ASSERT_EQ(::utimensat(AT_FDCWD, (strSource + ".new").c_str(), aTimes, 0), 0);
             ASSERT_EQ(::rename((strSource + ".new").c_str(), strSource.c_str()), 0);
         },
         strOther, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszWhat);
        restore(Posix("src.wav"));
        SetMoveStepHookForTests(
            [&, bDone = false](MoveStep step, const std::string& strPath) mutable {
                if (step == row.step && !bDone) {
                    bDone = true;
                    row.fnChange(strPath);
                } else if (step == MoveStep::CopyPlaced && row.fnOncePlaced) {
                    row.fnOncePlaced(strPath);
                }
            });
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(MoveFileA("T:\\src.wav", "T:\\dst\\out.wav"));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_TRUE(ReadBytes(Posix("src.wav")) == row.strSourceAfter);
        EXPECT_EQ(Names("dst"), std::set<std::string>{});
    }
    // Left alone, the same move goes through.
    SetMoveStepHookForTests({});
    restore(Posix("src.wav"));
    ASSERT_TRUE(MoveFileA("T:\\src.wav", "T:\\dst\\out.wav"));
    EXPECT_TRUE(ReadBytes(Posix("dst/out.wav")) == m_strData);
    EXPECT_FALSE(Exists("src.wav"));
}

TEST_F(MoveAcross, AFailureAfterTheCopyIsInPlaceTakesTheCopyBackAndKeepsTheSource) {
    const struct {
        const char* pszWhat;
        SysCall call;
        int iErrno;
        int iSkip;
        const char* pszPathPart;
        DWORD dwError;
    } rows[] = {
        // The copy's own fsync comes first, the folder's second.
        {"folder fsync", SysCall::Fsync, EIO, 1, "", ERROR_GEN_FAILURE},
        {"source unlink", SysCall::Unlink, EACCES, 0, "src.wav", ERROR_ACCESS_DENIED},
        {"source unlink, read-only disk", SysCall::Unlink, EROFS, 0, "src.wav",
         ERROR_WRITE_PROTECT},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszWhat);
        ClearSysCallFailures();
        FailSysCall(SysCall::Rename, EXDEV, -1, 0, "src.wav");
        FailSysCall(row.call, row.iErrno, -1, row.iSkip, row.pszPathPart);
        bool bPlaced = false;
        AtFirst(MoveStep::CopyPlaced, [&](const std::string&) { bPlaced = Exists("dst/out.wav"); });
        EXPECT_FALSE(MoveFileA("T:\\src.wav", "T:\\dst\\out.wav"));
        EXPECT_EQ(GetLastError(), row.dwError);
        EXPECT_TRUE(ReadBytes(Posix("src.wav")) == m_strData);
        EXPECT_EQ(Names("dst"), std::set<std::string>{});
        // The folder fsync fails before the copy is announced as placed; unlink after.
        EXPECT_EQ(bPlaced, row.call == SysCall::Unlink);
    }
}

TEST_F(MoveAcross, TemporariesOfDeadProcessesAreSweptOnceByTheNextMoveIntoTheirFolder) {
    const std::string strGone = std::to_string(GonePid());
    const std::string strSelf = std::to_string(::getpid());
    const std::string strStale = ".tessaly-move-" + strGone + "-3.tmp";
    const std::set<std::string> kept = {
        ".tessaly-move-" + strSelf + "-999999.tmp", // this process's own
        ".tessaly-move-1-0.tmp",                    // a running process's
        ".tessaly-move-" + strGone + "-x.tmp",      // not a name we make
        ".tessaly-move-" + strGone + "-.tmp",
        "tessaly-move-" + strGone + "-5.tmp",
        ".tessaly-move-" + strGone + "-6.tmp.wav",
        ".tessaly-move-" + strGone + "-7.tmp", // a folder: never ours
        ".tessaly-move-" + strGone + "-8.tmp", // a link: never ours either
    };
    for (const std::string& strName : kept) {
        if (strName.ends_with("-7.tmp")) {
            MakeFolder("dst/" + strName);
        } else if (strName.ends_with("-8.tmp")) {
            ASSERT_EQ(::symlink("elsewhere", Posix("dst/" + strName).c_str()), 0);
        } else {
            WriteBytes(Posix("dst/" + strName), "x");
        }
    }
    WriteBytes(Posix("dst/" + strStale), "half a copy");
    WriteBytes(Posix("other.wav"), "elsewhere");
    // A rename, no copy: the folder is visited all the same.
    ASSERT_TRUE(MoveFileA("T:\\other.wav", "T:\\dst\\plain-rename.wav"));
    EXPECT_FALSE(Exists("dst/" + strStale));

    ASSERT_TRUE(MoveFileA("T:\\src.wav", "T:\\dst\\out.wav"));
    std::set<std::string> expected = kept;
    expected.insert({"out.wav", "plain-rename.wav"});
    EXPECT_EQ(Names("dst"), expected);

    // Once per folder: a temporary left later stays until another process looks.
    WriteBytes(Posix("dst/" + strStale), "half a copy");
    WriteBytes(Posix("src.wav"), "again");
    ASSERT_TRUE(MoveFileA("T:\\src.wav", "T:\\dst\\second.wav"));
    EXPECT_TRUE(Exists("dst/" + strStale));
}

// A real second file system where the machine has one: /dev/shm (tmpfs) beside /tmp.
TEST_F(MoveAcross, OntoARealOtherFileSystem) {
    ClearSysCallFailures();
    struct stat stShm;
    struct stat stHere;
    if (::stat("/dev/shm", &stShm) != 0 || ::stat(m_strRoot.c_str(), &stHere) != 0 ||
        stShm.st_dev == stHere.st_dev) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    char acTemplate[] = "/dev/shm/tessaly-move-XXXXXX";
    ASSERT_NE(::mkdtemp(acTemplate), nullptr);
    const std::string strOther = acTemplate;
    MapDrives({{'T', m_strRoot}, {'U', strOther}});

    ASSERT_TRUE(MoveFileA("T:\\src.wav", "U:\\out.wav"));
    EXPECT_FALSE(Exists("src.wav"));
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(strOther)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::set<std::string>{"out.wav"});
    EXPECT_TRUE(ReadBytes(strOther + "/out.wav") == m_strData);

    // The way back, with the source growing under the copy: it stays where it was.
    AtFirst(MoveStep::CopyChunk, [](const std::string& strSource) { AppendTo(strSource, "+"); });
    EXPECT_FALSE(MoveFileA("U:\\out.wav", "T:\\back.wav"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(ReadBytes(strOther + "/out.wav") == m_strData + "+");
    EXPECT_FALSE(Exists("back.wav"));
    std::filesystem::remove_all(strOther);
}
