#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/core/MovePass.h"
#include "app/core/MovePlan.h"
#include "engine/RunState.h"
#include "platform/win32/Win32.h"
#include "support/AnsiText.h"
#include "tests/app/core/CollectedEntries.h"
#include "tests/common/Platform.h"
#include "tests/common/ProgramFolders.h"

namespace {

using tessaly::test::Ansi;
using tessaly::test::Entry;

struct RecordingHost : IMovePassHost {
    static constexpr DWORD kNoTotal = 0xFFFFFFFF;
    int iProgressPosts = 0;
    DWORD dwLastPosition = kNoTotal; // where the window's bar (0 to 1024) stood at the last post
    std::vector<EMoveOutcome> outcomes;
    std::vector<std::string> messages;
    void OnMoveProgress() override {
        ++iProgressPosts;
        const DWORD dwTotal = g_dwMoveTotal;
        dwLastPosition =
            dwTotal == 0 ? kNoTotal : static_cast<DWORD>(ULONGLONG{g_dwMoveDone} * 1024 / dwTotal);
    }
    void OnEntryMoved(DWORD, const MovePaths&, EMoveOutcome eOutcome) override {
        outcomes.push_back(eOutcome);
    }
    void ShowMoveResult(const CString& strMessage) override {
        messages.push_back(static_cast<LPCSTR>(strMessage));
    }
};

class MovePassTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_bAbort = FALSE;
        g_dwMoveDone = 0;
        g_dwMoveTotal = 0;
    }
    void TearDown() override { g_bAbort = FALSE; }

    std::string CurrentDir() {
        char acBuf[2000];
        return GetCurrentDirectoryA(sizeof acBuf, acBuf) ? acBuf : "";
    }

    tessaly::test::ProgramFolders folders;
};

} // namespace

TEST_F(MovePassTest, GivesTheFlatFolderTheTemplatesLayout) {
    for (const char* pcName : {"X/a.mp3", "X/b.mp3", "X/c.mp3"}) {
        folders.WriteBytes(pcName, pcName);
    }
    const std::string strRoot = folders.Drive() + "\\wav";
    CFileList store;
    store.Append(Entry(strRoot, "", "a.wav"));
    store.Append(Entry(strRoot, "sub", "b.wav"));
    store.Append(Entry(strRoot, "sub\\deeper", "c.wav"));
    const std::string strOperation = folders.Drive() + "\\X";
    const std::string strBefore = CurrentDir();

    RecordingHost host;
    EXPECT_EQ(RunMovePass(store, strOperation.c_str(), "mp3", host), 2u);

    EXPECT_EQ(folders.ReadBytes("X/sub/b.mp3"), "X/b.mp3");
    EXPECT_EQ(folders.ReadBytes("X/sub/deeper/c.mp3"), "X/c.mp3");
    EXPECT_TRUE(folders.Exists("X/a.mp3"));
    EXPECT_FALSE(folders.Exists("X/b.mp3"));
    EXPECT_EQ(host.outcomes, (std::vector<EMoveOutcome>{EMoveOutcome::AlreadyInPlace,
                                                        EMoveOutcome::Moved, EMoveOutcome::Moved}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], Ansi("3 個中 2 個のファイルを移動しました。\n"));
    EXPECT_EQ(folders.TraceBytes(),
              Ansi("※　指定ファイルは既に存在します。\n:" + strOperation + "\\a.mp3\n"));
    EXPECT_EQ(CurrentDir(), strBefore);
    EXPECT_EQ(g_dwMoveDone.load(), 3u);
}

