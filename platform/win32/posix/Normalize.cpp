// Composition through utf8proc, as its NFC map does, into buffers of the calling thread's: lookups
// compose names by the thousand, and the map would allocate for each.
#include <utf8proc.h>

#include <vector>

#include "platform/win32/common/CaseFold.h"

namespace tessaly::win32::detail {

bool ComposeNfc(std::string_view strUtf8, std::string& strOut) {
    constexpr utf8proc_option_t kOptions =
        static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE);
    thread_local std::vector<utf8proc_int32_t> t_aBuffer;
    const auto* pIn = reinterpret_cast<const utf8proc_uint8_t*>(strUtf8.data());
    const auto cbIn = static_cast<utf8proc_ssize_t>(strUtf8.size());
    // Decomposition seldom more than doubles a name; a longer one is asked for once more.
    t_aBuffer.resize(2 * strUtf8.size() + 8);
    utf8proc_ssize_t n = utf8proc_decompose(
        pIn, cbIn, t_aBuffer.data(), static_cast<utf8proc_ssize_t>(t_aBuffer.size()), kOptions);
    if (n > static_cast<utf8proc_ssize_t>(t_aBuffer.size())) {
        t_aBuffer.resize(static_cast<std::size_t>(n));
        n = utf8proc_decompose(pIn, cbIn, t_aBuffer.data(), n, kOptions);
    }
    if (n < 0) {
        return false;
    }
    n = utf8proc_normalize_utf32(t_aBuffer.data(), n, kOptions);
    if (n < 0) {
        return false;
    }
    strOut.clear();
    for (utf8proc_ssize_t i = 0; i < n; ++i) {
        utf8proc_uint8_t ac[4];
        const utf8proc_ssize_t cb =
            utf8proc_encode_char(t_aBuffer[static_cast<std::size_t>(i)], ac);
        strOut.append(reinterpret_cast<const char*>(ac), static_cast<std::size_t>(cb));
    }
    return true;
}

} // namespace tessaly::win32::detail
