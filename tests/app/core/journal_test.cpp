#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/core/JournalUndo.h"
#include "app/core/MoveJournal.h"
#include "app/core/MovePass.h"
#include "engine/RunState.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32TestHooks.h"
#include "support/AnsiText.h"
#include "tests/app/core/CollectedEntries.h"
#include "tests/common/Platform.h"
#include "tests/common/ProgramFolders.h"

namespace {

namespace fs = std::filesystem;

using tessaly::test::Ansi;
using tessaly::test::Entry;

// Stops the pass after a number of entries, as a kill between two files would.
struct StoppingHost : IMovePassHost {
    DWORD dwStopAfter = 0xFFFFFFFF;
    DWORD dwSeen = 0;
    void OnMoveProgress() override {}
    void OnEntryMoved(DWORD, const MovePaths&, EMoveOutcome) override {
        if (++dwSeen == dwStopAfter) {
            g_bAbort = TRUE;
        }
    }
    void ShowMoveResult(const CString&) override {}
};

struct RecordingUndo : IUndoHost {
    std::map<std::string, EUndoOutcome> outcomes; // by destination (UTF-8)
    void OnUndoEntry(const CJournalMove& move, EUndoOutcome eOutcome, DWORD) override {
        outcomes[tessaly::win32::AnsiToUtf8(move.m_strDst.GetString())] = eOutcome;
    }
    bool IsUndoStopped() override { return false; }
};

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override { g_bAbort = FALSE; }
    void TearDown() override { g_bAbort = FALSE; }

    // Every file (with its bytes) and folder below the drive's folder, the journals left out.
    std::map<std::string, std::string> Snapshot(const std::string& strBelow) const {
        std::map<std::string, std::string> files;
        for (const auto& item : fs::recursive_directory_iterator(folders.Native(strBelow))) {
            const std::string strRel = fs::relative(item.path(), folders.Native()).generic_string();
            files[strRel] = item.is_directory() ? "<folder>" : folders.ReadBytes(strRel);
        }
        return files;
    }

    std::string JournalFolder() const { return folders.WinPath("journal"); }

    // A run of the pass over store with a journal; the journal's path.
    std::string Run(const CFileList& store, DWORD dwStopAfter = 0xFFFFFFFF) {
        fs::create_directories(folders.Native("journal"));
        CMoveJournal journal;
        const std::vector<CString> roots{CString(Ansi(folders.WinPath("wav")).c_str())};
        EXPECT_TRUE(journal.Begin("tessaly", Ansi(folders.WinPath("X")).c_str(), "mp3", roots,
                                  JournalFolder().c_str()));
        StoppingHost host;
        host.dwStopAfter = dwStopAfter;
        RunMovePass(store, Ansi(folders.WinPath("X")).c_str(), "mp3", host, &journal);
        g_bAbort = FALSE;
        return journal.GetPath().GetString();
    }

    tessaly::test::ProgramFolders folders;
};

} // namespace

