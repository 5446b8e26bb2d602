// Environment variables, read as UTF-16 and handed to the program through the name codec.
#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/common/TextOut.h"
#include "platform/win32/windows/Native.h"
#include "platform/win32/windows/WidePath.h"

using namespace tessaly::win32;

DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
    if (lpName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto strWide = native::GetEnvironmentVariableW(detail::AnsiToWide(lpName));
    if (!strWide) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    std::string strValue;
    Utf8ToAnsi(detail::WideToWtf8(*strWide), strValue);
    return detail::CopyOrNeed(strValue, nSize, lpBuffer);
}
