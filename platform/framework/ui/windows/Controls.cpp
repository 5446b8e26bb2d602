// The dialog controls on Windows' own: each call is the control's message.
#include "platform/framework/ui/Controls.h"

#include "platform/framework/ui/windows/NativeWindow.h"
#include "platform/framework/ui/windows/UiInternal.h"

using namespace tessaly::framework;
using namespace tessaly::framework::detail;

int CButton::GetCheck() const {
    return m_hWnd != nullptr ? native::ButtonGetCheck(m_hWnd) : BST_UNCHECKED;
}

void CButton::SetCheck(int nCheck) {
    if (m_hWnd != nullptr) {
        native::ButtonSetCheck(m_hWnd, nCheck);
    }
}

void CButton::Click() {
    if (m_hWnd != nullptr) {
        native::ButtonClick(m_hWnd);
    }
}

void CEdit::SetReadOnly(BOOL bReadOnly) {
    if (m_hWnd != nullptr) {
        native::EditSetReadOnly(m_hWnd, bReadOnly != FALSE);
    }
}

BOOL CEdit::IsReadOnly() const {
    return m_hWnd != nullptr && (native::GetStyle(m_hWnd) & ES_READONLY) != 0 ? TRUE : FALSE;
}

void CProgressCtrl::SetRange(short nLower, short nUpper) {
    SetRange32(nLower, nUpper);
}

void CProgressCtrl::SetRange32(int nLower, int nUpper) {
    if (m_hWnd != nullptr) {
        native::ProgressSetRange(m_hWnd, nLower, nUpper);
    }
}

void CProgressCtrl::GetRange(int& nLower, int& nUpper) const {
    nLower = nUpper = 0;
    if (m_hWnd != nullptr) {
        native::ProgressGetRange(m_hWnd, &nLower, &nUpper);
    }
}

int CProgressCtrl::SetPos(int nPos) {
    return m_hWnd != nullptr ? native::ProgressSetPos(m_hWnd, nPos) : 0;
}

int CProgressCtrl::GetPos() const {
    return m_hWnd != nullptr ? native::ProgressGetPos(m_hWnd) : 0;
}

int CListBox::AddString(LPCTSTR lpszItem) {
    return m_hWnd != nullptr ? native::ListBoxAddString(m_hWnd, ToWide(lpszItem)) : LB_ERR;
}

void CListBox::ResetContent() {
    if (m_hWnd != nullptr) {
        native::ListBoxReset(m_hWnd);
    }
}

int CListBox::GetCount() const {
    return m_hWnd != nullptr ? native::ListBoxGetCount(m_hWnd) : 0;
}

int CListBox::GetCurSel() const {
    return m_hWnd != nullptr ? native::ListBoxGetCurSel(m_hWnd) : LB_ERR;
}

int CListBox::SetCurSel(int nSelect) {
    return m_hWnd != nullptr ? native::ListBoxSetCurSel(m_hWnd, nSelect) : LB_ERR;
}

DWORD_PTR CListBox::GetItemData(int nIndex) const {
    return m_hWnd != nullptr ? native::ListBoxGetItemData(m_hWnd, nIndex)
                             : static_cast<DWORD_PTR>(LB_ERR);
}

int CListBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
    return m_hWnd != nullptr ? native::ListBoxSetItemData(m_hWnd, nIndex, dwItemData) : LB_ERR;
}

void CListBox::GetText(int nIndex, CString& rString) const {
    std::wstring str;
    rString = m_hWnd != nullptr && native::ListBoxGetText(m_hWnd, nIndex, &str) ? FromWide(str)
                                                                                : CString();
}

int CListBox::FindString(int nStartAfter, LPCTSTR lpszItem) const {
    return m_hWnd != nullptr && lpszItem != nullptr
               ? native::ListBoxFindString(m_hWnd, nStartAfter, ToWide(lpszItem))
               : LB_ERR;
}

int CListBox::SetItemHeight(int nIndex, UINT cyItemHeight) {
    return m_hWnd != nullptr
               ? native::ListBoxSetItemHeight(m_hWnd, nIndex, static_cast<int>(cyItemHeight))
               : LB_ERR;
}

int CListBox::GetItemHeight(int nIndex) const {
    return m_hWnd != nullptr ? native::ListBoxGetItemHeight(m_hWnd, nIndex) : LB_ERR;
}