TEST_F(JournalTest, AnUndoAfterARunStoppedAnywhereGivesBackTheTreeAsItWas) {
    // Random template trees and flat folders: names in several scripts, missing flat files,
    // destinations that exist already. Stopped after k entries for k over the whole range; an odd
    // seed also loses the journal's end record and has its last line cut, as a killed run does.
    // A tab, which Windows refuses in names, shows the journal's escapes at work on Linux; "%25"
    // everywhere, in ASCII paths and others.
    const char* apcNames[] = {
        "a%25", "Bb", "曲", "é", "한국", "x y", tessaly::test::kOnWindows ? "z" : "t\tb"};
    for (unsigned uSeed = 1; uSeed <= 12; ++uSeed) {
        SCOPED_TRACE("seed " + std::to_string(uSeed));
        std::mt19937 rng(uSeed);
        fs::remove_all(folders.Native("X"));
        fs::remove_all(folders.Native("journal"));
        CFileList store;
        std::vector<std::string> vecFolders{""};
        for (int i = 0; i < 4; ++i) {
            const std::string& strParent = vecFolders[rng() % vecFolders.size()];
            vecFolders.push_back((strParent.empty() ? "" : strParent + "/") + apcNames[rng() % 7] +
                                 std::to_string(i));
        }
        const int iFiles = 6 + static_cast<int>(rng() % 10);
        for (int i = 0; i < iFiles; ++i) {
            const std::string strFolder = vecFolders[rng() % vecFolders.size()];
            const std::string strTitle = std::string(apcNames[rng() % 7]) + "_" + std::to_string(i);
            std::string strWinFolder = strFolder;
            std::replace(strWinFolder.begin(), strWinFolder.end(), '/', '\\');
            store.Append(Entry(folders.WinPath("wav"), strWinFolder, strTitle + ".wav"));
            const unsigned uKind = rng() % 5;
            if (uKind != 0) {
                folders.WriteBytes("X/" + strTitle + ".mp3", "flat " + std::to_string(i));
            }
            if (uKind == 1 && !strFolder.empty()) {
                folders.WriteBytes("X/" + strFolder + "/" + strTitle + ".mp3", "there before");
            }
        }
        folders.WriteBytes("X/unrelated.txt", "stays");
        const auto before = Snapshot("X");
        const DWORD dwStop = rng() % (store.GetCount() + 1);

        const std::string strJournal = Run(store, dwStop == 0 ? 0xFFFFFFFF : dwStop);
        if (uSeed % 2 == 1) {
            const std::string strName = "journal/" + strJournal.substr(strJournal.rfind('\\') + 1);
            std::string strText = folders.ReadBytes(strName);
            ASSERT_NE(strText.rfind("end\t"), std::string::npos);
            strText.erase(strText.rfind("end\t"));
            strText += "move\t12\t3"; // a record the kill cut short
            std::ofstream(folders.Native(strName), std::ios::binary | std::ios::trunc) << strText;
        }
        RecordingUndo undo;
        CUndoResult result;
        ASSERT_TRUE(UndoJournal(Ansi(strJournal).c_str(), false, undo, result));
        EXPECT_EQ(result.m_dwKept, 0u);
        EXPECT_EQ(Snapshot("X"), before);
        // Once undone, a journal has nothing left to undo and changes nothing.
        ASSERT_TRUE(UndoJournal(Ansi(strJournal).c_str(), false, undo, result));
        EXPECT_TRUE(result.m_bNothingToUndo);
        EXPECT_EQ(Snapshot("X"), before);
    }
}

TEST_F(JournalTest, AJournalThatCannotBeWrittenStopsTheMovesBeforeTheFirstItDoesNotHold) {
    // 300 files make batches of 16, 32, 64, 128 and the rest, each synced before its moves. The
    // journal's k-th sync fails (the first is its header's): the moves stop at the first file of
    // the batch that sync was for, and the journal undoes what was moved.
    if (!tessaly::win32::CanFailSysCalls()) {
        GTEST_SKIP() << "the system's own calls cannot be made to fail here";
    }
    constexpr DWORD kFiles = 300;
    CFileList store;
    for (DWORD i = 0; i < kFiles; ++i) {
        const std::string strTitle = "t" + std::to_string(i);
        store.Append(Entry(folders.WinPath("wav"), i % 3 == 0 ? "a" : "b\\c", strTitle + ".wav"));
    }
    const struct {
        int iSyncsThatSucceed;
        DWORD dwMoved;
    } aRows[] = {{1, 0}, {2, 16}, {3, 48}, {5, 240}, {1000, kFiles}};
    for (const auto& row : aRows) {
        SCOPED_TRACE("syncs that succeed: " + std::to_string(row.iSyncsThatSucceed));
        fs::remove_all(folders.Native("X"));
        fs::remove_all(folders.Native("journal"));
        for (DWORD i = 0; i < kFiles; ++i) {
            folders.WriteBytes("X/t" + std::to_string(i) + ".mp3", std::to_string(i));
        }
        const auto before = Snapshot("X");
        tessaly::win32::FailSysCall(tessaly::win32::SysCall::Fsync, EIO, -1, row.iSyncsThatSucceed,
                                    "journal");
        const std::string strJournal = Run(store);
        tessaly::win32::ClearSysCallFailures();
        DWORD dwMoved = 0;
        for (DWORD i = 0; i < kFiles; ++i) {
            dwMoved += fs::exists(folders.Native("X/t" + std::to_string(i) + ".mp3")) ? 0 : 1;
        }
        EXPECT_EQ(dwMoved, row.dwMoved);
        RecordingUndo undo;
        CUndoResult result;
        ASSERT_TRUE(UndoJournal(Ansi(strJournal).c_str(), false, undo, result));
        EXPECT_EQ(result.m_dwKept, 0u);
        EXPECT_EQ(Snapshot("X"), before);
    }
}

