#include "support/MyWString.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <new>
#include <string>

#include "platform/win32/Win32.h"
#include "support/AnsiText.h"
#include "support/MyWStringInternal.h"
#include "support/SJisConv.h"
#include "support/TraceLog.h"

using mywstring_detail::AllocBuff;
using mywstring_detail::WideLen;
using mywstring_detail::WriteTrace;

namespace mywstring_detail {

void WriteTrace(const char* pcFormatUtf8, ...) {
    const CString strFormat = AnsiFromUtf8(pcFormatUtf8);
    CString strText;
    va_list args;
    va_start(args, pcFormatUtf8);
    strText.FormatV(strFormat, args);
    va_end(args);
    WriteTraceText(strText);
}

} // namespace mywstring_detail

CMyWString::CMyWString()
    : m_pwcBuff(AllocBuff(kInitialBuffSize, true)), m_dwBuffSize(0), m_dwStrLen(0),
      m_bError(FALSE) {
    if (m_pwcBuff != nullptr) {
        m_dwBuffSize = kInitialBuffSize;
    } else {
        m_bError = TRUE;
    }
}

CMyWString::CMyWString(const char* pcStr)
    : m_pwcBuff(nullptr), m_dwBuffSize(0), m_dwStrLen(0), m_bError(FALSE) {
    DWORD dwInputStrLen = 0;
    DWORD dwNeedBuffSize = 0;
    if (pcStr != nullptr) {
        const std::size_t nLen = std::strlen(pcStr);
        dwInputStrLen = nLen > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(nLen);
        dwNeedBuffSize = GetWideCharLen(pcStr, dwInputStrLen);
        if (dwNeedBuffSize > 0x3FFFFFFF) {
            // Cut so that a double-byte character is never split at the end.
            dwInputStrLen =
                IsSJisLeadByte(static_cast<BYTE>(pcStr[0x1FFFFFFE])) ? 0x20000000 : 0x1FFFFFFF;
            dwNeedBuffSize = GetWideCharLen(pcStr, dwInputStrLen);
        }
    }
    dwNeedBuffSize += 1;
    if (dwNeedBuffSize < kInitialBuffSize) {
        dwNeedBuffSize = kInitialBuffSize;
    }
    m_pwcBuff = AllocBuff(dwNeedBuffSize, false);
    if (m_pwcBuff == nullptr) {
        m_bError = TRUE;
        WriteTrace("※　バッファ確保に失敗。CMyWString::CMyWString(const char *pcStr)\n"
                   "\tNeedBuffSize[%u], InputStrLen[%u]\n",
                   dwNeedBuffSize, dwInputStrLen);
        return;
    }
    m_pwcBuff[0] = 0;
    m_dwBuffSize = dwNeedBuffSize;
    DWORD dwConvLen = 0;
    if (ConvSJisToWideCharGetLen(m_pwcBuff, pcStr, dwNeedBuffSize, dwInputStrLen, kSJisChunkSize,
                                 &dwConvLen) &&
        dwConvLen < m_dwBuffSize) {
        m_dwStrLen = dwConvLen;
        m_pwcBuff[m_dwStrLen] = 0;
    } else {
        m_pwcBuff[0] = 0;
        m_dwStrLen = 0;
        WriteTrace("※　ワイド文字への変換に失敗。CMyWString::CMyWString(const char *pcStr)\n"
                   "\tNeedBuffSize[%u], InputStrLen[%u]\n",
                   dwNeedBuffSize, dwInputStrLen);
    }
}

