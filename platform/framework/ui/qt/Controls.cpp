#include "platform/framework/ui/Controls.h"

#include <QAbstractButton>
#include <QProgressBar>
#include <algorithm>

#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/qt/UiInternal.h"
#include "platform/framework/ui/qt/Widgets.h"

using namespace tessaly::framework;
using namespace tessaly::framework::detail;

namespace {

template <typename Widget, typename Fn> bool WithControl(HWND hWnd, Fn fn) {
    bool bDone = false;
    RunOnWindowThread([&] {
        if (auto* pWidget = qobject_cast<Widget*>(ToWidget(hWnd))) {
            bDone = true;
            fn(pWidget);
        }
    });
    return bDone;
}

template <typename Fn> bool WithListBox(HWND hWnd, Fn fn) {
    bool bDone = false;
    RunOnWindowThread([&] {
        if (auto* pBox = dynamic_cast<ListBoxWidget*>(ToWidget(hWnd))) {
            bDone = true;
            fn(pBox);
        }
    });
    return bDone;
}

} // namespace

int CButton::GetCheck() const {
    int nCheck = BST_UNCHECKED;
    WithControl<QAbstractButton>(m_hWnd, [&](QAbstractButton* pButton) {
        nCheck = pButton->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    });
    return nCheck;
}

void CButton::SetCheck(int nCheck) {
    WithControl<QAbstractButton>(
        m_hWnd, [&](QAbstractButton* pButton) { pButton->setChecked(nCheck == BST_CHECKED); });
}

void CButton::Click() {
    WithControl<QAbstractButton>(m_hWnd, [](QAbstractButton* pButton) { pButton->click(); });
}

void CEdit::SetReadOnly(BOOL bReadOnly) {
    WithControl<QLineEdit>(m_hWnd, [&](QLineEdit* pEdit) { pEdit->setReadOnly(bReadOnly != 0); });
}

BOOL CEdit::IsReadOnly() const {
    BOOL bReadOnly = FALSE;
    WithControl<QLineEdit>(
        m_hWnd, [&](QLineEdit* pEdit) { bReadOnly = pEdit->isReadOnly() ? TRUE : FALSE; });
    return bReadOnly;
}

void CProgressCtrl::SetRange(short nLower, short nUpper) {
    SetRange32(nLower, nUpper);
}

void CProgressCtrl::SetRange32(int nLower, int nUpper) {
    WithControl<QProgressBar>(m_hWnd, [&](QProgressBar* pBar) { pBar->setRange(nLower, nUpper); });
}

void CProgressCtrl::GetRange(int& nLower, int& nUpper) const {
    nLower = nUpper = 0;
    WithControl<QProgressBar>(m_hWnd, [&](QProgressBar* pBar) {
        nLower = pBar->minimum();
        nUpper = pBar->maximum();
    });
}

int CProgressCtrl::SetPos(int nPos) {
    int nPrevious = 0;
    WithControl<QProgressBar>(m_hWnd, [&](QProgressBar* pBar) {
        nPrevious = std::max(pBar->value(), pBar->minimum());
        // Windows clamps a position outside the range to it.
        pBar->setValue(std::clamp(nPos, pBar->minimum(), pBar->maximum()));
    });
    return nPrevious;
}

int CProgressCtrl::GetPos() const {
    int nPos = 0;
    WithControl<QProgressBar>(
        m_hWnd, [&](QProgressBar* pBar) { nPos = std::max(pBar->value(), pBar->minimum()); });
    return nPos;
}

int CListBox::AddString(LPCTSTR lpszItem) {
    int nIndex = LB_ERR;
    const QString strText = ToQString(lpszItem != nullptr ? lpszItem : "");
    WithListBox(m_hWnd, [&](ListBoxWidget* pBox) {
        int nAt = pBox->count();
        if (pBox->m_bSorted) {
            // A sorted box places the item before the first that sorts after it, ignoring case.
            for (int i = 0; i < pBox->count(); ++i) {
                if (QString::compare(strText, pBox->item(i)->text(), Qt::CaseInsensitive) < 0) {
                    nAt = i;
                    break;
                }
            }
        }
        auto* pItem = new QListWidgetItem(strText);
        if (pBox->m_iItemHeight > 0) {
            pItem->setSizeHint(QSize(0, pBox->m_iItemHeight));
        }
        pBox->m_bProgrammatic = true;
        pBox->insertItem(nAt, pItem);
        pBox->m_bProgrammatic = false;
        nIndex = nAt;
    });
    return nIndex;
}

