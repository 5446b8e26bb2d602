// Environment variables: their UTF-8 bytes handed to the program through the name codec.
#include <cstdlib>
#include <string>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/common/TextOut.h"

using namespace tessaly::win32;

DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
    if (lpName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char* pcValue = std::getenv(lpName);
    if (pcValue == nullptr) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    std::string strValue;
    Utf8ToAnsi(pcValue, strValue);
    return detail::CopyOrNeed(strValue, nSize, lpBuffer);
}
