// The shell's side of Windows under names of this framework, with standard types only: the message
// box, the folder chooser, "open", drop handles and icons of the executable's resources. Handles
// are the real HWND, HDROP and HICON values as void*; text is UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::framework::native {

using Handle = void*;

// MessageBoxW; the MB_* type goes through as the program gave it.
int ShowMessageBox(Handle hOwner, const std::wstring& strText, const std::wstring& strCaption,
                   std::uint32_t uType);

// What the folder chooser tells its caller while it runs, with the chooser's real window:
// BFFM_INITIALIZED (no text), BFFM_SELCHANGED (the selection's file-system path, empty for a
// folder without one) and BFFM_VALIDATEFAILEDA (the typed text). The answer goes back to Windows.
using BrowseNotify = int (*)(void* pContext, Handle hwnd, unsigned uMsg, std::wstring_view strText);
struct BrowseRequest {
    Handle hOwner = nullptr;
    std::wstring strTitle;
    std::uint32_t uFlags = 0; // BIF_*, passed through
    BrowseNotify pfnNotify = nullptr;
    void* pContext = nullptr;
};
// SHBrowseForFolderW in a single-threaded apartment: true with the chosen folder's path and
// display name, false on cancel or for a choice that has no file-system path.
bool BrowseForFolder(const BrowseRequest& request, std::wstring* pstrPath,
                     std::wstring* pstrDisplayName);
// The chooser's own messages with their text as UTF-16: BFFM_SETSELECTIONW with a path, and
// BFFM_SETSTATUSTEXTW.
std::intptr_t BrowseSetSelection(Handle hwnd, const std::wstring& strPath);
std::intptr_t BrowseSetStatusText(Handle hwnd, const std::wstring& strText);
// SendMessageW for a message that carries no text.
std::intptr_t SendPlainMessage(Handle hwnd, unsigned uMsg, std::uintptr_t wParam,
                               std::intptr_t lParam);

// ShellExecuteW in a single-threaded apartment, as shell extensions want; a null text stays null
// (the default verb, no parameters, no folder). The result is ShellExecute's: above 32 on success.
std::intptr_t ShellOpen(Handle hwnd, const wchar_t* pszOperation, const wchar_t* pszFile,
                        const wchar_t* pszParameters, const wchar_t* pszDirectory, int nShowCmd);

void DragAcceptFiles(Handle hwnd, bool bAccept);
// DragQueryFileW: the number of paths, and one path (false past the last).
unsigned DropPathCount(Handle hDrop);
bool DropPath(Handle hDrop, unsigned iFile, std::wstring* pstrPath);
void DragFinish(Handle hDrop);
// A drop handle as a file manager's drop makes it: GlobalAlloc'd DROPFILES with wide paths.
Handle MakeDropHandle(const std::vector<std::wstring>& vecPaths);

// The executable's own icon resource nId at the system's icon size, shared; null when absent.
Handle LoadIconResource(unsigned nId);

} // namespace tessaly::framework::native
