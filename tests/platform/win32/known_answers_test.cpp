// What the layer answers from what it knows of the folders it is changing (no disk access) must be
// what the disk itself would have answered.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32.h"
#include "platform/win32/posix/CaseIndex.h"
#include "platform/win32/posix/KnownPaths.h"
#include "tests/platform/win32/FileTestFolder.h"

namespace {

struct Answer {
    bool bFound = false;
    DWORD dwError = ERROR_SUCCESS; // when not found
    std::string strName;           // when found
    DWORD dwAttributes = 0;
};

// The move pass's check: FindFirstFileA on one path.
Answer Check(const std::string& strPath) {
    Answer answer;
    WIN32_FIND_DATAA data;
    SetLastError(ERROR_SUCCESS);
    const HANDLE hFind = FindFirstFileA(strPath.c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) {
        answer.dwError = GetLastError();
        return answer;
    }
    FindClose(hFind);
    answer.bFound = true;
    answer.strName = data.cFileName;
    answer.dwAttributes = data.dwFileAttributes;
    return answer;
}

void ForgetAll() {
    tessaly::win32::detail::ClearKnownPaths();
    tessaly::win32::detail::ClearCaseIndexes();
}

} // namespace

class KnownAnswers : public FileTestFolder {
protected:
    // Top/moved<i>.mp3 for the moves to come, made before the layer looks at Top: a name made
    // behind its back in a folder it is changing may go unseen for a while.
    void MakeFilesToMove(int nFiles) {
        for (int i = 0; i < nFiles; ++i) {
            WriteBytes(Posix("Top/moved" + std::to_string(i) + ".mp3"), "m");
        }
    }

    // Two moves from strTop ("T:\\Top") into its Sub, spelled strSub, with the move pass's checks
    // before each, so that the layer knows both folders as ones it is changing (for the next
    // 100 ms) and, the second time, Sub's spelling as one that leads there.
    void MoveTwiceIntoSub(const std::string& strTop, const std::string& strSub) {
        for (int i = 0; i < 2; ++i) {
            const std::string strName = "moved" + std::to_string(m_nMoved++) + ".mp3";
            const std::string strSrc = strTop + "\\" + strName;
            const std::string strDst = strTop + "\\" + strSub + "\\" + strName;
            ASSERT_TRUE(Check(strTop).bFound);
            ASSERT_TRUE(Check(strSrc).bFound);
            ASSERT_FALSE(Check(strDst).bFound);
            ASSERT_TRUE(Check(strTop + "\\" + strSub).bFound);
            ASSERT_TRUE(MoveFileA(strSrc.c_str(), strDst.c_str()));
        }
    }

    int m_nMoved = 0;
};

TEST_F(KnownAnswers, ChecksInAFolderBeingChangedAnswerAsTheDiskDoes) {
    MakeFolder("Top");
    MakeFolder("Top/Sub");
    MakeFolder("Top/Sub/Deep");
    MakeFile("Top/Sub/Song.mp3");
    MakeFile("Top/Sub/Deep/x.mp3");
    MakeFilesToMove(200);
    // Each asked in Top right after moves into Sub spelled as on disk, and as SUB.
    const char* const apszAsked[] = {
        "Sub\\Song.mp3",
        "Sub\\song.MP3",
        "SUB\\song.MP3",
        "Sub\\missing.mp3",
        "SUB\\missing.mp3",
        "Sub\\Missing\\x",
        "SUB\\Missing\\x",
        "Sub\\Deep\\X.MP3",
        "SUB\\DEEP\\x.mp3",
        "sub\\deep",
        "SUB\\Deep\\none\\x",
        "Sub",
        "SUB",
        "SUB\\",
        "SUB\\Deep\\",
        "Sub\\Song.mp3\\x.mp3",
        "SUB\\Song.mp3\\",
        "sub\\MOVED0.MP3",
        "SUB\\moved0.mp3",
        "Sub\\Deep\\missing",
        "SUB\\Deep\\x.mp3\\y",
    };
    // Drive T: maps to the test folder, Z: to "/": the same folders under two roots.
    for (const std::string& strDrive : {std::string("T:"), "Z:" + m_strRoot}) {
        const std::string strTop = strDrive + "\\Top";
        for (const char* pszAsked : apszAsked) {
            for (const char* pszSub : {"Sub", "SUB"}) {
                const std::string strPath = strTop + "\\" + pszAsked;
                SCOPED_TRACE(strPath + " after moves into " + pszSub);
                MoveTwiceIntoSub(strTop, pszSub);
                const Answer known = Check(strPath);
                ForgetAll();
                const Answer disk = Check(strPath);
                EXPECT_EQ(known.bFound, disk.bFound);
                EXPECT_EQ(known.dwError, disk.dwError);
                EXPECT_EQ(known.strName, disk.strName);
                EXPECT_EQ(known.dwAttributes, disk.dwAttributes);
            }
        }
    }
}

