// NormalizeString, which kernel32 exports since Windows 7: no DLL beyond Windows' core is
// imported for it.
#include "platform/win32/windows/NativeNormalize.h"

#include <windows.h>

namespace tessaly::win32::native {

bool NormalizeForm(std::u16string_view strIn, bool bCompose, std::u16string& strOut) {
    strOut.clear();
    if (strIn.empty()) {
        return true;
    }
    const NORM_FORM eForm = bCompose ? NormalizationC : NormalizationD;
    const auto* pwcIn = reinterpret_cast<LPCWSTR>(strIn.data());
    const int cchIn = static_cast<int>(strIn.size());
    int cchRoom = ::NormalizeString(eForm, pwcIn, cchIn, nullptr, 0);
    // The size asked for is an estimate: a short buffer is answered with a better one.
    for (int iTry = 0; iTry < 4 && cchRoom > 0; ++iTry) {
        std::wstring strBuffer(static_cast<std::size_t>(cchRoom), L'\0');
        const int cch = ::NormalizeString(eForm, pwcIn, cchIn, strBuffer.data(), cchRoom);
        if (cch > 0) {
            strOut.assign(strBuffer.begin(), strBuffer.begin() + cch);
            return true;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return false;
        }
        cchRoom = -cch > cchRoom ? -cch : 2 * cchRoom;
    }
    return false;
}

} // namespace tessaly::win32::native
