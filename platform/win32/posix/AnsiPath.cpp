// Separator search in CP932 paths: lead bytes take their trail byte with them.
#include "platform/win32/posix/AnsiPath.h"

#include "platform/win32/Win32CodePage.h"

namespace tessaly::win32::detail {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The length of the root that must stay: "X:\" (3), "X:" (2), "\" (1), or 0.
std::size_t RootLength(std::string_view strAnsiPath) {
    if (strAnsiPath.size() >= 2 && strAnsiPath[1] == ':' &&
        !IsDBCSLeadByte(static_cast<BYTE>(strAnsiPath[0]))) {
        return strAnsiPath.size() >= 3 && IsSeparator(strAnsiPath[2]) ? 3 : 2;
    }
    return !strAnsiPath.empty() && IsSeparator(strAnsiPath[0]) ? 1 : 0;
}

} // namespace

std::vector<std::size_t> SeparatorPositions(std::string_view strAnsiPath) {
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < strAnsiPath.size(); ++i) {
        const char c = strAnsiPath[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < strAnsiPath.size()) {
            ++i;
        } else if (IsSeparator(c)) {
            positions.push_back(i);
        }
    }
    return positions;
}

std::size_t LastSeparator(std::string_view strAnsiPath) {
    const std::vector<std::size_t> positions = SeparatorPositions(strAnsiPath);
    return positions.empty() ? std::string_view::npos : positions.back();
}

std::string_view WithoutTrailingSeparators(std::string_view strAnsiPath) {
    const std::size_t uRoot = RootLength(strAnsiPath);
    // The end of the last character that is not a separator (trail bytes included).
    std::size_t uEnd = uRoot;
    for (std::size_t i = 0; i < strAnsiPath.size(); ++i) {
        const char c = strAnsiPath[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < strAnsiPath.size()) {
            ++i;
            uEnd = i + 1;
        } else if (!IsSeparator(c)) {
            uEnd = i + 1;
        }
    }
    return strAnsiPath.substr(0, uEnd < uRoot ? uRoot : uEnd);
}

} // namespace tessaly::win32::detail
