// Which windows are the framework's and which objects name them. Workers ask too (FromHandle,
// GetDlgItem), so the table has a lock of its own.
#include <mutex>
#include <unordered_map>

#include "platform/framework/ui/WinApp.h"
#include "platform/framework/ui/windows/UiInternal.h"

namespace tessaly::framework::detail {
namespace {

std::mutex& RegistryMutex() {
    static auto* pMutex = new std::mutex;
    return *pMutex;
}

std::unordered_map<HWND, WindowInfo>& Windows() {
    static auto* pMap = new std::unordered_map<HWND, WindowInfo>;
    return *pMap;
}

} // namespace

void RegisterWindow(HWND hWnd, const WindowInfo& info) {
    std::lock_guard lock(RegistryMutex());
    Windows()[hWnd] = info;
}

void UnregisterWindow(HWND hWnd) {
    std::lock_guard lock(RegistryMutex());
    Windows().erase(hWnd);
}

bool FindWindowInfo(HWND hWnd, WindowInfo* pInfo) {
    std::lock_guard lock(RegistryMutex());
    auto it = Windows().find(hWnd);
    if (it == Windows().end()) {
        return false;
    }
    *pInfo = it->second;
    return true;
}

CWnd* MainWindow() {
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr ? pApp->m_pMainWnd : nullptr;
}

} // namespace tessaly::framework::detail
