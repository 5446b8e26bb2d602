#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/picker/dialog/PickerTestSupport.h"

namespace {

using tessaly::test::CTestPicker;
using tessaly::test::PickerTest;

using PickerListing = PickerTest;

TEST_F(PickerListing, ShowsFoldersFirstAndLeavesOutDotNames) {
    MakeFolder("box/zeta");
    MakeFolder("box/Alpha");
    if (!tessaly::test::kOnWindows) { // names of dots only, which Windows cannot make
        MakeFolder("box/...");
        MakeFile("box/....", 3);
    }
    MakeFile("box/b.txt", 1000);
    MakeFile("box/A.txt", 1234567);
    MakeFile("box/big.bin", 5000000000ull);
    MakeFile("box/.hidden", 0);
    CTestPicker picker;
    RunPicker(picker, "box", [&] {
        EXPECT_EQ(
            tessaly::test::ColumnTexts(picker, 0),
            (std::vector<std::string>{"Alpha", "zeta", ".hidden", "A.txt", "b.txt", "big.bin"}));
        EXPECT_EQ(tessaly::test::ColumnTexts(picker, 1),
                  (std::vector<std::string>{"0", "0", "0", "1,234,567", "1,000", "5,000,000,000"}));
        const std::vector<int> aiImages{1, 1, 0, 0, 0, 0};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(tessaly::test::RowImage(picker, i), aiImages[static_cast<size_t>(i)])
                << "row " << i;
        }
        EXPECT_EQ(picker.m_iItemNum, 6);
        EXPECT_EQ(picker.m_iFolderNum, 2);
        EXPECT_EQ(tessaly::test::EditText(picker), m_drive.ShownPath("box"));
        picker.EndDialog(IDCANCEL);
    });
}

TEST_F(PickerListing, DateColumnShowsLocalTimeAndNothingBefore1970) {
    TESSALY_ZONE_OF_ITS_OWN();
    tessaly::test::ZoneScope zone("JST-9");
    MakeFile("dates/new.txt");
    MakeFile("dates/old.txt");
    SetWriteTime("dates/new.txt", 1177992309);
    SetWriteTime("dates/old.txt", -315619200); // 1960-01-01
    CTestPicker picker;
    RunPicker(picker, "dates", [&] {
        EXPECT_EQ(tessaly::test::ColumnTexts(picker, 0),
                  (std::vector<std::string>{"new.txt", "old.txt"}));
        EXPECT_EQ(tessaly::test::ColumnTexts(picker, 2),
                  (std::vector<std::string>{"2007/05/01 13:05:09", ""}));
        picker.EndDialog(IDCANCEL);
    });
}

TEST_F(PickerListing, ListsEveryEntryOfAFolderLargerThanTheFirstTable) {
    for (int i = 0; i < 2500; ++i) {
        MakeFile("many/f" + std::to_string(10000 + i));
    }
    CTestPicker picker;
    RunPicker(picker, "many", [&] {
        EXPECT_EQ(picker.m_iItemNum, 2500);
        EXPECT_EQ(picker.m_ListCtrl.GetItemCount(), 2500);
        EXPECT_GE(picker.m_aFindData.GetSize(), 2500);
        EXPECT_STREQ(picker.m_ListCtrl.GetItemText(0, 0), "f10000");
        EXPECT_STREQ(picker.m_ListCtrl.GetItemText(2499, 0), "f12499");
        EXPECT_STREQ(picker.m_aFindData[2499].cFileName, "f12499");
        // A new listing starts at the top, wherever the old one was scrolled to.
        picker.m_ListCtrl.EnsureVisible(2499, FALSE);
        ASSERT_GT(picker.m_ListCtrl.GetTopIndex(), 0);
        picker.ReadFolder();
        EXPECT_EQ(picker.m_ListCtrl.GetTopIndex(), 0);
        picker.EndDialog(IDCANCEL);
    });
}

