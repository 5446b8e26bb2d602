#include "platform/framework/core/LargeMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using tessaly::framework::AllocateLarge;
using tessaly::framework::FreeLarge;

constexpr size_t kMiB = 1024 * 1024;

// A large array freed and then asked for again in smaller pieces (the list's text slabs after the
// store's array): every piece is memory of its own, on Linux the pieces are the freed pages, and
// once they are all freed they make up the array again.
TEST(LargeMemoryTest, PiecesOfAFreedArrayNeverOverlapAndJoinAgain) {
    auto* pcArray = static_cast<char*>(AllocateLarge(8 * kMiB));
    std::memset(pcArray, 0x55, 8 * kMiB);
    FreeLarge(pcArray, 8 * kMiB);

    std::vector<char*> vecPieces;
    for (int i = 0; i < 5; ++i) {
        auto* pcPiece = static_cast<char*>(AllocateLarge(2 * kMiB));
        std::memset(pcPiece, 'a' + i, 2 * kMiB);
        vecPieces.push_back(pcPiece);
    }
    for (int i = 0; i < 5; ++i) {
        const char* pcPiece = vecPieces[static_cast<size_t>(i)];
        EXPECT_TRUE(std::all_of(pcPiece, pcPiece + 2 * kMiB, [&](char c) { return c == 'a' + i; }))
            << "piece " << i;
    }
#ifdef __linux__
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(vecPieces[static_cast<size_t>(i)], pcArray + static_cast<size_t>(i) * 2 * kMiB);
    }
#endif
    // Back together, the array's pieces serve its whole size again.
    for (int i = 3; i >= 0; --i) {
        FreeLarge(vecPieces[static_cast<size_t>(i)], 2 * kMiB);
    }
    auto* pcAgain = static_cast<char*>(AllocateLarge(8 * kMiB));
    std::memset(pcAgain, 0x33, 8 * kMiB);
#ifdef __linux__
    EXPECT_EQ(pcAgain, pcArray);
#endif
    EXPECT_TRUE(
        std::all_of(vecPieces[4], vecPieces[4] + 2 * kMiB, [](char c) { return c == 'e'; }));
    FreeLarge(pcAgain, 8 * kMiB);
    FreeLarge(vecPieces[4], 2 * kMiB);
}

} // namespace
