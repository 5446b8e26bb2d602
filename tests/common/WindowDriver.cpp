// The driver calls that need the framework's classes, on the window system's own calls.
#include "tests/common/WindowDriver.h"

#include <utility>

#include "platform/framework/ui/Afxwin.h"

namespace tessaly::test {

void InitWindowSystemForTests() {
    detail::PrepareWindowSystem();
    static int s_argc = 1;
    static char s_acName[] = "tessaly-test";
    static char* s_apArgv[] = {s_acName, nullptr};
    framework::InitWindowSystem(s_argc, s_apArgv);
}

std::intptr_t RunModalWith(CDialog& dialog, const std::function<void()>& interact,
                           int iWatchdogMs) {
    RunLater(0, interact);
    Timer watchdog(
        iWatchdogMs,
        [&dialog] {
            ADD_FAILURE() << "the dialog did not end";
            if (WindowHandle hModal = ActiveModalWindow();
                hModal != nullptr && hModal != dialog.m_hWnd) {
                ClickCloseBox(hModal);
            }
            dialog.EndDialog(-2);
        },
        false);
    return dialog.DoModal();
}

namespace {

// The handlers still waiting, kept until the test ends: a timer cannot be destroyed from its own
// tick.
std::vector<std::unique_ptr<Timer>>& PendingModalHandlers() {
    static std::vector<std::unique_ptr<Timer>> s_vecTimers;
    return s_vecTimers;
}

bool IsDialogOfTemplate(WindowHandle hWnd, int nTemplateId) {
    const auto* pDialog = dynamic_cast<const CDialog*>(CWnd::FromHandle(hWnd));
    return pDialog != nullptr && pDialog->GetTemplateId() == static_cast<UINT>(nTemplateId);
}

} // namespace

void WhenModal(int nTemplateId, std::function<void(WindowHandle)> fn) {
    // The tick needs its own timer, to stop polling; a tick already queued may still arrive.
    struct Handler {
        Timer* pTimer = nullptr;
        bool bDone = false;
    };
    auto pHandler = std::make_shared<Handler>();
    auto pTimer = std::make_unique<Timer>(10, [pHandler, nTemplateId, fn = std::move(fn)] {
        const WindowHandle hModal = ActiveModalWindow();
        if (pHandler->bDone || hModal == nullptr || !IsDialogOfTemplate(hModal, nTemplateId)) {
            return;
        }
        pHandler->bDone = true;
        pHandler->pTimer->Stop();
        fn(hModal);
    });
    pHandler->pTimer = pTimer.get();
    PendingModalHandlers().push_back(std::move(pTimer));
}

void CancelPendingModalHandlers() {
    PendingModalHandlers().clear();
}

} // namespace tessaly::test