TEST_F(JournalTest, EachMoveFindsItsRecordWrittenAndTheNextBatchIsRecordedWhileTheMovesGoOn) {
    // 100 files make batches of 16, 32 and the rest. When a file is handed back as moved, its
    // record is in the journal's file; while the last of the first batch is handed back, the
    // second batch's records arrive without the pass going on.
    struct WatchingHost : IMovePassHost {
        std::function<void(DWORD)> fnOnEntry;
        void OnMoveProgress() override {}
        void OnEntryMoved(DWORD i, const MovePaths&, EMoveOutcome) override { fnOnEntry(i); }
        void ShowMoveResult(const CString&) override {}
    };
    constexpr DWORD kFiles = 100;
    const auto name = [](DWORD i) {
        char acName[16];
        std::snprintf(acName, sizeof acName, "t%03u.mp3", static_cast<unsigned>(i));
        return std::string(acName);
    };
    CFileList store;
    for (DWORD i = 0; i < kFiles; ++i) {
        store.Append(Entry(folders.WinPath("wav"), "sub", name(i).substr(0, 4) + ".wav"));
        folders.WriteBytes("X/" + name(i), std::to_string(i));
    }
    fs::create_directories(folders.Native("journal"));
    CMoveJournal journal;
    ASSERT_TRUE(journal.Begin("tessaly", Ansi(folders.WinPath("X")).c_str(), "mp3", {},
                              JournalFolder().c_str()));
    const std::string strPath = journal.GetPath().GetString();
    const std::string strJournal = "journal/" + strPath.substr(strPath.rfind('\\') + 1);
    const auto recorded = [&](DWORD i) {
        return folders.ReadBytes(strJournal).find(name(i)) != std::string::npos;
    };
    WatchingHost host;
    std::vector<DWORD> vecUnrecorded;
    bool bSecondBatchCame = false;
    host.fnOnEntry = [&](DWORD i) {
        if (!recorded(i)) {
            vecUnrecorded.push_back(i);
        }
        if (i == 15) {
            const auto tGiveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!(bSecondBatchCame = recorded(47)) &&
                   std::chrono::steady_clock::now() < tGiveUp) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    };
    EXPECT_EQ(RunMovePass(store, Ansi(folders.WinPath("X")).c_str(), "mp3", host, &journal),
              kFiles);
    EXPECT_EQ(vecUnrecorded, std::vector<DWORD>{});
    EXPECT_TRUE(bSecondBatchCame);
    EXPECT_FALSE(recorded(kFiles)); // a name never recorded is not found either
}

TEST(JournalBatches, GrowTo1024AndPastOnlyWhileTheSyncsTakeMoreThanATwentiethOfTheTime) {
    using std::chrono::milliseconds;
    const struct {
        DWORD dwBatch;
        int iBatchMs;
        int iSyncMs;
        DWORD dwNext;
    } aRows[] = {
        {8, 0, 0, 16},        {512, 100, 0, 1024},   {1024, 100, 5, 1024},
        {1024, 100, 6, 2048}, {4096, 400, 30, 8192}, {8192, 100, 90, 8192},
    };
    for (const auto& row : aRows) {
        EXPECT_EQ(
            NextJournalBatch(row.dwBatch, milliseconds(row.iBatchMs), milliseconds(row.iSyncMs)),
            row.dwNext)
            << row.dwBatch << " entries, " << row.iSyncMs << " ms of " << row.iBatchMs;
    }
}

