// The shell's side of Windows behind NativeShell.h; like every Native*.cpp of the framework, it
// sees <windows.h> and none of the framework's own Windows names.
#include "platform/framework/ui/windows/NativeShell.h"

#include <algorithm>

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

namespace tessaly::framework::native {
namespace {

// BFFM_VALIDATEFAILEDA, the number the program's callback knows the notice by.
constexpr unsigned kuValidateFailedAnsi = 3;

std::wstring PathOfIdList(PCIDLIST_ABSOLUTE pidl) {
    wchar_t acPath[MAX_PATH] = {};
    if (pidl == nullptr || !::SHGetPathFromIDListW(pidl, acPath)) {
        return {};
    }
    return acPath;
}

int CALLBACK OnBrowseEvent(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData) {
    const auto* pRequest = reinterpret_cast<const BrowseRequest*>(lpData);
    if (pRequest == nullptr || pRequest->pfnNotify == nullptr) {
        return 0;
    }
    switch (uMsg) {
    case BFFM_INITIALIZED:
        return pRequest->pfnNotify(pRequest->pContext, hwnd, uMsg, {});
    case BFFM_SELCHANGED:
        return pRequest->pfnNotify(pRequest->pContext, hwnd, uMsg,
                                   PathOfIdList(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam)));
    case BFFM_VALIDATEFAILEDW: {
        const auto* pszTyped = reinterpret_cast<const wchar_t*>(lParam);
        return pRequest->pfnNotify(pRequest->pContext, hwnd, kuValidateFailedAnsi,
                                   pszTyped != nullptr ? pszTyped : L"");
    }
    default:
        return 0;
    }
}

} // namespace

int ShowMessageBox(Handle hOwner, const std::wstring& strText, const std::wstring& strCaption,
                   std::uint32_t uType) {
    return ::MessageBoxW(static_cast<HWND>(hOwner), strText.c_str(), strCaption.c_str(), uType);
}

bool BrowseForFolder(const BrowseRequest& request, std::wstring* pstrPath,
                     std::wstring* pstrDisplayName) {
    // The chooser's tree and its new style need an apartment on the calling thread.
    const HRESULT hrCom = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t acDisplayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = static_cast<HWND>(request.hOwner);
    info.pszDisplayName = acDisplayName;
    info.lpszTitle = request.strTitle.c_str();
    info.ulFlags = request.uFlags;
    info.lpfn = OnBrowseEvent;
    info.lParam = reinterpret_cast<LPARAM>(&request);
    PIDLIST_ABSOLUTE pidl = ::SHBrowseForFolderW(&info);
    bool bChosen = false;
    if (pidl != nullptr) {
        std::wstring strPath = PathOfIdList(pidl);
        ::CoTaskMemFree(pidl);
        bChosen = !strPath.empty();
        if (bChosen && pstrPath != nullptr) {
            *pstrPath = std::move(strPath);
        }
        if (bChosen && pstrDisplayName != nullptr) {
            *pstrDisplayName = acDisplayName;
        }
    }
    if (SUCCEEDED(hrCom)) {
        ::CoUninitialize();
    }
    return bChosen;
}

std::intptr_t BrowseSetSelection(Handle hwnd, const std::wstring& strPath) {
    return ::SendMessageW(static_cast<HWND>(hwnd), BFFM_SETSELECTIONW, TRUE,
                          reinterpret_cast<LPARAM>(strPath.c_str()));
}

std::intptr_t BrowseSetStatusText(Handle hwnd, const std::wstring& strText) {
    return ::SendMessageW(static_cast<HWND>(hwnd), BFFM_SETSTATUSTEXTW, 0,
                          reinterpret_cast<LPARAM>(strText.c_str()));
}

std::intptr_t SendPlainMessage(Handle hwnd, unsigned uMsg, std::uintptr_t wParam,
                               std::intptr_t lParam) {
    return ::SendMessageW(static_cast<HWND>(hwnd), uMsg, wParam, lParam);
}

std::intptr_t ShellOpen(Handle hwnd, const wchar_t* pszOperation, const wchar_t* pszFile,
                        const wchar_t* pszParameters, const wchar_t* pszDirectory, int nShowCmd) {
    const HRESULT hrCom =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HINSTANCE hResult = ::ShellExecuteW(static_cast<HWND>(hwnd), pszOperation, pszFile,
                                              pszParameters, pszDirectory, nShowCmd);
    if (SUCCEEDED(hrCom)) {
        ::CoUninitialize();
    }
    return reinterpret_cast<std::intptr_t>(hResult);
}

void DragAcceptFiles(Handle hwnd, bool bAccept) {
    ::DragAcceptFiles(static_cast<HWND>(hwnd), bAccept ? TRUE : FALSE);
}

unsigned DropPathCount(Handle hDrop) {
    return hDrop != nullptr ? ::DragQueryFileW(static_cast<HDROP>(hDrop), 0xFFFFFFFFu, nullptr, 0)
                            : 0;
}

bool DropPath(Handle hDrop, unsigned iFile, std::wstring* pstrPath) {
    if (iFile >= DropPathCount(hDrop)) {
        return false;
    }
    const auto hDropFiles = static_cast<HDROP>(hDrop);
    const UINT cchPath = ::DragQueryFileW(hDropFiles, iFile, nullptr, 0);
    std::wstring strPath(static_cast<std::size_t>(cchPath) + 1, L'\0');
    const UINT cchCopied =
        ::DragQueryFileW(hDropFiles, iFile, strPath.data(), static_cast<UINT>(strPath.size()));
    strPath.resize(cchCopied);
    if (pstrPath != nullptr) {
        *pstrPath = std::move(strPath);
    }
    return true;
}

void DragFinish(Handle hDrop) {
    if (hDrop != nullptr) {
        ::DragFinish(static_cast<HDROP>(hDrop));
    }
}

Handle MakeDropHandle(const std::vector<std::wstring>& vecPaths) {
    // The paths one after another, each ended by a null, and one more null after the last.
    std::size_t cchList = 1;
    for (const std::wstring& strPath : vecPaths) {
        cchList += strPath.size() + 1;
    }
    const HGLOBAL hGlobal = ::GlobalAlloc(GHND, sizeof(DROPFILES) + cchList * sizeof(wchar_t));
    if (hGlobal == nullptr) {
        return nullptr;
    }
    auto* pDropFiles = static_cast<DROPFILES*>(::GlobalLock(hGlobal));
    if (pDropFiles == nullptr) {
        ::GlobalFree(hGlobal);
        return nullptr;
    }
    pDropFiles->pFiles = sizeof(DROPFILES);
    pDropFiles->fWide = TRUE;
    auto* pwcList =
        reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(pDropFiles) + sizeof(DROPFILES));
    for (const std::wstring& strPath : vecPaths) {
        pwcList = std::copy(strPath.begin(), strPath.end(), pwcList);
        *pwcList++ = L'\0';
    }
    *pwcList = L'\0';
    ::GlobalUnlock(hGlobal);
    return hGlobal;
}

Handle LoadIconResource(unsigned nId) {
    // Only 16-bit ids are resource ids; anything above would be read as a resource name's address.
    if (nId == 0 || nId > 0xFFFFu) {
        return nullptr;
    }
    return ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nId), IMAGE_ICON, 0, 0,
                        LR_DEFAULTSIZE | LR_SHARED);
}

} // namespace tessaly::framework::native
