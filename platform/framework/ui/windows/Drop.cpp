// Drops on Windows: the shell's own drop handles, read as the program's CP932 drive paths through
// the layer's codec, so that a dropped name outside CP932 still names its folder.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/framework/ui/WinUser.h"
#include "platform/framework/ui/windows/NativeShell.h"
#include "platform/framework/ui/windows/UiInternal.h"

using namespace tessaly::framework;

void WINAPI DragAcceptFiles(HWND hWnd, BOOL fAccept) {
    native::DragAcceptFiles(hWnd, fAccept != FALSE);
}

UINT WINAPI DragQueryFileA(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch) {
    if (iFile == 0xFFFFFFFFu) {
        return native::DropPathCount(hDrop);
    }
    std::wstring strWide;
    if (!native::DropPath(hDrop, iFile, &strWide)) {
        return 0;
    }
    const CString strPath = detail::FromWide(strWide);
    const auto cbPath = static_cast<UINT>(strPath.GetLength());
    if (lpszFile == nullptr) {
        return cbPath;
    }
    if (cch == 0) {
        return 0;
    }
    // Never more than the buffer holds, terminator included.
    const UINT cbCopy = std::min(cbPath, cch - 1);
    std::memcpy(lpszFile, strPath.GetString(), cbCopy);
    lpszFile[cbCopy] = '\0';
    return cbCopy;
}

void WINAPI DragFinish(HDROP hDrop) {
    native::DragFinish(hDrop);
}

HDROP MakeDropHandle(const char* const* ppcPaths, UINT nCount) {
    std::vector<std::wstring> vecPaths;
    for (UINT i = 0; i < nCount && ppcPaths != nullptr; ++i) {
        if (ppcPaths[i] != nullptr) {
            vecPaths.push_back(detail::ToWide(ppcPaths[i]));
        }
    }
    return static_cast<HDROP>(native::MakeDropHandle(vecPaths));
}
