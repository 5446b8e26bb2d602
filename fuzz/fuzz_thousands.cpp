// InsertThousandsSeparators on arbitrary text and buffer sizes: no write past the buffer, the
// result is the new length, and only commas were added, between digits.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "support/PathHelpers.h"

namespace {

std::string WithoutCommas(const std::string& str) {
    std::string strOut;
    for (char c : str) {
        if (c != ',') {
            strOut += c;
        }
    }
    return strOut;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QuietTraceForFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    FuzzedDataProvider fdp(pData, nSize);
    const bool bUnlimited = fdp.ConsumeBool();
    const std::size_t nExtra = fdp.ConsumeIntegralInRange<std::size_t>(0, 8);
    std::string strText = fdp.ConsumeRemainingBytesAsString();
    strText.erase(std::remove(strText.begin(), strText.end(), '\0'), strText.end());
    if (strText.size() > 96) {
        strText.resize(96);
    }
    std::size_t nDigits = 0;
    for (char c : strText) {
        nDigits += (c >= '0' && c <= '9') ? 1 : 0;
    }
    // Exactly the room the call may use, so that the sanitizer sees any write beyond it.
    const std::size_t nBuff =
        bUnlimited ? strText.size() + nDigits / 3 + 1 : strText.size() + 1 + nExtra;
    std::vector<char> vecBuff(nBuff);
    std::memcpy(vecBuff.data(), strText.c_str(), strText.size() + 1);

    const DWORD dwLen =
        InsertThousandsSeparators(vecBuff.data(), bUnlimited ? 0 : static_cast<DWORD>(nBuff));
    const std::string strResult(vecBuff.data());
    FUZZ_CHECK(dwLen == strResult.size());
    FUZZ_CHECK(strResult.size() < nBuff);
    FUZZ_CHECK(WithoutCommas(strResult) == WithoutCommas(strText));
    FUZZ_CHECK(strResult.size() - strText.size() <= nDigits / 3);
    // The result is the text with commas put in right after digits: some alignment of the two
    // must exist (the text's own commas make a greedy one ambiguous).
    std::vector<char> vecReach(strText.size() + 1, 0);
    std::vector<char> vecNext(strText.size() + 1, 0);
    vecReach[0] = 1;
    for (std::size_t i = 0; i < strResult.size(); ++i) {
        const bool bInserted =
            strResult[i] == ',' && i > 0 && strResult[i - 1] >= '0' && strResult[i - 1] <= '9';
        std::fill(vecNext.begin(), vecNext.end(), 0);
        for (std::size_t j = 0; j <= strText.size(); ++j) {
            if (vecReach[j] == 0) {
                continue;
            }
            if (j < strText.size() && strText[j] == strResult[i]) {
                vecNext[j + 1] = 1;
            }
            if (bInserted) {
                vecNext[j] = 1;
            }
        }
        vecReach.swap(vecNext);
    }
    FUZZ_CHECK(vecReach[strText.size()] != 0);
    return 0;
}
