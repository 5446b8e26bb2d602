// The window thread's mailbox: a message-only window through which workers run calls on the window
// thread (a sent message, which Windows delivers only while that thread waits for messages) and
// post thread messages that must reach the main window's PreTranslateMessage in posting order,
// also while a message box or the folder browser runs a loop of its own.
#include "platform/framework/ui/WindowThread.h"

#include <atomic>

#include "platform/framework/ui/Wnd.h"
#include "platform/framework/ui/windows/NativeWindow.h"
#include "platform/framework/ui/windows/UiInternal.h"
#include "platform/win32/Win32Threads.h"

namespace tessaly::framework {
namespace {

constexpr unsigned kWmApp = 0x8000;
constexpr unsigned kCallMessage = kWmApp + 0x524;
constexpr unsigned kThreadMessage = kWmApp + 0x525;

std::atomic<DWORD> g_dwWindowThread{0};
std::atomic<std::uint32_t> g_dwNativeWindowThread{0};
std::atomic<native::Handle> g_hMailbox{nullptr};

struct PostedThreadMessage {
    UINT nMessage;
    WPARAM wParam;
    LPARAM lParam;
};

// Windows serves a sent message before anything queued, so a worker whose calls cross one after
// the other would keep the window thread from its timers, paints and input for the whole run.
// After a call, the queue is served once when it has waited longer than this.
constexpr std::uint32_t kdwMaxQueueWait = 30;
std::uint32_t g_dwLastQueueVisit = 0; // window thread only
bool g_bServingBetweenCalls = false;  // window thread only

void ServeQueueIfWaiting() {
    if (g_bServingBetweenCalls || native::TickCount() - g_dwLastQueueVisit < kdwMaxQueueWait) {
        return;
    }
    g_bServingBetweenCalls = true;
    PumpPendingMessages();
    g_bServingBetweenCalls = false;
}

bool MailboxMessage(native::Handle /*hwnd*/, unsigned message, std::uintptr_t /*wParam*/,
                    std::intptr_t lParam, std::intptr_t* pResult) {
    if (message == kCallMessage) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        ServeQueueIfWaiting();
        *pResult = 0;
        return true;
    }
    if (message == kThreadMessage) {
        const auto* pPosted = reinterpret_cast<const PostedThreadMessage*>(lParam);
        MSG msg{nullptr, pPosted->nMessage, pPosted->wParam, pPosted->lParam, 0, {0, 0}};
        delete pPosted;
        if (CWnd* pMain = detail::MainWindow()) {
            pMain->PreTranslateMessage(&msg);
        }
        *pResult = 0;
        return true;
    }
    return false;
}

} // namespace

namespace detail {

void NoteQueueVisit() {
    g_dwLastQueueVisit = native::TickCount();
}

void StartWindowThread() {
    if (g_hMailbox.load() != nullptr) {
        return;
    }
    g_dwWindowThread = ::GetCurrentThreadId();
    g_dwNativeWindowThread = native::CurrentThreadId();
    native::InitControls();
    g_hMailbox = native::CreateMessageWindow(&MailboxMessage);
}

} // namespace detail

bool IsWindowThread() {
    return g_dwNativeWindowThread.load() == native::CurrentThreadId();
}

DWORD WindowThreadId() {
    return g_dwWindowThread.load();
}

void RunOnWindowThread(const std::function<void()>& fn) {
    native::Handle hMailbox = g_hMailbox.load();
    if (hMailbox == nullptr || IsWindowThread()) {
        fn();
        return;
    }
    native::Send(hMailbox, kCallMessage, 0, reinterpret_cast<std::intptr_t>(&fn));
}

void PumpMessagesFor(DWORD dwMilliseconds) {
    const std::uint32_t dwStart = native::TickCount();
    for (;;) {
        PumpPendingMessages();
        const std::uint32_t dwElapsed = native::TickCount() - dwStart;
        if (dwElapsed >= dwMilliseconds) {
            return;
        }
        native::WaitForMessage(dwMilliseconds - dwElapsed);
    }
}

void PumpPendingMessages() {
    native::Message m{};
    g_dwLastQueueVisit = native::TickCount();
    while (native::PeekQueuedMessage(&m)) {
        const MSG msg{m.hwnd, m.message, m.wParam, m.lParam, m.time, {m.x, m.y}};
        detail::DeliverQueuedMessage(msg);
    }
}

} // namespace tessaly::framework

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    using namespace tessaly::framework;
    native::Handle hMailbox = g_hMailbox.load();
    if (hMailbox == nullptr || idThread != g_dwWindowThread.load()) {
        return FALSE;
    }
    auto* pPosted = new PostedThreadMessage{Msg, wParam, lParam};
    if (!native::Post(hMailbox, kThreadMessage, 0, reinterpret_cast<std::intptr_t>(pPosted))) {
        delete pPosted;
        return FALSE;
    }
    return TRUE;
}