TEST_F(JournalTest, FilesChangedMissingOrWhosePlaceIsTakenAreKeptAndReported) {
    CFileList store;
    for (const char* pcTitle : {"same", "edited", "gone", "taken", "retimed"}) {
        store.Append(Entry(folders.WinPath("wav"), "sub", std::string(pcTitle) + ".wav"));
        folders.WriteBytes(std::string("X/") + pcTitle + ".mp3", pcTitle);
    }
    const std::string strJournal = Run(store);
    ASSERT_TRUE(folders.Exists("X/sub/same.mp3"));
    folders.WriteBytes("X/sub/edited.mp3", "edited since");
    fs::remove(folders.Native("X/sub/gone.mp3"));
    folders.WriteBytes("X/taken.mp3", "a new file at the old place");
    fs::last_write_time(folders.Native("X/sub/retimed.mp3"),
                        fs::last_write_time(folders.Native("X/sub/retimed.mp3")) -
                            std::chrono::hours(1));

    for (const bool bDryRun : {true, false}) {
        SCOPED_TRACE(bDryRun ? "dry run" : "undo");
        RecordingUndo undo;
        CUndoResult result;
        ASSERT_TRUE(UndoJournal(Ansi(strJournal).c_str(), bDryRun, undo, result));
        const std::string strSub = folders.WinPath("X\\sub\\");
        EXPECT_EQ(undo.outcomes, (std::map<std::string, EUndoOutcome>{
                                     {strSub + "edited.mp3", EUndoOutcome::Changed},
                                     {strSub + "gone.mp3", EUndoOutcome::Missing},
                                     {strSub + "retimed.mp3", EUndoOutcome::Changed},
                                     {strSub + "same.mp3", EUndoOutcome::Restored},
                                     {strSub + "taken.mp3", EUndoOutcome::PlaceTaken},
                                 }));
        EXPECT_EQ(result.m_dwRestored, 1u);
        EXPECT_EQ(result.m_dwKept, 4u);
        EXPECT_EQ(folders.Exists("X/same.mp3"), !bDryRun);
    }
    EXPECT_EQ(folders.ReadBytes("X/sub/edited.mp3"), "edited since");
    EXPECT_EQ(folders.ReadBytes("X/taken.mp3"), "a new file at the old place");
    // The folder the run made still holds the kept files.
    EXPECT_TRUE(folders.Exists("X/sub"));
}

