// The upper-casing the case table is built from: towupper in glibc's C.UTF-8 locale.
#include <locale.h>
#include <wctype.h>

#include "platform/win32/common/CaseFold.h"

namespace tessaly::win32::detail {
namespace {

// Without the C.UTF-8 locale: the letters a file tool meets most (ASCII, Latin-1, Greek,
// Cyrillic, full-width Latin).
char16_t FallbackUpcase(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F) ||
        (c >= 0xFF41 && c <= 0xFF5A)) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c >= 0x450 && c <= 0x45F) {
        return static_cast<char16_t>(c - 0x50);
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if (c == 0x3C2) {
        return 0x3A3;
    }
    return c;
}

} // namespace

SystemUpcaser::SystemUpcaser()
    : m_pState(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {}

SystemUpcaser::~SystemUpcaser() {
    if (m_pState != nullptr) {
        freelocale(static_cast<locale_t>(m_pState));
    }
}

char16_t SystemUpcaser::Upcase(char16_t c) const {
    if (m_pState == nullptr) {
        return FallbackUpcase(c);
    }
    const wint_t w = towupper_l(c, static_cast<locale_t>(m_pState));
    return w <= 0xFFFF ? static_cast<char16_t>(w) : c;
}

} // namespace tessaly::win32::detail
