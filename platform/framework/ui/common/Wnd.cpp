// The CWnd calls made of other CWnd calls: the same on every window system.
#include "platform/framework/ui/Wnd.h"

#include <algorithm>

int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const {
    if (lpszStringBuf == nullptr || nMaxCount <= 0) {
        return 0;
    }
    CString strText;
    GetWindowText(strText);
    const int iCopy = std::min(strText.GetLength(), nMaxCount - 1);
    std::copy_n(strText.GetString(), iCopy, lpszStringBuf);
    lpszStringBuf[iCopy] = '\0';
    return iCopy;
}

int CWnd::GetWindowTextLength() const {
    CString strText;
    GetWindowText(strText);
    return strText.GetLength();
}

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString) {
    if (CWnd* pItem = GetDlgItem(nID)) {
        pItem->SetWindowText(lpszString);
    }
}

UINT CWnd::GetDlgItemText(int nID, CString& rString) const {
    rString.Empty();
    if (CWnd* pItem = GetDlgItem(nID)) {
        pItem->GetWindowText(rString);
    }
    return static_cast<UINT>(rString.GetLength());
}

void CWnd::Invalidate(BOOL bErase) {
    InvalidateRect(nullptr, bErase);
}