void CListBox::ResetContent() {
    WithListBox(m_hWnd, [](ListBoxWidget* pBox) {
        pBox->m_bProgrammatic = true;
        pBox->clear();
        pBox->m_bProgrammatic = false;
    });
}

int CListBox::GetCount() const {
    int nCount = LB_ERR;
    WithListBox(m_hWnd, [&](ListBoxWidget* pBox) { nCount = pBox->count(); });
    return nCount;
}

int CListBox::GetCurSel() const {
    int nSel = LB_ERR;
    WithListBox(m_hWnd, [&](ListBoxWidget* pBox) {
        nSel = pBox->currentRow() >= 0 && pBox->currentItem()->isSelected() ? pBox->currentRow()
                                                                            : LB_ERR;
    });
    return nSel;
}

int CListBox::SetCurSel(int nSelect) {
    int nResult = LB_ERR;
    WithListBox(m_hWnd, [&](ListBoxWidget* pBox) {
        pBox->m_bProgrammatic = true;
        if (nSelect >= 0 && nSelect < pBox->count()) {
            pBox->setCurrentRow(nSelect);
            pBox->scrollToItem(pBox->item(nSelect), QAbstractItemView::PositionAtTop);
            nResult = nSelect;
        } else {
            pBox->clearSelection();
            pBox->setCurrentRow(-1);
        }
        pBox->m_bProgrammatic = false;
    });
    return nResult;
}

DWORD_PTR CListBox::GetItemData(int nIndex) const {
    DWORD_PTR dwData = static_cast<DWORD_PTR>(LB_ERR);
    WithListBox(m_hWnd, [&](ListBoxWidget* pBox) {
        if (QListWidgetItem* pItem = pBox->item(nIndex)) {
            dwData = static_cast<DWORD_PTR>(pItem->data(Qt::UserRole).toULongLong());
        }
    });
    return dwData;
}

int CListBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
    int nResult = LB_ERR;
    WithListBox(m_hWnd, [&](ListBoxWidget* pBox) {
        if (QListWidgetItem* pItem = pBox->item(nIndex)) {
            pItem->setData(Qt::UserRole, static_cast<qulonglong>(dwItemData));
            nResult = 0;
        }
    });
    return nResult;
}

void CListBox::GetText(int nIndex, CString& rString) const {
    QString strText;
    WithListBox(m_hWnd, [&](ListBoxWidget* pBox) {
        if (QListWidgetItem* pItem = pBox->item(nIndex)) {
            strText = pItem->text();
        }
    });
    rString = FromQString(strText);
}

int CListBox::FindString(int nStartAfter, LPCTSTR lpszItem) const {
    int nFound = LB_ERR;
    const QString strPrefix = ToQString(lpszItem != nullptr ? lpszItem : "");
    WithListBox(m_hWnd, [&](ListBoxWidget* pBox) {
        const int nCount = pBox->count();
        for (int k = 1; k <= nCount; ++k) {
            const int i = ((nStartAfter < 0 ? -1 : nStartAfter) + k) % nCount;
            if (pBox->item(i)->text().startsWith(strPrefix, Qt::CaseInsensitive)) {
                nFound = i;
                return;
            }
        }
    });
    return nFound;
}

int CListBox::SetItemHeight(int /*nIndex*/, UINT cyItemHeight) {
    int nResult = LB_ERR;
    WithListBox(m_hWnd, [&](ListBoxWidget* pBox) {
        // Without LBS_OWNERDRAWVARIABLE every item shares the height.
        pBox->m_iItemHeight = static_cast<int>(std::max(cyItemHeight, 1U));
        for (int i = 0; i < pBox->count(); ++i) {
            pBox->item(i)->setSizeHint(QSize(0, pBox->m_iItemHeight));
        }
        pBox->doItemsLayout();
        nResult = 0;
    });
    return nResult;
}

int CListBox::GetItemHeight(int /*nIndex*/) const {
    int nHeight = LB_ERR;
    WithListBox(m_hWnd, [&](ListBoxWidget* pBox) {
        nHeight = pBox->m_iItemHeight > 0 ? pBox->m_iItemHeight : pBox->fontMetrics().height();
    });
    return nHeight;
}
