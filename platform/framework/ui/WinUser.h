// The Windows user-interface names the program uses: messages, styles, notification records and
// the window functions that take a handle. A handle this framework did not make is rejected.
#pragma once

#include "platform/framework/core/AfxTypes.h"
#include "platform/framework/core/MessageBox.h"
#include "platform/framework/core/Shell.h"

typedef DWORD COLORREF;
#define RGB(r, g, b)                                                                               \
    (static_cast<COLORREF>((static_cast<BYTE>(r)) |                                                \
                           (static_cast<WORD>(static_cast<BYTE>(g)) << 8) |                        \
                           (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(rgb) (static_cast<BYTE>(rgb))
#define GetGValue(rgb) (static_cast<BYTE>(static_cast<WORD>(rgb) >> 8))
#define GetBValue(rgb) (static_cast<BYTE>((rgb) >> 16))

struct HBRUSH__;
typedef HBRUSH__* HBRUSH;
struct HICON__;
typedef HICON__* HICON;
typedef HICON HCURSOR;
struct HFONT__;
typedef HFONT__* HFONT;
struct HDROP__;
typedef HDROP__* HDROP;
struct HMENU__;
typedef HMENU__* HMENU;
struct HDC__;
typedef HDC__* HDC;
typedef void* HGDIOBJ;

struct POINT {
    LONG x;
    LONG y;
};
typedef POINT* LPPOINT;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
typedef NMHDR* LPNMHDR;

struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
};
typedef NMLISTVIEW* LPNMLISTVIEW;

struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
    UINT uKeyFlags;
};

struct LVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
typedef LVITEMA LVITEM;

struct LVCOLUMNA {
    UINT mask;
    int fmt;
    int cx;
    LPSTR pszText;
    int cchTextMax;
    int iSubItem;
};
typedef LVCOLUMNA LVCOLUMN;

struct LVHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
    int iSubItem;
};

