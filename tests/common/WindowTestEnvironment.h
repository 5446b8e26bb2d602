// The window system for a test executable: the application object on Qt's offscreen platform
// (unless QT_QPA_PLATFORM names another) and a main window slot. Include once per
// executable; the environment makes the QApplication before the first test runs.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

#include "platform/framework/ui/Afxwin.h"

namespace tessaly::test {

class WindowTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // No display, no real dialogs: Qt's offscreen platform unless the run names another.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int s_argc = 1;
        static char s_acName[] = "tessaly-test";
        static char* s_apArgv[] = {s_acName, nullptr};
        framework::InitWindowSystem(s_argc, s_apArgv);
    }
};

inline ::testing::Environment* const g_pWindowEnvironment =
    ::testing::AddGlobalTestEnvironment(new WindowTestEnvironment);

// Runs a dialog modally with the interaction scheduled first. A dialog that has not ended after
// the watchdog's time is ended with -2, so a test fails instead of hanging.
inline INT_PTR RunModalWith(CDialog& dialog, const std::function<void()>& interact,
                            int iWatchdogMs = 20000) {
    QTimer::singleShot(0, interact);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&dialog] {
        ADD_FAILURE() << "the dialog did not end";
        if (QWidget* pModal = QApplication::activeModalWidget();
            pModal != nullptr && pModal != reinterpret_cast<QWidget*>(dialog.m_hWnd)) {
            pModal->close();
        }
        dialog.EndDialog(-2);
    });
    watchdog.start(iWatchdogMs);
    return dialog.DoModal();
}

// Processes events until the condition holds or the time is up; the condition's last value.
inline bool WaitUntil(const std::function<bool()>& condition, int iTimeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > iTimeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace tessaly::test
