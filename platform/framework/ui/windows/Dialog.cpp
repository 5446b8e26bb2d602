// Dialogs on Windows' dialog manager: made modeless from the template in memory and run by a
// modal loop of the framework's own, so that every queued message reaches the dialog's
// PreTranslateMessage first, then the dialog manager (Tab, the default button, Escape), then the
// window procedure and the message map.
#include "platform/framework/ui/Dialog.h"

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/Resources.h"
#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/windows/DialogTemplateBytes.h"
#include "platform/framework/ui/windows/MessageDelivery.h"
#include "platform/framework/ui/windows/NativeWindow.h"
#include "platform/framework/ui/windows/UiInternal.h"

using namespace tessaly::framework;
using namespace tessaly::framework::detail;

namespace {

constexpr unsigned kWmUser = 0x0400;
constexpr unsigned kFirstRegisteredMessage = 0xC000;

// The queued message the framework's loop is delivering now: the window procedure must not offer
// it to PreTranslateMessage a second time.
thread_local const MSG* t_pDelivering = nullptr;
// Set while the window thread sends a message to its own window (CWnd::SendMessage): a sent
// message is not offered to PreTranslateMessage.
thread_local int t_nDirectSends = 0;

bool SameMessage(const MSG* pA, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return pA != nullptr && pA->hwnd == hwnd && pA->message == message && pA->wParam == wParam &&
           pA->lParam == lParam;
}

// A device context that a colour request or a paint hands over.
class CHandleDC : public CDC {
public:
    explicit CHandleDC(HDC hDC) { m_hDC = hDC; }
};

} // namespace

// What a dialog holds while its window exists; kept beside the object so that the class stays
// as small as the program's own headers expect.
class CDialogAccess {
public:
    struct State {
        std::vector<std::unique_ptr<CWnd>> vecPermanents;
        std::vector<CWnd*> vecBound; // members that DDX_Control made name a control
        std::unique_ptr<CMenu> pSystemMenu;
        HWND hDisabledOwner = nullptr;
        bool bInModalLoop = false;
    };

    static State* Find(const CDialog* pDialog) {
        auto it = States().find(pDialog);
        return it != States().end() ? &it->second : nullptr;
    }
    static State& Make(const CDialog* pDialog) { return States()[pDialog]; }
    static void Drop(const CDialog* pDialog) { States().erase(pDialog); }
    static bool& EndRequested(CDialog* pDialog) { return pDialog->m_bEndRequested; }
    static int& EndResult(CDialog* pDialog) { return pDialog->m_nEndResult; }
    static LRESULT DefProc(CDialog* pDialog, const MSG& msg) { return pDialog->DefWindowProc(msg); }
    static INT_PTR RunModal(CDialog* pDialog);
    static void Destroy(CDialog* pDialog, State& state);
    static bool Message(native::Handle hwnd, unsigned message, std::uintptr_t wParam,
                        std::intptr_t lParam, std::intptr_t* pResult);

private:
    static void InitDialog(CDialog* pDialog, HWND hwnd);
    static bool ColorRequest(CDialog* pDialog, const MSG& msg, UINT nCtlType, LRESULT* pResult);

    // Window thread only.
    static std::unordered_map<const CDialog*, State>& States() {
        static auto* pMap = new std::unordered_map<const CDialog*, State>;
        return *pMap;
    }
};

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (pDX == nullptr || pDX->m_pDlgWnd == nullptr) {
        return;
    }
    CWnd* pControl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    rControl.m_hWnd = pControl != nullptr ? pControl->m_hWnd : nullptr;
    if (auto* pState = CDialogAccess::Find(static_cast<CDialog*>(pDX->m_pDlgWnd))) {
        pState->vecBound.push_back(&rControl);
    }
}

CDialog::~CDialog() {
    RunOnWindowThread([this] {
        if (auto* pState = CDialogAccess::Find(this)) {
            CDialogAccess::Destroy(this, *pState);
        }
    });
}

