// Which Win32 the tests run against: the POSIX stand-in, Windows' own API, or Windows' API as Wine
// implements it. A case that states what only one of them does says so and skips elsewhere.
#pragma once

#include <cstdlib>

namespace tessaly::test {

constexpr bool kOnWindows =
#ifdef _WIN32
    true;
#else
    false;
#endif

// Wine gives every process it starts its configuration folder in the environment.
inline bool UnderWine() {
    return kOnWindows && std::getenv("WINECONFIGDIR") != nullptr;
}

} // namespace tessaly::test

// Skips the rest of a test on Windows' own API: it states what only the stand-in does.
#define TESSALY_STAND_IN_ONLY(reason)                                                              \
    do {                                                                                           \
        if (::tessaly::test::kOnWindows) {                                                         \
            GTEST_SKIP() << "the stand-in's own: " << reason;                                      \
        }                                                                                          \
    } while (false)
// Skips the rest of a test under Wine, where Wine is known to differ from Windows.
#define TESSALY_NOT_UNDER_WINE(reason)                                                             \
    do {                                                                                           \
        if (::tessaly::test::UnderWine()) {                                                        \
            GTEST_SKIP() << "Wine differs from Windows: " << reason;                               \
        }                                                                                          \
    } while (false)
