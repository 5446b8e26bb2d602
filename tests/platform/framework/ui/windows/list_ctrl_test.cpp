// CListCtrl over Windows' own virtual list view, checked against the control itself: what it
// counts, shows (through LVN_GETDISPINFOW) and keeps selected must be the framework's rows after
// every fill, sort and delete, and what the user selects in the control must reach the rows.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/framework/ui/Afxwin.h"
#include "platform/win32/NameCodec.h"
#include "tests/platform/framework/ui/windows/NativeListProbe.h"

namespace {

constexpr UINT kTemplateId = 9310;
constexpr int kListId = 310;
constexpr UINT kRunMessage = WM_USER + 0x31;

const DialogItemTemplate kItems[] = {
    {kListId, EControlKind::ListView, nullptr, 5, 5, 290, 180,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 0},
};
const DialogTemplate kTemplate{
    kTemplateId,       "List", 300,   190, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0,
    "ＭＳ Ｐゴシック", 9,      kItems};

// Runs the test's actions on the list from the dialog's own modal loop, then ends it.
class CListDialog : public CDialog {
public:
    explicit CListDialog(std::function<void(CListCtrl&)> fnAction)
        : CDialog(kTemplateId), m_fnAction(std::move(fnAction)) {}

    CListCtrl m_list;

    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == kRunMessage && pMsg->hwnd == m_hWnd) {
            m_fnAction(m_list);
            EndDialog(IDOK);
            return TRUE;
        }
        return CDialog::PreTranslateMessage(pMsg);
    }

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        PostMessage(kRunMessage);
        return TRUE;
    }
    void DoDataExchange(CDataExchange* pDX) override {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, kListId, m_list);
    }

private:
    std::function<void(CListCtrl&)> m_fnAction;
};

class WindowsListCtrl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!listprobe::CanMakeWindows()) {
            GTEST_SKIP() << "no display for the dialog";
        }
        int argc = 0;
        tessaly::framework::InitWindowSystem(argc, nullptr);
        tessaly::framework::RegisterDialogTemplate(kTemplate);
    }

    static void RunInList(const std::function<void(CListCtrl&)>& fnAction) {
        CListDialog dialog(fnAction);
        ASSERT_EQ(dialog.DoModal(), IDOK);
    }
};

std::string Ansi(const char* pszUtf8) {
    std::string strAnsi;
    tessaly::win32::Utf8ToAnsi(pszUtf8, strAnsi);
    return strAnsi;
}

std::wstring Wide(int i) {
    return std::to_wstring(i);
}

int CALLBACK CompareDataAscending(LPARAM l1, LPARAM l2, LPARAM) {
    return l1 < l2 ? -1 : l1 > l2 ? 1 : 0;
}

int CALLBACK CompareDataDescending(LPARAM l1, LPARAM l2, LPARAM) {
    return CompareDataAscending(l2, l1, 0);
}

// Equal for rows in the same tens: a stable sort keeps their order.
int CALLBACK CompareTens(LPARAM l1, LPARAM l2, LPARAM) {
    return CompareDataAscending(l1 / 10, l2 / 10, 0);
}

// Rows "r<data>" with item data as given, column 1 the data again.
void Fill(CListCtrl& list, const std::vector<int>& vecData) {
    if (list.GetColumnCount() == 0) {
        list.InsertColumn(0, "name", LVCFMT_LEFT, 120);
        list.InsertColumn(1, "data", LVCFMT_RIGHT, 60);
    }
    list.DeleteAllItems();
    for (int iData : vecData) {
        const std::string strName = "r" + std::to_string(iData);
        LVITEM item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = list.GetItemCount();
        item.pszText = const_cast<char*>(strName.c_str());
        item.lParam = iData;
        const int nRow = list.InsertItem(&item);
        list.SetItemText(nRow, 1, std::to_string(iData).c_str());
    }
}

std::vector<int> DataOf(CListCtrl& list, const std::vector<int>& vecRows) {
    std::vector<int> vecData;
    for (int nRow : vecRows) {
        vecData.push_back(static_cast<int>(list.GetItemData(nRow)));
    }
    return vecData;
}

std::vector<int> AllData(CListCtrl& list) {
    std::vector<int> vecData;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        vecData.push_back(static_cast<int>(list.GetItemData(i)));
    }
    return vecData;
}

