#include "platform/win32/windows/WidePath.h"

#include "platform/win32/NameCodec.h"
#include "platform/win32/windows/Native.h"

namespace tessaly::win32::detail {
namespace {

constexpr std::size_t kLongPathFrom = 248;

void AppendWtf8(char32_t c, std::string& strOut) {
    if (c < 0x80) {
        strOut += static_cast<char>(c);
    } else if (c < 0x800) {
        strOut += static_cast<char>(0xC0 | (c >> 6));
        strOut += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        strOut += static_cast<char>(0xE0 | (c >> 12));
        strOut += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        strOut += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        strOut += static_cast<char>(0xF0 | (c >> 18));
        strOut += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        strOut += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        strOut += static_cast<char>(0x80 | (c & 0x3F));
    }
}

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
        AppendWtf8(c, strOut);
    }
    return strOut;
}

std::u16string Wtf8ToWide(std::string_view strWtf8) {
    std::u16string strOut;
    strOut.reserve(strWtf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(strWtf8.data());
    const std::size_t n = strWtf8.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned b0 = p[i];
        std::size_t cbMore = 0;
        char32_t c = b0;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            cbMore = 1;
            c = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            cbMore = 2;
            c = b0 & 0x0F;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            cbMore = 3;
            c = b0 & 0x07;
        } else if (b0 >= 0x80) {
            strOut += u'\xFFFD';
            ++i;
            continue;
        }
        bool bValid = i + cbMore < n || cbMore == 0;
        for (std::size_t k = 1; bValid && k <= cbMore; ++k) {
            bValid = (p[i + k] & 0xC0) == 0x80;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        const char32_t cMin = cbMore == 1 ? 0x80 : cbMore == 2 ? 0x800 : 0x10000;
        if (!bValid || (cbMore > 0 && (c < cMin || c > 0x10FFFF))) {
            strOut += u'\xFFFD';
            ++i;
            continue;
        }
        AppendUtf16(c, strOut);
        i += cbMore + 1;
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
