// The upper-casing the case table is built from: Windows' invariant locale, as file names compare,
// asked for every unit at once (the surrogates, which have no case, left out).
#include <string>

#include "platform/win32/common/CaseFold.h"
#include "platform/win32/windows/Native.h"

namespace tessaly::win32::detail {
namespace {
constexpr int kSurrogatesFirst = 0xD800;
constexpr int kSurrogatesEnd = 0xE000;
} // namespace

SystemUpcaser::SystemUpcaser() {
    auto* pTable = new std::u16string(0x10000, u'\0');
    for (int i = 0; i < 0x10000; ++i) {
        (*pTable)[static_cast<std::size_t>(i)] = static_cast<char16_t>(i);
    }
    native::UpcaseInvariant(pTable->data(), kSurrogatesFirst);
    native::UpcaseInvariant(pTable->data() + kSurrogatesEnd, 0x10000 - kSurrogatesEnd);
    m_pState = pTable;
}

SystemUpcaser::~SystemUpcaser() {
    delete static_cast<std::u16string*>(m_pState);
}

char16_t SystemUpcaser::Upcase(char16_t c) const {
    return (*static_cast<const std::u16string*>(m_pState))[c];
}

} // namespace tessaly::win32::detail
