// What the picker dialog tests share: a picker whose inner steps a test may call, a fixture with
// the program's folders on drive T: and recorded message boxes, and the picker's controls for the
// window driver's gestures (header clicks, double clicks, a drive chosen in the box).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "picker/MyFileDialog.h"
#include "res/Resources.h"
#include "tests/common/FileTimes.h"
#include "tests/common/Platform.h"
#include "tests/common/ProgramFolders.h"
#include "tests/common/RecordingProviders.h"
#include "tests/common/WindowDriver.h"

namespace tessaly::test {

class CTestPicker : public CMyFileDialog {
public:
    using CMyFileDialog::IsRootFolder;
    using CMyFileDialog::MoveToParentFolder;
    using CMyFileDialog::ReadFolder;
    using CMyFileDialog::ReWriteListItem;
    using CMyFileDialog::SortByColumn;
};

inline std::string Ansi(const char* pcUtf8) {
    std::string strAnsi;
    win32::Utf8ToAnsi(pcUtf8, strAnsi);
    return strAnsi;
}

inline std::string Utf8(const CString& strAnsi) {
    return win32::AnsiToUtf8(strAnsi.Str());
}

// Sets TZ for one scope, restoring the previous zone; the C runtime's local time follows it.
// Nothing on Windows: there a file time's local time (FileTimeToLocalFileTime) is the system's
// zone, which TZ does not change, and a TZ would only part the C runtime's local time from it. A
// test whose texts depend on the zone skips there with TESSALY_ZONE_OF_ITS_OWN().
#define TESSALY_ZONE_OF_ITS_OWN()                                                                  \
    TESSALY_STAND_IN_ONLY("a time zone of the test's own: FileTimeToLocalFileTime follows the "    \
                          "system's zone, which TZ does not change")

class ZoneScope {
public:
#ifdef _WIN32
    explicit ZoneScope(const char* /*pcZone*/) {}
#else
    explicit ZoneScope(const char* pcZone) {
        const char* pcOld = std::getenv("TZ");
        m_bHadOld = pcOld != nullptr;
        if (m_bHadOld) {
            m_strOld = pcOld;
        }
        Set(pcZone);
    }
    ~ZoneScope() {
        Set(m_bHadOld ? m_strOld.c_str() : nullptr);
    }
#endif
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

private:
#ifndef _WIN32
    static void Set(const char* pcZone) {
        if (pcZone != nullptr) {
            setenv("TZ", pcZone, 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

    bool m_bHadOld = false;
    std::string m_strOld;
#endif
};

class PickerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterTessalyResources(); }

    // The pickers change the working directory; the next test starts where this one did.
    PickerTest() { GetCurrentDirectoryA(MAX_PATH, m_acSavedDir); }
    ~PickerTest() override { SetCurrentDirectoryA(m_acSavedDir); }

    // A file of ullSize bytes (sparse) below the drive's root, its folders made on the way.
    void MakeFile(const std::string& strUtf8, unsigned long long ullSize = 0) {
        m_drive.WriteBytes(strUtf8, "");
        if (ullSize != 0) {
            std::filesystem::resize_file(m_drive.Native(strUtf8), ullSize);
        }
    }
    void MakeFolder(const std::string& strUtf8) {
        std::filesystem::create_directories(m_drive.Native(strUtf8));
    }
    // Seconds since 1970 UTC (negative before it) as the entry's last-write time.
    void SetWriteTime(const std::string& strUtf8, long long llUnixSeconds) {
        SetLastWriteTime(m_drive.Native(strUtf8), llUnixSeconds);
    }

    // The picker opened on T:\<strUtf8Folder> ("" the drive's top folder), interact run inside its
    // modal loop.
    INT_PTR RunPicker(CTestPicker& picker, const std::string& strUtf8Folder,
                      const std::function<void()>& interact) {
        const std::string strStart =
            strUtf8Folder.empty() ? m_drive.RootFolder() : m_drive.WinPath(strUtf8Folder);
        picker.SetStartFolder(strStart.c_str());
        return RunModalWith(picker, interact);
    }

    char m_acSavedDir[MAX_PATH] = {};
    ProgramFolders m_drive{'T'};
    MessageBoxRecorder m_messages;
};

inline bool DriveExists(char cLetter) {
    char acDrives[2000] = {};
    const DWORD dwLength = GetLogicalDriveStringsA(sizeof(acDrives), acDrives);
    for (DWORD dwAt = 0; dwAt < dwLength; dwAt += 4) { // "X:\" and its terminator
        if (acDrives[dwAt] == cLetter) {
            return true;
        }
    }
    return false;
}

// A drive letter that names no drive, from Q on; 0 when every letter is taken.
inline char MissingDriveLetter() {
    for (int i = 0; i < 26; ++i) {
        const char cLetter = static_cast<char>('A' + (16 + i) % 26);
        if (!DriveExists(cLetter)) {
            return cLetter;
        }
    }
    return '\0';
}

// A drive other than cLetter's, from Z down; 0 when there is none.
inline char OtherDriveLetter(char cLetter) {
    for (char c = 'Z'; c >= 'A'; --c) {
        if (c != cLetter && DriveExists(c)) {
            return c;
        }
    }
    return '\0';
}

inline WindowHandle ListView(CMyFileDialog& picker) {
    return picker.m_ListCtrl.m_hWnd;
}

inline WindowHandle DriveBox(CMyFileDialog& picker) {
    return picker.m_DriveList.m_hWnd;
}

// The user's click on the picker's button nId.
inline void ClickButton(CMyFileDialog& picker, int nId) {
    CWnd* pButton = picker.GetDlgItem(nId);
    ASSERT_NE(pButton, nullptr) << nId;
    Click(pButton->m_hWnd);
}

// The texts of one column, row by row, as the program holds them (CP932 turned into UTF-8).
inline std::vector<std::string> ColumnTexts(CMyFileDialog& picker, int iColumn = 0) {
    std::vector<std::string> vecTexts;
    for (int i = 0; i < picker.m_ListCtrl.GetItemCount(); ++i) {
        vecTexts.push_back(Utf8(picker.m_ListCtrl.GetItemText(i, iColumn)));
    }
    return vecTexts;
}

// The names of the entries 0 .. m_iItemNum - 1 in UTF-8.
inline std::vector<std::string> EntryNames(const CMyFileDialog& picker) {
    std::vector<std::string> vecNames;
    for (int i = 0; i < picker.m_iItemNum; ++i) {
        vecNames.push_back(win32::AnsiToUtf8(picker.m_aFindData[i].cFileName));
    }
    return vecNames;
}

inline std::string EditText(CMyFileDialog& picker) {
    CString strText;
    picker.GetDlgItemText(IDC_CUR_FOLDER, strText);
    return Utf8(strText);
}

inline int RowImage(CMyFileDialog& picker, int iRow) {
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = iRow;
    picker.m_ListCtrl.GetItem(&item);
    return item.iImage;
}

inline void ClickHeader(CMyFileDialog& picker, int iColumn) {
    ClickListHeader(ListView(picker), iColumn);
}

inline void DoubleClickRow(CMyFileDialog& picker, int iRow) {
    DoubleClickListRow(ListView(picker), iRow);
}

// The user's choice of a drive in the box: a notifying selection change.
inline bool ChooseDrive(CMyFileDialog& picker, char cLetter) {
    return ChooseListBoxItem(DriveBox(picker), std::string(1, cLetter) + ":");
}

inline bool WaitForSort(CMyFileDialog& picker) {
    return WaitUntil(
        [&] { return picker.m_bSorting == 0 && picker.GetDlgItem(IDOK)->IsWindowEnabled(); });
}

} // namespace tessaly::test
