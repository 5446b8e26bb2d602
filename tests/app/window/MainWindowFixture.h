// The real main dialog on a temporary drive, run modally by each test, with message boxes and the
// shell's "open" answered by recorders.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
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
#include "tests/common/WindowTestEnvironment.h"

namespace tessaly::test {

inline CMainApp& TestApp() {
    static CMainApp s_app;
    return s_app;
}

inline std::string Utf8(const CString& str) {
    return win32::AnsiToUtf8(
        std::string_view(str.GetString(), static_cast<size_t>(str.GetLength())));
}

inline std::string Utf8(const QString& str) {
    return str.toStdString();
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

inline void CancelPendingModalHandlers();

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

    QWidget* Control(int nId) {
        CWnd* pWnd = m_dialog.GetDlgItem(nId);
        return pWnd != nullptr ? reinterpret_cast<QWidget*>(pWnd->m_hWnd) : nullptr;
    }
    QTableView* List() { return dynamic_cast<QTableView*>(Control(1000)); }
    std::string Header(int nColumn = 0) {
        return Utf8(List()->model()->headerData(nColumn, Qt::Horizontal).toString());
    }
    std::string Cell(int nRow, int nColumn) {
        return Utf8(List()->model()->index(nRow, nColumn).data().toString());
    }
    std::string Text(int nId) {
        if (auto* pEdit = qobject_cast<QLineEdit*>(Control(nId))) {
            return Utf8(pEdit->text());
        }
        return {};
    }
    void Click(int nId) { QTest::mouseClick(Control(nId), Qt::LeftButton); }

    // Waits for the worker and for its completion message to be handled.
    bool WaitIdle() {
        return WaitUntil([] { return g_bWorkerIdle.load() != FALSE; }) &&
               WaitUntil([this] { return Control(1001) != nullptr && Control(1001)->isEnabled(); });
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

// Runs fn when a modal window other than the main dialog with the given object name is active
// (the picker is "dialog103"); polled, because the modal window runs a loop of its own.
// The handlers still waiting; a test's leftovers must not act in the next test.
inline std::vector<QTimer*>& PendingModalHandlers() {
    static std::vector<QTimer*> s_vecTimers;
    return s_vecTimers;
}

inline void CancelPendingModalHandlers() {
    for (QTimer* pTimer : PendingModalHandlers()) {
        delete pTimer;
    }
    PendingModalHandlers().clear();
}

inline void WhenModal(const QString& strName, const std::function<void(QWidget*)>& fn) {
    auto* pTimer = new QTimer;
    PendingModalHandlers().push_back(pTimer);
    auto pDone = std::make_shared<bool>(false);
    QObject::connect(pTimer, &QTimer::timeout, [pTimer, strName, fn, pDone] {
        QWidget* pModal = QApplication::activeModalWidget();
        if (*pDone || pModal == nullptr || pModal->objectName() != strName) {
            return;
        }
        *pDone = true;
        pTimer->stop();
        std::erase(PendingModalHandlers(), pTimer);
        pTimer->deleteLater();
        fn(pModal);
    });
    pTimer->start(10);
}

} // namespace tessaly::test
