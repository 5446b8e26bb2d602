#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/Collection.h"
#include "engine/FileCollector.h"
#include "engine/RunState.h"
#include "support/AnsiText.h"
#include "tests/common/Platform.h"
#include "tests/engine/ScanFixture.h"

using tessaly::test::FullPaths;
using tessaly::test::ScanTest;

namespace {

// A confirmed picker: its folder and the selected records.
class FakePicker : public ICollectionPicker {
public:
    FakePicker(std::string strCurDir, std::vector<WIN32_FIND_DATAA> vecItems)
        : m_strCurDir(std::move(strCurDir)), m_vecItems(std::move(vecItems)) {}

    CString GetCurDir() const override { return m_strCurDir.c_str(); }
    int GetPickedFolder(CString& strFolder) const override {
        if (m_strCurDir.empty()) {
            strFolder.Empty();
            return 0;
        }
        std::string strPicked = m_strCurDir;
        if (strPicked.back() == '\\') {
            strPicked.pop_back();
        }
        strFolder = strPicked.c_str();
        return 1;
    }
    int GetItemNum() const override { return static_cast<int>(m_vecItems.size()); }
    const WIN32_FIND_DATAA& GetFindData(int i) const override {
        return m_vecItems[static_cast<size_t>(i)];
    }
    void ReleasePicker() override { ++m_iReleased; }

    int m_iReleased = 0;

private:
    std::string m_strCurDir;
    std::vector<WIN32_FIND_DATAA> m_vecItems;
};

// The owner's side, recorded in call order.
class FakeOwner : public ICollectionOwner {
public:
    explicit FakeOwner(CFileCollector& collection, BOOL bFilterActive = FALSE)
        : m_collection(collection), m_bFilterActive(bFilterActive) {}

    CFileCollector& GetCollection() override { return m_collection; }
    void SetNextPickerFolder(const CString& strFolder) override {
        m_vecCalls.push_back(std::string("next:") + strFolder.GetString());
    }
    BOOL IsFilterActive() const override { return m_bFilterActive; }
    void ShowDuplicateCount(DWORD dwCount) override {
        m_vecCalls.push_back("count:" + std::to_string(dwCount));
        m_bCollectingDuringBox = g_bCollecting;
    }
    void WriteDuplicateReport(const CString& strPathList) override {
        m_vecCalls.push_back("report");
        m_strReport = strPathList.GetString();
    }
    BOOL FillList() override {
        m_vecCalls.push_back("fill:" + std::to_string(m_collection.GetCount()));
        m_bCollectingDuringFill = g_bCollecting;
        return TRUE;
    }
    void ShowByteTotal(ULONGLONG ullTotal) override {
        m_vecCalls.push_back("total:" + std::to_string(ullTotal));
    }
    void PostWorkDone() override { m_vecCalls.push_back("done"); }

    std::vector<std::string> m_vecCalls;
    std::string m_strReport;
    BOOL m_bCollectingDuringBox = FALSE;
    BOOL m_bCollectingDuringFill = TRUE;

private:
    CFileCollector& m_collection;
    BOOL m_bFilterActive;
};

WIN32_FIND_DATAA Item(const char* pcName, bool bFolder, DWORD dwSize = 4) {
    WIN32_FIND_DATAA findData = {};
    findData.dwFileAttributes = bFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    findData.nFileSizeLow = bFolder ? 0 : dwSize;
    std::strncpy(findData.cFileName, pcName, MAX_PATH - 1);
    return findData;
}

std::vector<DWORD> Ids(const CFileList& list) {
    std::vector<DWORD> vecIds;
    for (DWORD i = 0; i < list.GetCount(); ++i) {
        vecIds.push_back(list.GetAt(i).m_nId);
    }
    return vecIds;
}

} // namespace

TEST_F(ScanTest, CollectionAddsPickedFilesThenWalksPickedFoldersAndRefreshes) {
    MakeFiles({"pick/b.wav", "pick/dir1/c.wav", "pick/dir0/d.wav", "pick/a.wav"});
    g_strPickRoot = Win("pick").c_str();
    FakePicker picker(Win("pick"), {Item("dir1", true), Item("b.wav", false, 7), Item("dir0", true),
                                    Item("a.wav", false, 5)});
    FakeOwner owner(m_collector);
    RunCollection(owner, &picker);

    EXPECT_EQ(FullPaths(m_collector),
              (std::vector<std::string>{Win("pick/b.wav"), Win("pick/a.wav"),
                                        Win("pick/dir1/c.wav"), Win("pick/dir0/d.wav")}));
    EXPECT_EQ(Ids(m_collector), (std::vector<DWORD>{1, 2, 3, 4}));
    // Picked files carry the picker's size; walked ones the size on disk.
    EXPECT_EQ(owner.m_vecCalls,
              (std::vector<std::string>{"next:" + Win("pick"), "fill:4", "total:20", "done"}));
    EXPECT_FALSE(owner.m_bCollectingDuringFill);
    EXPECT_FALSE(g_bCollecting);
    EXPECT_EQ(picker.m_iReleased, 1);
}

