#include "platform/framework/ui/Dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/Resources.h"
#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/qt/DialogBuilder.h"
#include "platform/framework/ui/qt/UiInternal.h"
#include "platform/framework/ui/qt/Widgets.h"

using namespace tessaly::framework;
using namespace tessaly::framework::detail;

// What a dialog holds while its window exists; kept beside the object so that the class stays
// as small as the program's own headers expect.
class CDialogAccess {
public:
    struct State {
        DialogWidget* pWidget = nullptr;
        std::vector<std::unique_ptr<CWnd>> vecPermanents;
        std::vector<CWnd*> vecBound; // members that DDX_Control made name a control
        std::unique_ptr<CMenu> pSystemMenu;
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
    static INT_PTR RunModal(CDialog* pDialog);
    static void Destroy(CDialog* pDialog, State& state);

private:
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

INT_PTR CDialogAccess::RunModal(CDialog* pDialog) {
    const DialogTemplate* pTemplate = FindDialogTemplate(pDialog->m_nIDTemplate);
    if (pTemplate == nullptr || Find(pDialog) != nullptr) {
        return -1;
    }
    QWidget* pParent = nullptr;
    if (pDialog->m_pParentWnd != nullptr) {
        pParent = ToWidget(pDialog->m_pParentWnd->m_hWnd);
    } else if (CWnd* pMain = MainWindow(); pMain != nullptr && pMain != pDialog) {
        pParent = ToWidget(pMain->m_hWnd);
    }
    State& state = Make(pDialog);
    const bool bSystemMenu = (pTemplate->dwStyle & WS_SYSMENU) != 0;
    state.pWidget = new DialogWidget(pParent, pDialog, bSystemMenu);
    if (bSystemMenu) {
        state.pSystemMenu = std::make_unique<CMenu>();
        state.pWidget->SetSystemMenu(state.pSystemMenu.get());
    }
    const QFont font = DialogFont(pTemplate->pszFontFace, pTemplate->nPointSize);
    state.pWidget->setFont(font);
    state.pWidget->setWindowTitle(QString::fromUtf8(pTemplate->pszCaption));
    state.pWidget->setObjectName(QStringLiteral("dialog%1").arg(pTemplate->nId));
    const DialogBaseUnits units = BaseUnitsOf(font);
    const QRect rcClient = DialogUnitsToPixels(units, 0, 0, pTemplate->cx, pTemplate->cy);
    state.pWidget->setFixedSize(rcClient.size());
    pDialog->m_hWnd = ToHwnd(state.pWidget);
    RegisterWindow(state.pWidget, WindowInfo{pDialog, pDialog, 0});
    BuildControls(state.pWidget, pDialog, *pTemplate, font, state.vecPermanents);

    EndRequested(pDialog) = false;
    EndResult(pDialog) = -1;
    const BOOL bDefaultFocus = pDialog->OnInitDialog();
    RefreshDialogColors(state.pWidget);
    INT_PTR nResult = EndResult(pDialog);
    if (!EndRequested(pDialog)) {
        // Modal before it shows: Qt does not make a window that is already visible modal.
        state.pWidget->setWindowModality(Qt::ApplicationModal);
        state.pWidget->show();
        if (bDefaultFocus) {
            for (QWidget* pChild :
                 state.pWidget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (pChild->focusPolicy() != Qt::NoFocus && pChild->isEnabled()) {
                    pChild->setFocus(Qt::TabFocusReason);
                    break;
                }
            }
        }
        state.bInModalLoop = true;
        nResult = state.pWidget->exec();
        state.bInModalLoop = false;
        if (EndRequested(pDialog)) {
            nResult = EndResult(pDialog);
        }
    }
    if (State* pState = Find(pDialog)) {
        Destroy(pDialog, *pState);
    }
    return nResult;
}

void CDialogAccess::Destroy(CDialog* pDialog, State& state) {
    DialogWidget* pWidget = state.pWidget;
    if (pWidget != nullptr) {
        pWidget->hide();
        SendToDialog(pDialog, WM_DESTROY, 0, 0);
        for (QWidget* pChild : pWidget->findChildren<QWidget*>()) {
            UnregisterWindow(pChild);
        }
        UnregisterWindow(pWidget);
    }
    for (CWnd* pBound : state.vecBound) {
        pBound->m_hWnd = nullptr;
    }
    pDialog->m_hWnd = nullptr;
    Drop(pDialog);
    delete pWidget;
}

void CDialog::EndDialog(int nResult) {
    RunOnWindowThread([&] {
        m_bEndRequested = true;
        m_nEndResult = nResult;
        if (auto* pState = CDialogAccess::Find(this); pState != nullptr && pState->bInModalLoop) {
            pState->pWidget->done(nResult);
        }
    });
}

namespace {

// The command Enter or Escape gives, as Windows' dialog manager does: a focused push button is
// pressed, Enter otherwise presses the default button and Escape cancels; nothing when that
// button is disabled.
void DialogKey(CDialog* pDialog, WPARAM wKey, HWND hFocus) {
    QWidget* pDialogWidget = ToWidget(pDialog->m_hWnd);
    if (pDialogWidget == nullptr) {
        return;
    }
    if (wKey == VK_RETURN) {
        if (auto* pButton = qobject_cast<QPushButton*>(ToWidget(hFocus))) {
            if (pButton->isEnabled()) {
                pButton->click();
            }
            return;
        }
    }
    int nId = wKey == VK_RETURN ? IDOK : IDCANCEL;
    if (wKey == VK_RETURN) {
        for (QWidget* pChild : pDialogWidget->findChildren<QPushButton*>()) {
            if (pChild->property("tessalyDefaultButton").toBool()) {
                nId = pChild->property("tessalyControlId").toInt();
                break;
            }
        }
    }
    if (CWnd* pButton = pDialog->GetDlgItem(nId);
        pButton != nullptr && !pButton->IsWindowEnabled()) {
        return;
    }
    SendToDialog(pDialog, WM_COMMAND, static_cast<WPARAM>(nId & 0xFFFF), 0);
}

} // namespace

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (pMsg != nullptr && pMsg->message == WM_KEYDOWN &&
        (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) {
        DialogKey(this, pMsg->wParam, pMsg->hwnd);
        return TRUE;
    }
    return CWnd::PreTranslateMessage(pMsg);
}

LRESULT CDialog::DefWindowProc(const MSG& msg) {
    switch (msg.message) {
    case WM_COMMAND:
        if (HIWORD(msg.wParam) == BN_CLICKED || HIWORD(msg.wParam) == 0) {
            if (LOWORD(msg.wParam) == IDOK) {
                OnOK();
            } else if (LOWORD(msg.wParam) == IDCANCEL) {
                OnCancel();
            }
        }
        return 0;
    case WM_SYSCOMMAND:
        if ((msg.wParam & 0xFFF0) == SC_CLOSE) {
            // The close command cancels a dialog (WM_CLOSE becomes IDCANCEL).
            OnCancel();
        }
        return 0;
    default:
        return CWnd::DefWindowProc(msg);
    }
}
