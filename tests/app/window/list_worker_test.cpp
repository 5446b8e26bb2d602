// Sorts and Excludes of lists above the dialog's worker threshold (set to 0 here): the click
// returns at once with the work still to do, the rows end in the order the window thread's own
// sort gives (stable, each column's direction), Abort before the rows change leaves them, and the
// list and the store always agree.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "res/ResourceIds.h"
#include "tests/app/window/MainWindowFixture.h"

namespace tessaly::test {
namespace {

class ListWorkerTest : public MainWindowTest {
protected:
    // Names with case-only twins, sizes and folders with many ties, in a scrambled store order.
    void FillStore(int iRows) {
        for (int i = 0; i < iRows; ++i) {
            const int k = (i * 7919) % iRows;
            CFileEntry entry;
            entry.m_strFolder.Format("T:\\f%02d", k % 13);
            entry.m_strName.Format(k % 3 == 0 ? "Name%03d.wav" : "name%03d.wav", k % 211);
            entry.m_strFullPath = entry.m_strFolder + "\\" + entry.m_strName;
            entry.m_strRoot = "T:";
            entry.m_ullSize = static_cast<ULONGLONG>(k % 17);
            m_dialog.m_store.Append(entry);
        }
        m_dialog.m_store.AssignIds();
        m_dialog.m_iWorkerListRows = 0;
    }
    std::vector<LPARAM> Rows() {
        std::vector<LPARAM> vecIds;
        for (int i = 0; i < m_dialog.m_lstFiles.GetItemCount(); ++i) {
            vecIds.push_back(static_cast<LPARAM>(m_dialog.m_lstFiles.GetItemData(i)));
        }
        return vecIds;
    }
    // The click came back with the worker still to run: no row moved or went yet.
    void ExpectWorkerPending(const std::vector<LPARAM>& vecBefore) {
        EXPECT_FALSE(g_bWorkerIdle.load());
        EXPECT_TRUE(IsEnabled(Control(IDC_ABORT)));
        EXPECT_FALSE(IsEnabled(Control(IDC_ADD)));
        EXPECT_EQ(Rows(), vecBefore);
    }
    // Every row has its own entry and every entry a row.
    void ExpectListAndStoreAgree() {
        const std::vector<LPARAM> vecIds = Rows();
        ASSERT_EQ(vecIds.size(), m_dialog.m_store.GetCount());
        std::set<LPARAM> setIds;
        for (int i = 0; i < static_cast<int>(vecIds.size()); ++i) {
            const CFileEntry* pEntry = m_dialog.m_store.FindById(static_cast<DWORD>(vecIds[i]));
            ASSERT_NE(pEntry, nullptr) << "row " << i;
            EXPECT_EQ(std::string(m_dialog.m_lstFiles.GetItemText(i, 0).GetString()),
                      std::string(pEntry->m_strName.View()));
            setIds.insert(vecIds[i]);
        }
        EXPECT_EQ(setIds.size(), vecIds.size());
        EXPECT_EQ(Header(), "ファイル名 (" + std::to_string(vecIds.size()) + ")");
    }
};

TEST_F(ListWorkerTest, ASortOnTheWorkerOrdersEachColumnStablyBothWays) {
    FillStore(3000);
    Run([&] {
        ASSERT_TRUE(m_dialog.FillList());
        // Name down, size down, folder down, then each up again.
        for (int iColumn : {0, 1, 2, 0, 1, 2}) {
            const std::vector<LPARAM> vecBefore = Rows();
            std::map<LPARAM, size_t> mapFormer;
            for (size_t i = 0; i < vecBefore.size(); ++i) {
                mapFormer[vecBefore[i]] = i;
            }
            ClickListHeader(List(), iColumn);
            ExpectWorkerPending(vecBefore);
            ASSERT_TRUE(WaitIdle());
            const std::vector<LPARAM> vecAfter = Rows();
            ASSERT_EQ(vecAfter.size(), vecBefore.size());
            for (size_t i = 1; i < vecAfter.size(); ++i) {
                const int iOrder = CMainDialog::CompareRows(vecAfter[i - 1], vecAfter[i], iColumn);
                ASSERT_LE(iOrder, 0) << "column " << iColumn << ", rows " << i - 1 << ", " << i;
                if (iOrder == 0) {
                    ASSERT_LT(mapFormer[vecAfter[i - 1]], mapFormer[vecAfter[i]])
                        << "column " << iColumn << ": equal rows swapped at " << i;
                }
            }
            EXPECT_NE(vecAfter, vecBefore) << "column " << iColumn;
        }
        ExpectListAndStoreAgree();
        SaveScreenshot(m_dialog.m_hWnd, std::string(TESSALY_SCREENSHOT_DIR "/main-sorted.png"));
    });
}

TEST_F(ListWorkerTest, AbortBeforeTheRowsChangeLeavesThemAndTheNextClickSortsAsThisOneWould) {
    FillStore(500);
    Run([&] {
        ASSERT_TRUE(m_dialog.FillList());
        const std::vector<LPARAM> vecBefore = Rows();
        ClickListHeader(List(), 1);
        Click(IDC_ABORT);
        ASSERT_TRUE(WaitIdle());
        EXPECT_EQ(Rows(), vecBefore);
        EXPECT_EQ(g_iSortDirSize, 1);
        EXPECT_FALSE(g_bAbort.load());
        // The first click on the size column sorts the largest first.
        ClickListHeader(List(), 1);
        ASSERT_TRUE(WaitIdle());
        EXPECT_EQ(Cell(0, 1), "16");
        EXPECT_EQ(Cell(499, 1), "0");
    });
}

TEST_F(ListWorkerTest, ExcludeOnTheWorkerKeepsListAndStoreTogetherAndAbortFirstCancelsIt) {
    FillStore(2000);
    Run([&] {
        ASSERT_TRUE(m_dialog.FillList());
        ClickListHeader(List(), 0);
        ASSERT_TRUE(WaitIdle());
        // Abort before the store changes: nothing goes.
        SelectListRows(List(), {0, 5, 1999});
        std::vector<LPARAM> vecBefore = Rows();
        Click(IDC_EXCLUDE);
        Click(IDC_ABORT);
        ASSERT_TRUE(WaitIdle());
        EXPECT_EQ(Rows(), vecBefore);
        EXPECT_EQ(m_dialog.m_store.GetCount(), 2000u);

        std::vector<int> vecSelected;
        std::vector<LPARAM> vecKept;
        for (int i = 0; i < 2000; ++i) {
            if (i % 3 == 1) {
                vecSelected.push_back(i);
            } else {
                vecKept.push_back(vecBefore[static_cast<size_t>(i)]);
            }
        }
        m_dialog.m_lstFiles.SetItemState(-1, 0, LVIS_SELECTED);
        SelectListRows(List(), vecSelected);
        vecBefore = Rows();
        Click(IDC_EXCLUDE);
        ExpectWorkerPending(vecBefore);
        ASSERT_TRUE(WaitIdle());
        EXPECT_EQ(Rows(), vecKept);
        EXPECT_EQ(m_dialog.m_store.GetFreeIds().GetCount(), vecSelected.size());
        ExpectListAndStoreAgree();
        ULONGLONG ullKept = 0;
        for (LPARAM id : vecKept) {
            ullKept += m_dialog.m_store.FindById(static_cast<DWORD>(id))->m_ullSize;
        }
        std::string strTotal = std::to_string(ullKept);
        for (int i = static_cast<int>(strTotal.size()) - 3; i > 0; i -= 3) {
            strTotal.insert(static_cast<size_t>(i), ",");
        }
        EXPECT_EQ(Text(1007), strTotal);

        Click(IDC_EXCLUDE_ALL);
        ASSERT_TRUE(WaitIdle());
        EXPECT_EQ(ListRowCount(List()), 0);
        EXPECT_EQ(m_dialog.m_store.GetCount(), 0u);
        EXPECT_EQ(Text(1007), "0");
    });
}

// The window closes while a sort's worker still needs it: the close waits for the worker, which
// leaves the rows alone.
TEST_F(ListWorkerTest, ClosingDuringASortWaitsForTheWorker) {
    FillStore(1000);
    Run([&] {
        ASSERT_TRUE(m_dialog.FillList());
        ClickListHeader(List(), 0);
    });
    EXPECT_TRUE(g_bWorkerIdle.load());
}

} // namespace
} // namespace tessaly::test
