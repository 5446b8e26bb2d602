// A run of checks and moves into the same folders, as the move pass makes them, while someone else
// changes those folders behind the layer's back.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/win32/Win32.h"
#include "platform/win32/posix/CaseIndex.h"
#include "tests/platform/win32/FileTestFolder.h"

namespace {

// What the move pass asks before a move: whether the path names an existing file or folder.
bool LayerSees(const char* pszPath, bool bFolder) {
    WIN32_FIND_DATAA data;
    const HANDLE hFind = FindFirstFileA(pszPath, &data);
    if (hFind == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(hFind);
    return ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == bFolder;
}

// Another process writes the file, so that nothing of it goes through this one's layer.
void WriteFromAnotherProcess(const std::string& strPath, const char* pszBytes) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::FILE* pFile = std::fopen(strPath.c_str(), "wb");
        const bool bOk = pFile != nullptr && std::fputs(pszBytes, pFile) >= 0;
        _exit(pFile != nullptr && std::fclose(pFile) == 0 && bOk ? 0 : 1);
    }
    int iStatus = 0;
    ASSERT_EQ(::waitpid(pid, &iStatus, 0), pid);
    ASSERT_TRUE(WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0);
}

} // namespace

class MoveRun : public FileTestFolder {
protected:
    // Moves name from strFolder ("T:\\x") into its sub folder with the move pass's checks, so that
    // the layer knows that folder as one it is changing.
    static void CheckAndMove(const std::string& strName, const std::string& strFolder = "T:") {
        const std::string strSrc = strFolder + "\\" + strName;
        const std::string strSub = strFolder + "\\sub";
        const std::string strDst = strSub + "\\" + strName;
        ASSERT_TRUE(LayerSees(strSrc.c_str(), false)) << strName;
        ASSERT_FALSE(LayerSees(strDst.c_str(), false)) << strName;
        if (!LayerSees(strSub.c_str(), true)) {
            ASSERT_TRUE(MakeSureDirectoryPathExists((strSub + "\\").c_str()));
        }
        ASSERT_TRUE(MoveFileA(strSrc.c_str(), strDst.c_str())) << strName;
    }
};

TEST_F(MoveRun, AnotherProcessCreatingTheDestinationAfterTheCheckIsNeverOverwritten) {
    WriteBytes(Posix("first.mp3"), "first");
    WriteBytes(Posix("song.mp3"), "ours");
    CheckAndMove("first.mp3");
    // The check says the destination is free; then another process takes the name.
    ASSERT_TRUE(LayerSees("T:\\song.mp3", false));
    ASSERT_FALSE(LayerSees("T:\\sub\\song.mp3", false));
    ASSERT_TRUE(LayerSees("T:\\sub", true));
    WriteFromAnotherProcess(Posix("sub/song.mp3"), "theirs");
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(MoveFileA("T:\\song.mp3", "T:\\sub\\song.mp3"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadBytes(Posix("sub/song.mp3")), "theirs");
    EXPECT_EQ(ReadBytes(Posix("song.mp3")), "ours");
    // The refusal showed the folder changed: the next check sees the name at once.
    EXPECT_TRUE(LayerSees("T:\\sub\\SONG.MP3", false));
}

TEST_F(MoveRun, NamesChangedBehindTheLayersBackAreFoundOrReported) {
    const struct {
        const char* pszCase;
        std::string strRename; // "from>to" below the test folder, done by someone else
        bool bMoved;
        DWORD dwError;
        std::string strLandsAt;
    } rows[] = {
        {"the source renamed to another case", "b.mp3>B.MP3", true, ERROR_SUCCESS, "sub/b.mp3"},
        {"the folder renamed to another case", "sub>SUB", true, ERROR_SUCCESS, "SUB/b.mp3"},
        {"the source removed", "b.mp3>", false, ERROR_FILE_NOT_FOUND, ""},
        {"the folder removed", "sub>", false, ERROR_PATH_NOT_FOUND, ""},
        {"the folder renamed away", "sub>elsewhere", false, ERROR_PATH_NOT_FOUND, ""},
    };
    int i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszCase);
        // Each row in a folder of its own, as the layer may still remember the last one's.
        const std::string strRow = "r" + std::to_string(i++);
        const std::string strDrive = "T:\\" + strRow;
        std::filesystem::create_directory(Posix(strRow));
        WriteBytes(Posix(strRow + "/a.mp3"), "a");
        WriteBytes(Posix(strRow + "/b.mp3"), "b");
        CheckAndMove("a.mp3", strDrive);
        ASSERT_TRUE(LayerSees((strDrive + "\\b.mp3").c_str(), false));
        ASSERT_FALSE(LayerSees((strDrive + "\\sub\\b.mp3").c_str(), false));
        ASSERT_TRUE(LayerSees((strDrive + "\\sub").c_str(), true));
        const std::size_t uArrow = row.strRename.find('>');
        const std::string strFrom = Posix(strRow + "/" + row.strRename.substr(0, uArrow));
        const std::string strTo = row.strRename.substr(uArrow + 1);
        if (strTo.empty()) {
            std::filesystem::remove_all(strFrom);
        } else {
            std::filesystem::rename(strFrom, Posix(strRow + "/" + strTo));
        }
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(MoveFileA((strDrive + "\\b.mp3").c_str(), (strDrive + "\\sub\\b.mp3").c_str()) !=
                      FALSE,
                  row.bMoved);
        if (row.bMoved) {
            EXPECT_EQ(ReadBytes(Posix(strRow + "/" + row.strLandsAt)), "b");
        } else {
            EXPECT_EQ(GetLastError(), row.dwError);
        }
        // Nothing is lost: the file is where it was or where it went.
        int nCopies = 0;
        for (const char* pszPlace :
             {"b.mp3", "B.MP3", "sub/b.mp3", "SUB/b.mp3", "elsewhere/b.mp3"}) {
            nCopies += Exists(strRow + "/" + pszPlace) ? 1 : 0;
        }
        EXPECT_EQ(nCopies, row.strRename == "b.mp3>" ? 0 : 1);
    }
}

