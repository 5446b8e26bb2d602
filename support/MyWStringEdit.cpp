#include <cstdint>
#include <cstring>

#include "support/MyWString.h"
#include "support/MyWStringInternal.h"

using mywstring_detail::AllocBuff;
using mywstring_detail::CSourceCopy;
using mywstring_detail::WideLen;
using mywstring_detail::WriteTrace;

BOOL CMyWString::Insert(DWORD dwPos, const WCHAR* pwcStr, DWORD dwCount) {
    if (m_bError || pwcStr == nullptr) {
        return FALSE;
    }
    const DWORD dwTextLen = WideLen(pwcStr);
    if (dwCount == 0 || dwCount > dwTextLen) {
        dwCount = dwTextLen;
    }
    if (dwCount == 0) {
        return TRUE;
    }
    if (dwCount >= 0x7FFFFFFF) {
        return FALSE;
    }
    if (dwPos >= m_dwStrLen) {
        return AppendRange(pwcStr, dwCount, FALSE);
    }
    DWORD dwNewLen;
    if (static_cast<std::uint64_t>(m_dwStrLen) + dwCount >= 0x7FFFFFFF) {
        dwNewLen = kMaxInsertLen;
        dwCount = kMaxInsertLen - m_dwStrLen;
    } else {
        dwNewLen = m_dwStrLen + dwCount;
    }
    CSourceCopy src(pwcStr, dwCount, m_pwcBuff, m_dwBuffSize);
    if (src.Get() == nullptr) {
        return FALSE;
    }
    if (m_dwBuffSize > dwNewLen) {
        std::memmove(m_pwcBuff + dwPos + dwCount, m_pwcBuff + dwPos,
                     (m_dwStrLen - dwPos) * sizeof(WCHAR));
        std::memcpy(m_pwcBuff + dwPos, src.Get(), dwCount * sizeof(WCHAR));
    } else {
        std::uint64_t qwNewSize = static_cast<std::uint64_t>(dwNewLen) + kInsertSlack;
        if (qwNewSize > kMaxBuffSize) {
            qwNewSize = kMaxBuffSize;
        }
        const DWORD dwNewSize = static_cast<DWORD>(qwNewSize);
        WCHAR* pwcNew = AllocBuff(dwNewSize, false);
        if (pwcNew == nullptr) {
            WriteTrace("※　バッファ確保に失敗。CMyWString::Insert()\n"
                       "\tCurStrSize[%u], NewStrSize[%u], NewBuffSize[%u]\n",
                       m_dwStrLen, dwNewLen, dwNewSize);
            return FALSE;
        }
        std::memcpy(pwcNew, m_pwcBuff, dwPos * sizeof(WCHAR));
        std::memcpy(pwcNew + dwPos, src.Get(), dwCount * sizeof(WCHAR));
        std::memcpy(pwcNew + dwPos + dwCount, m_pwcBuff + dwPos,
                    (m_dwStrLen - dwPos) * sizeof(WCHAR));
        FreeBuff();
        m_pwcBuff = pwcNew;
        m_dwBuffSize = dwNewSize;
        m_bError = FALSE;
    }
    m_dwStrLen = dwNewLen;
    m_pwcBuff[m_dwStrLen] = 0;
    return TRUE;
}

BOOL CMyWString::Delete(DWORD dwPos, DWORD dwCount) {
    if (dwPos >= m_dwStrLen) {
        return FALSE;
    }
    if (dwCount == 0) {
        return TRUE;
    }
    if (dwCount >= m_dwStrLen - dwPos) {
        m_dwStrLen = dwPos;
    } else {
        std::memmove(m_pwcBuff + dwPos, m_pwcBuff + dwPos + dwCount,
                     (m_dwStrLen - dwPos - dwCount) * sizeof(WCHAR));
        m_dwStrLen -= dwCount;
    }
    m_pwcBuff[m_dwStrLen] = 0;
    return TRUE;
}