typedef int(CALLBACK* PFNLVCOMPARE)(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

// Messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SETREDRAW 0x000B
#define WM_SETTEXT 0x000C
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_ICONERASEBKGND 0x0027
#define WM_SETFONT 0x0030
#define WM_QUERYDRAGICON 0x0037
#define WM_NOTIFY 0x004E
#define WM_SETICON 0x0080
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_INITMENUPOPUP 0x0117
#define WM_CTLCOLORMSGBOX 0x0132
#define WM_CTLCOLOREDIT 0x0133
#define WM_CTLCOLORLISTBOX 0x0134
#define WM_CTLCOLORBTN 0x0135
#define WM_CTLCOLORDLG 0x0136
#define WM_CTLCOLORSCROLLBAR 0x0137
#define WM_CTLCOLORSTATIC 0x0138
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_DROPFILES 0x0233

#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B

#define ICON_SMALL 0
#define ICON_BIG 1

// Window styles.
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_SYSMENU 0x00080000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define WS_EX_CLIENTEDGE 0x00000200u
#define WS_EX_STATICEDGE 0x00020000u
#define WS_EX_APPWINDOW 0x00040000u
#define DS_MODALFRAME 0x0080u
#define DS_SETFONT 0x0040u

#define BS_PUSHBUTTON 0x0000u
#define BS_DEFPUSHBUTTON 0x0001u
#define BS_AUTOCHECKBOX 0x0003u
#define BS_TYPEMASK 0x000Fu

#define ES_LEFT 0x0000u
#define ES_CENTER 0x0001u
#define ES_RIGHT 0x0002u
#define ES_AUTOHSCROLL 0x0080u
#define ES_READONLY 0x0800u

#define SS_LEFT 0x0000u
#define SS_CENTER 0x0001u
#define SS_ICON 0x0003u
#define SS_TYPEMASK 0x001Fu
#define SS_CENTERIMAGE 0x0200u
#define SS_SUNKEN 0x1000u

#define LVS_REPORT 0x0001u
#define LVS_SINGLESEL 0x0004u
#define LVS_SHOWSELALWAYS 0x0008u
#define LVS_NOLABELWRAP 0x0080u
#define LVS_OWNERDATA 0x1000u
#define LVS_EX_FULLROWSELECT 0x00000020u

#define LBS_NOTIFY 0x0001u
#define LBS_SORT 0x0002u
#define LBS_NOINTEGRALHEIGHT 0x0100u
#define LBS_DISABLENOSCROLL 0x1000u

#define PBS_SMOOTH 0x01u

// Notification codes.
#define BN_CLICKED 0
#define LBN_SELCHANGE 1
#define NM_FIRST 0u
#define NM_CLICK (NM_FIRST - 2)
#define NM_DBLCLK (NM_FIRST - 3)
#define LVN_FIRST (0u - 100u)
#define LVN_COLUMNCLICK (LVN_FIRST - 8)

// List view items and columns.
#define LVIF_TEXT 0x0001u
#define LVIF_IMAGE 0x0002u
#define LVIF_PARAM 0x0004u
#define LVIF_STATE 0x0008u
#define LVIS_FOCUSED 0x0001u
#define LVIS_SELECTED 0x0002u
#define LVCF_FMT 0x0001u
#define LVCF_WIDTH 0x0002u
#define LVCF_TEXT 0x0004u
#define LVCF_SUBITEM 0x0008u
#define LVCFMT_LEFT 0x0000
#define LVCFMT_RIGHT 0x0001
#define LVCFMT_CENTER 0x0002
#define LVNI_ALL 0x0000u
#define LVNI_SELECTED 0x0002u
#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVIR_BOUNDS 0
#define LVIR_ICON 1
#define LVIR_LABEL 2
#define LVHT_NOWHERE 0x0001u
#define LVHT_ONITEM 0x000Eu

#define LB_ERR (-1)
#define LB_ERRSPACE (-2)
#define CB_ERR (-1)

#define BST_UNCHECKED 0
#define BST_CHECKED 1

// Colour requests: the nCtlColor argument of OnCtlColor.
#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6
#define TRANSPARENT 1
#define OPAQUE 2

// System menu.
#define MF_STRING 0x0000u
#define MF_SEPARATOR 0x0800u
#define MF_BYCOMMAND 0x0000u
#define MF_BYPOSITION 0x0400u
#define MF_ENABLED 0x0000u
#define MF_GRAYED 0x0001u
#define MF_DISABLED 0x0002u
#define SC_CLOSE 0xF060u

#define SM_CXICON 11
#define SM_CYICON 12

#define RDW_INVALIDATE 0x0001u

// Posts to the window's own dialog (through its PreTranslateMessage); from any thread. FALSE for a
// handle that names no live window.
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Posts to a thread's messages: the window thread's arrive at the main window's
// PreTranslateMessage, after what was posted before them. FALSE for a thread without windows.
BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
#define PostMessage PostMessageA
#define PostThreadMessage PostThreadMessageA

// Accepts (or refuses) file drops on one window: a drop becomes WM_DROPFILES with an HDROP.
void WINAPI DragAcceptFiles(HWND hWnd, BOOL fAccept);
// iFile 0xFFFFFFFF: the number of paths; else path iFile (drive form, CP932) into lpszFile of cch
// bytes, returning its length (without the terminator); the needed length when lpszFile is null.
UINT WINAPI DragQueryFileA(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch);
void WINAPI DragFinish(HDROP hDrop);
// A drop handle holding the given drive-form paths, as a file manager's drop makes it (tests).
HDROP MakeDropHandle(const char* const* ppcPaths, UINT nCount);

BOOL WINAPI GetCursorPos(LPPOINT lpPoint);
int WINAPI GetSystemMetrics(int nIndex);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
BOOL WINAPI DeleteObject(HGDIOBJ ho);
BOOL WINAPI LockWindowUpdate(HWND hWndLock);