std::vector<int> SelectedRows(CListCtrl& list) {
    std::vector<int> vecRows;
    for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0;
         i = list.GetNextItem(i, LVNI_SELECTED)) {
        vecRows.push_back(i);
    }
    return vecRows;
}

// The control counts, shows and selects exactly the framework's rows.
void ExpectControlShowsRows(CListCtrl& list) {
    const HWND hList = list.m_hWnd;
    ASSERT_EQ(listprobe::RowCount(hList), list.GetItemCount());
    for (int i = 0; i < list.GetItemCount(); ++i) {
        EXPECT_EQ(listprobe::CellText(hList, i, 0),
                  L"r" + Wide(static_cast<int>(list.GetItemData(i))))
            << "row " << i;
    }
    EXPECT_EQ(listprobe::SelectedRows(hList), SelectedRows(list));
    EXPECT_EQ(listprobe::SelectedCount(hList), list.GetSelectedCount());
}

TEST_F(WindowsListCtrl, ColumnsImagesColoursAndStylesReachTheControl) {
    void* hIcon = listprobe::MakeIcon(16);
    RunInList([&](CListCtrl& list) {
        const HWND hList = list.m_hWnd;
        EXPECT_EQ(list.InsertColumn(0, Ansi("名前").c_str(), LVCFMT_LEFT, 120), 0);
        // Beyond the end appends; the heading keeps a character outside CP932.
        EXPECT_EQ(list.InsertColumn(7, Ansi("café").c_str(), LVCFMT_RIGHT, 80), 1);
        EXPECT_EQ(list.InsertColumn(-1, "x"), -1);
        EXPECT_EQ(listprobe::HeaderText(hList, 0), L"名前");
        EXPECT_EQ(listprobe::HeaderText(hList, 1), L"caf\u00E9");
        EXPECT_EQ(listprobe::ColumnWidth(hList, 0), 120);
        EXPECT_TRUE(list.SetColumnWidth(1, 95));
        EXPECT_EQ(list.GetColumnWidth(1), 95);
        LVCOLUMN column{};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.pszText = const_cast<char*>("size");
        column.fmt = LVCFMT_CENTER;
        EXPECT_TRUE(list.SetColumn(1, &column));
        EXPECT_EQ(listprobe::HeaderText(hList, 1), L"size");
        char acHeading[3] = {};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.pszText = acHeading;
        column.cchTextMax = sizeof acHeading;
        EXPECT_TRUE(list.GetColumn(1, &column));
        EXPECT_STREQ(acHeading, "si");
        EXPECT_EQ(column.fmt, LVCFMT_CENTER);
        EXPECT_EQ(column.cx, 95);
        EXPECT_FALSE(list.GetColumn(2, &column));

        list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
        EXPECT_NE(listprobe::ExtendedStyle(hList) & LVS_EX_FULLROWSELECT, 0u);

        CImageList images;
        images.Create(16, 16, ILC_COLOR4, 2, 1);
        images.Add(static_cast<HICON>(hIcon));
        images.Add(static_cast<HICON>(hIcon));
        EXPECT_EQ(list.SetImageList(&images, LVSIL_SMALL), nullptr);
        EXPECT_EQ(listprobe::SmallImageCount(hList), 2);
        EXPECT_EQ(list.InsertItem(0, "file", 1), 0);
        EXPECT_EQ(list.InsertItem(1, "none"), 1);
        EXPECT_EQ(listprobe::CellImage(hList, 0), 1);
        EXPECT_LT(listprobe::CellImage(hList, 1), 0);
        EXPECT_EQ(list.SetImageList(nullptr, LVSIL_SMALL), &images);

        list.SetBkColor(RGB(0, 0, 0));
        list.SetTextBkColor(RGB(1, 2, 3));
        list.SetTextColor(RGB(255, 255, 255));
        const listprobe::Colors colors = listprobe::ListColors(hList);
        EXPECT_EQ(colors.crBk, RGB(0, 0, 0));
        EXPECT_EQ(colors.crTextBk, RGB(1, 2, 3));
        EXPECT_EQ(colors.crText, RGB(255, 255, 255));
    });
    listprobe::DestroyIcon(hIcon);
}