TEST_F(KnownAnswers, MovesThroughAFolderBeingChangedLandAsOnDisk) {
    MakeFolder("Top");
    MakeFolder("Top/Sub");
    MakeFile("Top/Sub/Taken.mp3");
    MakeFilesToMove(20);
    const struct {
        const char* pszCase;
        std::string strTo; // below T:\Top
        bool bMoved;
        DWORD dwError;
        std::string strLandsAt;
    } rows[] = {
        {"the folder in another case", "SUB\\a.mp3", true, ERROR_SUCCESS, "Top/Sub/a.mp3"},
        {"the folder as on disk", "Sub\\a.mp3", true, ERROR_SUCCESS, "Top/Sub/a.mp3"},
        {"a name taken in another case", "SUB\\TAKEN.MP3", false, ERROR_ALREADY_EXISTS, ""},
        {"a name taken in another case", "Sub\\taken.mp3", false, ERROR_ALREADY_EXISTS, ""},
        {"a folder on the way missing", "SUB\\Missing\\a.mp3", false, ERROR_PATH_NOT_FOUND, ""},
        {"a folder on the way missing", "Sub\\Missing\\a.mp3", false, ERROR_PATH_NOT_FOUND, ""},
        {"a file on the way", "SUB\\Taken.mp3\\a.mp3", false, ERROR_PATH_NOT_FOUND, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszCase + (": " + row.strTo));
        WriteBytes(Posix("Top/a.mp3"), "a");
        ForgetAll(); // a.mp3 was made behind the layer's back
        MoveTwiceIntoSub("T:\\Top", "SUB");
        ASSERT_TRUE(Check("T:\\Top\\a.mp3").bFound);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(MoveFileA("T:\\Top\\a.mp3", ("T:\\Top\\" + row.strTo).c_str()) != FALSE,
                  row.bMoved);
        if (row.bMoved) {
            EXPECT_EQ(ReadBytes(Posix(row.strLandsAt)), "a");
            EXPECT_FALSE(Exists("Top/a.mp3"));
        } else {
            EXPECT_EQ(GetLastError(), row.dwError);
            EXPECT_EQ(ReadBytes(Posix("Top/a.mp3")), "a");
        }
        std::filesystem::remove(Posix(row.bMoved ? row.strLandsAt : "Top/a.mp3"));
    }
    EXPECT_EQ(Names("Top").size(), 1 + 20 - 2 * std::size(rows));
    EXPECT_EQ(Names("Top/Sub").size(), 1 + 2 * std::size(rows));
}

TEST_F(KnownAnswers, WhatWasKnownBelowAFolderTheLayerTakesAwayIsForgotten) {
    const struct {
        const char* pszCase;
        bool bRemove; // else moved to Top\Other
    } rows[] = {
        {"moved away", false},
        {"removed", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszCase);
        std::filesystem::remove_all(Posix("Top"));
        MakeFolder("Top");
        MakeFolder("Top/Sub");
        MakeFilesToMove(4);
        m_nMoved = 0;
        ForgetAll();
        // Sub is known as a folder being changed, and so is a folder below it.
        MoveTwiceIntoSub("T:\\Top", "Sub");
        ASSERT_TRUE(CreateDirectoryA("T:\\Top\\Sub\\Deep", nullptr));
        ASSERT_TRUE(Check("T:\\Top\\Sub\\Deep").bFound);
        ASSERT_TRUE(MoveFileA("T:\\Top\\moved2.mp3", "T:\\Top\\Sub\\Deep\\moved2.mp3"));
        if (row.bRemove) {
            for (const char* pszName : {"Deep\\moved2.mp3", "moved0.mp3", "moved1.mp3"}) {
                ASSERT_TRUE(DeleteFileA(("T:\\Top\\Sub\\" + std::string(pszName)).c_str()));
            }
            ASSERT_TRUE(RemoveDirectoryA("T:\\Top\\Sub\\Deep"));
            ASSERT_TRUE(RemoveDirectoryA("T:\\Top\\Sub"));
        } else {
            ASSERT_TRUE(MoveFileA("T:\\Top\\Sub", "T:\\Top\\Other"));
        }
        for (const char* pszAsked :
             {"Sub", "Sub\\Deep", "Sub\\Deep\\moved2.mp3", "Sub\\moved0.mp3", "Sub\\Deep\\x"}) {
            const std::string strPath = std::string("T:\\Top\\") + pszAsked;
            SCOPED_TRACE(strPath);
            const Answer known = Check(strPath);
            EXPECT_FALSE(known.bFound);
            EXPECT_EQ(known.dwError,
                      static_cast<DWORD>(std::string(pszAsked) == "Sub" ? ERROR_FILE_NOT_FOUND
                                                                        : ERROR_PATH_NOT_FOUND));
        }
        if (!row.bRemove) {
            EXPECT_TRUE(Check("T:\\Top\\Other\\Deep\\moved2.mp3").bFound);
        }
    }
}

