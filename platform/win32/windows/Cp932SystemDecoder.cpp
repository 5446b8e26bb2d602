// The CP932 decoder the tables are built from: Windows' own code page 932.
#include <cstdio>
#include <cstdlib>

#include "platform/win32/common/CodePage932Tables.h"
#include "platform/win32/windows/Native.h"

namespace tessaly::win32::detail {

namespace {
constexpr std::uint32_t kCp932 = 932;
constexpr std::uint32_t kErrorOnInvalid = 0x00000008; // MB_ERR_INVALID_CHARS
} // namespace

Cp932SystemDecoder::Cp932SystemDecoder() {
    if (!native::IsDBCSLeadByteEx(kCp932, 0x81)) {
        std::fputs("tessaly: the system has no code page 932; its tables cannot be built\n",
                   stderr);
        std::abort();
    }
}

Cp932SystemDecoder::~Cp932SystemDecoder() = default;

char16_t Cp932SystemDecoder::Decode(const unsigned char* pbIn, std::size_t cbIn) const {
    char16_t awcOut[4];
    const int cch =
        native::MultiByteToWideChar(kCp932, kErrorOnInvalid, reinterpret_cast<const char*>(pbIn),
                                    static_cast<int>(cbIn), awcOut, 4);
    if (cch != 1 || (awcOut[0] >= 0xD800 && awcOut[0] <= 0xDFFF)) {
        return kNoChar;
    }
    return awcOut[0];
}

} // namespace tessaly::win32::detail
