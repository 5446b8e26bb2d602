// The dialog controls the program binds: button, check box, edit, static, progress bar, list box.
// Each is a CWnd naming a control that its dialog made from the template.
#pragma once

#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/Wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const; // BST_CHECKED or BST_UNCHECKED
    void SetCheck(int nCheck);
    // Presses the button as a click would: BN_CLICKED reaches the dialog's message map.
    void Click();
};

class CEdit : public CWnd {
public:
    void SetReadOnly(BOOL bReadOnly = TRUE);
    BOOL IsReadOnly() const;
};

class CStatic : public CWnd {};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short nLower, short nUpper);
    void SetRange32(int nLower, int nUpper);
    void GetRange(int& nLower, int& nUpper) const;
    int SetPos(int nPos); // the previous position
    int GetPos() const;
};

class CListBox : public CWnd {
public:
    // The new item's index (its sorted place in a sorted box), LB_ERR or LB_ERRSPACE.
    int AddString(LPCTSTR lpszItem);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    // Selects without notifying (LBN_SELCHANGE is only for the user's choice); -1 clears.
    int SetCurSel(int nSelect);
    DWORD_PTR GetItemData(int nIndex) const;
    int SetItemData(int nIndex, DWORD_PTR dwItemData);
    void GetText(int nIndex, CString& rString) const;
    // The first item from nStartAfter + 1 on (wrapping) that begins with the text, ignoring case;
    // LB_ERR for none.
    int FindString(int nStartAfter, LPCTSTR lpszItem) const;
    int SetItemHeight(int nIndex, UINT cyItemHeight);
    int GetItemHeight(int nIndex) const;
};
