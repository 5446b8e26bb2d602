// Separator search in CP932 paths: characters end where the path parser says they do.
#include "platform/win32/common/AnsiPath.h"

#include "platform/win32/Win32CodePage.h"
#include "platform/win32/common/CodePage932Tables.h"

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

std::size_t CharLengthAt(std::string_view str, std::size_t i) {
    return Cp932CharLength(reinterpret_cast<const unsigned char*>(str.data()) + i, str.size() - i);
}

} // namespace

std::vector<std::size_t> SeparatorPositions(std::string_view strAnsiPath) {
    std::vector<std::size_t> positions;
    for (std::size_t i = 0, cb; i < strAnsiPath.size(); i += cb) {
        cb = CharLengthAt(strAnsiPath, i);
        if (cb == 1 && IsSeparator(strAnsiPath[i])) {
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
    for (std::size_t i = 0, cb; i < strAnsiPath.size(); i += cb) {
        cb = CharLengthAt(strAnsiPath, i);
        if (cb == 2 || !IsSeparator(strAnsiPath[i])) {
            uEnd = i + cb;
        }
    }
    return strAnsiPath.substr(0, uEnd < uRoot ? uRoot : uEnd);
}

} // namespace tessaly::win32::detail