TEST_F(KnownAnswers, AFolderRemovedBehindItsBackIsMadeAgainOnceAMoveFindsItGone) {
    // The move pass's steps when its destination folder went since the journal looked: the move
    // fails, the folder is made, the move is tried again. Someone else's removal may go unseen
    // for a while, but not once the disk has said so.
    MakeFolder("Top");
    MakeFolder("Top/Sub");
    MakeFilesToMove(3);
    ForgetAll();
    MoveTwiceIntoSub("T:\\Top", "Sub");
    // Sub stays known as a folder being changed; its names' index has made room for others'.
    tessaly::win32::detail::ClearCaseIndexes();
    std::filesystem::remove_all(Posix("Top/Sub"));
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(MoveFileA("T:\\Top\\moved2.mp3", "T:\\Top\\Sub\\moved2.mp3"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Check("T:\\Top\\Sub").dwError, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(MakeSureDirectoryPathExists("T:\\Top\\Sub\\"));
    EXPECT_TRUE(MoveFileA("T:\\Top\\moved2.mp3", "T:\\Top\\Sub\\moved2.mp3"));
    EXPECT_EQ(Names("Top/Sub"), std::set<std::string>{"moved2.mp3"});
}

TEST_F(KnownAnswers, AMoveAfterItsSourceWasIdentifiedMovesWhatIsThereNow) {
    enum class EChange { None, RemovedBehind, RecasedBehind };
    const struct {
        const char* pszCase;
        const char* pszOnDisk; // in Top, holding "a"
        const char* pszSpelled;
        EChange eChange;
        DWORD dwError; // ERROR_SUCCESS: moved to Top\Sub\<spelled>, holding strLanded
        std::string strLanded;
    } rows[] = {
        {"unchanged", "a.mp3", "a.mp3", EChange::None, ERROR_SUCCESS, "a"},
        {"spelled in another case", "a.mp3", "A.MP3", EChange::None, ERROR_SUCCESS, "a"},
        {"removed behind its back", "a.mp3", "a.mp3", EChange::RemovedBehind, ERROR_FILE_NOT_FOUND,
         ""},
        {"renamed to another case behind its back", "a.mp3", "a.mp3", EChange::RecasedBehind,
         ERROR_SUCCESS, "a"},
        {"renamed back to its case behind its back", "A.mp3", "a.mp3", EChange::RecasedBehind,
         ERROR_SUCCESS, "a"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszCase);
        std::filesystem::remove_all(Posix("Top"));
        MakeFolder("Top");
        MakeFolder("Top/Sub");
        WriteBytes(Posix(std::string("Top/") + row.pszOnDisk), "a");
        ForgetAll();
        const std::string strSrc = std::string("T:\\Top\\") + row.pszSpelled;
        const std::string strDst = std::string("T:\\Top\\Sub\\") + row.pszSpelled;
        BY_HANDLE_FILE_INFORMATION info;
        ASSERT_TRUE(tessaly::win32::GetFileInformationBeforeMove(strSrc.c_str(), info));
        if (row.eChange == EChange::RemovedBehind) {
            std::filesystem::remove(Posix("Top/a.mp3"));
        } else if (row.eChange == EChange::RecasedBehind) {
            const std::string strOther = row.pszOnDisk == std::string("a.mp3") ? "A.mp3" : "a.mp3";
            std::filesystem::rename(Posix(std::string("Top/") + row.pszOnDisk),
                                    Posix("Top/" + strOther));
        }
        SetLastError(ERROR_SUCCESS);
        const BOOL bMoved = MoveFileA(strSrc.c_str(), strDst.c_str());
        if (row.dwError != ERROR_SUCCESS) {
            EXPECT_FALSE(bMoved);
            EXPECT_EQ(GetLastError(), row.dwError);
            EXPECT_TRUE(Names("Top/Sub").empty());
            continue;
        }
        ASSERT_TRUE(bMoved);
        EXPECT_EQ(ReadBytes(Posix(std::string("Top/Sub/") + row.pszSpelled)), row.strLanded);
        EXPECT_EQ(Names("Top").size(), 1u);
    }
}
