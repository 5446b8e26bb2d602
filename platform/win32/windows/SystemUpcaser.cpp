// The upper-casing the case table is built from: Windows' invariant locale, as file names compare.
#include "platform/win32/common/CaseFold.h"
#include "platform/win32/windows/Native.h"

namespace tessaly::win32::detail {

SystemUpcaser::SystemUpcaser() = default;
SystemUpcaser::~SystemUpcaser() = default;

char16_t SystemUpcaser::Upcase(char16_t c) const {
    char16_t wc = c;
    native::UpcaseInvariant(&wc, 1);
    return wc;
}

} // namespace tessaly::win32::detail