BOOL CMyWString::ConvertInto(const char* pcStr, std::vector<WCHAR>& vecBuff, DWORD* pdwLen) {
    *pdwLen = 0;
    const std::size_t nLen = pcStr != nullptr ? std::strlen(pcStr) : 0;
    if (nLen > 0x1FFFFFFF) {
        return FALSE; // the constructor's own cut is not worth repeating for such a text
    }
    const DWORD dwInputStrLen = static_cast<DWORD>(nLen);
    // CP932's single bytes below 0x80 are their own code points: such a text is only widened.
    bool bAscii = true;
    for (std::size_t i = 0; i < nLen && bAscii; ++i) {
        bAscii = static_cast<unsigned char>(pcStr[i]) < 0x80;
    }
    if (bAscii) {
        try {
            if (vecBuff.size() < std::max<std::size_t>(nLen + 1, kInitialBuffSize)) {
                vecBuff.resize(std::max<std::size_t>(nLen + 1, kInitialBuffSize));
            }
        } catch (const std::bad_alloc&) {
            return FALSE;
        }
        for (std::size_t i = 0; i < nLen; ++i) {
            vecBuff[i] = static_cast<WCHAR>(static_cast<unsigned char>(pcStr[i]));
        }
        vecBuff[nLen] = 0;
        *pdwLen = dwInputStrLen;
        return TRUE;
    }
    DWORD dwNeedBuffSize = (nLen > 0 ? GetWideCharLen(pcStr, dwInputStrLen) : 0) + 1;
    // The room the constructor gives, so that the conversion ends where it ends there.
    if (dwNeedBuffSize < kInitialBuffSize) {
        dwNeedBuffSize = kInitialBuffSize;
    }
    try {
        if (vecBuff.size() < dwNeedBuffSize) {
            vecBuff.resize(dwNeedBuffSize);
        }
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    vecBuff[0] = 0;
    DWORD dwConvLen = 0;
    if (nLen > 0 &&
        ConvSJisToWideCharGetLen(vecBuff.data(), pcStr, dwNeedBuffSize, dwInputStrLen,
                                 kSJisChunkSize, &dwConvLen) &&
        dwConvLen < dwNeedBuffSize) {
        *pdwLen = dwConvLen;
    }
    vecBuff[*pdwLen] = 0;
    return TRUE;
}

CMyWString::CMyWString(const WCHAR* pwcStr, DWORD dwCount)
    : m_pwcBuff(nullptr), m_dwBuffSize(0), m_dwStrLen(0), m_bError(FALSE) {
    DWORD dwLen = pwcStr != nullptr ? WideLen(pwcStr) : 0;
    if (dwCount != 0 && dwCount != 0xFFFFFFFF && dwCount <= dwLen) {
        dwLen = dwCount;
    }
    if (dwLen > kMaxInsertLen) {
        dwLen = kMaxInsertLen;
    }
    DWORD dwBuffSize = dwLen + 1;
    if (dwBuffSize < kInitialBuffSize) {
        dwBuffSize = kInitialBuffSize;
    }
    m_pwcBuff = AllocBuff(dwBuffSize, true);
    if (m_pwcBuff == nullptr) {
        m_bError = TRUE;
        return;
    }
    m_dwBuffSize = dwBuffSize;
    if (dwLen != 0) {
        std::memcpy(m_pwcBuff, pwcStr, dwLen * sizeof(WCHAR));
    }
    m_dwStrLen = dwLen;
}

CMyWString::CMyWString(const CMyWString& strSrc)
    : CMyWString(strSrc.m_pwcBuff, strSrc.m_dwStrLen) {}

CMyWString::~CMyWString() {
    FreeBuff();
}

void CMyWString::FreeBuff() {
    delete[] m_pwcBuff;
    m_pwcBuff = nullptr;
    m_dwBuffSize = 0;
    m_dwStrLen = 0;
}

DWORD CMyWString::CalcNewBuffSize(DWORD dwCurSize, DWORD dwNeedSize, DWORD dwLimit) {
    std::uint64_t qwNewSize;
    if (dwNeedSize < 250000000) {
        const double dFactor = dwNeedSize < 5000000 ? 4.0 : 1.5;
        if (dwCurSize == 0) {
            qwNewSize = static_cast<std::uint64_t>(static_cast<double>(dwNeedSize) * dFactor);
        } else {
            // Same order as the original arithmetic, so its rounding (2002 -> 8007) is kept.
            const double dCur = static_cast<double>(dwCurSize);
            qwNewSize = static_cast<std::uint64_t>(dCur * (static_cast<double>(dwNeedSize) / dCur) *
                                                   dFactor);
        }
    } else {
        qwNewSize = static_cast<std::uint64_t>(dwNeedSize) + 64000000;
        if (qwNewSize >= 0x3FC00000) {
            return 0xFFFFFFFF;
        }
    }
    if (qwNewSize > dwLimit) {
        qwNewSize = dwLimit;
    }
    return static_cast<DWORD>(qwNewSize);
}

CMyWString& CMyWString::operator=(const WCHAR* pwcStr) {
    if (pwcStr == nullptr || pwcStr[0] == 0) {
        Empty();
        return *this;
    }
    const std::uint64_t qwNeed = static_cast<std::uint64_t>(WideLen(pwcStr)) + 1;
    if (qwNeed > kMaxBuffSize) {
        m_bError = TRUE;
        WriteTrace("※　期待バッファサイズが大きすぎます。CMyWString::operator=()\n"
                   "\tNewStrLen[%d]\n",
                   static_cast<int>(qwNeed));
        return *this;
    }
    const DWORD dwNeed = static_cast<DWORD>(qwNeed);
    if (m_dwBuffSize < dwNeed) {
        const DWORD dwNewSize = CalcNewBuffSize(m_dwBuffSize, dwNeed, kMaxBuffSize);
        if (dwNewSize == 0xFFFFFFFF) {
            m_bError = TRUE;
            WriteTrace("※　期待バッファサイズが大きすぎます。CMyWString::operator=()\n"
                       "\tNewBuffSize[%d]\n",
                       static_cast<int>(dwNeed));
            return *this;
        }
        // The source cannot lie in the old buffer here: it is longer than that buffer holds.
        WCHAR* pwcNew = AllocBuff(dwNewSize, false);
        FreeBuff();
        if (pwcNew == nullptr) {
            m_bError = TRUE;
            WriteTrace("※　バッファ確保に失敗。CMyWString::operator=()\n\tNewBuffSize[%u]\n",
                       dwNewSize);
            return *this;
        }
        m_pwcBuff = pwcNew;
        m_dwBuffSize = dwNewSize;
    }
    std::memmove(m_pwcBuff, pwcStr, (dwNeed - 1) * sizeof(WCHAR));
    m_dwStrLen = dwNeed - 1;
    m_pwcBuff[m_dwStrLen] = 0;
    return *this;
}

CMyWString& CMyWString::operator=(const CMyWString& strSrc) {
    if (this != &strSrc) {
        *this = strSrc.m_pwcBuff;
    }
    return *this;
}

CMyWString& CMyWString::operator=(const char* pcStr) {
    if (pcStr == nullptr) {
        return *this;
    }
    // One byte never gives more than one UTF-16 unit in CP932.
    const std::size_t nTempSize = std::strlen(pcStr) + 1;
    WCHAR* pwcTemp = AllocBuff(nTempSize, false);
    if (pwcTemp == nullptr) {
        m_bError = TRUE;
        WriteTrace("※　バッファの確保に失敗。CMyWString::operator=(const char *pcStr)\n"
                   "\tNewBuffSize[%u]\n",
                   static_cast<DWORD>(nTempSize));
        return *this;
    }
    pwcTemp[0] = 0;
    ConvSJisToWideCharInto(pwcTemp, pcStr);
    *this = pwcTemp;
    delete[] pwcTemp;
    return *this;
}

BOOL CMyWString::SetData(const WCHAR* pwcStr, DWORD dwCount) {
    if (pwcStr == nullptr) {
        return FALSE;
    }
    if (dwCount == 0 || dwCount == 0xFFFFFFFF) {
        dwCount = WideLen(pwcStr);
    }
    if (dwCount == 0 || pwcStr[0] == 0) {
        Empty();
        return TRUE;
    }
    if (dwCount >= m_dwBuffSize) {
        const std::uint64_t qwSize = static_cast<std::uint64_t>(dwCount) + kSetDataSlack;
        const DWORD dwNewSize = qwSize > 0xFFFFFFFFull ? dwCount + 1 : static_cast<DWORD>(qwSize);
        // Allocated before the old buffer goes, so that a source inside it stays readable.
        WCHAR* pwcNew = AllocBuff(dwNewSize, false);
        if (pwcNew == nullptr) {
            FreeBuff();
            m_bError = TRUE;
            WriteTrace("※　バッファの確保に失敗。CMyWString::SetData()\n\tNeedSize[%u]\n",
                       dwNewSize);
            return FALSE;
        }
        DWORD dwCopied = 0;
        while (dwCopied < dwCount && pwcStr[dwCopied] != 0) {
            pwcNew[dwCopied] = pwcStr[dwCopied];
            ++dwCopied;
        }
        FreeBuff();
        m_pwcBuff = pwcNew;
        m_dwBuffSize = dwNewSize;
        m_dwStrLen = dwCopied;
    } else {
        // Forward copy: a source inside the buffer never lies before its destination.
        DWORD dwCopied = 0;
        while (dwCopied < dwCount && pwcStr[dwCopied] != 0) {
            m_pwcBuff[dwCopied] = pwcStr[dwCopied];
            ++dwCopied;
        }
        m_dwStrLen = dwCopied;
    }
    m_pwcBuff[m_dwStrLen] = 0;
    return TRUE;
}

BOOL CMyWString::SetData(const char* pcStr, int iCount) {
    if (pcStr == nullptr || iCount < 0) {
        return FALSE;
    }
    // Never read past the terminator, whatever count is given.
    const std::size_t nLen =
        iCount == 0 ? std::strlen(pcStr) : strnlen(pcStr, static_cast<std::size_t>(iCount));
    if (nLen == 0) {
        Empty();
        return TRUE;
    }
    const int iBytes = nLen > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(nLen);
    const int iNeed = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pcStr, iBytes, nullptr, 0);
    if (iNeed <= 0) {
        Empty();
        return FALSE;
    }
    const DWORD dwConvLen = static_cast<DWORD>(iNeed);
    if (m_dwBuffSize < static_cast<std::uint64_t>(dwConvLen) + 1) {
        const DWORD dwNewSize = dwConvLen + kSetDataSlack + 1;
        FreeBuff();
        m_pwcBuff = AllocBuff(dwNewSize, false);
        if (m_pwcBuff == nullptr) {
            m_bError = TRUE;
            WriteTrace("※　バッファの確保に失敗。CMyWString::SetData()\n\tNeedSize[%u]\n",
                       dwNewSize);
            return FALSE;
        }
        m_dwBuffSize = dwNewSize;
    }
    const int iDone = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pcStr, iBytes, m_pwcBuff,
                                          static_cast<int>(m_dwBuffSize - 1));
    if (iDone <= 0) {
        Empty();
        return FALSE;
    }
    m_dwStrLen = static_cast<DWORD>(iDone);
    m_pwcBuff[m_dwStrLen] = 0;
    return TRUE;
}