BOOL CMyWString::KeepSector(DWORD dwFirst, DWORD dwLast) {
    if (m_dwStrLen == 0) {
        return FALSE;
    }
    if (dwLast < dwFirst) {
        const DWORD dwSwap = dwFirst;
        dwFirst = dwLast;
        dwLast = dwSwap;
    }
    if (dwFirst >= m_dwStrLen) {
        return FALSE;
    }
    if (dwLast >= m_dwStrLen) {
        dwLast = m_dwStrLen - 1;
    }
    m_dwStrLen = dwLast - dwFirst + 1;
    std::memmove(m_pwcBuff, m_pwcBuff + dwFirst, m_dwStrLen * sizeof(WCHAR));
    m_pwcBuff[m_dwStrLen] = 0;
    return TRUE;
}

BOOL CMyWString::Replace(DWORD dwPos, DWORD dwOldLen, const WCHAR* pwcNewStr, DWORD dwNewLen) {
    if (m_dwStrLen == 0) {
        if (pwcNewStr == nullptr || pwcNewStr[0] == 0) {
            Empty();
            return TRUE;
        }
        const CMyWString strNew(pwcNewStr, dwNewLen);
        *this = strNew;
        return m_dwStrLen == strNew.m_dwStrLen ? TRUE : FALSE;
    }
    if (dwPos >= m_dwStrLen) {
        return FALSE;
    }
    if (dwOldLen > m_dwStrLen - dwPos) {
        dwOldLen = m_dwStrLen - dwPos;
    }
    if (pwcNewStr == nullptr || pwcNewStr[0] == 0) {
        return Delete(dwPos, dwOldLen);
    }
    // A length beyond the new text would read past its terminator.
    const DWORD dwTextLen = WideLen(pwcNewStr);
    if (dwNewLen == 0 || dwNewLen == 0xFFFFFFFF || dwNewLen > dwTextLen) {
        dwNewLen = dwTextLen;
    }
    CSourceCopy src(pwcNewStr, dwNewLen, m_pwcBuff, m_dwBuffSize);
    if (src.Get() == nullptr) {
        return FALSE;
    }
    const DWORD dwTail = m_dwStrLen - dwPos - dwOldLen;
    if (dwNewLen <= dwOldLen) {
        std::memcpy(m_pwcBuff + dwPos, src.Get(), dwNewLen * sizeof(WCHAR));
        if (dwNewLen < dwOldLen) {
            std::memmove(m_pwcBuff + dwPos + dwNewLen, m_pwcBuff + dwPos + dwOldLen,
                         dwTail * sizeof(WCHAR));
            m_dwStrLen -= dwOldLen - dwNewLen;
            m_pwcBuff[m_dwStrLen] = 0;
        }
        return TRUE;
    }
    const DWORD dwGrowth = dwNewLen - dwOldLen;
    if (m_dwBuffSize - m_dwStrLen - 1 >= dwGrowth) {
        std::memmove(m_pwcBuff + dwPos + dwNewLen, m_pwcBuff + dwPos + dwOldLen,
                     dwTail * sizeof(WCHAR));
        std::memcpy(m_pwcBuff + dwPos, src.Get(), dwNewLen * sizeof(WCHAR));
        m_dwStrLen += dwGrowth;
        m_pwcBuff[m_dwStrLen] = 0;
        return TRUE;
    }
    const std::uint64_t qwEstStrLen = static_cast<std::uint64_t>(m_dwStrLen) + dwGrowth;
    const DWORD dwEstStrLen = static_cast<DWORD>(qwEstStrLen);
    DWORD dwNewBuffSize = 0xFFFFFFFF;
    if (qwEstStrLen <= 0x3FFFFFFF) {
        dwNewBuffSize = CalcNewBuffSize(m_dwBuffSize, dwEstStrLen + 1, kMaxBuffSize);
    }
    if (dwNewBuffSize == 0xFFFFFFFF) {
        WriteTrace("※　置換後の文字列長が大きすぎます。CMyWString::Replace()\n"
                   "\tdwEstStrLen[%u]\n",
                   dwEstStrLen);
        return FALSE;
    }
    if (!ResizeBuffAndMoveSector(dwNewBuffSize, dwPos, dwPos + dwOldLen, dwPos + dwNewLen,
                                 dwTail)) {
        WriteTrace("※　置換時のバッファ拡張に失敗。CMyWString::Replace()\n"
                   "\tdwNewBuffSize[%u]\n",
                   dwNewBuffSize);
        return FALSE;
    }
    std::memcpy(m_pwcBuff + dwPos, src.Get(), dwNewLen * sizeof(WCHAR));
    m_dwStrLen = dwEstStrLen;
    m_pwcBuff[m_dwStrLen] = 0;
    return TRUE;
}

