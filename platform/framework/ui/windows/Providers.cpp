// The Windows versions of the message box, the folder chooser, the shell's "open" and SendMessageA,
// registered at start-up in place of the quiet ones. The program's CP932 text crosses to the W
// functions through the layer's codec, so a name outside CP932 keeps its characters.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/framework/core/MessageBox.h"
#include "platform/framework/core/Shell.h"
#include "platform/framework/ui/WinApp.h"
#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/Wnd.h"
#include "platform/framework/ui/windows/NativeShell.h"
#include "platform/framework/ui/windows/NativeWindow.h"
#include "platform/framework/ui/windows/UiInternal.h"

namespace tessaly::framework {
namespace {

std::wstring WideOf(const CString& str) {
    return detail::ToWide(std::string_view(str.GetString(), static_cast<size_t>(str.GetLength())));
}

// On the window thread: its active window, else the main window.
native::Handle MessageBoxOwner() {
    if (native::Handle hActive = native::GetActiveWindow()) {
        return hActive;
    }
    CWnd* pMain = detail::MainWindow();
    return pMain != nullptr ? pMain->m_hWnd : nullptr;
}

std::wstring AppTitle() {
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && !pApp->m_strAppName.IsEmpty() ? WideOf(pApp->m_strAppName)
                                                            : std::wstring(L"Tessaly");
}

int ShowMessageBox(LPCTSTR pszText, UINT nType) {
    const std::wstring strText = detail::ToWide(pszText != nullptr ? pszText : "");
    int nAnswer = 0;
    // A worker's box is shown by the window thread while the worker waits for the answer.
    RunOnWindowThread(
        [&] { nAnswer = native::ShowMessageBox(MessageBoxOwner(), strText, AppTitle(), nType); });
    if (nAnswer == 0) {
        // No box could be shown: answer as closing it would.
        nAnswer = (nType & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
    }
    return nAnswer;
}

void FreeItemIdList(LPITEMIDLIST pidl) {
    LPMALLOC pMalloc = nullptr;
    if (pidl != nullptr && SUCCEEDED(SHGetMalloc(&pMalloc)) && pMalloc != nullptr) {
        pMalloc->Free(pidl);
        pMalloc->Release();
    }
}

// The chooser's notices, passed to the program's callback with the chooser's real window. The
// selection arrives as an item list of the framework's own, which the program's
// SHGetPathFromIDListA reads.
int OnBrowseNotify(void* pContext, native::Handle hwnd, unsigned uMsg, std::wstring_view strText) {
    const auto* lpbi = static_cast<const BROWSEINFOA*>(pContext);
    if (lpbi->lpfn == nullptr) {
        return 0;
    }
    switch (uMsg) {
    case BFFM_SELCHANGED: {
        LPITEMIDLIST pidl = CreateItemIdList(detail::FromWide(strText));
        const int nResult = lpbi->lpfn(hwnd, uMsg, reinterpret_cast<LPARAM>(pidl), lpbi->lParam);
        FreeItemIdList(pidl);
        return nResult;
    }
    case BFFM_VALIDATEFAILEDA: {
        const CString strTyped = detail::FromWide(strText);
        return lpbi->lpfn(hwnd, uMsg, reinterpret_cast<LPARAM>(strTyped.GetString()), lpbi->lParam);
    }
    default:
        return lpbi->lpfn(hwnd, uMsg, 0, lpbi->lParam);
    }
}

// The root is always the whole namespace: the program's item lists hold paths, not the shell's
// items, and it asks for no other root.
LPITEMIDLIST BrowseForFolder(LPBROWSEINFOA lpbi) {
    LPITEMIDLIST pidl = nullptr;
    RunOnWindowThread([&] {
        native::BrowseRequest request;
        request.hOwner = lpbi->hwndOwner;
        request.strTitle = detail::ToWide(lpbi->lpszTitle != nullptr ? lpbi->lpszTitle : "");
        request.uFlags = lpbi->ulFlags;
        request.pfnNotify = OnBrowseNotify;
        request.pContext = lpbi;
        std::wstring strPath;
        std::wstring strDisplayName;
        if (!native::BrowseForFolder(request, &strPath, &strDisplayName)) {
            return;
        }
        if (lpbi->pszDisplayName != nullptr) {
            // Windows' buffer is MAX_PATH bytes.
            const CString strName = detail::FromWide(strDisplayName);
            const size_t cbName = std::min(static_cast<size_t>(strName.GetLength()),
                                           static_cast<size_t>(MAX_PATH - 1));
            std::memcpy(lpbi->pszDisplayName, strName.GetString(), cbName);
            lpbi->pszDisplayName[cbName] = '\0';
        }
        pidl = CreateItemIdList(detail::FromWide(strPath));
    });
    return pidl;
}

// The chooser takes its selection as a path in drive form with Windows' own separators.
std::wstring ChooserPath(LPCSTR pszPath) {
    std::wstring strPath = detail::ToWide(pszPath);
    std::replace(strPath.begin(), strPath.end(), L'/', L'\\');
    // The folder itself, not its contents: Wine's chooser opens nowhere for a path that ends in a
    // separator (the program's folders do), Windows' opens on the folder either way. A root keeps
    // its separator.
    while (strPath.size() > 3 && strPath.back() == L'\\') {
        strPath.pop_back();
    }
    return strPath;
}

LRESULT SendMessageToWindow(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    switch (Msg) {
    case BFFM_SETSELECTIONA: {
        if (lParam == 0) {
            return 0;
        }
        if (wParam != FALSE) {
            return native::BrowseSetSelection(hWnd, ChooserPath(reinterpret_cast<LPCSTR>(lParam)));
        }
        // An item list: one of the framework's own, which holds a path.
        char acPath[MAX_PATH] = {};
        if (!SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), acPath)) {
            return 0;
        }
        return native::BrowseSetSelection(hWnd, ChooserPath(acPath));
    }
    case BFFM_SETSTATUSTEXTA:
        return native::BrowseSetStatusText(
            hWnd, detail::ToWide(lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : ""));
    default:
        return native::SendPlainMessage(hWnd, Msg, wParam, lParam);
    }
}

HINSTANCE OpenWithShell(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                        LPCSTR lpDirectory, INT nShowCmd) {
    struct OptionalText {
        explicit OptionalText(LPCSTR psz) : m_bPresent(psz != nullptr) {
            if (m_bPresent) {
                m_strWide = detail::ToWide(psz);
            }
        }
        const wchar_t* Get() const { return m_bPresent ? m_strWide.c_str() : nullptr; }
        bool m_bPresent;
        std::wstring m_strWide;
    };
    const OptionalText operation(lpOperation), file(lpFile), parameters(lpParameters),
        directory(lpDirectory);
    std::intptr_t nResult = 0;
    // On the window thread, whose apartment suits the shell's extensions.
    RunOnWindowThread([&] {
        nResult = native::ShellOpen(hwnd, operation.Get(), file.Get(), parameters.Get(),
                                    directory.Get(), nShowCmd);
    });
    return reinterpret_cast<HINSTANCE>(nResult);
}

} // namespace

void RegisterWindowProviders() {
    SetMessageBoxProvider(ShowMessageBox);
    SetBrowseForFolderProvider(BrowseForFolder);
    SetSendMessageProvider(SendMessageToWindow);
    SetShellExecuteProvider(OpenWithShell);
}

} // namespace tessaly::framework