TEST_F(MovePassTest, BuildsPathsFromTitlesAndRelativeFolders) {
    const struct {
        CFileEntry entry;
        const char* pcExt;
        std::string strSrc;
        std::string strDst;
    } rows[] = {
        {Entry("T:\\r", "", "a.b.wav"), "mp3", "X:\\op\\a.b.mp3", "X:\\op\\a.b.mp3"},
        {Entry("T:\\r", "s", "song.wav"), ".mp3", "X:\\op\\song..mp3", "X:\\op\\s\\song..mp3"},
        // No dot: the title is the whole full path, so the source cannot exist.
        {Entry("T:\\r", "s", "plain"), "mp3", "X:\\op\\T:\\r\\s\\plain.mp3",
         "X:\\op\\s\\T:\\r\\s\\plain.mp3"},
        // A drive root picked: the root is "T:" and its files sit in "T:".
        {Entry("T:", "sub", "x.wav"), "mp3", "X:\\op\\x.mp3", "X:\\op\\sub\\x.mp3"},
        // 表 ends in the byte 0x5C: the relative folder is cut by characters.
        {Entry("T:\\表", "ソ十", "能.wav"), "mp3", Ansi("X:\\op\\能.mp3"),
         Ansi("X:\\op\\ソ十\\能.mp3")},
        // The same folder again, then under another root: the cut follows the root too.
        {Entry("T:\\r", "s\\d", "one.wav"), "mp3", "X:\\op\\one.mp3", "X:\\op\\s\\d\\one.mp3"},
        {Entry("T:\\r", "s\\d", "two.wav"), "mp3", "X:\\op\\two.mp3", "X:\\op\\s\\d\\two.mp3"},
        {Entry("T:", "r\\s\\d", "three.wav"), "mp3", "X:\\op\\three.mp3",
         "X:\\op\\r\\s\\d\\three.mp3"},
        {Entry("T:\\r\\s", "d", "four.wav"), "mp3", "X:\\op\\four.mp3", "X:\\op\\d\\four.mp3"},
    };
    for (const auto& row : rows) {
        MovePaths paths;
        ASSERT_EQ(BuildMovePaths(&row.entry, &paths, "X:\\op", row.pcExt), 1);
        EXPECT_EQ(std::string(paths.m_strSrcPath), row.strSrc) << row.entry.m_strFullPath;
        EXPECT_EQ(std::string(paths.m_strDstPath), row.strDst) << row.entry.m_strFullPath;
    }
    MovePaths paths;
    EXPECT_EQ(BuildMovePaths(nullptr, &paths, "X:\\op", "mp3"), 0);
    // A folder just cut cleanly still cannot be cut from an empty root.
    CFileEntry noRoot = Entry("T:\\r", "s\\d", "five.wav");
    noRoot.m_strRoot = "";
    EXPECT_EQ(BuildMovePaths(&noRoot, &paths, "X:\\op", "mp3"), 0);
    EXPECT_TRUE(paths.m_strDstPath.IsEmpty());
}

TEST_F(MovePassTest, NeverReplacesAnExistingDestination) {
    folders.WriteBytes("X/song.mp3", "new");
    folders.WriteBytes("X/sub/song.mp3", "old");
    CFileList store;
    store.Append(Entry(folders.Drive() + "\\wav", "sub", "song.wav"));
    RecordingHost host;
    EXPECT_EQ(RunMovePass(store, (folders.Drive() + "\\X").c_str(), "mp3", host), 0u);
    EXPECT_EQ(folders.ReadBytes("X/sub/song.mp3"), "old");
    EXPECT_EQ(folders.ReadBytes("X/song.mp3"), "new");
    EXPECT_EQ(host.outcomes, std::vector<EMoveOutcome>{EMoveOutcome::DestinationExists});
}

TEST_F(MovePassTest, AFolderThatCannotBeMadeIsTracedAndSkipped) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    folders.WriteBytes("X/song.mp3", "data");
    tessaly::win32::FailSysCall(tessaly::win32::SysCall::Mkdir, EIO);
    CFileList store;
    store.Append(Entry(folders.Drive() + "\\wav", "sub", "song.wav"));
    RecordingHost host;
    const std::string strOperation = folders.Drive() + "\\X";
    EXPECT_EQ(RunMovePass(store, strOperation.c_str(), "mp3", host), 0u);
    tessaly::win32::ClearSysCallFailures();
    EXPECT_EQ(host.outcomes, std::vector<EMoveOutcome>{EMoveOutcome::FolderNotCreated});
    EXPECT_EQ(folders.TraceBytes(),
              Ansi("※　指定フォルダの作成に失敗。\n:" + strOperation + "\\sub\\\n"));
    EXPECT_EQ(folders.ReadBytes("X/song.mp3"), "data");
}

TEST_F(MovePassTest, PostsProgressEveryCountOver1024Entries) {
    const struct {
        int iEntries;
        int iPosts;
        DWORD dwLastPosition; // the bar moves with the pass, whoever started it
    } rows[] = {{500, 500, 1021}, {3000, 1500, 1023}, {1, 1, 0}};
    for (const auto& row : rows) {
        CFileList store;
        for (int i = 0; i < row.iEntries; ++i) {
            // Appended, not "f" + ...: GCC 12 at -O3 reports a false -Wrestrict on that insert.
            std::string strName = "f";
            strName.append(std::to_string(i)).append(".wav");
            store.Append(Entry("T:\\r", "s", strName));
        }
        RecordingHost host;
        RunMovePass(store, (folders.Drive() + "\\none").c_str(), "mp3", host);
        EXPECT_EQ(host.iProgressPosts, row.iPosts) << row.iEntries << " entries";
        EXPECT_EQ(host.dwLastPosition, row.dwLastPosition) << row.iEntries << " entries";
    }
}

