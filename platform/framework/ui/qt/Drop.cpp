// Drop handles: the paths of one drop, read with DragQueryFileA until DragFinish frees them.
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/framework/ui/WinUser.h"
#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/qt/InputFilter.h"
#include "platform/framework/ui/qt/UiInternal.h"

namespace {

struct DropData {
    std::vector<std::string> vecPaths;
};

std::mutex& DropMutex() {
    static auto* pMutex = new std::mutex;
    return *pMutex;
}
std::unordered_set<const void*>& LiveDrops() {
    static auto* pSet = new std::unordered_set<const void*>;
    return *pSet;
}

} // namespace

HDROP MakeDropHandle(const char* const* ppcPaths, UINT nCount) {
    auto* pData = new DropData;
    for (UINT i = 0; i < nCount && ppcPaths != nullptr; ++i) {
        if (ppcPaths[i] != nullptr) {
            pData->vecPaths.emplace_back(ppcPaths[i]);
        }
    }
    std::lock_guard lock(DropMutex());
    LiveDrops().insert(pData);
    return reinterpret_cast<HDROP>(pData);
}

UINT WINAPI DragQueryFileA(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch) {
    std::lock_guard lock(DropMutex());
    if (hDrop == nullptr || LiveDrops().count(hDrop) == 0) {
        return 0;
    }
    const auto* pData = reinterpret_cast<const DropData*>(hDrop);
    if (iFile == 0xFFFFFFFFu) {
        return static_cast<UINT>(pData->vecPaths.size());
    }
    if (iFile >= pData->vecPaths.size()) {
        return 0;
    }
    const std::string& strPath = pData->vecPaths[iFile];
    if (lpszFile == nullptr) {
        return static_cast<UINT>(strPath.size());
    }
    if (cch == 0) {
        return 0;
    }
    // Never more than the buffer holds, terminator included.
    const size_t nCopy = std::min(strPath.size(), static_cast<size_t>(cch - 1));
    std::memcpy(lpszFile, strPath.data(), nCopy);
    lpszFile[nCopy] = '\0';
    return static_cast<UINT>(nCopy);
}

void WINAPI DragFinish(HDROP hDrop) {
    std::lock_guard lock(DropMutex());
    if (hDrop != nullptr && LiveDrops().erase(hDrop) != 0) {
        delete reinterpret_cast<DropData*>(hDrop);
    }
}

void WINAPI DragAcceptFiles(HWND hWnd, BOOL fAccept) {
    tessaly::framework::RunOnWindowThread([&] {
        if (QWidget* pWidget = tessaly::framework::detail::ToWidget(hWnd)) {
            tessaly::framework::detail::SetAcceptsFiles(pWidget, fAccept != FALSE);
        }
    });
}
