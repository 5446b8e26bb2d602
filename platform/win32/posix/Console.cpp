#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "platform/win32/Win32Console.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/common/CtrlHandlers.h"

namespace {

std::atomic<bool> g_bIgnoreCtrlC{false};

void OnSignal(int iSignal) {
    const DWORD dwType = iSignal == SIGINT ? CTRL_C_EVENT : CTRL_BREAK_EVENT;
    if (dwType == CTRL_C_EVENT && g_bIgnoreCtrlC.load()) {
        return;
    }
    if (tessaly::win32::detail::RunCtrlHandlers(dwType)) {
        return;
    }
    // Nobody handled it: end as the default action would.
    signal(iSignal, SIG_DFL);
    raise(iSignal);
}

void InstallSignalHandlers() {
    static const bool s_bInstalled = [] {
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        return true;
    }();
    (void)s_bInstalled;
}

} // namespace

BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add) {
    if (HandlerRoutine == nullptr) {
        g_bIgnoreCtrlC.store(Add != FALSE);
        InstallSignalHandlers();
        return TRUE;
    }
    if (!Add) {
        return tessaly::win32::detail::RemoveCtrlHandler(HandlerRoutine);
    }
    InstallSignalHandlers();
    return tessaly::win32::detail::AddCtrlHandler(HandlerRoutine);
}

namespace tessaly::win32 {
bool IsConsoleStream(DWORD nStdHandle) {
    const int fd = nStdHandle == STD_INPUT_HANDLE    ? STDIN_FILENO
                   : nStdHandle == STD_OUTPUT_HANDLE ? STDOUT_FILENO
                   : nStdHandle == STD_ERROR_HANDLE  ? STDERR_FILENO
                                                     : -1;
    return fd >= 0 && isatty(fd) == 1;
}
} // namespace tessaly::win32

namespace tessaly::win32 {

std::vector<std::string> StartTerminal(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

bool WriteStdStream(DWORD nStdHandle, std::string_view strUtf8) {
    std::FILE* pStream = nStdHandle == STD_ERROR_HANDLE ? stderr : stdout;
    return std::fwrite(strUtf8.data(), 1, strUtf8.size(), pStream) == strUtf8.size();
}

} // namespace tessaly::win32