TEST_F(WindowsListCtrl, ControlShowsTheRowsAfterFillSortAndDelete) {
    RunInList([](CListCtrl& list) {
        Fill(list, {3, 1, 4, 15, 9, 2, 6});
        ExpectControlShowsRows(list);
        // The control's cell texts come from the rows in their sorted order.
        EXPECT_TRUE(list.SortItems(CompareDataAscending, 0));
        EXPECT_EQ(AllData(list), (std::vector<int>{1, 2, 3, 4, 6, 9, 15}));
        ExpectControlShowsRows(list);
        EXPECT_EQ(listprobe::CellText(list.m_hWnd, 6, 1), L"15");
        EXPECT_TRUE(list.DeleteItems({0, 6}));
        EXPECT_TRUE(list.DeleteItem(2));
        EXPECT_EQ(AllData(list), (std::vector<int>{2, 3, 6, 9}));
        ExpectControlShowsRows(list);
        // Beyond the end appends; in between pushes the rest down.
        EXPECT_EQ(list.InsertItem(99, "r7"), 4);
        list.SetItemData(4, 7);
        EXPECT_EQ(list.InsertItem(1, "r5"), 1);
        list.SetItemData(1, 5);
        EXPECT_EQ(AllData(list), (std::vector<int>{2, 5, 3, 6, 9, 7}));
        ExpectControlShowsRows(list);
        // A text outside CP932 reaches the control as its own character; a cut buffer keeps
        // nLen - 1 bytes.
        EXPECT_TRUE(list.SetItemText(0, 1, Ansi("한 é").c_str()));
        EXPECT_EQ(listprobe::CellText(list.m_hWnd, 0, 1), L"\uD55C \u00E9");
        char acCut[4] = {};
        EXPECT_EQ(list.GetItemText(2, 0, acCut, 3), 2);
        EXPECT_STREQ(acCut, "r3");
        EXPECT_EQ(list.GetItemText(2, 0, acCut, 2), 1);
        EXPECT_STREQ(acCut, "r");
        EXPECT_EQ(list.GetItemText(42, 0), CString());
        EXPECT_TRUE(list.DeleteAllItems());
        EXPECT_EQ(listprobe::RowCount(list.m_hWnd), 0);
    });
}

TEST_F(WindowsListCtrl, SelectionAndFocusFollowTheirRowsThroughSortAndDelete) {
    RunInList([](CListCtrl& list) {
        Fill(list, {50, 10, 40, 20, 30, 60});
        for (int nRow : {1, 2, 5}) {
            list.SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
        }
        list.SetItemState(4, LVIS_FOCUSED, LVIS_FOCUSED);
        ExpectControlShowsRows(list);
        EXPECT_EQ(listprobe::FocusedRow(list.m_hWnd), 4);

        EXPECT_TRUE(list.SortItems(CompareDataAscending, 0));
        EXPECT_EQ(DataOf(list, SelectedRows(list)), (std::vector<int>{10, 40, 60}));
        EXPECT_EQ(SelectedRows(list), (std::vector<int>{0, 3, 5}));
        EXPECT_EQ(list.GetItemState(2, LVIS_FOCUSED | LVIS_SELECTED), LVIS_FOCUSED);
        ExpectControlShowsRows(list);
        EXPECT_EQ(listprobe::FocusedRow(list.m_hWnd), 2);

        EXPECT_TRUE(list.DeleteItems({0, 1}));
        EXPECT_EQ(AllData(list), (std::vector<int>{30, 40, 50, 60}));
        EXPECT_EQ(DataOf(list, SelectedRows(list)), (std::vector<int>{40, 60}));
        EXPECT_EQ(listprobe::FocusedRow(list.m_hWnd), 0);
        ExpectControlShowsRows(list);

        // A row put in between moves the selection below it down.
        EXPECT_EQ(list.InsertItem(0, "r5"), 0);
        list.SetItemData(0, 5);
        EXPECT_EQ(DataOf(list, SelectedRows(list)), (std::vector<int>{40, 60}));
        ExpectControlShowsRows(list);

        // -1: every row, in the control too.
        EXPECT_TRUE(list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED));
        EXPECT_EQ(list.GetSelectedCount(), 5u);
        ExpectControlShowsRows(list);
        EXPECT_TRUE(list.SetItemState(-1, 0, LVIS_SELECTED));
        EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
        EXPECT_EQ(list.GetNextItem(-1, LVNI_ALL), 0);
        ExpectControlShowsRows(list);
        EXPECT_FALSE(list.SetItemState(5, LVIS_SELECTED, LVIS_SELECTED));
    });
}