INT_PTR CDialog::DoModal() {
    INT_PTR nResult = -1;
    RunOnWindowThread([&] { nResult = CDialogAccess::RunModal(this); });
    return nResult;
}

void CDialogAccess::InitDialog(CDialog* pDialog, HWND hwnd) {
    pDialog->m_hWnd = hwnd;
    RegisterWindow(hwnd, WindowInfo{pDialog, pDialog, 0});
    State& state = Make(pDialog);
    for (native::Handle hChild : native::GetChildren(hwnd)) {
        auto pPermanent = std::make_unique<CWnd>();
        pPermanent->m_hWnd = hChild;
        RegisterWindow(hChild, WindowInfo{pPermanent.get(), pDialog, native::GetDlgCtrlID(hChild)});
        state.vecPermanents.push_back(std::move(pPermanent));
    }
}

bool CDialogAccess::ColorRequest(CDialog* pDialog, const MSG& msg, UINT nCtlType,
                                 LRESULT* pResult) {
    CHandleDC dc(reinterpret_cast<HDC>(msg.wParam));
    const HWND hControl = reinterpret_cast<HWND>(msg.lParam);
    CWnd* pControl = CWnd::FromHandle(hControl);
    AFX_CTLCOLOR request{&dc, pControl, nCtlType};
    MSG forwarded = msg;
    forwarded.message = WM_CTLCOLORSTATIC;
    forwarded.wParam = reinterpret_cast<WPARAM>(&request);
    LRESULT lBrush = 0;
    if (!pDialog->OnWndMsg(forwarded, &lBrush) || lBrush == 0) {
        return false;
    }
    // The handler's choices apply to the control's own drawing, as on a real device context.
    const native::Handle hDC = reinterpret_cast<native::Handle>(msg.wParam);
    if (dc.m_bTextColorSet) {
        native::SetTextColor(hDC, dc.m_crText);
    }
    if (dc.m_bBkColorSet) {
        native::SetBkColor(hDC, dc.m_crBk);
    }
    native::SetBkMode(hDC, dc.m_nBkMode);
    *pResult = lBrush;
    return true;
}

bool CDialogAccess::Message(native::Handle hwnd, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam, std::intptr_t* pResult) {
    if (message == WM_INITDIALOG) {
        auto* pDialog = reinterpret_cast<CDialog*>(lParam);
        InitDialog(pDialog, hwnd);
        EndRequested(pDialog) = false;
        EndResult(pDialog) = -1;
        *pResult = pDialog->OnInitDialog();
        return true;
    }
    WindowInfo info;
    if (!FindWindowInfo(hwnd, &info) || info.pDialog == nullptr) {
        return false;
    }
    CDialog* pDialog = info.pDialog;
    const MSG msg{hwnd, message, wParam, lParam, 0, {0, 0}};
    switch (message) {
    case WM_NOTIFY: {
        const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
        LRESULT lResult = 0;
        if (pHeader != nullptr && HandleListNotify(pHeader->hwndFrom, pHeader, &lResult)) {
            *pResult = lResult;
            return true;
        }
        break;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        // Every colour request reaches the message map's one WM_CTLCOLOR entry with its kind.
        LRESULT lBrush = 0;
        if (ColorRequest(pDialog, msg, message - WM_CTLCOLORMSGBOX, &lBrush)) {
            *pResult = lBrush;
            return true;
        }
        return false;
    }
    default:
        break;
    }
    // A posted message that another loop (a message box's, the folder browser's) dispatched:
    // PreTranslateMessage sees it first, as it would in the framework's own loop.
    const bool bPostedKind =
        message == WM_TIMER || (message >= kWmUser && message < kFirstRegisteredMessage);
    if (bPostedKind && t_nDirectSends == 0 && !native::InSendMessage() &&
        !SameMessage(t_pDelivering, hwnd, message, wParam, lParam)) {
        MSG copy = msg;
        if (pDialog->PreTranslateMessage(&copy)) {
            *pResult = 0;
            return true;
        }
    }
    LRESULT lResult = 0;
    if (!pDialog->OnWndMsg(msg, &lResult)) {
        lResult = DefProc(pDialog, msg);
    }
    *pResult = lResult;
    return true;
}