TEST_F(JournalTest, ChangesMadeAfterTheRecordsAreWrittenGiveTheOutcomesOfTheirOwn) {
    // The records of all seven, with their sources' identities, are on the disk before the first
    // move; what someone else changes after that is seen when each file's turn comes. A folder
    // the records found there and someone removed is recorded as the run's own before it is made.
    struct ChangingHost : IMovePassHost {
        tessaly::test::ProgramFolders* pFolders = nullptr;
        std::vector<EMoveOutcome> outcomes;
        void OnMoveProgress() override {}
        void OnEntryMoved(DWORD, const MovePaths&, EMoveOutcome eOutcome) override {
            if (outcomes.empty()) {
                fs::remove(pFolders->Native("X/gone.mp3"));
                pFolders->WriteBytes("X/sub/taken.mp3", "someone else's");
                fs::rename(pFolders->Native("X/recased.mp3"), pFolders->Native("X/ReCased.mp3"));
                pFolders->WriteBytes("X/deep", "a file where the folder goes");
                fs::remove(pFolders->Native("X/went"));
            }
            outcomes.push_back(eOutcome);
        }
        void ShowMoveResult(const CString&) override {}
    };
    CFileList store;
    for (const char* pcTitle : {"first", "gone", "taken", "recased", "blocked", "kept", "again"}) {
        const std::string strTitle = pcTitle;
        const std::string strFolder = strTitle == "blocked" ? "deep"
                                      : strTitle == "again" ? "went"
                                                            : "sub";
        store.Append(Entry(folders.WinPath("wav"), strFolder, strTitle + ".wav"));
        folders.WriteBytes("X/" + strTitle + ".mp3", strTitle);
    }
    fs::create_directories(folders.Native("X/went"));
    fs::create_directories(folders.Native("journal"));
    CMoveJournal journal;
    ASSERT_TRUE(journal.Begin("tessaly", Ansi(folders.WinPath("X")).c_str(), "mp3", {},
                              JournalFolder().c_str()));
    ChangingHost host;
    host.pFolders = &folders;
    EXPECT_EQ(RunMovePass(store, Ansi(folders.WinPath("X")).c_str(), "mp3", host, &journal), 4u);
    EXPECT_EQ(host.outcomes,
              (std::vector<EMoveOutcome>{EMoveOutcome::Moved, EMoveOutcome::SourceMissing,
                                         EMoveOutcome::DestinationExists, EMoveOutcome::Moved,
                                         EMoveOutcome::FolderNotCreated, EMoveOutcome::Moved,
                                         EMoveOutcome::Moved}));
    CJournalContent content;
    ASSERT_TRUE(ReadJournal(journal.GetPath(), content));
    std::vector<std::string> folderNames;
    for (const CString& strFolder : content.m_vecFolders) {
        const std::string strPath = strFolder.GetString();
        folderNames.push_back(strPath.substr(strPath.rfind('\\') + 1));
    }
    EXPECT_EQ(folderNames, (std::vector<std::string>{"sub", "deep", "went"}));
    EXPECT_EQ(Snapshot("X"), (std::map<std::string, std::string>{
                                 {"X/blocked.mp3", "blocked"},
                                 {"X/deep", "a file where the folder goes"},
                                 {"X/sub", "<folder>"},
                                 {"X/sub/first.mp3", "first"},
                                 {"X/sub/kept.mp3", "kept"},
                                 {"X/sub/recased.mp3", "recased"},
                                 {"X/sub/taken.mp3", "someone else's"},
                                 {"X/taken.mp3", "taken"},
                                 {"X/went", "<folder>"},
                                 {"X/went/again.mp3", "again"},
                             }));
}

TEST_F(JournalTest, NoJournalCanBeBegunWhereItsFolderCannotBeWritten) {
    folders.WriteBytes("journal", "a file where the folder would be");
    CMoveJournal journal;
    EXPECT_FALSE(journal.Begin("tessaly", "T:\\X", "mp3", {}, JournalFolder().c_str()));
    EXPECT_FALSE(journal.IsOpen());
    // A pass given a journal that is not open moves without one.
    folders.WriteBytes("X/a.mp3", "a");
    CFileList store;
    store.Append(Entry(folders.WinPath("wav"), "sub", "a.wav"));
    StoppingHost host;
    EXPECT_EQ(RunMovePass(store, Ansi(folders.WinPath("X")).c_str(), "mp3", host, &journal), 1u);
}

TEST_F(JournalTest, OldJournalsGoUnlessAmongTheNewest) {
    constexpr ULONGLONG kDay = 864000000000ULL;
    const struct {
        int iCount;
        int iAgeDays;  // of every journal but the last five, which are a day old
        int iExpected; // left
    } rows[] = {
        {25, 40, 20}, // the old ones beyond the newest 20 go
        {25, 10, 25}, // none is old enough
        {15, 40, 15}, // few enough to keep all
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.iCount);
        fs::remove_all(folders.Native("journal"));
        fs::create_directories(folders.Native("journal"));
        for (int i = 0; i < row.iCount; ++i) {
            char acName[64];
            std::snprintf(acName, sizeof acName, "journal/2026%04d-000000.journal", i);
            folders.WriteBytes(acName, "x");
            // The files' times are set through the layer's FILETIME, as the listing reads them.
            const int iAge = i < row.iCount - 5 ? row.iAgeDays : 1;
            const auto tFile = fs::file_time_type::clock::now() - std::chrono::hours(24 * iAge);
            fs::last_write_time(folders.Native(acName), tFile);
        }
        const auto vecBefore = ListJournals(JournalFolder().c_str());
        ASSERT_EQ(vecBefore.size(), static_cast<std::size_t>(row.iCount));
        // "Now" is the newest journal's time plus its day.
        PruneJournals(JournalFolder().c_str(), vecBefore.back().m_ullWriteTime + kDay);
        EXPECT_EQ(ListJournals(JournalFolder().c_str()).size(),
                  static_cast<std::size_t>(row.iExpected));
    }
}

