// The window tests' hands and eyes: what a user does to a dialog (clicks, keys, a drop, a choice
// in a list) and what a user sees there (texts, states, rows), on whichever window system the
// framework runs. One driver per window system implements the calls: qt/WindowDriverQt.cpp on
// Qt, windows/WindowDriverWin32.cpp on Windows' own controls. WindowDriver.cpp implements the
// few that need the framework's classes (running a dialog, finding a modal one by its template),
// once, over the others.
//
// This header names no framework type but CDialog (declared only), so that the Win32 driver can
// include it beside <windows.h>, whose types clash with the framework's.
//
// What both drivers keep to:
// - A window is a WindowHandle, the value of CWnd::m_hWnd: on Qt the address of the control's
//   QWidget, on Windows the HWND. A null handle is never passed to a driver call.
// - Every call is made on the window thread (the test's own thread).
// - Texts are UTF-8 and are the characters the user sees (café, 한글), never the program's CP932
//   bytes.
// - A gesture (Click, PressKey, the list gestures, DropFiles, ChooseListBoxItem) reaches the
//   dialog as the user's input does: a click as the control's notification to the message map,
//   Enter and Escape through PreTranslateMessage first. It has been handled when the call
//   returns, and the call serves nothing else on the way that the window system lets it avoid:
//   PickerSort.InputDuringASortIsIgnored gives input while the sort's worker waits for the window
//   thread and expects the worker still waiting afterwards. Qt: QTest's events sent straight to
//   the widget, no event loop run.
// - A gesture that opens a modal dialog returns when that dialog has ended; WhenModal is how a
//   test acts inside it.
// - Rows are the list's own rows in the order it shows them now (after a sort, the sorted order),
//   counted from 0; columns likewise.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class CDialog;

namespace tessaly::test {

using WindowHandle = void*;

// A rectangle in pixels, right and bottom exclusive (Win32's RECT).
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Rect& rc) {
        return os << "(" << rc.left << ", " << rc.top << ") - (" << rc.right << ", " << rc.bottom
                  << ")";
    }
};

// ---- The window system and its message loop ---------------------------------------------------

// Makes the window system ready for the test executable (WindowTestEnvironment calls it once):
// on Qt the application object on the offscreen platform unless QT_QPA_PLATFORM names another.
void InitWindowSystemForTests();

class WindowTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override { InitWindowSystemForTests(); }
};

inline ::testing::Environment* const g_pWindowEnvironment =
    ::testing::AddGlobalTestEnvironment(new WindowTestEnvironment);

// Runs the dialog modally with interact called once its modal loop runs. A dialog that has not
// ended after iWatchdogMs fails the test: the modal dialog over it, if any, is closed and the
// dialog ended with -2, so a test fails instead of hanging. DoModal's result.
std::intptr_t RunModalWith(CDialog& dialog, const std::function<void()>& interact,
                           int iWatchdogMs = 20000);

// Serves the window thread's messages until the condition holds or iTimeoutMs have passed; the
// condition's last value. Workers' calls into the window and their message boxes are served
// meanwhile.
bool WaitUntil(const std::function<bool()>& condition, int iTimeoutMs = 10000);

// Runs fn once on the window thread, from whichever message loop runs (a modal dialog's,
// WaitUntil's), iDelayMs from now. Qt: QTimer::singleShot; Win32: a thread timer (SetTimer
// without a window), killed when it has fired.
void RunLater(int iDelayMs, std::function<void()> fn);

// Runs fn on the window thread from its message loop every iIntervalMs (once, unless bRepeat)
// until stopped or destroyed. Made, stopped and destroyed on the window thread; fn may call Stop.
class Timer {
public:
    Timer(int iIntervalMs, std::function<void()> fn, bool bRepeat = true);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    void Stop();

private:
    struct State; // the driver's own timer
    std::unique_ptr<State> m_pState;
};

// The modal dialog the user faces now: the innermost of the dialogs running a modal loop (the
// picker over the main dialog, say); null when none runs.
WindowHandle ActiveModalWindow();

// Runs fn(the dialog's window) once, when a modal dialog made from template nTemplateId (the
// picker is 103, the about box 100) is ActiveModalWindow(); polled every 10 ms from the message
// loop, since the modal dialog runs a loop of its own. A handler still waiting when the test ends
// must be cancelled (CancelPendingModalHandlers), so that it cannot act in the next test.
void WhenModal(int nTemplateId, std::function<void(WindowHandle)> fn);
void CancelPendingModalHandlers();

// ---- What the user sees -----------------------------------------------------------------------