// Going from a folder with more entries to one with fewer and back must leave exactly the new
// folder's rows, none of the old ones and no old selection.
TEST_F(PickerListing, RewritesRowsInPlaceAndDropsTheSurplus) {
    for (const char* pcName : {"a1", "a2", "a3", "a4", "a5"}) {
        MakeFile(std::string("five/") + pcName, 10);
    }
    MakeFolder("five/sub");
    MakeFile("five/sub/only.txt", 20);
    CTestPicker picker;
    RunPicker(picker, "five", [&] {
        ASSERT_EQ(picker.m_ListCtrl.GetItemCount(), 6);
        picker.m_ListCtrl.SetItemState(5, LVIS_SELECTED, LVIS_SELECTED);
        picker.m_ListCtrl.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        tessaly::test::DoubleClickRow(picker, 0);
        EXPECT_EQ(picker.m_strCurDir, CString(m_drive.WinPath("five/sub").c_str()));
        EXPECT_EQ(tessaly::test::ColumnTexts(picker, 0), std::vector<std::string>{"only.txt"});
        EXPECT_EQ(tessaly::test::ColumnTexts(picker, 1), std::vector<std::string>{"20"});
        EXPECT_EQ(tessaly::test::RowImage(picker, 0), 0);
        EXPECT_EQ(picker.m_ListCtrl.GetSelectedCount(), 0u);
        tessaly::test::ClickButton(picker, IDC_UP_FOLDER);
        EXPECT_EQ(tessaly::test::ColumnTexts(picker, 0),
                  (std::vector<std::string>{"sub", "a1", "a2", "a3", "a4", "a5"}));
        EXPECT_EQ(picker.m_ListCtrl.GetSelectedCount(), 0u);
        picker.EndDialog(IDCANCEL);
    });
}

TEST_F(PickerListing, NamesOutsideCp932ShowTheirOwnCharacters) {
    MakeFolder("intl/café");
    MakeFile("intl/한국어.txt", 5);
    MakeFile("intl/😀.txt", 6);
    CTestPicker picker;
    RunPicker(picker, "intl", [&] {
        const tessaly::test::WindowHandle hList = tessaly::test::ListView(picker);
        ASSERT_EQ(tessaly::test::ListRowCount(hList), 3);
        std::vector<std::string> vecShown;
        for (int i = 0; i < 3; ++i) {
            vecShown.push_back(tessaly::test::ListCellText(hList, i, 0));
        }
        EXPECT_EQ(vecShown[0], "café");
        EXPECT_EQ(std::count(vecShown.begin(), vecShown.end(), "한국어.txt"), 1);
        EXPECT_EQ(std::count(vecShown.begin(), vecShown.end(), "😀.txt"), 1);
        // The folder opens under its real name.
        tessaly::test::DoubleClickRow(picker, 0);
        EXPECT_EQ(tessaly::test::EditText(picker), m_drive.ShownPath("intl/café"));
        EXPECT_EQ(picker.m_ListCtrl.GetItemCount(), 0);
        picker.EndDialog(IDCANCEL);
    });
}

TEST_F(PickerListing, AnEmptyRootShowsAnEmptyList) {
    std::filesystem::remove(m_drive.Native("TraceFile.txt"));
    CTestPicker picker;
    RunPicker(picker, "", [&] {
        EXPECT_EQ(picker.m_strCurDir, CString(m_drive.RootFolder().c_str()));
        EXPECT_EQ(picker.m_ListCtrl.GetItemCount(), 0);
        EXPECT_EQ(picker.m_iItemNum, 0);
        picker.EndDialog(IDCANCEL);
    });
}

TEST_F(PickerListing, RewriteOfANegativeRowOnlyWritesTheTraceLine) {
    MakeFile("one/x.txt", 1);
    CTestPicker picker;
    RunPicker(picker, "one", [&] {
        const WIN32_FIND_DATAA first = picker.m_aFindData[0];
        picker.ReWriteListItem(-1, &first);
        picker.ReWriteListItem(0, nullptr);
        EXPECT_STREQ(picker.m_ListCtrl.GetItemText(0, 0), "x.txt");
        picker.EndDialog(IDCANCEL);
    });
    const std::string strTrace = m_drive.TraceBytes();
    EXPECT_NE(strTrace.find(tessaly::test::Ansi(
                  "※　無効な引数　ReWriteListItem(iIndex=-1, LPWIN32_FIND_DATA ")),
              std::string::npos);
    EXPECT_NE(strTrace.find(tessaly::test::Ansi(
                  "※　無効な引数　ReWriteListItem(iIndex=0, LPWIN32_FIND_DATA 00000000)\r\n")),
              std::string::npos);
}

} // namespace
