// The C runtime's stream files are Windows' own: _wfopen with the path through the name codec.
#include "platform/win32/Win32Crt.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/windows/Native.h"
#include "platform/win32/windows/WidePath.h"

#include <cerrno>

namespace tessaly::win32 {

std::FILE* OpenCrtFile(const char* pszAnsiPath, const char* pszMode) {
    if (pszAnsiPath == nullptr || pszMode == nullptr) {
        errno = EINVAL;
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::u16string strMode;
    for (const char* pc = pszMode; *pc != '\0'; ++pc) {
        strMode += static_cast<char16_t>(static_cast<unsigned char>(*pc));
    }
    std::FILE* pFile = native::OpenStream(detail::AnsiToWidePath(pszAnsiPath), strMode);
    if (pFile == nullptr && GetLastError() == ERROR_SUCCESS) {
        SetLastErrorFromErrno(errno);
    }
    return pFile;
}

} // namespace tessaly::win32