// The dialog's control nId; null when it has none.
WindowHandle DialogItem(WindowHandle hDialog, int nId);
// A control's text (an edit's contents, a button's or static's caption) or a dialog's caption.
// Win32: GetWindowTextW.
std::string WindowText(WindowHandle hWnd);
// Whether the window takes input, as IsWindowEnabled says, and whether it is shown (its dialog
// too), as IsWindowVisible says.
bool IsEnabled(WindowHandle hWnd);
bool IsVisible(WindowHandle hWnd);
// The client area, at (0, 0): GetClientRect. For a dialog, the area its controls sit in.
Rect ClientRect(WindowHandle hWnd);
// A control's outer rectangle in its dialog's client coordinates: GetWindowRect mapped there.
Rect RectInParent(WindowHandle hWnd);
// The dialog's base units as Windows computes them from its font: the average width of A-Z and
// a-z, (cx / 26 + 1) / 2, and the line height. Win32: MapDialogRect of (0, 0, 4, 8).
struct BaseUnits {
    int iBaseX = 0;
    int iBaseY = 0;
};
BaseUnits DialogBaseUnits(WindowHandle hDialog);

struct ProgressState {
    int iLower = 0;
    int iUpper = 0;
    int iPos = 0;
};
// A progress bar's range and position (PBM_GETRANGE, PBM_GETPOS).
ProgressState Progress(WindowHandle hBar);

// A report list: its row count, a column's header text and width (LVM_GETCOLUMNW,
// LVM_GETCOLUMNWIDTH), a cell's text as shown (LVM_GETITEMTEXTW), and the rectangle of a row's
// first cell, its icon and name, where a click on the row lands (LVM_GETITEMRECT with
// LVIR_SELECTBOUNDS). Rectangles and points of a list are in the list's row-area coordinates:
// Win32: the list view's client coordinates; Qt: its viewport's. Only ListRowRect and
// DoubleClickListAt use them, and always together.
int ListRowCount(WindowHandle hList);
std::string ListHeaderText(WindowHandle hList, int iColumn);
int ListColumnWidth(WindowHandle hList, int iColumn);
std::string ListCellText(WindowHandle hList, int iRow, int iColumn);
Rect ListRowRect(WindowHandle hList, int iRow);

// A PNG of the window as it is shown (Win32: PrintWindow), its folder made when missing; false
// when nothing could be written. pathUtf8 is the file system's own path.
bool SaveScreenshot(WindowHandle hWnd, const std::string& strPathUtf8);

// ---- What the user does -----------------------------------------------------------------------

// A left click on the control's middle: a button or check box is pressed (BN_CLICKED reaches the
// dialog); nothing for a disabled one.
void Click(WindowHandle hWnd);

enum class EKey { Enter, Escape };
// The key pressed and released while the control has the focus.
void PressKey(WindowHandle hWnd, EKey eKey);

// A click on the window's close box (WM_SYSCOMMAND SC_CLOSE).
void ClickCloseBox(WindowHandle hDialog);

// The window's system menu as the user finds it on opening it: each item's text (UTF-8, with its
// "&") and whether it can be chosen; separators are left out, and the menu closes with nothing
// chosen. Qt: the menu is opened (a right click on the dialog's background) and read; Win32: the
// window is sent WM_INITMENUPOPUP as Windows sends it before it shows the menu, and the menu is
// read (GetMenuStringW, GetMenuState).
struct MenuItem {
    std::string strText;
    bool bEnabled = false;
};
std::vector<MenuItem> OpenSystemMenu(WindowHandle hDialog);

// Sets an edit's text as typing it over would leave it (Win32: SetWindowTextW).
void SetEditText(WindowHandle hEdit, const std::string& strUtf8);
// Sets a check box's state without a click: the dialog is not told (Win32: BM_SETCHECK).
void SetChecked(WindowHandle hCheckBox, bool bChecked);

// A click on the header of column iColumn (LVN_COLUMNCLICK reaches the dialog).
void ClickListHeader(WindowHandle hList, int iColumn);
// The pointer moved to (x, y) in the list's row-area coordinates, then a click and a double
// click there (NM_CLICK, NM_DBLCLK), wherever the point is: on a row or below the last.
void DoubleClickListAt(WindowHandle hList, int x, int y);
inline void DoubleClickListRow(WindowHandle hList, int iRow) {
    const Rect rc = ListRowRect(hList, iRow);
    DoubleClickListAt(hList, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}
// Adds the rows to the list's selection through the control itself, as Ctrl+clicks on them would
// leave it, without the clicks (Win32: LVM_SETITEMSTATE).
void SelectListRows(WindowHandle hList, const std::vector<int>& vecRows);

// The user's choice of the list box item whose whole text is strUtf8: it becomes the selection
// and the dialog is told (LBN_SELCHANGE). False, with nothing done, when no item has that text.
bool ChooseListBoxItem(WindowHandle hBox, const std::string& strUtf8);

// Local files dropped on the window as a file manager drops them; the paths are the file
// system's own (UTF-8). The drop is delivered whether or not the window takes drops, so that a
// refusal is seen to be one; the result says whether it takes them (Qt: the drag's enter
// accepted; Win32: WS_EX_ACCEPTFILES; the drop itself is WM_DROPFILES with an HDROP).
bool DropFiles(WindowHandle hWnd, const std::vector<std::string>& vecPaths);

namespace detail {

// The driver's part of InitWindowSystemForTests, before the framework's InitWindowSystem.
void PrepareWindowSystem();

} // namespace detail

} // namespace tessaly::test