INT_PTR CDialogAccess::RunModal(CDialog* pDialog) {
    const DialogTemplate* pTemplate = FindDialogTemplate(pDialog->m_nIDTemplate);
    if (pTemplate == nullptr || Find(pDialog) != nullptr) {
        return -1;
    }
    HWND hOwner = nullptr;
    if (pDialog->m_pParentWnd != nullptr) {
        hOwner = pDialog->m_pParentWnd->m_hWnd;
    } else if (CWnd* pMain = MainWindow(); pMain != nullptr && pMain != pDialog) {
        hOwner = pMain->m_hWnd;
    }
    const std::vector<std::uint32_t> vecTemplate = BuildDialogTemplate(*pTemplate);
    const HWND hwnd =
        native::CreateDialogFromTemplate(vecTemplate.data(), hOwner, &CDialogAccess::Message,
                                         reinterpret_cast<std::intptr_t>(pDialog));
    State* pState = Find(pDialog);
    if (hwnd == nullptr || pState == nullptr) {
        if (pState != nullptr) {
            Destroy(pDialog, *pState);
        }
        return -1;
    }
    if (!EndRequested(pDialog)) {
        // Modal: the owner takes no input while the dialog runs.
        if (hOwner != nullptr && native::IsWindowEnabled(hOwner)) {
            native::EnableWindow(hOwner, false);
            pState->hDisabledOwner = hOwner;
        }
        native::ShowWindow(hwnd, SW_SHOW);
        native::SetForegroundWindow(hwnd);
        pState->bInModalLoop = true;
        native::Message m{};
        while (!EndRequested(pDialog)) {
            if (!native::GetQueuedMessage(&m)) {
                break; // WM_QUIT, left in the queue for the outer loop
            }
            DeliverQueuedMessage(MSG{m.hwnd, m.message, m.wParam, m.lParam, m.time, {m.x, m.y}});
        }
        if (State* pLive = Find(pDialog)) {
            pLive->bInModalLoop = false;
        }
    }
    const INT_PTR nResult = EndRequested(pDialog) ? EndResult(pDialog) : -1;
    if (State* pLive = Find(pDialog)) {
        Destroy(pDialog, *pLive);
    }
    return nResult;
}

void CDialogAccess::Destroy(CDialog* pDialog, State& state) {
    const HWND hwnd = pDialog->m_hWnd;
    // The owner takes input again before the dialog goes, so that Windows activates it.
    if (state.hDisabledOwner != nullptr) {
        native::EnableWindow(state.hDisabledOwner, true);
        state.hDisabledOwner = nullptr;
    }
    if (hwnd != nullptr && native::IsWindow(hwnd)) {
        native::ShowWindow(hwnd, SW_HIDE);
        native::DestroyWindow(hwnd); // WM_DESTROY reaches the message map
    }
    for (const auto& pPermanent : state.vecPermanents) {
        ForgetList(pPermanent->m_hWnd);
        UnregisterWindow(pPermanent->m_hWnd);
    }
    if (hwnd != nullptr) {
        UnregisterWindow(hwnd);
    }
    for (CWnd* pBound : state.vecBound) {
        pBound->m_hWnd = nullptr;
    }
    pDialog->m_hWnd = nullptr;
    Drop(pDialog);
}

