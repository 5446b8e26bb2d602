#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/picker/dialog/PickerTestSupport.h"

namespace {

using tessaly::test::Ansi;
using tessaly::test::CTestPicker;
using tessaly::test::PickerTest;

using PickerNavigation = PickerTest;

TEST_F(PickerNavigation, StartFolderAcceptsRootsExistingFoldersAndFallsBackToTheExeFolder) {
    MakeFolder("sub");
    MakeFile("file.txt");
    // "T:" is the test folder's drive, "Q:" a letter that names no drive; the executable's folder
    // ("T:") is where a start folder that cannot be taken falls back to.
    const std::string strDrive = m_drive.Drive().substr(0, 2);
    const std::string strLower = std::string(1, static_cast<char>(strDrive[0] - 'A' + 'a')) + ":";
    const char cMissing = tessaly::test::MissingDriveLetter();
    ASSERT_NE(cMissing, '\0');
    const std::string strMissing = std::string(1, cMissing) + ":";
    const std::string strExe = m_drive.Drive();
    const struct {
        std::optional<std::string> argument; // none: a null pointer
        int iResult;
        std::string strStartDir;
    } rows[] = {
        {strDrive + "\\", 1, strDrive + "\\"},
        {strMissing + "\\", 1, strMissing + "\\"}, // a root is taken without looking
        {strDrive, 1, strDrive + "\\"},
        {strLower, 1, strLower + "\\"},
        {strMissing, 0, strExe},
        {strDrive + "a", 0, strExe},
        {m_drive.WinPath("sub"), 1, m_drive.WinPath("sub")},
        {m_drive.WinPath("missing"), 0, strExe},
        {m_drive.WinPath("file.txt"), 0, strExe},
        {"1:", 0, strExe},
        {"", 1, m_drive.RootFolder()},
        {std::nullopt, 1, m_drive.RootFolder()},
    };
    for (const auto& row : rows) {
        const char* pcArgument = row.argument ? row.argument->c_str() : nullptr;
        CTestPicker picker;
        EXPECT_EQ(picker.SetStartFolder(pcArgument), row.iResult)
            << row.argument.value_or("(null)");
        EXPECT_EQ(picker.m_strStartDir, CString(row.strStartDir.c_str()))
            << row.argument.value_or("(null)");
    }
}

TEST_F(PickerNavigation, AStartFolderThatCannotBeEnteredOpensTheExeFoldersRoot) {
    MakeFile("here.txt");
    const char cMissing = tessaly::test::MissingDriveLetter();
    ASSERT_NE(cMissing, '\0');
    CTestPicker picker;
    ASSERT_EQ(picker.SetStartFolder((std::string(1, cMissing) + ":\\").c_str()), 1);
    RunModalWith(picker, [&] {
        EXPECT_EQ(picker.m_strCurDir, CString(m_drive.RootFolder().c_str()));
        EXPECT_EQ(tessaly::test::EditText(picker), m_drive.ShownPath());
        EXPECT_EQ(tessaly::test::ColumnTexts(picker),
                  (std::vector<std::string>{"here.txt", "TraceFile.txt"}));
        picker.EndDialog(IDCANCEL);
    });
}

TEST_F(PickerNavigation, UpFolderClimbsToTheRootAndStaysThere) {
    TESSALY_STAND_IN_ONLY("a drive of the test's own, whose root the picker climbs to");
    MakeFile("a/b/inner.txt");
    CTestPicker picker;
    RunPicker(picker, "a/b", [&] {
        const struct {
            const char* pcFolder;
            const char* pcFirstRow;
        } steps[] = {{"T:\\a", "b"}, {"T:\\", "a"}, {"T:\\", "a"}};
        for (const auto& step : steps) {
            tessaly::test::ClickButton(picker, IDC_UP_FOLDER);
            EXPECT_EQ(picker.m_strCurDir, CString(step.pcFolder));
            EXPECT_EQ(tessaly::test::EditText(picker), step.pcFolder);
            ASSERT_GT(picker.m_ListCtrl.GetItemCount(), 0) << step.pcFolder;
            EXPECT_STREQ(picker.m_ListCtrl.GetItemText(0, 0), step.pcFirstRow) << step.pcFolder;
        }
        picker.EndDialog(IDCANCEL);
    });
}

// 表 and ソ end in the byte 0x5C in CP932: a byte-wise cut would split them.
TEST_F(PickerNavigation, NamesWithA5CTrailByteStayWholeGoingDownAndUp) {
    MakeFile("表/ソ/x.txt");
    CTestPicker picker;
    RunPicker(picker, "", [&] {
        ASSERT_EQ(tessaly::test::ColumnTexts(picker, 0)[0], "表");
        tessaly::test::DoubleClickRow(picker, 0);
        EXPECT_EQ(tessaly::test::EditText(picker), m_drive.ShownPath("表"));
        ASSERT_EQ(tessaly::test::ColumnTexts(picker, 0), std::vector<std::string>{"ソ"});
        tessaly::test::DoubleClickRow(picker, 0);
        EXPECT_EQ(tessaly::test::EditText(picker), m_drive.ShownPath("表/ソ"));
        EXPECT_EQ(tessaly::test::ColumnTexts(picker, 0), std::vector<std::string>{"x.txt"});
        CString strPicked;
        EXPECT_EQ(picker.GetPickedFolder(strPicked), 1);
        EXPECT_EQ(tessaly::test::Utf8(strPicked), m_drive.ShownPath("表/ソ"));

        tessaly::test::ClickButton(picker, IDC_UP_FOLDER);
        EXPECT_EQ(tessaly::test::EditText(picker), m_drive.ShownPath("表"));
        EXPECT_EQ(tessaly::test::ColumnTexts(picker, 0), std::vector<std::string>{"ソ"});
        tessaly::test::ClickButton(picker, IDC_UP_FOLDER);
        EXPECT_EQ(picker.m_strCurDir, CString(m_drive.RootFolder().c_str()));
        picker.EndDialog(IDCANCEL);
    });
}

TEST_F(PickerNavigation, DoubleClickOnAFileOrBelowTheRowsDoesNothing) {
    MakeFolder("d/folder");
    MakeFile("d/file.txt");
    CTestPicker picker;
    RunPicker(picker, "d", [&] {
        tessaly::test::DoubleClickRow(picker, 1);
        EXPECT_EQ(picker.m_strCurDir, CString(m_drive.WinPath("d").c_str()));
        const tessaly::test::WindowHandle hList = tessaly::test::ListView(picker);
        const tessaly::test::Rect rcLast = tessaly::test::ListRowRect(hList, 1);
        tessaly::test::DoubleClickListAt(hList, (rcLast.left + rcLast.right) / 2,
                                         rcLast.bottom + 40);
        EXPECT_EQ(picker.m_strCurDir, CString(m_drive.WinPath("d").c_str()));
        EXPECT_EQ(picker.m_iItemNum, 2);
        tessaly::test::DoubleClickRow(picker, 0);
        EXPECT_EQ(picker.m_strCurDir, CString(m_drive.WinPath("d/folder").c_str()));
        picker.EndDialog(IDCANCEL);
    });
}

TEST_F(PickerNavigation, RootTestComplainsAboutShortTextsThatAreNoRoot) {
    const struct {
        const char* pcCurDir;
        BOOL bRoot;
        bool bMessage;
    } rows[] = {
        {"T:\\", TRUE, false}, {"T:\\a", FALSE, false}, {"T:", FALSE, true},
        {"T:/", FALSE, true},  {"T", FALSE, true},      {"", FALSE, true},
    };
    for (const auto& row : rows) {
        tessaly::test::MessageBoxRecorder messages;
        CTestPicker picker;
        picker.m_strCurDir = row.pcCurDir;
        EXPECT_EQ(picker.IsRootFolder(), row.bRoot) << row.pcCurDir;
        const std::vector<std::string> vecTexts = messages.Texts();
        if (row.bMessage) {
            ASSERT_EQ(vecTexts.size(), 1u) << row.pcCurDir;
            EXPECT_EQ(vecTexts[0], Ansi("カレントディレクトリデータが異常[") + row.pcCurDir + "]");
        } else {
            EXPECT_TRUE(vecTexts.empty()) << row.pcCurDir;
        }
    }
}

TEST_F(PickerNavigation, EnteringAFolderFromAnAbnormalShortFolderJoinsWithABackslash) {
    MakeFolder("sub");
    const std::string strShort = m_drive.Drive().substr(0, 2); // "T:"
    CTestPicker picker;
    RunPicker(picker, "", [&] {
        picker.m_strCurDir = strShort.c_str();
        tessaly::test::DoubleClickRow(picker, 0);
        EXPECT_EQ(picker.m_strCurDir, CString((strShort + "\\sub").c_str()));
        picker.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(m_messages.Texts(),
              std::vector<std::string>{Ansi("カレントディレクトリデータが異常[") + strShort + "]"});
}

TEST_F(PickerNavigation, DriveListHoldsEveryDriveWithItsNumberAndShowsTheCurrentOne) {
    MakeFile("x.txt");
    CTestPicker picker;
    RunPicker(picker, "", [&] {
        char acDrives[2000] = {};
        GetLogicalDriveStringsA(sizeof(acDrives), acDrives);
        int iDrives = 0;
        for (const char* pc = acDrives; *pc != '\0'; pc += std::strlen(pc) + 1) {
            const int iItem = picker.m_DriveList.FindString(-1, std::string(pc, 2).c_str());
            ASSERT_NE(iItem, LB_ERR) << pc;
            EXPECT_EQ(picker.m_DriveList.GetItemData(iItem), static_cast<DWORD_PTR>(pc[0] - 64));
            ++iDrives;
        }
        EXPECT_EQ(picker.m_iDriveNum, iDrives);
        EXPECT_EQ(picker.m_DriveList.GetCount(), iDrives);
        CString strCurrent;
        picker.m_DriveList.GetText(picker.m_DriveList.GetCurSel(), strCurrent);
        EXPECT_EQ(strCurrent, CString(m_drive.Drive().substr(0, 2).c_str()));
        CRect rcClient;
        picker.m_DriveList.GetClientRect(rcClient);
        EXPECT_EQ(picker.m_DriveList.GetItemHeight(0), rcClient.Height());
        picker.EndDialog(IDCANCEL);
    });
}

TEST_F(PickerNavigation, ADriveThatCannotBeEnteredEmptiesTheListAndKeepsThePath) {
    TESSALY_STAND_IN_ONLY("a drive table and the layer's system calls made to fail");
    MakeFile("t.txt");
    MakeFolder("udrive");
    enum class EFailure { MissingFolder, ChdirFails };
    for (EFailure eFailure : {EFailure::MissingFolder, EFailure::ChdirFails}) {
        SCOPED_TRACE(eFailure == EFailure::MissingFolder ? "missing folder" : "chdir fails");
        std::map<char, std::string> mapDrives = tessaly::win32::GetDriveTable();
        mapDrives['U'] = eFailure == EFailure::MissingFolder ? m_drive.PosixPath("gone")
                                                             : m_drive.PosixPath("udrive");
        tessaly::win32::SetDriveTable(mapDrives);
        if (eFailure == EFailure::ChdirFails) {
            tessaly::win32::FailSysCall(tessaly::win32::SysCall::Chdir, EIO, -1, 0,
                                        m_drive.PosixPath("udrive"));
        }
        tessaly::test::MessageBoxRecorder messages;
        CTestPicker picker;
        RunPicker(picker, "", [&] {
            ASSERT_TRUE(tessaly::test::ChooseDrive(picker, 'U'));
            EXPECT_EQ(picker.m_ListCtrl.GetItemCount(), 0);
            EXPECT_EQ(picker.m_iItemNum, 0);
            EXPECT_EQ(picker.m_iFolderNum, 0);
            EXPECT_EQ(tessaly::test::EditText(picker), "T:\\");
            EXPECT_FALSE(picker.GetDlgItem(IDC_UP_FOLDER)->IsWindowEnabled());
            EXPECT_FALSE(picker.GetDlgItem(IDC_SELECT_ALL)->IsWindowEnabled());
            tessaly::test::ClickButton(picker, IDOK);
            EXPECT_EQ(messages.Texts(), std::vector<std::string>{Ansi("何も選択されていません")});
            // Back on a drive that works, everything returns.
            ASSERT_TRUE(tessaly::test::ChooseDrive(picker, 'T'));
            EXPECT_EQ(tessaly::test::ColumnTexts(picker),
                      (std::vector<std::string>{"udrive", "t.txt", "TraceFile.txt"}));
            EXPECT_TRUE(picker.GetDlgItem(IDC_UP_FOLDER)->IsWindowEnabled());
            EXPECT_TRUE(picker.GetDlgItem(IDC_SELECT_ALL)->IsWindowEnabled());
            picker.EndDialog(IDCANCEL);
        });
        tessaly::win32::ClearSysCallFailures();
    }
}

TEST_F(PickerNavigation, ClosingRestoresTheWorkingDirectory) {
    MakeFolder("keep");
    MakeFolder("other/deeper");
    for (int nEnd : {IDCANCEL, IDOK}) {
        ASSERT_TRUE(SetCurrentDirectoryA(m_drive.WinPath("keep").c_str()));
        CTestPicker picker;
        const INT_PTR nResult = RunPicker(picker, "other", [&] {
            char acDir[MAX_PATH] = {};
            GetCurrentDirectoryA(MAX_PATH, acDir);
            EXPECT_EQ(std::string(acDir), m_drive.WinPath("other"));
            tessaly::test::DoubleClickRow(picker, 0);
            GetCurrentDirectoryA(MAX_PATH, acDir);
            EXPECT_EQ(std::string(acDir), m_drive.WinPath("other/deeper"));
            if (nEnd == IDOK) {
                tessaly::test::ClickButton(picker, IDC_UP_FOLDER);
                tessaly::test::ClickButton(picker, IDC_SELECT_ALL);
                tessaly::test::ClickButton(picker, IDOK);
            } else {
                tessaly::test::ClickButton(picker, IDCANCEL);
            }
        });
        EXPECT_EQ(nResult, nEnd);
        char acDir[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, acDir);
        EXPECT_EQ(std::string(acDir), m_drive.WinPath("keep")) << "end " << nEnd;
    }
}

} // namespace
