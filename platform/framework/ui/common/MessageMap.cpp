// The message map search and the default handlers: the same on every window system.
#include "platform/framework/ui/MessageMap.h"

#include "platform/framework/ui/Wnd.h"

BOOL CWnd::PreTranslateMessage(MSG* /*pMsg*/) {
    return FALSE;
}

BOOL CWnd::OnWndMsg(const MSG& msg, LRESULT* pResult) {
    const MSG* pSaved = m_pCurrentMsg;
    m_pCurrentMsg = &msg;
    BOOL bHandled = FALSE;
    const UINT nCode = msg.message == WM_COMMAND  ? HIWORD(msg.wParam)
                       : msg.message == WM_NOTIFY ? reinterpret_cast<const NMHDR*>(msg.lParam)->code
                                                  : 0;
    const UINT nID = msg.message == WM_COMMAND ? LOWORD(msg.wParam)
                     : msg.message == WM_NOTIFY
                         ? static_cast<UINT>(reinterpret_cast<const NMHDR*>(msg.lParam)->idFrom)
                         : 0;
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != nullptr && !bHandled;
         pMap = pMap->pfnGetBaseMap != nullptr ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->pfnCall != nullptr;
             ++pEntry) {
            if (pEntry->nMessage != msg.message) {
                continue;
            }
            if ((msg.message == WM_COMMAND || msg.message == WM_NOTIFY) &&
                (pEntry->nCode != nCode || pEntry->nID != nID)) {
                continue;
            }
            if (pEntry->pfnCall(this, msg, pResult)) {
                bHandled = TRUE;
                break;
            }
        }
    }
    m_pCurrentMsg = pSaved;
    return bHandled;
}

LRESULT CWnd::Default() {
    return m_pCurrentMsg != nullptr ? DefWindowProc(*m_pCurrentMsg) : 0;
}

void CWnd::OnSysCommand(UINT /*nID*/, LPARAM /*lParam*/) {
    Default();
}

void CWnd::OnInitMenuPopup(CMenu* /*pPopupMenu*/, UINT /*nIndex*/, BOOL /*bSysMenu*/) {
    Default();
}

void CWnd::OnPaint() {
    Default();
}

HCURSOR CWnd::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(Default());
}

void CWnd::OnDestroy() {
    Default();
}

void CWnd::OnTimer(UINT_PTR /*nIDEvent*/) {
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC* /*pDC*/, CWnd* /*pWnd*/, UINT /*nCtlColor*/) {
    // No brush: the control paints with its own colours.
    return nullptr;
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY aEntries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, aEntries};
    return &messageMap;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}