namespace tessaly::framework::detail {

CMenu* SystemMenuOf(HWND hDialog) {
    WindowInfo info;
    if (!FindWindowInfo(hDialog, &info) || info.pDialog == nullptr ||
        info.pDialog->m_hWnd != hDialog) {
        return nullptr;
    }
    CDialogAccess::State* pState = CDialogAccess::Find(info.pDialog);
    if (pState == nullptr) {
        return nullptr;
    }
    if (pState->pSystemMenu == nullptr) {
        native::Handle hMenu = native::GetSystemMenu(hDialog, false);
        if (hMenu == nullptr) {
            return nullptr;
        }
        pState->pSystemMenu = std::make_unique<CMenu>();
        pState->pSystemMenu->m_hMenu = static_cast<HMENU>(hMenu);
    }
    return pState->pSystemMenu.get();
}

void DeliverQueuedMessage(const MSG& msg) {
    NoteQueueVisit();
    HWND hTarget = msg.hwnd;
    WindowInfo info;
    while (hTarget != nullptr && !FindWindowInfo(hTarget, &info)) {
        hTarget = native::GetParent(hTarget); // a control's inner window: its control's dialog
    }
    const native::Message m{msg.hwnd, msg.message, msg.wParam, msg.lParam,
                            msg.time, msg.pt.x,    msg.pt.y};
    CDialog* pDialog = hTarget != nullptr ? info.pDialog : nullptr;
    if (msg.hwnd == nullptr) {
        // A thread message: the main window's, as the framework posts them; a thread timer's
        // tick still reaches its procedure through the dispatch.
        if (CWnd* pMain = MainWindow()) {
            MSG copy = msg;
            if (pMain->PreTranslateMessage(&copy)) {
                return;
            }
        }
        native::DispatchQueuedMessage(m);
        return;
    }
    const MSG* pSaved = t_pDelivering;
    t_pDelivering = &msg;
    bool bDone = false;
    if (pDialog != nullptr) {
        MSG copy = msg;
        bDone = pDialog->PreTranslateMessage(&copy) ||
                (pDialog->m_hWnd != nullptr && native::IsDialogMessage(pDialog->m_hWnd, m));
    }
    if (!bDone) {
        native::DispatchQueuedMessage(m);
    }
    t_pDelivering = pSaved;
    // The drop's handle is the receiver's to free, whoever read it (the framework's default
    // processing of WM_DROPFILES, as the program itself never frees it).
    if (msg.message == WM_DROPFILES) {
        DragFinish(reinterpret_cast<HDROP>(msg.wParam));
    }
}

} // namespace tessaly::framework::detail

namespace tessaly::framework {

void DeliverMessage(void* hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    detail::DeliverQueuedMessage(MSG{hwnd, message, wParam, lParam, 0, {0, 0}});
}

void ServePendingMessages() {
    PumpPendingMessages();
}

} // namespace tessaly::framework

namespace tessaly::framework::detail {

void BeginDirectSend() {
    ++t_nDirectSends;
}

void EndDirectSend() {
    --t_nDirectSends;
}

} // namespace tessaly::framework::detail

void CDialog::EndDialog(int nResult) {
    RunOnWindowThread([&] {
        m_bEndRequested = true;
        m_nEndResult = nResult;
        // As Windows' EndDialog: the dialog goes from the screen and its owner takes input at
        // once, before the loop ends and the window is destroyed.
        if (auto* pState = CDialogAccess::Find(this); pState != nullptr && pState->bInModalLoop) {
            if (pState->hDisabledOwner != nullptr) {
                native::EnableWindow(pState->hDisabledOwner, true);
                pState->hDisabledOwner = nullptr;
            }
            native::ShowWindow(m_hWnd, SW_HIDE);
        }
        // Wakes the modal loop, which waits for the next message.
        if (m_hWnd != nullptr) {
            native::Post(m_hWnd, WM_NULL, 0, 0);
        }
    });
}

// Tab, Enter and Escape are the dialog manager's (IsDialogMessage in the modal loop).
BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    return CWnd::PreTranslateMessage(pMsg);
}

LRESULT CDialog::DefWindowProc(const MSG& msg) {
    if (msg.message == WM_COMMAND &&
        (HIWORD(msg.wParam) == BN_CLICKED || HIWORD(msg.wParam) == 0)) {
        if (LOWORD(msg.wParam) == IDOK) {
            OnOK();
            return 0;
        }
        if (LOWORD(msg.wParam) == IDCANCEL) {
            OnCancel();
            return 0;
        }
    }
    return CWnd::DefWindowProc(msg);
}