// A worker's reorder: the control shows the rows in their new order, selection and focus with
// their rows.
TEST_F(WindowsListCtrl, ReorderItemsTakesSelectionAndFocusAlong) {
    RunInList([](CListCtrl& list) {
        Fill(list, {50, 10, 40, 20, 30, 60});
        for (int nRow : {1, 2}) {
            list.SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
        }
        list.SetItemState(4, LVIS_FOCUSED, LVIS_FOCUSED);
        EXPECT_TRUE(list.ReorderItems(std::vector<int>{5, 4, 3, 2, 1, 0}));
        EXPECT_EQ(AllData(list), (std::vector<int>{60, 30, 20, 40, 10, 50}));
        EXPECT_EQ(DataOf(list, SelectedRows(list)), (std::vector<int>{40, 10}));
        EXPECT_EQ(listprobe::FocusedRow(list.m_hWnd), 1);
        ExpectControlShowsRows(list);
        EXPECT_FALSE(list.ReorderItems(std::vector<int>{0, 1, 2}));
        EXPECT_EQ(AllData(list), (std::vector<int>{60, 30, 20, 40, 10, 50}));
        ExpectControlShowsRows(list);
    });
}

TEST_F(WindowsListCtrl, WhatTheUserSelectsInTheControlReachesTheRows) {
    RunInList([](CListCtrl& list) {
        Fill(list, {6, 5, 4, 3, 2, 1});
        const HWND hList = list.m_hWnd;
        listprobe::SetRowSelected(hList, 0, true);
        listprobe::SetRowSelected(hList, 4, true);
        EXPECT_EQ(SelectedRows(list), (std::vector<int>{0, 4}));
        listprobe::SetRowSelected(hList, 0, false);
        EXPECT_EQ(SelectedRows(list), (std::vector<int>{4}));
        // Sorted after the user's choice, the control selects the row where it went.
        EXPECT_TRUE(list.SortItems(CompareDataAscending, 0));
        EXPECT_EQ(DataOf(list, SelectedRows(list)), (std::vector<int>{2}));
        ExpectControlShowsRows(list);
        // A range the control selects at once (Shift+End from the first row).
        listprobe::PressHome(hList);
        listprobe::PressShiftEnd(hList);
        EXPECT_EQ(listprobe::SelectedCount(hList), 6u);
        ExpectControlShowsRows(list);
        EXPECT_TRUE(list.DeleteItems({1, 3}));
        ExpectControlShowsRows(list);
        EXPECT_EQ(list.GetSelectedCount(), 4u);
    });
}

TEST_F(WindowsListCtrl, DeleteItemsKeepsTheOtherRowsInOrderWithTheirSelection) {
    struct DeleteCase {
        const char* pszName;
        std::vector<int> vecSelected; // rows, before
        std::vector<int> vecDelete;
        bool bOk;
        std::vector<int> vecKept;         // data, after
        std::vector<int> vecKeptSelected; // data, after
    };
    const std::vector<DeleteCase> vecCases = {
        {"any order, repeats ignored", {1, 4}, {4, 0, 4, 2}, true, {1, 3, 5}, {1}},
        {"none listed", {2}, {}, true, {0, 1, 2, 3, 4, 5}, {2}},
        {"every row", {0, 5}, {5, 4, 3, 2, 1, 0}, true, {}, {}},
        {"selected rows go, the rest keep theirs",
         {0, 1, 3, 5},
         {1, 3},
         true,
         {0, 2, 4, 5},
         {0, 5}},
        {"a row out of range: nothing goes", {3}, {1, 6}, false, {0, 1, 2, 3, 4, 5}, {3}},
        {"a negative row: nothing goes", {}, {-1}, false, {0, 1, 2, 3, 4, 5}, {}},
    };
    RunInList([&](CListCtrl& list) {
        for (const DeleteCase& deleteCase : vecCases) {
            SCOPED_TRACE(deleteCase.pszName);
            Fill(list, {0, 1, 2, 3, 4, 5});
            for (int nRow : deleteCase.vecSelected) {
                list.SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
            }
            EXPECT_EQ(list.DeleteItems(deleteCase.vecDelete) != FALSE, deleteCase.bOk);
            EXPECT_EQ(AllData(list), deleteCase.vecKept);
            EXPECT_EQ(DataOf(list, SelectedRows(list)), deleteCase.vecKeptSelected);
            ExpectControlShowsRows(list);
        }
    });
}

