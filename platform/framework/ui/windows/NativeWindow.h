// Windows' window functions under names of this framework, with standard types only, so that the
// framework's sources need not include <windows.h> beside its own Windows names. Handles are the
// real HWND, HDC, HMENU, HBRUSH, HFONT and HICON values as void*. Text is UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::framework::native {

using Handle = void*;

struct Message {
    Handle hwnd;
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::uint32_t time;
    std::int32_t x;
    std::int32_t y;
};

struct Rect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// Takes a dialog's messages after its controls exist (from WM_INITDIALOG on, that one
// included): true when it handled the message, with its result.
using DialogHandler = bool (*)(Handle hwnd, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam, std::intptr_t* pResult);

// Common controls version 6 and the window classes they register.
void InitControls();
// A modeless dialog from a DLGTEMPLATEEX in memory; handler gets every message from
// WM_INITDIALOG on, lInitParam arrives as WM_INITDIALOG's lParam. Null on failure.
Handle CreateDialogFromTemplate(const void* pTemplate, Handle hParent, DialogHandler handler,
                                std::intptr_t lInitParam);
// The processing the dialog's own class gives a message (the dialog manager's).
std::intptr_t CallDialogDefault(Handle hwnd, unsigned message, std::uintptr_t wParam,
                                std::intptr_t lParam);
bool DestroyWindow(Handle hwnd);

// GetMessageW: false on WM_QUIT (which is then left for the outer loop) or an error.
bool GetQueuedMessage(Message* pMsg);
// PeekMessageW with PM_REMOVE.
bool PeekQueuedMessage(Message* pMsg);
// Waits up to dwMilliseconds for input or a sent message; true when something arrived.
bool WaitForMessage(std::uint32_t dwMilliseconds);
bool IsDialogMessage(Handle hDialog, const Message& msg);
void DispatchQueuedMessage(const Message& msg);
void PostQuit(int nExitCode);

bool Post(Handle hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
bool PostThread(std::uint32_t dwThreadId, unsigned message, std::uintptr_t wParam,
                std::intptr_t lParam);
std::intptr_t Send(Handle hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
std::uint32_t CurrentThreadId();
std::uint32_t WindowThreadId(Handle hwnd);
std::uint32_t TickCount();

// A message-only window whose messages go to handler (a window thread's own mailbox).
Handle CreateMessageWindow(DialogHandler handler);

bool IsWindow(Handle hwnd);
// The direct children in their Z order (a dialog's: the template's order).
std::vector<Handle> GetChildren(Handle hwnd);
// True inside a message that another thread sent.
bool InSendMessage();
Handle GetDlgItem(Handle hDialog, int nId);
int GetDlgCtrlID(Handle hwnd);
Handle GetParent(Handle hwnd);
Handle GetActiveWindow();
Handle GetFocus();
Handle SetFocus(Handle hwnd);
bool EnableWindow(Handle hwnd, bool bEnable);
bool IsWindowEnabled(Handle hwnd);
bool IsWindowVisible(Handle hwnd);
bool ShowWindow(Handle hwnd, int nCmdShow);
bool IsIconic(Handle hwnd);
bool SetForegroundWindow(Handle hwnd);
std::uint32_t GetStyle(Handle hwnd);
void SetStyle(Handle hwnd, std::uint32_t dwStyle);
std::wstring GetClassName(Handle hwnd);

void SetText(Handle hwnd, std::wstring_view strText);
std::wstring GetText(Handle hwnd);

void InvalidateRect(Handle hwnd, const Rect* pRect, bool bErase);
void UpdateWindow(Handle hwnd);
void SetRedraw(Handle hwnd, bool bRedraw);
bool LockWindowUpdate(Handle hwnd);
bool GetClientRect(Handle hwnd, Rect* pRect);
bool GetWindowRect(Handle hwnd, Rect* pRect);
bool ScreenToClient(Handle hwnd, std::int32_t* px, std::int32_t* py);
bool ClientToScreen(Handle hwnd, std::int32_t* px, std::int32_t* py);
bool GetCursorPos(std::int32_t* px, std::int32_t* py);
int GetSystemMetrics(int nIndex);

std::uintptr_t SetTimer(Handle hwnd, std::uintptr_t nIdEvent, unsigned nElapse);
bool KillTimer(Handle hwnd, std::uintptr_t nIdEvent);

Handle GetSystemMenu(Handle hwnd, bool bRevert);
bool AppendMenu(Handle hMenu, unsigned nFlags, std::uintptr_t nId, std::wstring_view strText);
// Windows' EnableMenuItem and GetMenuState: the previous or current state, 0xFFFFFFFF for no item.
unsigned EnableMenuItem(Handle hMenu, unsigned nId, unsigned nEnable);
unsigned GetMenuState(Handle hMenu, unsigned nId, unsigned nFlags);

// Painting and colours.
Handle BeginPaint(Handle hwnd); // the paint's device context; EndPaint ends it
void EndPaint(Handle hwnd);
std::uint32_t SetTextColor(Handle hdc, std::uint32_t crColor);
std::uint32_t SetBkColor(Handle hdc, std::uint32_t crColor);
int SetBkMode(Handle hdc, int nMode);
bool DrawIcon(Handle hdc, int x, int y, Handle hIcon);
Handle CreateSolidBrush(std::uint32_t crColor);
bool GetBrushColor(Handle hBrush, std::uint32_t* pcrColor);
bool DeleteObject(Handle hObject);
Handle CreateFont(int nHeight, int nWeight, bool bItalic, bool bUnderline,
                  std::wstring_view strFace);

// Controls.
int ButtonGetCheck(Handle hwnd);
void ButtonSetCheck(Handle hwnd, int nCheck);
void ButtonClick(Handle hwnd);
void EditSetReadOnly(Handle hwnd, bool bReadOnly);
void ProgressSetRange(Handle hwnd, int nLower, int nUpper);
void ProgressGetRange(Handle hwnd, int* pnLower, int* pnUpper);
int ProgressSetPos(Handle hwnd, int nPos);
int ProgressGetPos(Handle hwnd);
int ListBoxAddString(Handle hwnd, std::wstring_view strText);
void ListBoxReset(Handle hwnd);
int ListBoxGetCount(Handle hwnd);
int ListBoxGetCurSel(Handle hwnd);
int ListBoxSetCurSel(Handle hwnd, int nSelect);
std::uintptr_t ListBoxGetItemData(Handle hwnd, int nIndex);
int ListBoxSetItemData(Handle hwnd, int nIndex, std::uintptr_t dwData);
bool ListBoxGetText(Handle hwnd, int nIndex, std::wstring* pstrText);
// LB_FINDSTRING: the first item from nStartAfter + 1 on, wrapping, that begins with the text.
int ListBoxFindString(Handle hwnd, int nStartAfter, std::wstring_view strPrefix);
int ListBoxSetItemHeight(Handle hwnd, int nIndex, int cy);
int ListBoxGetItemHeight(Handle hwnd, int nIndex);

// UTF-8 <-> UTF-16 as Windows converts them (unpaired surrogates become U+FFFD going to UTF-8).
std::wstring Utf8ToWide(std::string_view strUtf8);
std::string WideToUtf8(std::wstring_view strWide);

} // namespace tessaly::framework::native
