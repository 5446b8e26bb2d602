#include "platform/win32/common/TextOut.h"

#include <cstring>

#include "platform/win32/Win32Errors.h"
#include "platform/win32/common/CodePage932Tables.h"

namespace tessaly::win32::detail {

DWORD CopyOrNeed(std::string_view strText, DWORD nBufferLength, LPSTR lpBuffer) {
    const auto dwLength = static_cast<DWORD>(strText.size());
    if (lpBuffer == nullptr || nBufferLength < dwLength + 1) {
        return dwLength + 1;
    }
    std::memcpy(lpBuffer, strText.data(), dwLength);
    lpBuffer[dwLength] = '\0';
    return dwLength;
}

DWORD CopyOrCut(std::string_view strText, LPSTR lpBuffer, DWORD nSize) {
    if (lpBuffer == nullptr || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (strText.size() < nSize) {
        std::memcpy(lpBuffer, strText.data(), strText.size());
        lpBuffer[strText.size()] = '\0';
        return static_cast<DWORD>(strText.size());
    }
    std::size_t uCut = 0;
    for (std::size_t i = 0; i < nSize - 1;) {
        const std::size_t cb = Cp932CharLength(
            reinterpret_cast<const unsigned char*>(strText.data()) + i, strText.size() - i);
        if (i + cb > nSize - 1) {
            break;
        }
        i += cb;
        uCut = i;
    }
    std::memcpy(lpBuffer, strText.data(), uCut);
    lpBuffer[uCut] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
}

} // namespace tessaly::win32::detail