BOOL CMyWString::ResizeBuffAndMoveSector(DWORD dwNewBuffSize, DWORD dwHeadLen, DWORD dwSrcPos,
                                         DWORD dwDestPos, DWORD dwMoveCount) {
    // Ranges outside either buffer are refused rather than read or written.
    if (dwHeadLen >= dwNewBuffSize ||
        static_cast<std::uint64_t>(dwDestPos) + dwMoveCount >= dwNewBuffSize ||
        static_cast<std::uint64_t>(dwSrcPos) + dwMoveCount > m_dwStrLen) {
        return FALSE;
    }
    WCHAR* pwcNew = AllocBuff(dwNewBuffSize, false);
    if (pwcNew == nullptr) {
        WriteTrace("※　バッファの確保に失敗しました。CMyWString::ResizeBuffAndMoveSector()\n"
                   "\tNewBuffSize[%u] , CurBuffSize[%u], CurStrLen[%u]\n",
                   dwNewBuffSize, m_dwBuffSize, m_dwStrLen);
        return FALSE;
    }
    DWORD dwCopied = 0;
    if (m_pwcBuff != nullptr) {
        while (dwCopied < dwHeadLen && m_pwcBuff[dwCopied] != 0) {
            pwcNew[dwCopied] = m_pwcBuff[dwCopied];
            ++dwCopied;
        }
    }
    for (; dwCopied <= dwHeadLen; ++dwCopied) {
        pwcNew[dwCopied] = 0;
    }
    if (dwMoveCount != 0) {
        std::memcpy(pwcNew + dwDestPos, m_pwcBuff + dwSrcPos, dwMoveCount * sizeof(WCHAR));
    }
    const DWORD dwLen = m_dwStrLen;
    FreeBuff();
    m_pwcBuff = pwcNew;
    m_dwBuffSize = dwNewBuffSize;
    m_dwStrLen = dwLen;
    return TRUE;
}

DWORD CMyWString::ReplaceAll(DWORD dwStart, const WCHAR* pwcPattern, DWORD dwPatternLen,
                             const WCHAR* pwcReplace, DWORD dwReplaceLen, BOOL bIgnoreCase) {
    if (pwcPattern == nullptr || dwStart >= m_dwStrLen) {
        return 0;
    }
    const DWORD dwWholeLen = WideLen(pwcPattern);
    if (dwPatternLen == 0 || dwPatternLen == 0xFFFFFFFF || dwPatternLen > dwWholeLen) {
        dwPatternLen = dwWholeLen;
    }
    if (dwPatternLen == 0 || dwPatternLen > m_dwStrLen - dwStart) {
        return 0;
    }
    // Copies of both, since either may lie in this string's buffer, which the replacing changes.
    const CMyWString strPattern(pwcPattern, dwPatternLen);
    const CMyWString strReplace(pwcReplace != nullptr ? pwcReplace : u"", dwReplaceLen);
    if (strPattern.m_pwcBuff == nullptr || strReplace.m_pwcBuff == nullptr) {
        return 0;
    }
    DWORD dwCount = 0;
    int iPos = FindIn(dwStart, strPattern.m_pwcBuff, dwPatternLen, bIgnoreCase);
    while (iPos != -1) {
        const BOOL bDone = Replace(static_cast<DWORD>(iPos), dwPatternLen, strReplace.m_pwcBuff,
                                   strReplace.m_dwStrLen);
        if (bDone) {
            ++dwCount;
        } else if (strReplace.m_dwStrLen == 0) {
            break; // the same hit would be found again
        }
        const std::uint64_t qwNext = static_cast<std::uint64_t>(iPos) + strReplace.m_dwStrLen;
        if (qwNext >= m_dwStrLen) {
            break;
        }
        iPos = FindIn(static_cast<DWORD>(qwNext), strPattern.m_pwcBuff, dwPatternLen, bIgnoreCase);
    }
    return dwCount;
}