TEST_F(MovePassTest, AbortStopsBeforeTheNextEntryWithoutTheCountMessage) {
    folders.WriteBytes("X/a.mp3", "a");
    CFileList store;
    store.Append(Entry(folders.Drive() + "\\wav", "sub", "a.wav"));
    g_bAbort = TRUE;
    RecordingHost host;
    EXPECT_EQ(RunMovePass(store, (folders.Drive() + "\\X").c_str(), "mp3", host), 0u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(folders.Exists("X/a.mp3"));
    EXPECT_EQ(g_dwMoveDone.load(), 0u);
}

// A root or folder that does not convert whole would be cut at the wrong place (at index 1 for an
// empty root, making a folder ":"): such an entry is refused, traced, and moves nothing.
TEST_F(MovePassTest, AnEntryWhoseFolderCannotBeCutMovesNothing) {
    const std::string strWav = folders.Drive() + "\\wav";
    const struct {
        const char* pszWhat;
        std::string strRoot;
        std::string strFolder;
    } rows[] = {
        {"empty root", "", strWav + "\\sub"},
        // \x81 is a lead byte with nothing after it
        {"root that is one lone lead byte", "\x81", strWav + "\\sub"},
        {"root ending in a lone lead byte", strWav + "\x81", strWav + "\x81\\sub"},
        {"folder ending in a lone lead byte", strWav, strWav + "\\sub\x81"},
        {"a cut that leaves a colon", strWav, strWav + "\\sub\\T:"},
    };
    int i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszWhat);
        const std::string strName = "f" + std::to_string(i++);
        folders.WriteBytes("X/" + strName + ".mp3", "data");
        CFileEntry entry;
        entry.m_strRoot = row.strRoot.c_str();
        entry.m_strFolder = row.strFolder.c_str();
        entry.m_strName = (strName + ".wav").c_str();
        entry.m_strFullPath = entry.m_strFolder + "\\" + entry.m_strName;
        CFileList store;
        store.Append(entry);
        RecordingHost host;
        const std::string strOperation = folders.Drive() + "\\X";
        EXPECT_EQ(RunMovePass(store, strOperation.c_str(), "mp3", host), 0u);
        EXPECT_EQ(host.outcomes, std::vector<EMoveOutcome>{EMoveOutcome::MoveFailed});
        EXPECT_EQ(folders.ReadBytes("X/" + strName + ".mp3"), "data");
        std::set<std::string> names;
        for (const auto& file : std::filesystem::directory_iterator(folders.PosixPath("X"))) {
            names.insert(file.path().filename().string());
        }
        EXPECT_EQ(names.count(":"), 0u);
        EXPECT_EQ(names.size(), static_cast<size_t>(i));
        MovePaths paths;
        EXPECT_EQ(BuildMovePaths(&entry, &paths, strOperation.c_str(), "mp3"), 0);
        EXPECT_TRUE(paths.m_strDstPath.IsEmpty());
        EXPECT_NE(folders.TraceBytes().find(Ansi("※　指定パスへの移動に失敗。\n:") + row.strFolder +
                                            "\n"),
                  std::string::npos);
    }
}

// Names the file system takes for one another claim one file: the earliest entry moves it and
// the later ones are claimed by it, wherever they lie in a store large enough to be hashed on two
// threads.
TEST_F(MovePassTest, ALargeStoreFindsItsClaimsInBothHalves) {
    const std::string strRoot = folders.Drive() + "\\wav";
    const std::string strOperation = folders.Drive() + "\\X";
    // Pairs of entries whose flat names differ in case only: in the first half, across the
    // halves, in the second half.
    const std::pair<DWORD, DWORD> aPairs[] = {{10, 20}, {30, 9000}, {9100, 9900}};
    CFileList store;
    std::vector<DWORD> vecExpected;
    for (DWORD i = 0; i < 10000; ++i) {
        std::string strName = "n" + std::to_string(i) + ".wav";
        vecExpected.push_back(i);
        for (const auto& [dwFirst, dwLater] : aPairs) {
            if (i == dwFirst || i == dwLater) {
                strName = (i == dwFirst ? "Dup" : "DUP") + std::to_string(dwFirst) + ".wav";
                vecExpected[i] = dwFirst;
            }
        }
        store.Append(Entry(strRoot, "f" + std::to_string(i % 7), strName));
    }
    for (const auto& [dwFirst, dwLater] : aPairs) {
        folders.WriteBytes("X/dup" + std::to_string(dwFirst) + ".mp3", "x");
    }
    EXPECT_EQ(FindClaims(store, strOperation.c_str(), "mp3"), vecExpected);
}
