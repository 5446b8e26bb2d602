#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "engine/Collection.h"
#include "engine/FileCollector.h"
#include "engine/RunState.h"
#include "tests/common/Platform.h"
#include "tests/engine/ScanFixture.h"

using tessaly::test::FullPaths;
using tessaly::test::ScanTest;
namespace win32 = tessaly::win32;

namespace {

// Every skip as "why path [first]".
class RecordingSkipHost : public ICollectionSkipHost {
public:
    void OnCollectSkip(LPCSTR pcPath, ECollectSkip eWhy, DWORD dwError,
                       LPCSTR pcFirstPath) override {
        static const char* const apcWhy[] = {"not-entered", "not-listed", "gave-up", "walked"};
        std::string strLine = std::string(apcWhy[static_cast<int>(eWhy)]) + " " + pcPath;
        if (pcFirstPath != nullptr) {
            strLine += std::string(" ") + pcFirstPath;
        }
        if (dwError != 0) {
            strLine += " error " + std::to_string(dwError);
        }
        m_vecSkips.push_back(strLine);
    }
    std::vector<std::string> m_vecSkips;
};

// A picker whose folder's entries are all selected, as the batch tool hands them over.
class AllPicker : public ICollectionPicker {
public:
    AllPicker(std::string strFolder, std::vector<WIN32_FIND_DATAA> vecItems)
        : m_strFolder(std::move(strFolder)), m_vecItems(std::move(vecItems)) {}
    CString GetCurDir() const override { return m_strFolder.c_str(); }
    int GetPickedFolder(CString& strFolder) const override {
        strFolder = m_strFolder.c_str();
        return m_strFolder.empty() ? 0 : 1;
    }
    int GetItemNum() const override { return static_cast<int>(m_vecItems.size()); }
    const WIN32_FIND_DATAA& GetFindData(int i) const override {
        return m_vecItems[static_cast<size_t>(i)];
    }
    void ReleasePicker() override { ++m_iReleased; }
    int m_iReleased = 0;

private:
    std::string m_strFolder;
    std::vector<WIN32_FIND_DATAA> m_vecItems;
};

class CountingOwner : public ICollectionOwner {
public:
    explicit CountingOwner(CFileCollector& collection) : m_collection(collection) {}
    CFileCollector& GetCollection() override { return m_collection; }
    void SetNextPickerFolder(const CString&) override { m_vecCalls.push_back("next"); }
    BOOL IsFilterActive() const override { return FALSE; }
    void ShowDuplicateCount(DWORD dwCount) override {
        m_vecCalls.push_back("count:" + std::to_string(dwCount));
    }
    void WriteDuplicateReport(const CString& strPathList) override {
        m_vecCalls.push_back("report");
        m_strReport = strPathList.GetString();
    }
    BOOL FillList() override {
        m_vecCalls.push_back("fill:" + std::to_string(m_collection.GetCount()));
        return TRUE;
    }
    void ShowByteTotal(ULONGLONG) override { m_vecCalls.push_back("total"); }
    void PostWorkDone() override { m_vecCalls.push_back("done"); }
    std::vector<std::string> m_vecCalls;
    std::string m_strReport;

private:
    CFileCollector& m_collection;
};

WIN32_FIND_DATAA Item(const char* pcName, bool bFolder) {
    WIN32_FIND_DATAA findData = {};
    findData.dwFileAttributes = bFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    std::strncpy(findData.cFileName, pcName, MAX_PATH - 1);
    return findData;
}

} // namespace