TEST_F(ScanTest, CollectionAtARootJoinsWithOneBackslashAndUsesTheFilterWhenActive) {
    TESSALY_STAND_IN_ONLY("a drive of its own");
    MakeFiles({"a.wav", "b.mp3", "sub/c.wav", "sub/d.mp3"});
    SetExtFilter("wav");
    FakePicker picker("T:\\", {Item("a.wav", false), Item("b.mp3", false), Item("sub", true)});
    FakeOwner owner(m_collector, TRUE);
    RunCollection(owner, &picker);
    EXPECT_EQ(FullPaths(m_collector), (std::vector<std::string>{"T:\\a.wav", "T:\\sub\\c.wav"}));
    EXPECT_EQ(owner.m_vecCalls.front(), "next:T:\\");
}

TEST_F(ScanTest, CollectionReportsAndRemovesDuplicatesAlsoFromEarlierAdds) {
    MakeFiles({"old/x.mp3", "new/x.wav", "new/y.wav", "new/sub/X.ogg"});
    m_collector.AddPath(Win("old/x.mp3").c_str(), FALSE);
    m_collector.AssignIds(); // the earlier Add's entry has identifier 1

    FakePicker picker(Win("new"), {Item("x.wav", false), Item("y.wav", false), Item("sub", true)});
    FakeOwner owner(m_collector);
    RunCollection(owner, &picker);

    EXPECT_EQ(owner.m_vecCalls, (std::vector<std::string>{"next:" + Win("new"), "count:3", "report",
                                                          "fill:1", "total:4", "done"}));
    EXPECT_TRUE(owner.m_bCollectingDuringBox);
    EXPECT_EQ(owner.m_strReport,
              Win("old/x.mp3") + "\n" + Win("new/x.wav") + "\n" + Win("new/sub/X.ogg") + "\n");
    EXPECT_EQ(FullPaths(m_collector), (std::vector<std::string>{Win("new/y.wav")}));
    // The removed entry's identifier is handed out again.
    EXPECT_EQ(Ids(m_collector), (std::vector<DWORD>{1}));
}

TEST_F(ScanTest, CollectionWithoutAPickedFolderOnlyReleasesAndPosts) {
    FakePicker picker("", {Item("a.wav", false)});
    FakeOwner owner(m_collector);
    RunCollection(owner, &picker);
    EXPECT_EQ(owner.m_vecCalls, (std::vector<std::string>{"next:", "done"}));
    EXPECT_EQ(picker.m_iReleased, 1);
    EXPECT_EQ(m_collector.GetCount(), 0u);

    FakeOwner ownerOfNone(m_collector);
    RunCollection(ownerOfNone, nullptr);
    EXPECT_EQ(ownerOfNone.m_vecCalls, (std::vector<std::string>{"done"}));
}

TEST_F(ScanTest, CollectionWhileClosingSkipsTheRefresh) {
    MakeFiles({"pick/a.wav"});
    g_bClosing = TRUE;
    FakePicker picker(Win("pick"), {Item("a.wav", false)});
    FakeOwner owner(m_collector);
    RunCollection(owner, &picker);
    EXPECT_EQ(owner.m_vecCalls, (std::vector<std::string>{"next:" + Win("pick"), "done"}));
    EXPECT_EQ(Ids(m_collector), (std::vector<DWORD>{1}));
}

TEST_F(ScanTest, AbortedCollectionStillAssignsIdsAndRefreshes) {
    TESSALY_STAND_IN_ONLY("a drive of its own");
    MakeFiles({"pick/tree/a.wav", "pick/tree/b.wav", "pick/c.wav"});
    ASSERT_TRUE(SetCurrentDirectoryA(Win().c_str()));
    g_bAbort = TRUE;
    FakePicker picker(Win("pick"), {Item("tree", true), Item("c.wav", false)});
    FakeOwner owner(m_collector);
    RunCollection(owner, &picker);
    // Picked files do not poll the flag; the walk stops after "." and "..".
    EXPECT_EQ(FullPaths(m_collector), (std::vector<std::string>{Win("pick/c.wav")}));
    EXPECT_EQ(Ids(m_collector), (std::vector<DWORD>{1}));
    EXPECT_EQ(owner.m_vecCalls,
              (std::vector<std::string>{"next:" + Win("pick"), "fill:1", "total:4", "done"}));
    EXPECT_EQ(tessaly::test::CurrentDir(), Win());
}
