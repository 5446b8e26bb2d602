// Drawing objects: rectangles and points, the device context a colour request fills in, brushes,
// fonts, icons, image lists and menus.
#pragma once

#include <vector>

#include "platform/framework/core/CString.h"
#include "platform/framework/ui/WinUser.h"

class CWnd;

class CPoint : public POINT {
public:
    CPoint() : POINT{0, 0} {}
    CPoint(int iX, int iY) : POINT{iX, iY} {}
};

class CSize {
public:
    CSize() = default;
    CSize(int iCx, int iCy) : cx(iCx), cy(iCy) {}
    LONG cx = 0;
    LONG cy = 0;
};

class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};

// The device context of a paint or a colour request: it records what the handler sets, and the
// control paints with it.
class CDC {
public:
    CDC() = default;
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    COLORREF SetTextColor(COLORREF crColor);
    COLORREF SetBkColor(COLORREF crColor);
    int SetBkMode(int nBkMode);
    // Draws the icon when the context paints a window (CPaintDC); ignored otherwise.
    BOOL DrawIcon(int x, int y, HICON hIcon);
    HDC GetSafeHdc() const { return m_hDC; }

    bool m_bTextColorSet = false;
    COLORREF m_crText = 0;
    bool m_bBkColorSet = false;
    COLORREF m_crBk = 0;
    int m_nBkMode = OPAQUE;

protected:
    HDC m_hDC = nullptr; // a QPainter while a CPaintDC paints
};

// Paints the window inside its WM_PAINT handler.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

private:
    CWnd* m_pWnd = nullptr;
};

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    BOOL DeleteObject();
    HGDIOBJ m_hObject = nullptr;

protected:
    bool m_bFont = false; // m_hObject is a font of this object's, not a brush
};

class CBrush : public CGdiObject {
public:
    BOOL CreateSolidBrush(COLORREF crColor);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

// The colour of a brush made by CreateSolidBrush; false for a null or deleted one.
bool GetBrushColor(HBRUSH hBrush, COLORREF* pcrColor);

class CFont : public CGdiObject {
public:
    // Windows' logical font: a height in pixels (negative: character height), a width of 0 for
    // the face's own; the remaining parameters are taken as given and only the face name and the
    // weight, italic and underline shape the result.
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                    BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                    BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                    LPCTSTR lpszFacename);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

// A list of small images for a list view: index 0 is the first added.
class CImageList {
public:
    CImageList() = default;
    ~CImageList();
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // The new image's index, or -1.
    int Add(HICON hIcon);
    int GetImageCount() const { return static_cast<int>(m_vecIcons.size()); }
    HICON GetIcon(int nImage) const;
    BOOL DeleteImageList();
    int m_cx = 0;
    int m_cy = 0;

private:
    bool m_bCreated = false;
    std::vector<HICON> m_vecIcons;
};

#define ILC_COLOR4 0x0004u
#define ILC_MASK 0x0001u

// A window's menu: the system menu's appended items.
class CMenu {
public:
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    int GetMenuItemCount() const;
    // Greys (MF_GRAYED) or enables (MF_ENABLED) the item with command id nIDEnableItem
    // (MF_BYCOMMAND) or at that position (MF_BYPOSITION): its previous state (MF_GRAYED,
    // MF_DISABLED), or 0xFFFFFFFF when there is no such item.
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
    // The item's state (MF_GRAYED, MF_DISABLED, MF_SEPARATOR) as the window system shows it, or
    // 0xFFFFFFFF when there is no such item.
    UINT GetMenuState(UINT nID, UINT nFlags) const;
    HMENU m_hMenu = nullptr; // the window system's own menu, where it has one
    struct Item {
        UINT nFlags;
        UINT_PTR nID;
        CString strText; // CP932
    };
    std::vector<Item> m_vecItems;
};

// The icon of a registered icon resource (shared, never destroyed); null for an unknown id.
HICON LoadIconResource(UINT nId);
// The text of a registered string resource, in CP932; false for an unknown id.
bool LoadStringResource(UINT nId, CString& strText);