TEST_F(ScanTest, SkipHostHearsOfFoldersNotEnteredAndNamesTheFilterGaveUpOn) {
    TESSALY_STAND_IN_ONLY("the layer's system calls made to fail");
    const std::string strHard(60, 'a');
    MakeFiles({"tree/a/1.wav", "tree/b/2.wav", "tree/" + strHard, "tree/c.wav"});
    RecordingSkipHost host;
    m_collector.SetSkipHost(&host);
    SetRegexFilter("(a*)*(a*)*c|.*\\.wav");
    win32::FailSysCall(win32::SysCall::Chdir, EACCES, -1, 0, "tree/b");
    EXPECT_FALSE(m_collector.ScanFolderFiltered(Win("tree").c_str(), TRUE));
    win32::ClearSysCallFailures();
    EXPECT_EQ(FullPaths(m_collector),
              (std::vector<std::string>{Win("tree/c.wav"), Win("tree/a/1.wav")}));
    // A name that merely fails the filter is no skip.
    EXPECT_EQ(host.m_vecSkips,
              (std::vector<std::string>{"gave-up " + Win("tree/" + strHard),
                                        "not-entered " + Win("tree/b") + " error " +
                                            std::to_string(ERROR_ACCESS_DENIED)}));
    // A picked file the filter gives up on.
    host.m_vecSkips.clear();
    m_collector.AddFoundFiltered(Win("tree").c_str(), Item(strHard.c_str(), false));
    EXPECT_EQ(host.m_vecSkips, (std::vector<std::string>{"gave-up " + Win("tree/" + strHard)}));
}

TEST_F(ScanTest, TrackedWalksTakeEachFolderOnceWhicheverPathReachesIt) {
    TESSALY_STAND_IN_ONLY("symbolic links made by the test");
    MakeFiles({"tree/one.wav", "tree/b/two.wav"});
    MakeFolder("tree/a");
    std::filesystem::create_directory_symlink("..", m_drive.PosixPath("tree/a/up"));
    ASSERT_TRUE(SetCurrentDirectoryA(Win().c_str()));

    // Untracked, each picked folder is its own walk: the link leads back into b.
    m_collector.ScanFolder(Win("tree/a").c_str(), TRUE);
    m_collector.ScanFolder(Win("tree/b").c_str(), TRUE);
    EXPECT_EQ(FullPaths(m_collector),
              (std::vector<std::string>{Win("tree/a/up/one.wav"), Win("tree/a/up/b/two.wav"),
                                        Win("tree/b/two.wav")}));

    m_collector.Clear();
    RecordingSkipHost host;
    m_collector.SetSkipHost(&host);
    m_collector.TrackWalkedFolders(TRUE);
    EXPECT_TRUE(m_collector.MarkFolderWalked(Win("tree").c_str()));
    m_collector.ScanFolder(Win("tree/a").c_str(), TRUE);
    m_collector.ScanFolder(Win("tree/b").c_str(), TRUE);
    EXPECT_EQ(FullPaths(m_collector), (std::vector<std::string>{Win("tree/b/two.wav")}));
    EXPECT_EQ(host.m_vecSkips,
              (std::vector<std::string>{"walked " + Win("tree/a/up") + " " + Win("tree")}));
    CString strFirst;
    EXPECT_FALSE(m_collector.MarkFolderWalked(Win("tree/a/up").c_str(), &strFirst));
    EXPECT_EQ(std::string(strFirst.GetString()), Win("tree"));
    EXPECT_EQ(tessaly::test::CurrentDir(), Win());

    // Turning tracking off forgets what was walked.
    m_collector.TrackWalkedFolders(FALSE);
    EXPECT_TRUE(m_collector.MarkFolderWalked(Win("tree").c_str()));
}

