// The window thread's message queue: posted messages travel as Qt events to one dispatcher object
// on the window thread, so that messages for windows and for the thread keep their posting order.
#include "platform/framework/ui/WindowThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/framework/ui/Dialog.h"
#include "platform/framework/ui/qt/UiInternal.h"
#include "platform/win32/Win32Threads.h"

namespace tessaly::framework {
namespace {

const QEvent::Type kPostedMessageEvent = static_cast<QEvent::Type>(QEvent::User + 524);
const QEvent::Type kCallEvent = static_cast<QEvent::Type>(QEvent::User + 525);

class PostedMessageEvent : public QEvent {
public:
    explicit PostedMessageEvent(const MSG& msg) : QEvent(kPostedMessageEvent), m_msg(msg) {}
    MSG m_msg;
};

// What a caller on another thread waits for.
struct Completion {
    std::mutex mutex;
    std::condition_variable cvDone;
    bool bDone = false;
};

// A call from another thread. The caller learns that it is over when the event is destroyed:
// after it has run, or undelivered when the application ends first.
class CallEvent : public QEvent {
public:
    CallEvent(const std::function<void()>& fn, std::shared_ptr<Completion> pCompletion)
        : QEvent(kCallEvent), m_fn(fn), m_pCompletion(std::move(pCompletion)) {}
    CallEvent(const CallEvent&) = delete;
    CallEvent& operator=(const CallEvent&) = delete;
    ~CallEvent() override {
        std::lock_guard lock(m_pCompletion->mutex);
        m_pCompletion->bDone = true;
        m_pCompletion->cvDone.notify_one();
    }
    void Run() const { m_fn(); }

private:
    const std::function<void()>& m_fn;
    std::shared_ptr<Completion> m_pCompletion;
};

// Qt's queue hands events over under its own locks, which a thread sanitizer does not see in an
// uninstrumented Qt; these atomics make each hand-over visible as what it is, a release by the
// poster once the event is built and an acquire by the window thread before it is read.
std::atomic<unsigned> g_uHandOvers{0};

void PostToWindowThread(QObject* pReceiver, QEvent* pEvent) {
    g_uHandOvers.fetch_add(1, std::memory_order_acq_rel);
    QCoreApplication::postEvent(pReceiver, pEvent);
}

void AcquireOnWindowThread() {
    (void)g_uHandOvers.load(std::memory_order_acquire);
}

class Dispatcher : public QObject {
public:
    bool event(QEvent* pEvent) override {
        if (pEvent->type() == kPostedMessageEvent) {
            AcquireOnWindowThread();
            MSG msg = static_cast<PostedMessageEvent*>(pEvent)->m_msg;
            detail::DeliverQueuedMessage(msg);
            return true;
        }
        if (pEvent->type() == kCallEvent) {
            AcquireOnWindowThread();
            static_cast<CallEvent*>(pEvent)->Run();
            return true;
        }
        return QObject::event(pEvent);
    }
};

std::atomic<DWORD> g_dwWindowThreadId{0};

std::mutex& RegistryMutex() {
    static auto* pMutex = new std::mutex;
    return *pMutex;
}
std::unordered_map<HWND, detail::WindowInfo>& Registry() {
    static auto* pMap = new std::unordered_map<HWND, detail::WindowInfo>;
    return *pMap;
}

// Made by the first caller, often a worker, and handed to the window thread; lives until the
// application ends. It is not the application's child: making it one from a worker would change
// the application's list of children while the window thread may be changing it too.
Dispatcher* TheDispatcher() {
    static QPointer<Dispatcher> s_pDispatcher;
    static std::mutex s_mutex;
    std::lock_guard lock(s_mutex);
    QCoreApplication* pApp = QCoreApplication::instance();
    if (s_pDispatcher.isNull() && pApp != nullptr) {
        auto* pDispatcher = new Dispatcher;
        pDispatcher->moveToThread(pApp->thread());
        QObject::connect(
            pApp, &QObject::destroyed, pDispatcher, [pDispatcher] { delete pDispatcher; },
            Qt::DirectConnection);
        s_pDispatcher = pDispatcher;
    }
    return s_pDispatcher.data();
}

BOOL Post(const MSG& msg) {
    Dispatcher* pDispatcher = TheDispatcher();
    if (pDispatcher == nullptr) {
        return FALSE;
    }
    PostToWindowThread(pDispatcher, new PostedMessageEvent(msg));
    return TRUE;
}

} // namespace

bool IsWindowThread() {
    QCoreApplication* pApp = QCoreApplication::instance();
    return pApp != nullptr && QThread::currentThread() == pApp->thread();
}

DWORD WindowThreadId() {
    if (g_dwWindowThreadId == 0 && IsWindowThread()) {
        g_dwWindowThreadId = GetCurrentThreadId();
    }
    return g_dwWindowThreadId;
}

void RunOnWindowThread(const std::function<void()>& fn) {
    if (IsWindowThread() || QCoreApplication::instance() == nullptr) {
        fn();
        return;
    }
    Dispatcher* pDispatcher = TheDispatcher();
    if (pDispatcher == nullptr) {
        fn();
        return;
    }
    auto pCompletion = std::make_shared<Completion>();
    PostToWindowThread(pDispatcher, new CallEvent(fn, pCompletion));
    std::unique_lock lock(pCompletion->mutex);
    pCompletion->cvDone.wait(lock, [&] { return pCompletion->bDone; });
}

void PumpMessagesFor(DWORD dwMilliseconds) {
    if (!IsWindowThread()) {
        Sleep(dwMilliseconds);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(dwMilliseconds), &loop, &QEventLoop::quit);
    loop.exec();
}

void PumpPendingMessages() {
    if (IsWindowThread()) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

namespace detail {

void RegisterWindow(QWidget* pWidget, const WindowInfo& info) {
    std::lock_guard lock(RegistryMutex());
    Registry()[ToHwnd(pWidget)] = info;
}

void UnregisterWindow(QWidget* pWidget) {
    std::lock_guard lock(RegistryMutex());
    Registry().erase(ToHwnd(pWidget));
}

bool FindWindowInfo(HWND hWnd, WindowInfo* pInfo) {
    std::lock_guard lock(RegistryMutex());
    auto it = Registry().find(hWnd);
    if (it == Registry().end()) {
        return false;
    }
    if (pInfo != nullptr) {
        *pInfo = it->second;
    }
    return true;
}

bool IsLiveWindow(HWND hWnd) {
    return hWnd != nullptr && FindWindowInfo(hWnd, nullptr);
}

QWidget* ToWidget(HWND hWnd) {
    return IsLiveWindow(hWnd) ? reinterpret_cast<QWidget*>(hWnd) : nullptr;
}

QWidget* OwningWindow(QWidget* pWidget) {
    for (QWidget* p = pWidget; p != nullptr; p = p->parentWidget()) {
        if (IsLiveWindow(ToHwnd(p))) {
            return p;
        }
    }
    return nullptr;
}

void DeliverQueuedMessage(MSG& msg) {
    if (msg.hwnd == nullptr) {
        // A thread message: the main window's pre-translation sees it, as in the modal loops.
        CWnd* pMain = MainWindow();
        if (pMain != nullptr && IsLiveWindow(pMain->m_hWnd)) {
            pMain->PreTranslateMessage(&msg);
        }
        return;
    }
    WindowInfo info;
    if (!FindWindowInfo(msg.hwnd, &info) || info.pDialog == nullptr) {
        return; // the window has gone since the message was posted
    }
    if (info.pDialog->PreTranslateMessage(&msg)) {
        return;
    }
    if (msg.hwnd == info.pDialog->m_hWnd) {
        LRESULT lResult = 0;
        info.pDialog->OnWndMsg(msg, &lResult);
    }
}

} // namespace detail
} // namespace tessaly::framework

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!tessaly::framework::detail::IsLiveWindow(hWnd)) {
        return FALSE;
    }
    return tessaly::framework::Post(MSG{hWnd, Msg, wParam, lParam, GetTickCount(), {0, 0}});
}

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (idThread == 0 || idThread != tessaly::framework::g_dwWindowThreadId) {
        return FALSE;
    }
    return tessaly::framework::Post(MSG{nullptr, Msg, wParam, lParam, GetTickCount(), {0, 0}});
}
