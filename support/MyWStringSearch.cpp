#include <cstdint>

#include "support/MyWString.h"
#include "support/MyWStringInternal.h"
#include "support/SJisConv.h"

using mywstring_detail::WideLen;

int CMyWString::Find(DWORD dwStart, const WCHAR* pwcPattern, DWORD dwPatternLen,
                     BOOL bIgnoreCase) const {
    if (pwcPattern == nullptr) {
        return -1;
    }
    // A length beyond the pattern would compare past its terminator.
    const DWORD dwWholeLen = WideLen(pwcPattern);
    if (dwPatternLen == 0 || dwPatternLen == 0xFFFFFFFF || dwPatternLen > dwWholeLen) {
        dwPatternLen = dwWholeLen;
    }
    return FindIn(dwStart, pwcPattern, dwPatternLen, bIgnoreCase);
}

int CMyWString::FindIn(DWORD dwStart, const WCHAR* pwcPattern, DWORD dwPatternLen,
                       BOOL bIgnoreCase) const {
    if (dwStart >= m_dwStrLen || dwPatternLen == 0 || dwPatternLen > m_dwStrLen - dwStart) {
        return -1;
    }
    const DWORD dwLastPos = m_dwStrLen - dwPatternLen;
    for (DWORD dwPos = dwStart; dwPos <= dwLastPos; ++dwPos) {
        const WCHAR* pwcAt = m_pwcBuff + dwPos;
        DWORD i = 0;
        if (bIgnoreCase) {
            while (i < dwPatternLen && FoldAscii(pwcAt[i]) == FoldAscii(pwcPattern[i])) {
                ++i;
            }
        } else {
            while (i < dwPatternLen && pwcAt[i] == pwcPattern[i]) {
                ++i;
            }
        }
        if (i == dwPatternLen) {
            return static_cast<int>(dwPos);
        }
    }
    return -1;
}

int CMyWString::ReverseFindIn(DWORD dwStart, const WCHAR* pwcPattern, DWORD dwPatternLen,
                              BOOL bIgnoreCase) const {
    int iLast = -1;
    int iPos = FindIn(dwStart, pwcPattern, dwPatternLen, bIgnoreCase);
    while (iPos != -1) {
        iLast = iPos;
        const std::uint64_t qwNext = static_cast<std::uint64_t>(iPos) + dwPatternLen;
        if (qwNext >= m_dwStrLen) {
            break;
        }
        iPos = FindIn(static_cast<DWORD>(qwNext), pwcPattern, dwPatternLen, bIgnoreCase);
    }
    return iLast;
}

int CMyWString::ReverseFind(DWORD dwStart, const WCHAR* pwcPattern, BOOL bIgnoreCase) const {
    if (pwcPattern == nullptr || pwcPattern[0] == 0) {
        return -1;
    }
    return ReverseFindIn(dwStart, pwcPattern, WideLen(pwcPattern), bIgnoreCase);
}

int CMyWString::ReverseFind(DWORD dwStart, const char* pcPattern, BOOL bIgnoreCase) const {
    if (pcPattern == nullptr || pcPattern[0] == 0) {
        return -1;
    }
    WCHAR* pwcPattern = ConvSJisToWideCharSimple(pcPattern);
    if (pwcPattern == nullptr) {
        return -1;
    }
    const int iPos = pwcPattern[0] == 0
                         ? -1
                         : ReverseFindIn(dwStart, pwcPattern, WideLen(pwcPattern), bIgnoreCase);
    delete[] pwcPattern;
    return iPos;
}

int CMyWString::FindOneOf(DWORD dwStart, const char* pcSet) const {
    if (dwStart >= m_dwStrLen || pcSet == nullptr || pcSet[0] == 0) {
        return -1;
    }
    DWORD dwSetLen = 0;
    WCHAR* pwcSet = ConvSJisToWideChar(pcSet, 0, &dwSetLen);
    if (pwcSet == nullptr) {
        return -1;
    }
    int iFound = -1;
    for (DWORD dwPos = dwStart; dwPos < m_dwStrLen && iFound == -1; ++dwPos) {
        for (DWORD i = 0; i < dwSetLen; ++i) {
            if (m_pwcBuff[dwPos] == pwcSet[i]) {
                iFound = static_cast<int>(dwPos);
                break;
            }
        }
    }
    delete[] pwcSet;
    return iFound;
}

int CMyWString::ReverseFindChar(WCHAR wcChar) const {
    for (DWORD dwPos = m_dwStrLen; dwPos > 0; --dwPos) {
        if (m_pwcBuff[dwPos - 1] == wcChar) {
            return static_cast<int>(dwPos - 1);
        }
    }
    return -1;
}

int CMyWString::ReverseFindCharA(char cChar) const {
    return ReverseFindChar(static_cast<WCHAR>(static_cast<unsigned char>(cChar)));
}

int CMyWString::Compare(const WCHAR* pwcStr, BOOL bIgnoreCase) const {
    if (pwcStr == nullptr || m_bError) {
        return -1;
    }
    const WCHAR* pwcOwn = m_pwcBuff != nullptr ? m_pwcBuff : u"";
    for (DWORD i = 0;; ++i) {
        WCHAR wcA = pwcOwn[i];
        WCHAR wcB = pwcStr[i];
        if (bIgnoreCase) {
            wcA = FoldAscii(wcA);
            wcB = FoldAscii(wcB);
        }
        if (wcA != wcB) {
            return wcA < wcB ? -1 : 1;
        }
        if (wcA == 0) {
            return 0;
        }
    }
}

int CMyWString::Compare(const char* pcStr, BOOL bIgnoreCase) const {
    if (pcStr == nullptr || m_bError) {
        return -1;
    }
    WCHAR* pwcStr = ConvSJisToWideCharSimple(pcStr);
    if (pwcStr == nullptr) {
        return -1;
    }
    const int iResult = Compare(pwcStr, bIgnoreCase);
    delete[] pwcStr;
    return iResult;
}