TEST_F(WindowsListCtrl, SortIsStableAndRedrawOffHoldsTheControlBack) {
    RunInList([](CListCtrl& list) {
        Fill(list, {21, 12, 25, 10, 23, 14});
        EXPECT_TRUE(list.SortItems(CompareTens, 0));
        EXPECT_EQ(AllData(list), (std::vector<int>{12, 10, 14, 21, 25, 23}));
        EXPECT_FALSE(list.SortItems(nullptr, 0));
        ExpectControlShowsRows(list);

        list.SetRedraw(FALSE);
        for (int i = 0; i < 3; ++i) {
            list.InsertItem(list.GetItemCount(), "r0");
        }
        list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_EQ(list.GetItemCount(), 9);
        list.SetRedraw(TRUE);
        ExpectControlShowsRows(list);
    });
}

// Rows appended in bulk keep their texts in slabs shared by many rows: rows enough for several
// slabs show, in the control, each its own texts after a delete of scattered rows, a reorder and
// a clear followed by a second fill.
TEST_F(WindowsListCtrl, BulkRowsShowTheirOwnTextsAcrossSlabsDeletesAndRefills) {
    constexpr int kRows = 30000; // some 3 MB of texts
    const auto Text = [](int iRow, int iCol) {
        return (iCol == 0 ? std::string("name") : std::string(100, 'f')) +
               std::to_string(iRow * 7 + iCol);
    };
    RunInList([&](CListCtrl& list) {
        list.InsertColumn(0, "name", LVCFMT_LEFT, 100);
        list.InsertColumn(1, "folder", LVCFMT_LEFT, 100);
        std::string astrTexts[2];
        const auto Fill = [&] {
            list.SetItemCount(kRows);
            for (int iFirst = 0; iFirst < kRows; iFirst += kRows / 3) {
                list.AppendItems(kRows / 3, [&](int i, LPCTSTR* apszTexts, LPARAM& lParam, int&) {
                    for (int c = 0; c < 2; ++c) {
                        astrTexts[c] = Text(iFirst + i, c);
                        apszTexts[c] = astrTexts[c].c_str();
                    }
                    lParam = iFirst + i;
                });
            }
        };
        // Row i of the control holds former row vecRows[i]: every row's item data and a spread
        // of rows' cells as the control shows them.
        const auto Check = [&](const std::vector<int>& vecRows) {
            ASSERT_EQ(listprobe::RowCount(list.m_hWnd), static_cast<int>(vecRows.size()));
            for (int i = 0; i < static_cast<int>(vecRows.size()); ++i) {
                const int iRow = vecRows[static_cast<size_t>(i)];
                ASSERT_EQ(list.GetItemData(i), static_cast<DWORD_PTR>(iRow)) << i;
                if (i % 997 == 0 || i + 1 == static_cast<int>(vecRows.size())) {
                    for (int c = 0; c < 2; ++c) {
                        const std::string strText = Text(iRow, c);
                        ASSERT_EQ(listprobe::CellText(list.m_hWnd, i, c),
                                  std::wstring(strText.begin(), strText.end()))
                            << i;
                    }
                }
            }
        };
        Fill();
        std::vector<int> vecRows(kRows);
        for (int i = 0; i < kRows; ++i) {
            vecRows[static_cast<size_t>(i)] = i;
        }
        Check(vecRows);
        std::vector<int> vecGone;
        std::vector<int> vecKept;
        for (int i = 0; i < kRows; ++i) {
            (i % 3 == 1 ? vecGone : vecKept).push_back(i);
        }
        ASSERT_TRUE(list.DeleteItems(vecGone));
        std::vector<int> vecOrder(vecKept.size());
        std::vector<int> vecReordered(vecKept.size());
        for (size_t i = 0; i < vecKept.size(); ++i) {
            vecOrder[i] = static_cast<int>(vecKept.size() - 1 - i);
            vecReordered[i] = vecKept[vecKept.size() - 1 - i];
        }
        ASSERT_TRUE(list.ReorderItems(vecOrder));
        Check(vecReordered);
        list.DeleteAllItems();
        Fill();
        Check(vecRows);
    });
}

