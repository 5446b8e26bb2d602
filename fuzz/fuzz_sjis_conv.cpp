// Shift-JIS <-> UTF-16 conversions on arbitrary bytes: no crash, every result terminated with the
// length it reports, the piecewise conversion equal to the whole one, and a converted text stable
// over a round trip through Shift-JIS.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "support/SJisConv.h"

namespace {

DWORD WideLen(const WCHAR* pwcStr) {
    return static_cast<DWORD>(std::char_traits<WCHAR>::length(pwcStr));
}

void CheckWideToSJis(const WCHAR* pwcSrc, DWORD dwSrcLen) {
    DWORD dwLen = 0xFFFFFFFF;
    char* pcSJis = ConvWideCharToSJis(pwcSrc, dwSrcLen, &dwLen);
    if (pcSJis == nullptr) {
        FUZZ_CHECK(dwLen == 0);
        return;
    }
    FUZZ_CHECK(dwLen != 0 && std::strlen(pcSJis) == dwLen);
    delete[] pcSJis;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QuietTraceForFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize < 1 || nSize > 4096) {
        return 0;
    }
    // The first byte picks the temporary size of the piecewise conversion (10 or less: 10000).
    const DWORD dwTempSize = pData[0];
    std::string strSrc;
    for (std::size_t i = 1; i < nSize; ++i) {
        if (pData[i] != 0) {
            strSrc += static_cast<char>(pData[i]);
        }
    }
    const char* pcSrc = strSrc.c_str();
    const DWORD dwSrcLen = static_cast<DWORD>(strSrc.size());

    DWORD dwWholeLen = 0xFFFFFFFF;
    WCHAR* pwcWhole = ConvSJisToWideChar(pcSrc, 0, &dwWholeLen);
    if (pwcWhole != nullptr) {
        FUZZ_CHECK(dwWholeLen != 0 && WideLen(pwcWhole) == dwWholeLen);
        FUZZ_CHECK(dwWholeLen <= dwSrcLen);
        FUZZ_CHECK(GetWideCharLen(pcSrc, dwSrcLen) == dwWholeLen);
    } else {
        FUZZ_CHECK(dwWholeLen == 0);
        FUZZ_CHECK(dwSrcLen == 0 || IsEndingInSJisLeadByte(pcSrc, dwSrcLen));
    }

    std::vector<WCHAR> vecPieces(dwSrcLen + 2, 0x5555);
    DWORD dwPiecesLen = 0xFFFFFFFF;
    const BOOL bPieces =
        ConvSJisToWideCharGetLen(vecPieces.data(), pcSrc, static_cast<DWORD>(vecPieces.size()),
                                 0x7FFFFFFF, dwTempSize, &dwPiecesLen);
    FUZZ_CHECK(bPieces);
    FUZZ_CHECK(dwPiecesLen < vecPieces.size() && vecPieces[dwPiecesLen] == 0);
    FUZZ_CHECK(WideLen(vecPieces.data()) == dwPiecesLen);
    // Bytes 0xF6-0xFC start a character for the code page but not for the program's own test, so
    // the two walks may disagree about a lead byte at the very end; elsewhere they agree.
    bool bTablesAgree = true;
    for (char c : strSrc) {
        const auto by = static_cast<unsigned char>(c);
        bTablesAgree = bTablesAgree && !(by >= 0xF6 && by <= 0xFC);
    }
    if (pwcWhole != nullptr && bTablesAgree) {
        FUZZ_CHECK(dwPiecesLen == dwWholeLen);
        FUZZ_CHECK(std::memcmp(vecPieces.data(), pwcWhole, dwWholeLen * sizeof(WCHAR)) == 0);
    }

    if (pwcWhole != nullptr) {
        // Every character that came from CP932 goes back into it, and comes out the same again.
        DWORD dwSJisLen = 0;
        char* pcSJis = ConvWideCharToSJis(pwcWhole, dwWholeLen, &dwSJisLen);
        FUZZ_CHECK(pcSJis != nullptr && std::strlen(pcSJis) == dwSJisLen);
        // Read back without the end test: CP932 writes the user-defined characters of leads
        // 0xF6-0xF9, whose trail byte the program's own test may take for a lead byte.
        WCHAR* pwcAgain = ConvSJisToWideCharSimple(pcSJis);
        FUZZ_CHECK(pwcAgain != nullptr && WideLen(pwcAgain) == dwWholeLen);
        FUZZ_CHECK(std::memcmp(pwcAgain, pwcWhole, dwWholeLen * sizeof(WCHAR)) == 0);
        delete[] pwcAgain;
        delete[] pcSJis;
        CheckWideToSJis(pwcWhole, 0);
        delete[] pwcWhole;
    }

    // The same bytes read as UTF-16 (lone surrogates and all) into Shift-JIS.
    std::vector<WCHAR> vecWide;
    for (std::size_t i = 1; i + 1 < nSize; i += 2) {
        const WCHAR wc = static_cast<WCHAR>(pData[i] | (pData[i + 1] << 8));
        if (wc != 0) {
            vecWide.push_back(wc);
        }
    }
    vecWide.push_back(0);
    CheckWideToSJis(vecWide.data(), 0);
    if (vecWide.size() > 2) {
        CheckWideToSJis(vecWide.data(), static_cast<DWORD>(vecWide.size() / 2));
    }

    const int iBackslash = ReverseFindByteSJis(pcSrc, '\\');
    FUZZ_CHECK(iBackslash == -1 ||
               (iBackslash < static_cast<int>(dwSrcLen) && pcSrc[iBackslash] == '\\'));
    const DWORD dwOffset = dwSrcLen == 0 ? 0 : pData[0] % (dwSrcLen + 1);
    FUZZ_CHECK(GetWideCharLenAt(pcSrc, dwOffset) <= dwSrcLen - dwOffset);
    WCHAR* pwcSimple = ConvSJisToWideCharSimple(pcSrc);
    if (pwcSimple != nullptr) {
        FUZZ_CHECK(WideLen(pwcSimple) == GetWideCharLen(pcSrc, dwSrcLen));
        delete[] pwcSimple;
    }
    return 0;
}
