#include "platform/win32/windows/WidePath.h"

#include "platform/win32/NameCodec.h"
#include "platform/win32/common/Utf8.h"
#include "platform/win32/windows/Native.h"

namespace tessaly::win32::detail {
namespace {

constexpr std::size_t kLongPathFrom = 248;

void AppendUtf16(char32_t c, std::u16string& strOut) {
    if (c < 0x10000) {
        strOut += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        strOut += static_cast<char16_t>(0xD800 + (c >> 10));
        strOut += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

} // namespace

std::string WideToWtf8(std::u16string_view strWide) {
    std::string strOut;
    strOut.reserve(strWide.size());
    for (std::size_t i = 0; i < strWide.size(); ++i) {
        char32_t c = strWide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < strWide.size() && strWide[i + 1] >= 0xDC00 &&
            strWide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (strWide[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(strOut, c); // a lone surrogate takes the same three-byte form
    }
    return strOut;
}

std::u16string Wtf8ToWide(std::string_view strWtf8) {
    std::u16string strOut;
    strOut.reserve(strWtf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(strWtf8.data());
    const std::size_t n = strWtf8.size();
    for (std::size_t i = 0; i < n;) {
        char32_t c = 0;
        std::size_t cbBad = 0;
        const std::size_t cb = DecodeUtf8(p + i, n - i, c, cbBad);
        if (cb > 0) {
            AppendUtf16(c, strOut);
            i += cb;
        } else if (i + 2 < n && p[i] == 0xED && p[i + 1] >= 0xA0 && p[i + 1] <= 0xBF &&
                   (p[i + 2] & 0xC0) == 0x80) {
            // The three bytes of a lone surrogate, which only WTF-8 has.
            strOut += static_cast<char16_t>(0xD000 | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F));
            i += 3;
        } else {
            strOut += u'\xFFFD';
            i += cbBad;
        }
    }
    return strOut;
}

std::u16string AnsiToWide(std::string_view strAnsi) {
    return Wtf8ToWide(AnsiToUtf8(strAnsi));
}

std::u16string AnsiToWidePath(std::string_view strAnsiPath) {
    std::u16string strWide = AnsiToWide(strAnsiPath);
    if (strWide.size() < kLongPathFrom || strWide.starts_with(u"\\\\?\\")) {
        return strWide;
    }
    std::u16string strFull = native::GetFullPathNameW(strWide);
    if (strFull.empty()) {
        return strWide;
    }
    if (strFull.size() >= 2 && IsSeparator(strFull[0]) && IsSeparator(strFull[1])) {
        return u"\\\\?\\UNC\\" + strFull.substr(2);
    }
    return u"\\\\?\\" + strFull;
}

bool WideNameToAnsi(std::u16string_view strName, std::string& strOut) {
    return DiskNameToAnsi(WideToWtf8(strName), strOut);
}

std::string WidePathToAnsi(std::u16string_view strPath) {
    if (strPath.starts_with(u"\\\\?\\UNC\\")) {
        return WidePathToAnsi(u"\\\\" + std::u16string(strPath.substr(8)));
    }
    if (strPath.starts_with(u"\\\\?\\")) {
        strPath.remove_prefix(4);
    }
    std::string strOut;
    Utf8ToAnsi(WideToWtf8(strPath), strOut, TextKind::Text);
    return strOut;
}

} // namespace tessaly::win32::detail