// A fill, sorts with half the rows selected, a delete of them and a sort of the rest all
// selected, timed. The bound is
// generous for Wine on a loaded machine; TESSALY_LIST_ROWS measures other sizes.
TEST_F(WindowsListCtrl, AHundredThousandRowsFillSortAndGoQuickly) {
    const char* pszRows = std::getenv("TESSALY_LIST_ROWS");
    const int nRows = pszRows != nullptr ? std::atoi(pszRows) : 100000;
    using Clock = std::chrono::steady_clock;
    auto Seconds = [](Clock::time_point tStart) {
        return std::chrono::duration<double>(Clock::now() - tStart).count();
    };
    double dFill = 0, dSort = 0, dSelect = 0, dResort = 0, dDelete = 0, dSortAll = 0;
    RunInList([&](CListCtrl& list) {
        list.InsertColumn(0, "name", LVCFMT_LEFT, 120);
        list.InsertColumn(1, "size", LVCFMT_RIGHT, 60);
        list.InsertColumn(2, "folder", LVCFMT_LEFT, 200);
        const std::string strFolder = Ansi("C:\\音楽\\フォルダ");
        auto tStart = Clock::now();
        list.SetRedraw(FALSE);
        list.SetItemCount(nRows);
        char acName[32];
        for (int i = 0; i < nRows; ++i) {
            std::snprintf(acName, sizeof acName, "r%d", i);
            LVITEM item{};
            item.mask = LVIF_TEXT | LVIF_STATE | LVIF_PARAM;
            item.iItem = i;
            item.pszText = acName;
            item.stateMask = LVIS_SELECTED;
            item.lParam = i;
            list.InsertItem(&item);
            list.SetItemText(i, 1, acName + 1);
            list.SetItemText(i, 2, strFolder.c_str());
        }
        list.SetRedraw(TRUE);
        ASSERT_EQ(listprobe::RowCount(list.m_hWnd), nRows);
        dFill = Seconds(tStart);

        tStart = Clock::now();
        list.SortItems(CompareDataDescending, 0);
        ASSERT_EQ(listprobe::CellText(list.m_hWnd, 0, 0), L"r" + Wide(nRows - 1));
        dSort = Seconds(tStart);

        // Every other row, then a sort that scatters them over the control.
        tStart = Clock::now();
        for (int i = 0; i < nRows; i += 2) {
            list.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
        }
        ASSERT_EQ(listprobe::SelectedCount(list.m_hWnd), static_cast<unsigned>((nRows + 1) / 2));
        dSelect = Seconds(tStart);
        // The view stays where it was while the control's selection is made anew.
        EXPECT_TRUE(list.EnsureVisible(nRows / 2, FALSE));
        const int iTop = list.GetTopIndex();
        EXPECT_GT(iTop, 0);
        tStart = Clock::now();
        list.SortItems(CompareDataAscending, 0);
        ASSERT_EQ(listprobe::SelectedCount(list.m_hWnd), static_cast<unsigned>((nRows + 1) / 2));
        ASSERT_EQ(listprobe::CellText(list.m_hWnd, 1, 2), L"C:\\音楽\\フォルダ");
        dResort = Seconds(tStart);
        EXPECT_EQ(list.GetTopIndex(), iTop);
        EXPECT_EQ(list.GetItemState(nRows - 1, LVIS_SELECTED), LVIS_SELECTED);

        tStart = Clock::now();
        const std::vector<int> vecSelected = SelectedRows(list);
        list.DeleteItems(vecSelected);
        ASSERT_EQ(listprobe::RowCount(list.m_hWnd), nRows / 2);
        ASSERT_EQ(listprobe::SelectedCount(list.m_hWnd), 0u);
        dDelete = Seconds(tStart);

        // Every row selected, sorted: the control selects them all again at once.
        tStart = Clock::now();
        list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        list.SortItems(CompareDataDescending, 0);
        ASSERT_EQ(listprobe::SelectedCount(list.m_hWnd), static_cast<unsigned>(nRows / 2));
        dSortAll = Seconds(tStart);
    });
    std::printf("%d rows: fill %.2f s, sort %.2f s, select half %.2f s, sort the half %.2f s, "
                "delete it %.2f s, select and sort the rest %.2f s\n",
                nRows, dFill, dSort, dSelect, dResort, dDelete, dSortAll);
    const double dBound = 60.0 * nRows / 100000;
    EXPECT_LT(dFill + dSort + dSelect + dResort + dDelete + dSortAll, dBound);
}

} // namespace
