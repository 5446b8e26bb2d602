// The CP932 decoder the tables are built from: glibc's iconv.
#include <iconv.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/common/CodePage932Tables.h"

namespace tessaly::win32::detail {

Cp932SystemDecoder::Cp932SystemDecoder() : m_pState(iconv_open("UTF-16LE", "CP932")) {
    if (m_pState == reinterpret_cast<void*>(static_cast<std::intptr_t>(-1))) {
        std::fputs("tessaly: iconv has no CP932; the code page 932 tables cannot be built\n",
                   stderr);
        std::abort();
    }
}

Cp932SystemDecoder::~Cp932SystemDecoder() {
    iconv_close(static_cast<iconv_t>(m_pState));
}

char16_t Cp932SystemDecoder::Decode(const unsigned char* pbIn, std::size_t cbIn) const {
    const auto cd = static_cast<iconv_t>(m_pState);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    unsigned char abIn[2] = {pbIn[0], cbIn > 1 ? pbIn[1] : static_cast<unsigned char>(0)};
    unsigned char abOut[8];
    char* pcIn = reinterpret_cast<char*>(abIn);
    char* pcOut = reinterpret_cast<char*>(abOut);
    std::size_t cbLeft = cbIn;
    std::size_t cbRoom = sizeof abOut;
    if (iconv(cd, &pcIn, &cbLeft, &pcOut, &cbRoom) == static_cast<std::size_t>(-1) || cbLeft != 0 ||
        sizeof abOut - cbRoom != 2) {
        return kNoChar;
    }
    const char16_t wc = static_cast<char16_t>(abOut[0] | (abOut[1] << 8));
    return (wc >= 0xD800 && wc <= 0xDFFF) ? kNoChar : wc;
}

} // namespace tessaly::win32::detail
