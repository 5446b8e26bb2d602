// The console: Ctrl-C through the system's handler thread, the wide command line, and UTF-8 lines
// written to a console as UTF-16.
#include <array>
#include <atomic>
#include <cstdio>
#include <mutex>

#include "platform/win32/Win32Console.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/windows/Native.h"
#include "platform/win32/windows/WidePath.h"

namespace {

// The routines added, last added first to run; a fixed table, read by the system's thread.
std::array<std::atomic<PHANDLER_ROUTINE>, 8> g_apHandlers{};
std::once_flag g_onceInstalled;

int OnCtrl(std::uint32_t dwCtrlType) {
    for (std::size_t i = g_apHandlers.size(); i-- > 0;) {
        const PHANDLER_ROUTINE pRoutine = g_apHandlers[i].load();
        if (pRoutine != nullptr && pRoutine(dwCtrlType)) {
            return 1;
        }
    }
    return 0; // the system's default: the process ends
}

} // namespace

BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE HandlerRoutine, BOOL Add) {
    using tessaly::win32::native::IgnoreCtrlC;
    using tessaly::win32::native::InstallCtrlHandler;
    if (HandlerRoutine == nullptr) {
        return IgnoreCtrlC(Add != FALSE) ? TRUE : FALSE;
    }
    bool bInstalled = true;
    std::call_once(g_onceInstalled, [&] { bInstalled = InstallCtrlHandler(OnCtrl); });
    if (!bInstalled) {
        return FALSE;
    }
    if (Add) {
        for (auto& slot : g_apHandlers) {
            PHANDLER_ROUTINE pExpected = nullptr;
            if (slot.compare_exchange_strong(pExpected, HandlerRoutine)) {
                return TRUE;
            }
        }
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    for (auto& slot : g_apHandlers) {
        PHANDLER_ROUTINE pExpected = HandlerRoutine;
        if (slot.compare_exchange_strong(pExpected, nullptr)) {
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

namespace tessaly::win32 {

bool IsConsoleStream(DWORD nStdHandle) {
    return native::IsConsole(nStdHandle);
}

std::vector<std::string> StartTerminal(int argc, char** argv) {
    native::SetStandardStreamsBinary();
    native::EnableConsoleEscapes(STD_ERROR_HANDLE);
    std::vector<std::string> astrArgs;
    for (const std::u16string& strArg : native::CommandLineArguments()) {
        astrArgs.push_back(detail::WideToWtf8(strArg));
    }
    if (astrArgs.empty()) {
        astrArgs.assign(argv, argv + argc);
    }
    return astrArgs;
}

bool WriteStdStream(DWORD nStdHandle, std::string_view strUtf8) {
    std::FILE* pStream = nStdHandle == STD_ERROR_HANDLE ? stderr : stdout;
    if (native::IsConsole(nStdHandle)) {
        std::fflush(pStream); // what stdio holds goes first
        return native::WriteConsoleW(nStdHandle, detail::Wtf8ToWide(strUtf8));
    }
    return std::fwrite(strUtf8.data(), 1, strUtf8.size(), pStream) == strUtf8.size();
}

} // namespace tessaly::win32
