// The real main dialog on a temporary drive, run modally by each test, with message boxes and the
// shell's "open" answered by recorders.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/MainApp.h"
#include "app/MainDialog.h"
#include "engine/RunState.h"
#include "res/Resources.h"
#include "support/AnsiText.h"
#include "tests/common/ProgramFolders.h"
#include "tests/common/RecordingProviders.h"
#include "tests/common/WindowDriver.h"

namespace tessaly::test {

inline CMainApp& TestApp() {
    static CMainApp s_app;
    return s_app;
}

inline std::string Utf8(const CString& str) {
    return win32::AnsiToUtf8(
        std::string_view(str.GetString(), static_cast<size_t>(str.GetLength())));
}

// Records the shell's "open" calls.
class OpenRecorder {
public:
    OpenRecorder() {
        m_previous = framework::SetShellExecuteProvider(
            [this](HWND, LPCSTR, LPCSTR lpFile, LPCSTR, LPCSTR, INT) {
                std::lock_guard lock(m_mutex);
                m_vecFiles.emplace_back(lpFile != nullptr ? lpFile : "");
                return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
            });
    }
    ~OpenRecorder() { framework::SetShellExecuteProvider(std::move(m_previous)); }
    std::vector<std::string> Files() {
        std::lock_guard lock(m_mutex);
        return m_vecFiles;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_vecFiles;
    framework::ShellExecuteProvider m_previous;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTessalyResources();
        ResetRunState();
        g_iSortDirName = g_iSortDirSize = g_iSortDirFolder = 1;
        TestApp().m_pMainWnd = &m_dialog;
    }
    void TearDown() override {
        CancelPendingModalHandlers();
        TestApp().m_pMainWnd = nullptr;
        ResetRunState();
    }

    // Runs the dialog with the interaction; the interaction ends it (or the watchdog does).
    INT_PTR Run(const std::function<void()>& interact) {
        return RunModalWith(m_dialog, [this, interact] {
            interact();
            if (m_dialog.m_hWnd != nullptr) {
                m_dialog.EndDialog(IDCANCEL);
            }
        });
    }

    WindowHandle Control(int nId) {
        CWnd* pWnd = m_dialog.GetDlgItem(nId);
        return pWnd != nullptr ? pWnd->m_hWnd : nullptr;
    }
    WindowHandle List() { return Control(1000); }
    std::string Header(int nColumn = 0) { return ListHeaderText(List(), nColumn); }
    std::string Cell(int nRow, int nColumn) { return ListCellText(List(), nRow, nColumn); }
    std::string Text(int nId) { return WindowText(Control(nId)); }
    void Click(int nId) { test::Click(Control(nId)); }
    void Click(WindowHandle hWnd) { test::Click(hWnd); }

    // Waits for the worker and for its completion message to be handled.
    bool WaitIdle() {
        return WaitUntil([] { return g_bWorkerIdle.load() != FALSE; }) &&
               WaitUntil([this] { return Control(1001) != nullptr && IsEnabled(Control(1001)); });
    }

    // Add with everything in the drive's folder strRelative picked, that folder being the root.
    void AddEverythingIn(const std::string& strRelative) {
        m_dialog.SetNextPickerFolder(m_drive.WinPath(strRelative).c_str());
        WhenModal(103, [](WindowHandle hPicker) {
            test::Click(DialogItem(hPicker, 1020));
            test::Click(DialogItem(hPicker, 1));
        });
        Click(1001);
        ASSERT_TRUE(WaitIdle());
    }
    // Whether the system menu's item of that text can be chosen when the user opens the menu.
    bool SystemMenuItemEnabled(const std::string& strText) {
        for (const MenuItem& item : OpenSystemMenu(m_dialog.m_hWnd)) {
            if (item.strText == strText) {
                return item.bEnabled;
            }
        }
        ADD_FAILURE() << "no item " << strText << " in the system menu";
        return false;
    }

    std::string Message(size_t i) {
        const auto vecTexts = m_boxes.Texts();
        return i < vecTexts.size() ? win32::AnsiToUtf8(vecTexts[i]) : std::string("<none>");
    }

    ProgramFolders m_drive{'T'};
    MessageBoxRecorder m_boxes;
    OpenRecorder m_opens;
    CMainDialog m_dialog;
};

} // namespace tessaly::test
