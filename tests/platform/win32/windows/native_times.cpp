// The one call of Windows' own that the layer's tests need beside the layer: SetFileTime, to lay
// out times finer than the C runtime's whole seconds. Only this file sees <windows.h>.
#include <windows.h>

#include <cstdint>

bool SetNativeWriteTime(const wchar_t* pwszPath, std::uint64_t ullTicks) {
    const HANDLE h =
        CreateFileW(pwszPath, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    const FILETIME ft{static_cast<DWORD>(ullTicks), static_cast<DWORD>(ullTicks >> 32)};
    const BOOL bOk = SetFileTime(h, nullptr, &ft, &ft);
    CloseHandle(h);
    return bOk != FALSE;
}
