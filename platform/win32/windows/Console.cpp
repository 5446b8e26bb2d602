// The console: Ctrl-C through the system's handler thread, the wide command line, and UTF-8 lines
// written to a console as UTF-16.
#include <cstdio>
#include <mutex>

#include "platform/win32/Win32Console.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/common/CtrlHandlers.h"
#include "platform/win32/windows/Native.h"
#include "platform/win32/windows/WidePath.h"

namespace {

std::once_flag g_onceInstalled;

// None handling it leaves the system's default: the process ends.
int OnCtrl(std::uint32_t dwCtrlType) {
    return tessaly::win32::detail::RunCtrlHandlers(dwCtrlType) ? 1 : 0;
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
    return Add ? tessaly::win32::detail::AddCtrlHandler(HandlerRoutine)
               : tessaly::win32::detail::RemoveCtrlHandler(HandlerRoutine);
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
