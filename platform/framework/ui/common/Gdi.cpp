// What a device context records and the image list's icons: the same on every window system.
#include "platform/framework/ui/Gdi.h"

#include <algorithm>

COLORREF CDC::SetTextColor(COLORREF crColor) {
    const COLORREF crOld = m_crText;
    m_crText = crColor;
    m_bTextColorSet = true;
    return crOld;
}

COLORREF CDC::SetBkColor(COLORREF crColor) {
    const COLORREF crOld = m_crBk;
    m_crBk = crColor;
    m_bBkColorSet = true;
    return crOld;
}

int CDC::SetBkMode(int nBkMode) {
    const int nOld = m_nBkMode;
    m_nBkMode = nBkMode;
    return nOld;
}

CImageList::~CImageList() {
    DeleteImageList();
}

BOOL CImageList::Create(int cx, int cy, UINT /*nFlags*/, int nInitial, int /*nGrow*/) {
    m_vecIcons.clear();
    m_vecIcons.reserve(static_cast<size_t>(std::max(nInitial, 0)));
    m_cx = cx;
    m_cy = cy;
    m_bCreated = true;
    return TRUE;
}

int CImageList::Add(HICON hIcon) {
    if (!m_bCreated || hIcon == nullptr) {
        return -1;
    }
    m_vecIcons.push_back(hIcon);
    return static_cast<int>(m_vecIcons.size()) - 1;
}

HICON CImageList::GetIcon(int nImage) const {
    return nImage >= 0 && nImage < GetImageCount() ? m_vecIcons[static_cast<size_t>(nImage)]
                                                   : nullptr;
}

BOOL CImageList::DeleteImageList() {
    const BOOL bHad = m_bCreated ? TRUE : FALSE;
    m_vecIcons.clear();
    m_bCreated = false;
    return bHad;
}