TEST(JournalFields, EscapesRoundTripEveryByte) {
    std::string strAll;
    for (int c = 1; c < 256; ++c) {
        strAll += static_cast<char>(c);
    }
    for (const std::string& strField : {strAll, std::string("a%09b"), std::string("%"),
                                        std::string("%2"), std::string("tab\there\nline\r")}) {
        const std::string strEscaped = EscapeJournalField(strField);
        EXPECT_EQ(strEscaped.find_first_of("\t\n\r"), std::string::npos);
        EXPECT_EQ(UnescapeJournalField(strEscaped), strField);
    }
}

TEST_F(JournalTest, TheJournalToUndoIsTheNewestNotUndoneOfTheProgram) {
    fs::create_directories(folders.Native("journal"));
    const std::string strRun = "tessaly-journal 1\nrun\tT\t";
    folders.WriteBytes("journal/20260101-000000.journal",
                       strRun + "tessaly\tT:\\X\tmp3\nend\tT\t0\n");
    folders.WriteBytes("journal/20260102-000000.journal",
                       strRun + "tessaly-batch\tT:\\X\tmp3\nend\tT\t0\n");
    folders.WriteBytes("journal/20260103-000000.journal",
                       strRun + "tessaly\tT:\\X\tmp3\nend\tT\t0\nundone\tT\n");
    folders.WriteBytes("journal/20260104-000000.journal", "not a journal\n");
    const struct {
        const char* pcProgram;
        const char* pcExpected; // name, or "" for none
    } rows[] = {
        {nullptr, "20260102-000000.journal"},
        {"tessaly", "20260101-000000.journal"},
        {"tessaly-batch", "20260102-000000.journal"},
        {"other", ""},
    };
    for (const auto& row : rows) {
        const CString strFound = FindJournalToUndo(JournalFolder().c_str(), row.pcProgram);
        EXPECT_EQ(std::string(strFound.GetString()),
                  *row.pcExpected ? JournalFolder() + "\\" + row.pcExpected : "")
            << (row.pcProgram ? row.pcProgram : "any");
    }
}

TEST_F(JournalTest, JournalsBegunOneAfterAnotherAreListedInTheirOrder) {
    fs::create_directories(folders.Native("journal"));
    std::vector<std::string> begun;
    for (int i = 0; i < 5; ++i) {
        using namespace std::chrono;
        const auto before = floor<milliseconds>(system_clock::now());
        CMoveJournal journal;
        ASSERT_TRUE(journal.Begin("tessaly", "T:\\X", "mp3", {}, JournalFolder().c_str()));
        const auto after = system_clock::now();
        begun.emplace_back(journal.GetPath().GetString());
        journal.End(0);
        // Named by its start in UTC: YYYYMMDD-HHMMSS-mmm.journal.
        const std::string name = begun.back().substr(begun.back().rfind('\\') + 1);
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, ms = 0;
        ASSERT_EQ(std::sscanf(name.c_str(), "%4d%2d%2d-%2d%2d%2d-%3d.journal", &y, &mo, &d, &h, &mi,
                              &sec, &ms),
                  7)
            << name;
        const auto named =
            sys_days{year{y} / mo / d} + hours{h} + minutes{mi} + seconds{sec} + milliseconds{ms};
        EXPECT_LE(before, named) << name;
        EXPECT_LE(named, after) << name;
    }
    std::vector<std::string> listed;
    for (const CJournalEntry& entry : ListJournals(JournalFolder().c_str())) {
        listed.emplace_back(entry.m_strPath.GetString());
    }
    EXPECT_EQ(listed, begun);
    EXPECT_EQ(std::string(FindJournalToUndo(JournalFolder().c_str()).GetString()), begun.back());
}