BOOL CMyWString::Append(const WCHAR* pwcStr, BOOL bLineFeed) {
    if (pwcStr == nullptr) {
        return FALSE;
    }
    if (pwcStr[0] == 0) {
        return TRUE;
    }
    return AppendRange(pwcStr, WideLen(pwcStr), bLineFeed);
}

BOOL CMyWString::Append(const WCHAR* pwcStr, DWORD dwStart, DWORD dwCount, BOOL bLineFeed) {
    if (pwcStr == nullptr) {
        return FALSE;
    }
    if (pwcStr[0] == 0) {
        return TRUE;
    }
    const DWORD dwLen = WideLen(pwcStr);
    if (dwStart >= dwLen) {
        return FALSE;
    }
    if (dwCount > dwLen - dwStart) {
        dwCount = dwLen - dwStart;
    }
    return AppendRange(pwcStr + dwStart, dwCount, bLineFeed);
}

BOOL CMyWString::AppendRange(const WCHAR* pwcStr, DWORD dwCount, BOOL bLineFeed) {
    const std::uint64_t qwNeed =
        static_cast<std::uint64_t>(m_dwStrLen) + dwCount + 1 + (bLineFeed ? 1 : 0);
    DWORD dwNewSize = 0;
    if (qwNeed <= kMaxBuffSize && m_dwBuffSize < qwNeed) {
        dwNewSize = CalcNewBuffSize(m_dwBuffSize, static_cast<DWORD>(qwNeed), kMaxBuffSize);
    }
    if (qwNeed > kMaxBuffSize || dwNewSize == 0xFFFFFFFF) {
        m_bError = TRUE;
        WriteTrace("※　期待バッファサイズが大きすぎます。CMyWString::operator+()\n"
                   "\tNewStrLen[%I64d]\n",
                   static_cast<long long>(qwNeed));
        return FALSE;
    }
    if (dwNewSize != 0) {
        WCHAR* pwcNew = AllocBuff(dwNewSize, false);
        if (pwcNew == nullptr) {
            m_bError = TRUE;
            WriteTrace("※　バッファ確保に失敗。CMyWString::operator+()\n\tNewBuffSize[%u]\n",
                       dwNewSize);
            return FALSE;
        }
        if (m_dwStrLen != 0) {
            std::memcpy(pwcNew, m_pwcBuff, m_dwStrLen * sizeof(WCHAR));
        }
        // The appended text may lie in the old buffer: copy it before that buffer goes.
        std::memcpy(pwcNew + m_dwStrLen, pwcStr, dwCount * sizeof(WCHAR));
        const DWORD dwLen = m_dwStrLen;
        FreeBuff();
        m_pwcBuff = pwcNew;
        m_dwBuffSize = dwNewSize;
        m_dwStrLen = dwLen;
    } else {
        std::memmove(m_pwcBuff + m_dwStrLen, pwcStr, dwCount * sizeof(WCHAR));
    }
    m_dwStrLen += dwCount;
    if (bLineFeed) {
        m_pwcBuff[m_dwStrLen++] = 10;
    }
    m_pwcBuff[m_dwStrLen] = 0;
    return TRUE;
}