TEST_F(MoveRun, SeesSomeoneElsesNewNameInAFolderItIsMovingIntoSoonAfter) {
    WriteBytes(Posix("a.mp3"), "a");
    WriteBytes(Posix("b.mp3"), "b");
    CheckAndMove("a.mp3");
    WriteFromAnotherProcess(Posix("sub/Theirs.mp3"), "x");
    // A check may answer from what the layer knows only for a short while.
    const auto tGiveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!LayerSees("T:\\sub\\THEIRS.MP3", false) && std::chrono::steady_clock::now() < tGiveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(LayerSees("T:\\sub\\THEIRS.MP3", false));
    // Opening or creating never acts on a remembered answer, even right after a move.
    CheckAndMove("b.mp3");
    WriteFromAnotherProcess(Posix("sub/Late.mp3"), "y");
    const HANDLE hFile = CreateFileA("T:\\sub\\late.mp3", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
    CloseHandle(hFile);
    EXPECT_EQ(Names("sub"), (std::set<std::string>{"Late.mp3", "Theirs.mp3", "a.mp3", "b.mp3"}));
}

namespace {

// Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "t" + std::to_string(i) + ...
std::string NumberedName(int i) {
    std::string strName = "t";
    strName += std::to_string(i);
    strName += ".mp3";
    return strName;
}

} // namespace

TEST_F(MoveRun, ARunOfMovesIntoOneFolderDoesNotReadItForEachFile) {
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) {
        WriteBytes(Posix(NumberedName(i)), std::to_string(i));
    }
    const auto tStart = std::chrono::steady_clock::now();
    const std::size_t nBuilds = tessaly::win32::detail::GetCaseIndexStats().nBuilds;
    for (int i = 0; i < kFiles; ++i) {
        CheckAndMove(NumberedName(i));
    }
    const auto dElapsed = std::chrono::steady_clock::now() - tStart;
    // A folder the layer is changing is read again once per 100 ms at most (two folders here).
    const auto nWindows = dElapsed / std::chrono::milliseconds(100) + 1;
    EXPECT_LE(tessaly::win32::detail::GetCaseIndexStats().nBuilds - nBuilds,
              static_cast<std::size_t>(2 * nWindows + 2));
    EXPECT_EQ(Names("sub").size(), static_cast<std::size_t>(kFiles));
    EXPECT_EQ(ReadBytes(Posix("sub/t299.mp3")), "299");
}
