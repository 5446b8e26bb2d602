#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/picker/dialog/PickerTestSupport.h"

namespace {

using tessaly::test::Ansi;
using tessaly::test::ColumnTexts;
using tessaly::test::CTestPicker;
using tessaly::test::EntryNames;
using tessaly::test::PickerTest;
using tessaly::test::WaitForSort;

using PickerSort = PickerTest;

bool AllButtonsEnabled(CMyFileDialog& picker, BOOL bEnabled) {
    for (int nId : {IDOK, IDCANCEL, IDC_UP_FOLDER, IDC_SELECT_ALL}) {
        if (picker.GetDlgItem(nId)->IsWindowEnabled() != bEnabled) {
            return false;
        }
    }
    return true;
}

TEST_F(PickerSort, HeaderClicksSortEachColumnAndFlipItsDirection) {
    MakeFolder("s/old");
    MakeFolder("s/New");
    // A, B, C, D of 5, 3, 5 and 1 bytes, written newest last.
    const struct {
        const char* pcName;
        unsigned long long ullSize;
        long long llTime;
    } files[] = {{"s/A", 5, 1000000000},
                 {"s/B", 3, 1100000000},
                 {"s/C", 5, 1200000000},
                 {"s/D", 1, 1300000000}};
    for (const auto& file : files) {
        MakeFile(file.pcName, file.ullSize);
        SetWriteTime(file.pcName, file.llTime);
    }
    SetWriteTime("s/old", 900000000);
    SetWriteTime("s/New", 950000000);
    CTestPicker picker;
    RunPicker(picker, "s", [&] {
        const struct {
            int iColumn;
            std::vector<std::string> vecOrder;
        } clicks[] = {
            {0, {"New", "old", "A", "B", "C", "D"}}, // already ascending: unchanged
            {0, {"old", "New", "D", "C", "B", "A"}},
            {1, {"old", "New", "D", "B", "C", "A"}}, // equal sizes keep no order of their own
            {1, {"old", "New", "C", "A", "B", "D"}},
            {2, {"old", "New", "A", "B", "C", "D"}},
            {2, {"New", "old", "D", "C", "B", "A"}},
        };
        for (const auto& click : clicks) {
            SCOPED_TRACE("column " + std::to_string(click.iColumn));
            picker.m_ListCtrl.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
            tessaly::test::ClickHeader(picker, click.iColumn);
            ASSERT_TRUE(WaitForSort(picker));
            EXPECT_EQ(EntryNames(picker), click.vecOrder);
            EXPECT_EQ(ColumnTexts(picker, 0), click.vecOrder);
            EXPECT_EQ(picker.m_ListCtrl.GetSelectedCount(), 0u);
            EXPECT_TRUE(AllButtonsEnabled(picker, TRUE));
        }
        EXPECT_EQ(picker.m_bNameAsc, 1);
        EXPECT_EQ(picker.m_bSizeAsc, 1);
        EXPECT_EQ(picker.m_bTimeAsc, 1);
        picker.EndDialog(IDCANCEL);
    });
}

TEST_F(PickerSort, SizeSortOfASingleFileTracesTheRangeAndStillFlips) {
    MakeFolder("one/dir");
    MakeFile("one/only.txt", 9);
    CTestPicker picker;
    RunPicker(picker, "one", [&] {
        tessaly::test::ClickHeader(picker, 1);
        ASSERT_TRUE(WaitForSort(picker));
        EXPECT_EQ(picker.m_bSizeAsc, 0);
        tessaly::test::ClickHeader(picker, 1);
        ASSERT_TRUE(WaitForSort(picker));
        EXPECT_EQ(picker.m_bSizeAsc, 1);
        EXPECT_EQ(ColumnTexts(picker, 0), (std::vector<std::string>{"dir", "only.txt"}));
        picker.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(m_drive.TraceBytes(),
              Ansi("※　引数が無効です CMyFileDialog::SortFileBySizeLoToHi\r\n\t\tiTopID[1] "
                   "iEndID[1] iItemNum[2]\r\n"
                   "※　引数が無効です CMyFileDialog::SortFileBySizeHiToLo\r\n\t\tiTopID[1] "
                   "iEndID[1] iItemNum[2]\r\n"));
}

// The sort thread cannot finish its rewrite while the window thread is busy here, so every input
// below arrives while the sort runs.
TEST_F(PickerSort, InputDuringASortIsIgnored) {
    MakeFolder("busy/inner");
    for (int i = 0; i < 300; ++i) {
        MakeFile("busy/f" + std::to_string(1000 + i), static_cast<unsigned long long>(i));
    }
    CTestPicker picker;
    bool bOpenAfterInput = false;
    std::unique_ptr<tessaly::test::Timer> pCloser;
    RunPicker(picker, "busy", [&] {
        tessaly::test::ClickHeader(picker, 0);
        ASSERT_EQ(picker.m_bSorting, 1);
        EXPECT_TRUE(AllButtonsEnabled(picker, FALSE));
        tessaly::test::ClickHeader(picker, 1);
        tessaly::test::PressKey(tessaly::test::ListView(picker), tessaly::test::EKey::Escape);
        tessaly::test::PressKey(tessaly::test::ListView(picker), tessaly::test::EKey::Enter);
        tessaly::test::DoubleClickRow(picker, 0);
        EXPECT_TRUE(tessaly::test::ChooseDrive(
            picker, tessaly::test::OtherDriveLetter(m_drive.Drive()[0])));
        ASSERT_EQ(picker.m_bSorting, 1);

        ASSERT_TRUE(WaitForSort(picker));
        EXPECT_TRUE(tessaly::test::IsVisible(picker.m_hWnd));
        EXPECT_EQ(picker.m_strCurDir, CString(m_drive.WinPath("busy").c_str()));
        EXPECT_EQ(tessaly::test::EditText(picker), m_drive.ShownPath("busy"));
        CString strDrive;
        picker.m_DriveList.GetText(picker.m_DriveList.GetCurSel(), strDrive);
        EXPECT_EQ(strDrive, CString(m_drive.Drive().substr(0, 2).c_str()));
        // One name sort ran, and no size sort.
        EXPECT_EQ(picker.m_bNameAsc, 0);
        EXPECT_EQ(picker.m_bSizeAsc, 1);
        EXPECT_EQ(picker.m_iItemNum, 301);
        EXPECT_EQ(ColumnTexts(picker, 0), EntryNames(picker));
        EXPECT_EQ(ColumnTexts(picker, 0)[1], "f1000");
        // A dialog that a key ended leaves its loop before this tick.
        pCloser = std::make_unique<tessaly::test::Timer>(
            50,
            [&] {
                bOpenAfterInput = true;
                picker.EndDialog(IDCANCEL);
            },
            false);
    });
    EXPECT_TRUE(bOpenAfterInput);
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(PickerSort, ASortOfAnUnreadableDriveGivesEveryButtonBack) {
    TESSALY_STAND_IN_ONLY("a drive table");
    MakeFile("x.txt");
    std::map<char, std::string> mapDrives = tessaly::win32::GetDriveTable();
    mapDrives['U'] = m_drive.PosixPath("gone");
    tessaly::win32::SetDriveTable(mapDrives);
    CTestPicker picker;
    RunPicker(picker, "", [&] {
        ASSERT_TRUE(tessaly::test::ChooseDrive(picker, 'U'));
        EXPECT_FALSE(picker.GetDlgItem(IDC_UP_FOLDER)->IsWindowEnabled());
        tessaly::test::ClickHeader(picker, 2);
        ASSERT_TRUE(WaitForSort(picker));
        EXPECT_TRUE(AllButtonsEnabled(picker, TRUE));
        EXPECT_EQ(picker.m_ListCtrl.GetItemCount(), 0);
        picker.EndDialog(IDCANCEL);
    });
}

TEST_F(PickerSort, ThreadProcWithoutADialogFails) {
    EXPECT_EQ(CMyFileDialog::SortThreadProc(nullptr), static_cast<UINT>(-1));
}

} // namespace
