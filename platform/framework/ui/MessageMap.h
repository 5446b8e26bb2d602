// Message maps: each window class lists the messages it handles in a static table, searched from
// the most derived class down to CWnd, as the framework's maps are. The handlers keep the
// framework's signatures; an entry is a plain function that unpacks the message and calls them.
#pragma once

#include "platform/framework/ui/WinUser.h"

class CWnd;
class CDC;

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // WM_COMMAND, WM_NOTIFY, WM_TIMER ...
    UINT nCode;    // the notification code of WM_COMMAND / WM_NOTIFY
    UINT nID;      // the control id of WM_COMMAND / WM_NOTIFY
    // Calls the handler; FALSE when it declines (the search goes on).
    BOOL (*pfnCall)(CWnd* pWnd, const MSG& msg, LRESULT* pResult);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries; // ended by an entry whose pfnCall is null
};

// WM_CTLCOLOR travels as a pointer to this record in wParam.
struct AFX_CTLCOLOR {
    CDC* pDC;
    CWnd* pWnd;
    UINT nCtlType;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY aEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, nullptr }                                                                           \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, aEntries};             \
    return &messageMap;                                                                            \
    }

#define ON_COMMAND_CODE_(code, id, memberFxn)                                                      \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id),                                   \
     [](CWnd* pWnd, const MSG&, LRESULT*) -> BOOL {                                                \
         (static_cast<ThisClass*>(pWnd)->*(memberFxn))();                                          \
         return TRUE;                                                                              \
     }},

#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND_CODE_(BN_CLICKED, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_COMMAND_CODE_(LBN_SELCHANGE, id, memberFxn)
#define ON_COMMAND(id, memberFxn) ON_COMMAND_CODE_(0, id, memberFxn)

// memberFxn(NMHDR* pNMHDR, LRESULT* pResult); lParam carries the NMHDR.
#define ON_NOTIFY(code, id, memberFxn)                                                             \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id),                                    \
     [](CWnd* pWnd, const MSG& msg, LRESULT* pResult) -> BOOL {                                    \
         (static_cast<ThisClass*>(pWnd)->*(memberFxn))(reinterpret_cast<NMHDR*>(msg.lParam),       \
                                                       pResult);                                   \
         return TRUE;                                                                              \
     }},

#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0, [](CWnd* pWnd, const MSG& msg, LRESULT*) -> BOOL {                       \
         static_cast<ThisClass*>(pWnd)->OnSysCommand(static_cast<UINT>(msg.wParam), msg.lParam);   \
         return TRUE;                                                                              \
     }},

// Sent as a menu is about to open, so that its items' states can be brought up to date. The
// program's one menu is the system menu, handed over when HIWORD(lParam) says it is the one.
#define ON_WM_INITMENUPOPUP()                                                                      \
    {WM_INITMENUPOPUP, 0, 0, [](CWnd* pWnd, const MSG& msg, LRESULT*) -> BOOL {                    \
         const BOOL bSysMenu = HIWORD(msg.lParam) != 0 ? TRUE : FALSE;                             \
         static_cast<ThisClass*>(pWnd)->OnInitMenuPopup(                                           \
             bSysMenu ? pWnd->GetSystemMenu(FALSE) : nullptr, LOWORD(msg.lParam), bSysMenu);       \
         return TRUE;                                                                              \
     }},

#define ON_WM_PAINT()                                                                              \
    {WM_PAINT, 0, 0, [](CWnd* pWnd, const MSG&, LRESULT*) -> BOOL {                                \
         static_cast<ThisClass*>(pWnd)->OnPaint();                                                 \
         return TRUE;                                                                              \
     }},

#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, [](CWnd* pWnd, const MSG&, LRESULT* pResult) -> BOOL {                \
         *pResult = reinterpret_cast<LRESULT>(static_cast<ThisClass*>(pWnd)->OnQueryDragIcon());   \
         return TRUE;                                                                              \
     }},

#define ON_WM_DESTROY()                                                                            \
    {WM_DESTROY, 0, 0, [](CWnd* pWnd, const MSG&, LRESULT*) -> BOOL {                              \
         static_cast<ThisClass*>(pWnd)->OnDestroy();                                               \
         return TRUE;                                                                              \
     }},

#define ON_WM_TIMER()                                                                              \
    {WM_TIMER, 0, 0, [](CWnd* pWnd, const MSG& msg, LRESULT*) -> BOOL {                            \
         static_cast<ThisClass*>(pWnd)->OnTimer(static_cast<UINT_PTR>(msg.wParam));                \
         return TRUE;                                                                              \
     }},

#define ON_WM_CTLCOLOR()                                                                           \
    {WM_CTLCOLORSTATIC, 0, 0, [](CWnd* pWnd, const MSG& msg, LRESULT* pResult) -> BOOL {           \
         const auto* pColor = reinterpret_cast<const AFX_CTLCOLOR*>(msg.wParam);                   \
         *pResult = reinterpret_cast<LRESULT>(static_cast<ThisClass*>(pWnd)->OnCtlColor(           \
             pColor->pDC, pColor->pWnd, pColor->nCtlType));                                        \
         return TRUE;                                                                              \
     }},
