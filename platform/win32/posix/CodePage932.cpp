// MultiByteToWideChar and WideCharToMultiByte for CP932 and UTF-8: table lookups, one pass that
// either counts or writes.
#include <climits>
#include <cstring>

#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/common/CodePage932Tables.h"
#include "platform/win32/common/Utf8.h"

using namespace tessaly::win32::detail;

namespace {

enum class CodePageKind { Cp932, Utf8, Unknown };

CodePageKind KindOf(UINT uCodePage) {
    switch (uCodePage) {
    case CP_ACP:
    case CP_OEMCP:
    case CP_THREAD_ACP:
    case 932:
        return CodePageKind::Cp932;
    case CP_UTF8:
        return CodePageKind::Utf8;
    default:
        return CodePageKind::Unknown;
    }
}

int Fail(DWORD dwError) {
    SetLastError(dwError);
    return 0;
}

// Collects output units: counts only when there is no buffer, otherwise writes while room lasts.
template <typename T> class COutput {
public:
    COutput(T* pOut, std::size_t cRoom) : m_pOut(pOut), m_cRoom(cRoom) {}
    // False when the buffer is full; nothing of an item that does not fit whole is written.
    bool Put(const T* pItem, std::size_t cItem) {
        if (m_pOut != nullptr) {
            if (m_cRoom - m_cDone < cItem) {
                return false;
            }
            for (std::size_t i = 0; i < cItem; ++i) {
                m_pOut[m_cDone + i] = pItem[i];
            }
        }
        m_cDone += cItem;
        return true;
    }
    bool Put(T item) { return Put(&item, 1); }
    int Count() const { return static_cast<int>(m_cDone); }

private:
    T* m_pOut;
    std::size_t m_cRoom;
    std::size_t m_cDone = 0;
};

bool HasInvalidCp932(const Cp932Tables& tables, const unsigned char* pb, std::size_t cb) {
    for (std::size_t i = 0; i < cb;) {
        std::size_t cbChar;
        if (DecodeCp932(tables, pb + i, cb - i, cbChar) == kNoChar) {
            return true;
        }
        i += cbChar;
    }
    return false;
}

int Cp932ToWide(DWORD dwFlags, const unsigned char* pb, std::size_t cb, LPWSTR pwOut,
                std::size_t cchOut) {
    const Cp932Tables& tables = Cp932();
    // Windows leaves the buffer untouched when it refuses invalid input.
    if ((dwFlags & MB_ERR_INVALID_CHARS) && HasInvalidCp932(tables, pb, cb)) {
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
    // Every character gives one unit: a size query only needs the character boundaries.
    std::size_t cch = 0;
    if (pwOut == nullptr) {
        for (std::size_t i = 0; i < cb; ++cch) {
            i += (tables.aLeadRow[pb[i]] >= 0 && i + 1 < cb && IsCp932Trail(pb[i + 1])) ? 2 : 1;
        }
        return static_cast<int>(cch);
    }
    for (std::size_t i = 0; i < cb; ++cch) {
        if (cch == cchOut) {
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        }
        std::size_t cbChar;
        const char16_t wc = DecodeCp932(tables, pb + i, cb - i, cbChar);
        pwOut[cch] = wc == kNoChar ? kCp932Replacement : wc;
        i += cbChar;
    }
    return static_cast<int>(cch);
}

int Utf8ToWide(DWORD dwFlags, const unsigned char* pb, std::size_t cb, LPWSTR pwOut,
               std::size_t cchOut) {
    COutput<WCHAR> out(pwOut, cchOut);
    bool bInvalid = false;
    for (std::size_t i = 0; i < cb;) {
        char32_t cp;
        std::size_t cbBad = 0;
        const std::size_t cbChar = DecodeUtf8(pb + i, cb - i, cp, cbBad);
        bool bRoom;
        if (cbChar == 0) {
            bInvalid = true;
            bRoom = out.Put(u'\xFFFD');
            i += cbBad;
        } else if (cp >= 0x10000) {
            const WCHAR awPair[2] = {static_cast<WCHAR>(0xD800 + ((cp - 0x10000) >> 10)),
                                     static_cast<WCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
            bRoom = out.Put(awPair, 2);
            i += cbChar;
        } else {
            bRoom = out.Put(static_cast<WCHAR>(cp));
            i += cbChar;
        }
        if (!bRoom) {
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        }
    }
    if (bInvalid && (dwFlags & MB_ERR_INVALID_CHARS)) {
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
    return out.Count();
}

int WideToCp932(const WCHAR* pw, std::size_t cch, LPSTR pcOut, std::size_t cbOut, LPCCH pcDefault,
                LPBOOL pbUsedDefault) {
    const Cp932Tables& tables = Cp932();
    char acDefault[2] = {'?', 0};
    std::size_t cbDefault = 1;
    if (pcDefault != nullptr) {
        acDefault[0] = pcDefault[0];
        if (IsCp932Lead(static_cast<unsigned char>(pcDefault[0])) &&
            IsCp932Trail(static_cast<unsigned char>(pcDefault[1]))) {
            acDefault[1] = pcDefault[1];
            cbDefault = 2;
        }
    }
    bool bUsedDefault = false;
    COutput<char> out(pcOut, cbOut);
    for (std::size_t i = 0; i < cch; ++i) {
        const std::uint16_t wCode = tables.aFromUnicode[pw[i]];
        bool bRoom;
        if (wCode == kNoCode) {
            bUsedDefault = true;
            bRoom = out.Put(acDefault, cbDefault);
        } else if (wCode < 0x100) {
            bRoom = out.Put(static_cast<char>(wCode));
        } else {
            const char acPair[2] = {static_cast<char>(wCode >> 8), static_cast<char>(wCode & 0xFF)};
            bRoom = out.Put(acPair, 2);
        }
        if (!bRoom) {
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        }
    }
    if (pbUsedDefault != nullptr) {
        *pbUsedDefault = bUsedDefault ? TRUE : FALSE;
    }
    return out.Count();
}

int WideToUtf8(DWORD dwFlags, const WCHAR* pw, std::size_t cch, LPSTR pcOut, std::size_t cbOut) {
    COutput<char> out(pcOut, cbOut);
    for (std::size_t i = 0; i < cch; ++i) {
        char32_t cp = pw[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < cch && pw[i + 1] >= 0xDC00 &&
            pw[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (pw[++i] - 0xDC00);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            if (dwFlags & WC_ERR_INVALID_CHARS) {
                return Fail(ERROR_NO_UNICODE_TRANSLATION);
            }
            cp = 0xFFFD;
        }
        char ac[4];
        if (!out.Put(ac, EncodeUtf8(cp, ac))) {
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        }
    }
    return out.Count();
}

std::size_t WideLength(const WCHAR* pw) {
    std::size_t cch = 0;
    while (pw[cch] != 0) {
        ++cch;
    }
    return cch;
}

} // namespace

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    const CodePageKind kind = KindOf(CodePage);
    if (kind == CodePageKind::Unknown || lpMultiByteStr == nullptr || cbMultiByte == 0 ||
        cchWideChar < 0 || (cchWideChar > 0 && lpWideCharStr == nullptr) ||
        (cchWideChar > 0 &&
         static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr))) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const DWORD dwAllowed = kind == CodePageKind::Utf8
                                ? MB_ERR_INVALID_CHARS
                                : (MB_PRECOMPOSED | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS);
    if (dwFlags & ~dwAllowed) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    const std::size_t cb =
        cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
    // Each unit takes at least one byte, so the count fits in an int when the source does.
    if (cb > static_cast<std::size_t>(INT_MAX)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const auto* pb = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    LPWSTR pwOut = cchWideChar > 0 ? lpWideCharStr : nullptr;
    return kind == CodePageKind::Utf8 ? Utf8ToWide(dwFlags, pb, cb, pwOut, cchWideChar)
                                      : Cp932ToWide(dwFlags, pb, cb, pwOut, cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
    const CodePageKind kind = KindOf(CodePage);
    if (kind == CodePageKind::Unknown || lpWideCharStr == nullptr || cchWideChar == 0 ||
        cbMultiByte < 0 || (cbMultiByte > 0 && lpMultiByteStr == nullptr) ||
        (cbMultiByte > 0 &&
         static_cast<const void*>(lpWideCharStr) == static_cast<const void*>(lpMultiByteStr)) ||
        (kind == CodePageKind::Utf8 &&
         (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr))) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const DWORD dwAllowed =
        kind == CodePageKind::Utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    if (dwFlags & ~dwAllowed) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    const std::size_t cch =
        cchWideChar < 0 ? WideLength(lpWideCharStr) + 1 : static_cast<std::size_t>(cchWideChar);
    // A unit gives at most 3 bytes.
    if (cch > static_cast<std::size_t>(INT_MAX / 3)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    LPSTR pcOut = cbMultiByte > 0 ? lpMultiByteStr : nullptr;
    return kind == CodePageKind::Utf8 ? WideToUtf8(dwFlags, lpWideCharStr, cch, pcOut, cbMultiByte)
                                      : WideToCp932(lpWideCharStr, cch, pcOut, cbMultiByte,
                                                    lpDefaultChar, lpUsedDefaultChar);
}

BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
    switch (KindOf(CodePage)) {
    case CodePageKind::Cp932:
        return IsCp932Lead(TestChar) ? TRUE : FALSE;
    case CodePageKind::Utf8:
        return FALSE;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) {
    return IsCp932Lead(TestChar) ? TRUE : FALSE;
}

UINT WINAPI GetACP() {
    return 932;
}
