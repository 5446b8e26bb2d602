#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/picker/dialog/PickerTestSupport.h"

namespace {

using tessaly::test::Ansi;
using tessaly::test::CTestPicker;
using tessaly::test::PickerTest;

using PickerConfirm = PickerTest;

TEST_F(PickerConfirm, OkWithoutSelectionKeepsEveryEntryForALaterChoice) {
    MakeFolder("c/dir");
    MakeFile("c/one.txt", 1);
    MakeFile("c/two.txt", 2);
    CTestPicker picker;
    bool bChoseLater = false;
    std::unique_ptr<tessaly::test::Timer> pLater;
    const INT_PTR nResult = RunPicker(picker, "c", [&] {
        tessaly::test::ClickButton(picker, IDOK);
        EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{Ansi("何も選択されていません")});
        EXPECT_TRUE(tessaly::test::IsVisible(picker.m_hWnd));
        // The later choice, once the dialog's loop has run: a dialog that OK ended is gone by then.
        pLater = std::make_unique<tessaly::test::Timer>(
            50,
            [&] {
                bChoseLater = true;
                EXPECT_EQ(tessaly::test::EntryNames(picker),
                          (std::vector<std::string>{"dir", "one.txt", "two.txt"}));
                EXPECT_EQ(picker.m_ListCtrl.GetItemCount(), 3);
                picker.m_ListCtrl.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
                picker.m_ListCtrl.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
                tessaly::test::ClickButton(picker, IDOK);
            },
            false);
    });
    EXPECT_TRUE(bChoseLater) << "OK without a selection ended the dialog";
    ASSERT_EQ(nResult, IDOK);
    EXPECT_EQ(m_messages.Texts().size(), 1u);
    EXPECT_EQ(picker.m_iSelectNum, 2);
    EXPECT_EQ(tessaly::test::EntryNames(picker), (std::vector<std::string>{"dir", "two.txt"}));
    EXPECT_EQ(picker.m_aFindData[0].dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(picker.m_aFindData[1].nFileSizeLow, 2u);
}

TEST_F(PickerConfirm, SelectAllAndEnterHandBackEveryRecordInRowOrder) {
    MakeFolder("all/B");
    MakeFolder("all/a");
    MakeFile("all/z.bin", 5000000000ull);
    MakeFile("all/m.txt", 7);
    CTestPicker picker;
    const INT_PTR nResult = RunPicker(picker, "all", [&] {
        tessaly::test::ClickButton(picker, IDC_SELECT_ALL);
        EXPECT_EQ(picker.m_ListCtrl.GetSelectedCount(), 4u);
        tessaly::test::PressKey(tessaly::test::ListView(picker), tessaly::test::EKey::Enter);
    });
    ASSERT_EQ(nResult, IDOK);
    EXPECT_EQ(picker.m_iItemNum, 4);
    EXPECT_EQ(tessaly::test::EntryNames(picker),
              (std::vector<std::string>{"a", "B", "m.txt", "z.bin"}));
    EXPECT_EQ(picker.m_aFindData[3].nFileSizeHigh, 1u);
    EXPECT_EQ(picker.m_aFindData[3].nFileSizeLow, static_cast<DWORD>(5000000000ull));
    EXPECT_EQ(picker.m_strCurDir, CString(m_drive.WinPath("all").c_str()));
    CString strPicked;
    EXPECT_EQ(picker.GetPickedFolder(strPicked), 1);
    EXPECT_EQ(strPicked, CString(m_drive.WinPath("all").c_str()));
}

TEST_F(PickerConfirm, ARootHandsBackTheDriveWithoutItsBackslash) {
    TESSALY_STAND_IN_ONLY("a drive of the test's own, whose root the picker stands at");
    MakeFile("r.txt");
    CTestPicker picker;
    const INT_PTR nResult = RunPicker(picker, "", [&] {
        picker.m_ListCtrl.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        tessaly::test::ClickButton(picker, IDOK);
    });
    ASSERT_EQ(nResult, IDOK);
    EXPECT_EQ(picker.m_strCurDir, CString("T:\\"));
    CString strPicked;
    ASSERT_EQ(picker.GetPickedFolder(strPicked), 1);
    EXPECT_EQ(strPicked, CString("T:"));
    CString strPath;
    strPath.Format("%s\\%s", static_cast<const char*>(strPicked), picker.m_aFindData[0].cFileName);
    EXPECT_EQ(strPath, CString("T:\\r.txt"));
}

TEST_F(PickerConfirm, EscapeAndCancelEndWithoutTouchingTheEntries) {
    MakeFile("e/x.txt");
    for (bool bEscape : {true, false}) {
        CTestPicker picker;
        const INT_PTR nResult = RunPicker(picker, "e", [&] {
            picker.m_ListCtrl.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
            if (bEscape) {
                tessaly::test::PressKey(tessaly::test::ListView(picker),
                                        tessaly::test::EKey::Escape);
            } else {
                tessaly::test::ClickButton(picker, IDCANCEL);
            }
        });
        EXPECT_EQ(nResult, IDCANCEL) << (bEscape ? "escape" : "cancel");
        EXPECT_EQ(picker.m_iItemNum, 1);
        EXPECT_EQ(picker.m_iSelectNum, 0);
    }
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(PickerConfirm, OkInAnEmptyFolderComplainsAndStaysOpen) {
    MakeFolder("void");
    CTestPicker picker;
    bool bOpenAfterOk = false;
    std::unique_ptr<tessaly::test::Timer> pCloser;
    const INT_PTR nResult = RunPicker(picker, "void", [&] {
        tessaly::test::ClickButton(picker, IDOK);
        EXPECT_TRUE(tessaly::test::IsVisible(picker.m_hWnd));
        // A dialog that OK ended leaves its loop before this tick.
        pCloser = std::make_unique<tessaly::test::Timer>(
            50,
            [&] {
                bOpenAfterOk = true;
                picker.EndDialog(IDCANCEL);
            },
            false);
    });
    EXPECT_TRUE(bOpenAfterOk);
    EXPECT_EQ(nResult, IDCANCEL);
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{Ansi("何も選択されていません")});
}

} // namespace