void CMyWString::Empty() {
    m_dwStrLen = 0;
    if (m_pwcBuff != nullptr) {
        m_pwcBuff[0] = 0;
        m_bError = FALSE;
    }
}

BOOL CMyWString::SetBuffSize(DWORD dwNewBuffSize) {
    if (dwNewBuffSize == 0xFFFFFFFF) {
        dwNewBuffSize = kMaxBuffSize;
    } else if ((dwNewBuffSize & 0x80000000u) != 0) {
        return FALSE;
    }
    // No room for the terminator.
    if (dwNewBuffSize == 0) {
        return FALSE;
    }
    WCHAR* pwcNew = AllocBuff(dwNewBuffSize, false);
    if (pwcNew == nullptr) {
        return FALSE;
    }
    DWORD dwLen = m_dwStrLen < dwNewBuffSize - 1 ? m_dwStrLen : dwNewBuffSize - 1;
    if (dwLen != 0) {
        std::memcpy(pwcNew, m_pwcBuff, dwLen * sizeof(WCHAR));
    }
    pwcNew[dwLen] = 0;
    FreeBuff();
    m_pwcBuff = pwcNew;
    m_dwBuffSize = dwNewBuffSize;
    m_dwStrLen = dwLen;
    m_bError = FALSE;
    return TRUE;
}
