#include "platform/win32/common/CtrlHandlers.h"

#include <array>
#include <atomic>

#include "platform/win32/Win32Errors.h"

namespace tessaly::win32::detail {
namespace {
std::array<std::atomic<PHANDLER_ROUTINE>, 8> g_apHandlers{};
} // namespace

BOOL AddCtrlHandler(PHANDLER_ROUTINE pRoutine) {
    for (auto& slot : g_apHandlers) {
        PHANDLER_ROUTINE pExpected = nullptr;
        if (slot.compare_exchange_strong(pExpected, pRoutine)) {
            return TRUE;
        }
    }
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

BOOL RemoveCtrlHandler(PHANDLER_ROUTINE pRoutine) {
    for (auto& slot : g_apHandlers) {
        PHANDLER_ROUTINE pExpected = pRoutine;
        if (slot.compare_exchange_strong(pExpected, nullptr)) {
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

bool RunCtrlHandlers(DWORD dwCtrlType) {
    for (std::size_t i = g_apHandlers.size(); i-- > 0;) {
        const PHANDLER_ROUTINE pRoutine = g_apHandlers[i].load();
        if (pRoutine != nullptr && pRoutine(dwCtrlType)) {
            return true;
        }
    }
    return false;
}

} // namespace tessaly::win32::detail
