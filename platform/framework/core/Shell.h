// The shell functions the program calls, each behind a provider. The window framework registers
// the real folder chooser and desktop "open"; without them the folder browser cancels and "open"
// does nothing (and reports success), so support and the batch tool run without a window. Item
// lists are made by CreateItemIdList and freed through the shell's allocator, as on Windows.
#pragma once

#include <functional>

#include "platform/framework/core/AfxTypes.h"

typedef LONG HRESULT;
#ifndef S_OK
#define S_OK (static_cast<HRESULT>(0))
#define S_FALSE (static_cast<HRESULT>(1))
#define E_FAIL (static_cast<HRESULT>(0x80004005u))
#define E_INVALIDARG (static_cast<HRESULT>(0x80070057u))
#define E_OUTOFMEMORY (static_cast<HRESULT>(0x8007000Eu))
#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
#endif

#ifndef SW_HIDE
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
#endif

#ifndef WM_USER
#define WM_USER 0x0400
#endif

// The shell's task allocator (IMalloc): item lists are allocated and freed through it.
struct IMalloc {
    virtual void* Alloc(std::size_t cb) = 0;
    virtual void* Realloc(void* pv, std::size_t cb) = 0;
    virtual void Free(void* pv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IMalloc() = default;
};
typedef IMalloc* LPMALLOC;

struct SHITEMID {
    WORD cb; // the size of the item including cb itself
    BYTE abID[1];
};
struct ITEMIDLIST {
    SHITEMID mkid; // a list of items, ended by one whose cb is 0
};
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;

typedef int(CALLBACK* BFFCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

struct BROWSEINFOA {
    HWND hwndOwner;
    LPCITEMIDLIST pidlRoot; // null: the whole namespace
    LPSTR pszDisplayName;   // MAX_PATH bytes for the chosen item's name, or null
    LPCSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam; // handed to lpfn as lpData
    int iImage;
};
typedef BROWSEINFOA* LPBROWSEINFOA;

#define BIF_RETURNONLYFSDIRS 0x00000001u
#define BIF_DONTGOBELOWDOMAIN 0x00000002u
#define BIF_STATUSTEXT 0x00000004u
#define BIF_EDITBOX 0x00000010u
#define BIF_NEWDIALOGSTYLE 0x00000040u

// Notices to the callback.
#define BFFM_INITIALIZED 1
#define BFFM_SELCHANGED 2
#define BFFM_VALIDATEFAILEDA 3
// Messages the callback sends to the dialog (SendMessageA on the hwnd it was given).
#define BFFM_SETSTATUSTEXTA (WM_USER + 100)
#define BFFM_ENABLEOK (WM_USER + 101)
#define BFFM_SETSELECTIONA (WM_USER + 102)

// The modal folder chooser: calls lpfn with BFFM_INITIALIZED before it shows, then returns the
// chosen folder's item list (the caller frees it through SHGetMalloc) or null on cancel.
LPITEMIDLIST WINAPI SHBrowseForFolderA(LPBROWSEINFOA lpbi);
// The item list's file-system path into pszPath (MAX_PATH bytes, as Windows assumes). FALSE, with
// pszPath empty, for a null or foreign list or a path longer than MAX_PATH - 1 bytes.
BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath);
// The shell's allocator, with a reference the caller ends with Release.
HRESULT WINAPI SHGetMalloc(LPMALLOC* ppMalloc);
// Windows' contract: a value above 32 on success, 32 or less (an error code) on failure.
HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd);
// Delivers a message to the window that hwnd names (here: the folder chooser's callback sends
// BFFM_SETSELECTIONA); 0 when no provider takes it.
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

namespace tessaly::framework {

using BrowseForFolderProvider = std::function<LPITEMIDLIST(LPBROWSEINFOA lpbi)>;
using PathFromIdListProvider = std::function<BOOL(LPCITEMIDLIST pidl, LPSTR pszPath)>;
using ShellMallocProvider = std::function<HRESULT(LPMALLOC* ppMalloc)>;
using ShellExecuteProvider =
    std::function<HINSTANCE(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                            LPCSTR lpDirectory, INT nShowCmd)>;
using SendMessageProvider =
    std::function<LRESULT(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)>;

// Each installs a provider (an empty one restores the quiet default) and returns the previous.
BrowseForFolderProvider SetBrowseForFolderProvider(BrowseForFolderProvider provider);
PathFromIdListProvider SetPathFromIdListProvider(PathFromIdListProvider provider);
ShellMallocProvider SetShellMallocProvider(ShellMallocProvider provider);
ShellExecuteProvider SetShellExecuteProvider(ShellExecuteProvider provider);
SendMessageProvider SetSendMessageProvider(SendMessageProvider provider);

// A one-item list holding a file-system path (CP932), allocated through SHGetMalloc's allocator,
// as a folder chooser returns it; null when the allocator fails.
LPITEMIDLIST CreateItemIdList(LPCSTR pszPath);
// The default allocator, for providers that wrap it.
IMalloc* DefaultShellMalloc();

} // namespace tessaly::framework
