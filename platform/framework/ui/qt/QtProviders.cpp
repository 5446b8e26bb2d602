// The window versions of the message box, the folder chooser, the desktop's "open" and
// SendMessageA, registered at start-up in place of the quiet ones.
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "platform/framework/ui/WinApp.h"
#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/Wnd.h"
#include "platform/framework/ui/qt/UiInternal.h"
#include "platform/win32/Win32Drives.h"

namespace tessaly::framework {
namespace {

QWidget* DialogParent() {
    if (QWidget* pActive = QApplication::activeModalWidget()) {
        return pActive;
    }
    CWnd* pMain = detail::MainWindow();
    return pMain != nullptr ? detail::ToWidget(pMain->m_hWnd) : nullptr;
}

QString AppTitle() {
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && !pApp->m_strAppName.IsEmpty() ? detail::ToQString(pApp->m_strAppName)
                                                            : QStringLiteral("Tessaly");
}

int ShowMessageBox(LPCTSTR pszText, UINT nType) {
    int nAnswer = IDOK;
    // A worker's box is shown by the window thread while the worker waits for the answer.
    RunOnWindowThread([&] {
        QMessageBox box(DialogParent());
        box.setWindowTitle(AppTitle());
        box.setText(detail::ToQString(pszText));
        box.setTextFormat(Qt::PlainText);
        switch (nType & MB_ICONMASK) {
        case MB_ICONHAND:
            box.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONEXCLAMATION:
            box.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONASTERISK:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            break;
        }
        struct Choice {
            QMessageBox::StandardButton eButton;
            int nId;
        };
        std::vector<Choice> vecChoices;
        switch (nType & MB_TYPEMASK) {
        case MB_OKCANCEL:
            vecChoices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
            break;
        case MB_ABORTRETRYIGNORE:
            vecChoices = {{QMessageBox::Abort, IDABORT},
                          {QMessageBox::Retry, IDRETRY},
                          {QMessageBox::Ignore, IDIGNORE}};
            break;
        case MB_YESNOCANCEL:
            vecChoices = {{QMessageBox::Yes, IDYES},
                          {QMessageBox::No, IDNO},
                          {QMessageBox::Cancel, IDCANCEL}};
            break;
        case MB_YESNO:
            vecChoices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
            break;
        case MB_RETRYCANCEL:
            vecChoices = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
            break;
        default:
            vecChoices = {{QMessageBox::Ok, IDOK}};
            break;
        }
        QMessageBox::StandardButtons buttons;
        for (const Choice& choice : vecChoices) {
            buttons |= choice.eButton;
        }
        box.setStandardButtons(buttons);
        const int nClicked = box.exec();
        // Closing the box without a button answers as Cancel would, or OK for a box without one.
        nAnswer = vecChoices.size() == 1 ? IDOK : IDCANCEL;
        for (const Choice& choice : vecChoices) {
            if (nClicked == choice.eButton) {
                nAnswer = choice.nId;
            }
        }
    });
    return nAnswer;
}

// The folder chooser's window while it is being prepared: the callback's BFFM_SETSELECTIONA
// lands here through SendMessageA.
struct BrowseState {
    QString strStartFolder; // POSIX
};
BrowseState* g_pBrowse = nullptr;

QString PosixOf(LPCSTR pszWindowsPath) {
    auto path = win32::WindowsToPosixPath(pszWindowsPath != nullptr ? pszWindowsPath : "");
    return path ? QString::fromUtf8(path->c_str()) : QString();
}

LPITEMIDLIST BrowseForFolder(LPBROWSEINFOA lpbi) {
    LPITEMIDLIST pidl = nullptr;
    RunOnWindowThread([&] {
        BrowseState state;
        g_pBrowse = &state;
        if (lpbi->lpfn != nullptr) {
            lpbi->lpfn(reinterpret_cast<HWND>(&state), BFFM_INITIALIZED, 0, lpbi->lParam);
        }
        g_pBrowse = nullptr;
        QFileDialog dialog(DialogParent(), detail::ToQString(lpbi->lpszTitle),
                           state.strStartFolder);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        // Qt's own chooser behaves the same on every desktop and in tests.
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        if (!state.strStartFolder.isEmpty()) {
            dialog.setDirectory(state.strStartFolder);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return;
        }
        const QByteArray utf8 = dialog.selectedFiles().front().toUtf8();
        auto path = win32::PosixToWindowsPath(
            std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
        if (path) {
            pidl = CreateItemIdList(path->c_str());
        }
    });
    return pidl;
}

LRESULT SendMessageToWindow(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (g_pBrowse != nullptr && hWnd == reinterpret_cast<HWND>(g_pBrowse)) {
        if (Msg == BFFM_SETSELECTIONA && wParam != 0 && lParam != 0) {
            g_pBrowse->strStartFolder = PosixOf(reinterpret_cast<LPCSTR>(lParam));
        }
        return 0;
    }
    CWnd* pWnd = CWnd::FromHandle(hWnd);
    return pWnd != nullptr ? pWnd->SendMessage(Msg, wParam, lParam) : 0;
}

HINSTANCE OpenWithDesktop(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR, LPCSTR, INT) {
    constexpr INT_PTR kOpened = 42;
    constexpr INT_PTR kNoAssociation = 31; // SE_ERR_NOASSOC
    constexpr INT_PTR kFileNotFound = 2;
    const std::string strVerb = lpOperation != nullptr ? lpOperation : "open";
    if (strVerb != "open") {
        return reinterpret_cast<HINSTANCE>(kNoAssociation);
    }
    const QString strPath = PosixOf(lpFile);
    if (strPath.isEmpty()) {
        return reinterpret_cast<HINSTANCE>(kFileNotFound);
    }
    bool bOpened = false;
    RunOnWindowThread([&] { bOpened = QDesktopServices::openUrl(QUrl::fromLocalFile(strPath)); });
    return reinterpret_cast<HINSTANCE>(bOpened ? kOpened : kNoAssociation);
}

} // namespace

void RegisterWindowProviders() {
    SetMessageBoxProvider(ShowMessageBox);
    SetBrowseForFolderProvider(BrowseForFolder);
    SetSendMessageProvider(SendMessageToWindow);
    SetShellExecuteProvider(OpenWithDesktop);
}

} // namespace tessaly::framework
