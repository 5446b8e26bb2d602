#include "tests/platform/framework/ui/windows/NativeProbe.h"

#include <windows.h>

#include <cwctype>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

namespace probe {
namespace {

Sent g_lastSent;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg < WM_USER) {
        return ::DefWindowProcW(hwnd, uMsg, wParam, lParam);
    }
    g_lastSent = {uMsg, wParam, lParam, {}};
    if ((uMsg == BFFM_SETSELECTIONW || uMsg == BFFM_SETSTATUSTEXTW) && lParam != 0) {
        g_lastSent.strText = reinterpret_cast<const wchar_t*>(lParam);
    }
    return static_cast<LRESULT>(uMsg) + 1000;
}

} // namespace

unsigned WideDropCount(void* hDrop) {
    return ::DragQueryFileW(static_cast<HDROP>(hDrop), 0xFFFFFFFFu, nullptr, 0);
}

std::wstring WideDropPath(void* hDrop, unsigned iFile) {
    wchar_t acPath[1024] = {};
    const UINT cch = ::DragQueryFileW(static_cast<HDROP>(hDrop), iFile, acPath, 1024);
    return std::wstring(acPath, cch);
}

int IconWidth(void* hIcon) {
    ICONINFO info = {};
    if (hIcon == nullptr || !::GetIconInfo(static_cast<HICON>(hIcon), &info)) {
        return 0;
    }
    BITMAP bitmap = {};
    ::GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

void* LoadIconAtSize(unsigned nId, int cxy) {
    return ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nId), IMAGE_ICON, cxy, cxy,
                        0);
}

int SystemIconSize() {
    return ::GetSystemMetrics(SM_CXICON);
}

std::wstring CommonControlsPath() {
    wchar_t acPath[MAX_PATH] = {};
    const DWORD cch = ::GetModuleFileNameW(::LoadLibraryW(L"comctl32.dll"), acPath, MAX_PATH);
    std::wstring strPath(acPath, cch);
    for (wchar_t& wc : strPath) {
        wc = static_cast<wchar_t>(::towlower(wc));
    }
    return strPath;
}

void* CreateRecordingWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TessalyRecordingWindow";
    ::RegisterClassW(&windowClass); // fails harmlessly when registered before
    // Message-only: it needs no display.
    return ::CreateWindowExW(0, L"TessalyRecordingWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                             nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

void DestroyRecordingWindow(void* hwnd) {
    ::DestroyWindow(static_cast<HWND>(hwnd));
}

Sent LastSent() {
    return g_lastSent;
}

bool CanShowWindows() {
    const HWND hwnd = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                        nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) {
        return false;
    }
    ::DestroyWindow(hwnd);
    return true;
}

std::string MakeTempFolder(const std::wstring& strName) {
    wchar_t acTemp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, acTemp);
    const std::wstring strPath = acTemp + strName;
    ::CreateDirectoryW(strPath.c_str(), nullptr);
    // Wine's item lists hold access times, and the first listing of a changed folder moves its
    // own (relatime): list both now, or the chooser's parsed path and its tree can disagree.
    for (const std::wstring& strPattern : {std::wstring(acTemp) + L"*", strPath + L"\\*"}) {
        WIN32_FIND_DATAW data;
        const HANDLE hFind = ::FindFirstFileW(strPattern.c_str(), &data);
        while (hFind != INVALID_HANDLE_VALUE && ::FindNextFileW(hFind, &data)) {
        }
        if (hFind != INVALID_HANDLE_VALUE) {
            ::FindClose(hFind);
        }
    }
    // The chooser answers with the long form of every component.
    wchar_t acLong[MAX_PATH] = {};
    const DWORD cchLong = ::GetLongPathNameW(strPath.c_str(), acLong, MAX_PATH);
    if (cchLong == 0 || cchLong >= MAX_PATH) {
        return {};
    }
    std::string strUtf8(cchLong * 3, '\0');
    strUtf8.resize(::WideCharToMultiByte(CP_UTF8, 0, acLong, static_cast<int>(cchLong),
                                         strUtf8.data(), static_cast<int>(strUtf8.size()), nullptr,
                                         nullptr));
    return strUtf8;
}

void RemoveTempFolder(const std::wstring& strName) {
    wchar_t acTemp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, acTemp);
    ::RemoveDirectoryW((acTemp + strName).c_str());
}

void PostOk(void* hDialog) {
    ::PostMessageW(static_cast<HWND>(hDialog), WM_COMMAND, IDOK, 0);
}

} // namespace probe
