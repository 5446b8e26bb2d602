#include "platform/win32/windows/NormalForms.h"

#include <vector>

#include "platform/win32/Win32Errors.h"
#include "platform/win32/common/CaseFold.h"
#include "platform/win32/windows/Native.h"
#include "platform/win32/windows/NativeNormalize.h"
#include "platform/win32/windows/WidePath.h"

namespace tessaly::win32::detail {
namespace {

constexpr std::uint32_t kNoAttributes = 0xFFFFFFFF;

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

bool Exists(const std::u16string& strPath) {
    return native::GetAttributes(strPath) != kNoAttributes;
}

// The length of the path's root, which is never normalised: "\\?\UNC\server\share\",
// "\\?\X:\", "\\server\share\", "X:\", "X:", "\" or nothing.
std::size_t RootLength(const std::u16string& strPath) {
    std::size_t uStart = 0;
    if (strPath.starts_with(u"\\\\?\\UNC\\")) {
        uStart = 8;
    } else if (strPath.starts_with(u"\\\\?\\")) {
        uStart = 4;
    } else if (strPath.size() >= 2 && IsSeparator(strPath[0]) && IsSeparator(strPath[1])) {
        uStart = 2;
    }
    if (uStart == 8 || uStart == 2) {
        // Server and share.
        std::size_t uSeparators = 0;
        std::size_t i = uStart;
        for (; i < strPath.size() && uSeparators < 2; ++i) {
            uSeparators += IsSeparator(strPath[i]) ? 1 : 0;
        }
        return i;
    }
    std::size_t i = uStart;
    if (strPath.size() >= i + 2 && strPath[i + 1] == u':') {
        i += 2;
    }
    while (i < strPath.size() && IsSeparator(strPath[i])) {
        ++i;
    }
    return i;
}

} // namespace

bool ComposeNfc(std::string_view strUtf8, std::string& strOut) {
    std::u16string strComposed;
    if (!native::NormalizeForm(Wtf8ToWide(strUtf8), true, strComposed)) {
        return false;
    }
    strOut = WideToWtf8(strComposed);
    return true;
}

bool MayHaveOtherForms(const std::u16string& strWidePath) {
    for (const char16_t c : strWidePath) {
        if (c >= 0x300) {
            return true;
        }
    }
    return false;
}

bool TakeDiskForms(std::u16string& strWidePath) {
    if (!MayHaveOtherForms(strWidePath)) {
        return false;
    }
    const std::size_t uRoot = RootLength(strWidePath);
    // Each component as [begin, end) in strWidePath.
    std::vector<std::pair<std::size_t, std::size_t>> aNames;
    for (std::size_t i = uRoot; i < strWidePath.size();) {
        std::size_t uEnd = i;
        while (uEnd < strWidePath.size() && !IsSeparator(strWidePath[uEnd])) {
            ++uEnd;
        }
        if (uEnd > i) {
            aNames.emplace_back(i, uEnd);
        }
        i = uEnd + 1;
    }
    // Most often only the last name is missing as spelled (a file to move or create).
    std::size_t uFirst = 0;
    if (aNames.size() >= 2 && Exists(strWidePath.substr(0, aNames[aNames.size() - 2].second))) {
        uFirst = aNames.size() - 1;
    }
    std::u16string strOut = strWidePath.substr(0, uFirst == 0 ? uRoot : aNames[uFirst].first);
    std::size_t uCopied = uFirst == 0 ? uRoot : aNames[uFirst].first;
    bool bChanged = false;
    std::u16string strForm;
    for (std::size_t k = uFirst; k < aNames.size(); ++k) {
        const auto [uBegin, uEnd] = aNames[k];
        strOut.append(strWidePath, uCopied, uBegin - uCopied); // separators as given
        const std::u16string strName = strWidePath.substr(uBegin, uEnd - uBegin);
        const std::size_t uHere = strOut.size();
        strOut += strName;
        uCopied = uEnd;
        if (Exists(strOut)) {
            continue;
        }
        bool bFound = false;
        for (const bool bCompose : {true, false}) {
            if (native::NormalizeForm(strName, bCompose, strForm) && strForm != strName) {
                strOut.replace(uHere, std::u16string::npos, strForm);
                if (Exists(strOut)) {
                    bFound = true;
                    break;
                }
            }
        }
        if (!bFound) {
            strOut.replace(uHere, std::u16string::npos, strName);
            break;
        }
        bChanged = true;
    }
    if (!bChanged) {
        return false;
    }
    strOut.append(strWidePath, uCopied, std::u16string::npos);
    strWidePath = std::move(strOut);
    return true;
}

bool RetryInDiskForms(std::u16string& strWidePath) {
    const std::uint32_t dwError = native::GetLastError();
    if ((dwError != ERROR_FILE_NOT_FOUND && dwError != ERROR_PATH_NOT_FOUND) ||
        !TakeDiskForms(strWidePath)) {
        native::SetLastError(dwError);
        return false;
    }
    return true;
}

} // namespace tessaly::win32::detail