TEST_F(ScanTest, SeveralPicksFormOneCollectionCheckedForDuplicatesOnce) {
    MakeFiles({"t1/x/song.wav", "t1/y/song.wav", "t2/z/song.wav", "t2/z/solo.wav"});
    for (const bool bT2First : {true, false}) {
        SCOPED_TRACE(bT2First ? "t2 first" : "t1 first");
        m_collector.Clear();
        AllPicker t1(Win("t1"), {Item("x", true), Item("y", true)});
        AllPicker t2(Win("t2"), {Item("z", true)});
        CountingOwner owner(m_collector);
        for (AllPicker* pPicker : bT2First ? std::vector{&t2, &t1} : std::vector{&t1, &t2}) {
            g_strPickRoot = pPicker->GetCurDir();
            EXPECT_TRUE(CollectPicks(owner, *pPicker));
            EXPECT_TRUE(g_bCollecting);
        }
        FinishCollection(owner);
        EXPECT_FALSE(g_bCollecting);
        EXPECT_EQ(owner.m_vecCalls,
                  (std::vector<std::string>{"count:3", "report", "fill:1", "total"}));
        EXPECT_EQ(FullPaths(m_collector), (std::vector<std::string>{Win("t2/z/solo.wav")}));
        // Each entry keeps the root of the pick it came from.
        EXPECT_EQ(std::string(m_collector.GetAt(0).m_strRoot.GetString()), Win("t2"));
        EXPECT_EQ(t1.m_iReleased + t2.m_iReleased, 0);
    }
    CountingOwner owner(m_collector);
    EXPECT_FALSE(CollectPicks(owner, AllPicker("", {Item("a.wav", false)})));
    EXPECT_TRUE(owner.m_vecCalls.empty());
}

// One Add of several picked folders, as 全部選択 inside a template gives, walks each folder once
// however the picks' links reach it, in the window (RunCollection) as in the batch tool (its
// walks tracked from the start, the template marked walked); a link without a target is no file.
TEST_F(ScanTest, OneAddWalksEachFolderOnceAndTakesNoLinkWithoutATarget) {
    TESSALY_STAND_IN_ONLY("symbolic links made by the test");
    const struct {
        const char* pcLink; // below tpl
        const char* pcTarget;
        std::vector<std::string> vecCollected; // below tpl, in store order
    } rows[] = {
        {"loopdir/up", "..", {"x.wav", "loopdir/a.wav", "other/b.wav"}},
        {"loopdir/side", "../other", {"x.wav", "loopdir/a.wav", "loopdir/side/b.wav"}},
        {"other/back", "../loopdir", {"x.wav", "loopdir/a.wav", "other/b.wav"}},
        {"other/ghost.wav", "nowhere.wav", {"x.wav", "loopdir/a.wav", "other/b.wav"}},
        {"ghost.wav", "nowhere.wav", {"x.wav", "loopdir/a.wav", "other/b.wav"}},
        {"alias.wav", "other/b.wav", {"x.wav", "alias.wav", "loopdir/a.wav", "other/b.wav"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::filesystem::remove_all(m_drive.PosixPath("tpl"));
        MakeFiles({"tpl/x.wav", "tpl/loopdir/a.wav", "tpl/other/b.wav"});
        const std::string strLink = rows[i].pcLink;
        std::filesystem::create_symlink(rows[i].pcTarget, m_drive.PosixPath("tpl/" + strLink));
        std::vector<WIN32_FIND_DATAA> vecItems = {Item("loopdir", true), Item("other", true),
                                                  Item("x.wav", false)};
        if (strLink.find('/') == std::string::npos) {
            vecItems.push_back(Item(strLink.c_str(), false));
        }
        std::vector<std::string> vecExpected;
        for (const std::string& strPath : rows[i].vecCollected) {
            vecExpected.push_back(Win("tpl/" + strPath));
        }
        for (const bool bWindow : {true, false}) {
            SCOPED_TRACE(std::string(bWindow ? "window" : "batch") + ", row " + std::to_string(i));
            for (int iAdd = 0; iAdd < 2; ++iAdd) { // a second Add walks the folders again
                m_collector.Clear();
                CountingOwner owner(m_collector);
                AllPicker picker(Win("tpl"), vecItems);
                g_strPickRoot = Win("tpl").c_str();
                if (bWindow) {
                    RunCollection(owner, &picker);
                } else {
                    m_collector.TrackWalkedFolders(TRUE);
                    ASSERT_TRUE(m_collector.MarkFolderWalked(Win("tpl").c_str()));
                    ASSERT_TRUE(CollectPicks(owner, picker));
                    FinishCollection(owner);
                    m_collector.TrackWalkedFolders(FALSE);
                }
                EXPECT_EQ(FullPaths(m_collector), vecExpected);
                EXPECT_TRUE(owner.m_strReport.empty()) << owner.m_strReport;
            }
        }
    }
}
