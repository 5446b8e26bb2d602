// Every conversion goes through the platform's code-page functions with the ANSI code page.
#include "support/SJisConv.h"

#include <array>
#include <cstring>
#include <new>
#include <string>

#include "platform/framework/core/CString.h"
#include "platform/win32/Win32CodePage.h"
#include "support/AnsiText.h"
#include "support/TraceLog.h"

namespace {

constexpr DWORD kdwDefaultTempBuffSize = 10000;
constexpr DWORD kdwMaxTempBuffSize = 0x3FFFFFFF;
constexpr DWORD kdwMaxSrcLen = 0x7FFFFFFF;

// Addresses are logged as their low 32 bits.
DWORD AddressBits(const void* pv) {
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(pv) & 0xFFFFFFFFu);
}

// A trace entry whose format is UTF-8 source text.
void Trace(const char* pcFormatUtf8, ...) {
    const CString strFormat = AnsiFromUtf8(pcFormatUtf8);
    va_list args;
    va_start(args, pcFormatUtf8);
    CString strEntry;
    strEntry.FormatV(strFormat, args);
    va_end(args);
    WriteTraceText(strEntry);
}

int ClampLen(DWORD dwLen) {
    return static_cast<int>(dwLen > kdwMaxSrcLen ? kdwMaxSrcLen : dwLen);
}

int NeededWideCount(LPCSTR pcSrc, DWORD dwLen) {
    return MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pcSrc, ClampLen(dwLen), nullptr, 0);
}

// The length of a full piece: one byte shorter when its last byte would split a character, by the
// code page's own lead-byte table.
DWORD PieceLength(const char* pcPiece, DWORD dwLen) {
    DWORD i = 0;
    while (i < dwLen) {
        if (!IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(pcPiece[i]))) {
            ++i;
            continue;
        }
        if (i + 1 == dwLen) {
            return dwLen - 1; // the last byte starts a two-byte character
        }
        if (i + 2 == dwLen && !IsSJisTrailByte(static_cast<BYTE>(pcPiece[i + 1]))) {
            return dwLen - 1; // the last byte follows a lead byte but cannot complete it
        }
        i += 2;
    }
    return dwLen;
}

// Converts dwLen bytes into pwcOut of dwFree characters, keeping one for the terminator. The
// count written, 0 when nothing could be converted.
int ConvertPiece(const char* pcPiece, DWORD dwLen, LPWSTR pwcOut, DWORD dwFree) {
    if (dwFree < 2) {
        return 0; // an output size of 0 would turn the call into a size query
    }
    const DWORD dwRoom = dwFree - 1;
    return MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pcPiece, static_cast<int>(dwLen), pwcOut,
                               ClampLen(dwRoom));
}

// The NEC-selected twin of each IBM-extension code, 0 where there is none; [lead - 0xFA][trail].
using TwinTable = std::array<std::array<WORD, 256>, 3>;

TwinTable MakeTwinTable() {
    TwinTable aTwins{};
    for (int iLead = 0xED; iLead <= 0xEE; ++iLead) {
        for (int iTrail = 0x40; iTrail <= 0xFC; ++iTrail) {
            const char acTwin[2] = {static_cast<char>(iLead), static_cast<char>(iTrail)};
            WCHAR wc = 0;
            char acIbm[2] = {};
            if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, acTwin, 2, &wc, 1) != 1 ||
                WideCharToMultiByte(CP_ACP, 0, &wc, 1, acIbm, 2, nullptr, nullptr) != 2) {
                continue;
            }
            const auto byIbmLead = static_cast<BYTE>(acIbm[0]);
            if (byIbmLead >= 0xFA && byIbmLead <= 0xFC) {
                aTwins[byIbmLead - 0xFA][static_cast<BYTE>(acIbm[1])] =
                    static_cast<WORD>(iLead << 8 | iTrail);
            }
        }
    }
    return aTwins;
}

} // namespace

void UseNecSelectedTwins(LPSTR pcStr, DWORD dwLen) {
    static const TwinTable aTwins = MakeTwinTable();
    for (DWORD i = 0; i < dwLen;) {
        const auto byLead = static_cast<BYTE>(pcStr[i]);
        if (i + 1 == dwLen || !IsDBCSLeadByteEx(CP_ACP, byLead)) {
            ++i;
            continue;
        }
        if (byLead >= 0xFA && byLead <= 0xFC) {
            const WORD wTwin = aTwins[byLead - 0xFA][static_cast<BYTE>(pcStr[i + 1])];
            if (wTwin != 0) {
                pcStr[i] = static_cast<char>(wTwin >> 8);
                pcStr[i + 1] = static_cast<char>(wTwin & 0xFF);
            }
        }
        i += 2;
    }
}

BOOL IsEndingInSJisLeadByte(LPCSTR pcStr, DWORD dwLen) {
    if (pcStr == nullptr || dwLen == 0) {
        return FALSE;
    }
    DWORD i = 0;
    while (i < dwLen) {
        const BOOL bLead = IsSJisLeadByte(static_cast<BYTE>(pcStr[i]));
        if (i + 1 == dwLen) {
            return bLead;
        }
        i += (bLead && IsSJisTrailByte(static_cast<BYTE>(pcStr[i + 1]))) ? 2 : 1;
    }
    return FALSE;
}

int ReverseFindByteSJis(LPCSTR pcStr, char cByte) {
    if (pcStr == nullptr) {
        return -1;
    }
    int iFound = -1;
    int i = 0;
    while (pcStr[i] != '\0') {
        if (pcStr[i] == cByte) {
            iFound = i;
        }
        if (IsSJisLeadByte(static_cast<BYTE>(pcStr[i])) &&
            IsSJisTrailByte(static_cast<BYTE>(pcStr[i + 1]))) {
            i += 2;
        } else {
            ++i;
        }
    }
    return iFound;
}

BOOL ConvSJisToWideCharGetLen(LPWSTR pwcResultBuff, LPCSTR pcSrcStr, DWORD dwResultBuffSize,
                              DWORD dwSrcLenLimit, DWORD dwTempBuffSize, LPDWORD pdwConvLen) {
    if (dwTempBuffSize <= 10) {
        dwTempBuffSize = kdwDefaultTempBuffSize;
    }
    const auto fnFail = [&]() {
        if (pdwConvLen != nullptr) {
            *pdwConvLen = 0;
        }
        return FALSE;
    };
    if (pwcResultBuff == nullptr || pcSrcStr == nullptr || dwResultBuffSize < 2 ||
        dwTempBuffSize > kdwMaxTempBuffSize) {
        Trace("※　引数が無効です。ConvSJisToWideCharGetLen()\n\tpwcResultBuff[%08X], "
              "pcSrcStr[%08X], dwResultBuffSize[%u], dwTempBuffSize[%u]\n",
              AddressBits(pwcResultBuff), AddressBits(pcSrcStr), dwResultBuffSize, dwTempBuffSize);
        return fnFail();
    }
    const DWORD dwLimit = dwSrcLenLimit < kdwMaxSrcLen ? dwSrcLenLimit : kdwMaxSrcLen;
    DWORD dwRemain = static_cast<DWORD>(strnlen(pcSrcStr, dwLimit));

    // Pieces are converted where they lie: the conversion takes a length, so no copy is needed.
    const auto fnFailConversion = [&]() {
        pwcResultBuff[0] = u'\0';
        return fnFail();
    };

    const char* pcSrc = pcSrcStr;
    DWORD dwTotal = 0;
    const DWORD dwFullPiece = dwTempBuffSize - 1;
    while (dwRemain > dwFullPiece) {
        const DWORD dwPiece = PieceLength(pcSrc, dwFullPiece);
        const int iConv =
            ConvertPiece(pcSrc, dwPiece, pwcResultBuff + dwTotal, dwResultBuffSize - dwTotal);
        if (iConv <= 0) {
            return fnFailConversion();
        }
        dwTotal += static_cast<DWORD>(iConv);
        pwcResultBuff[dwTotal] = u'\0';
        pcSrc += dwPiece;
        dwRemain -= dwPiece;
    }
    if (dwRemain > 0) {
        DWORD dwPiece = dwRemain;
        if (IsEndingInSJisLeadByte(pcSrc, dwPiece)) {
            --dwPiece;
        }
        if (dwPiece > 0) {
            const int iConv =
                ConvertPiece(pcSrc, dwPiece, pwcResultBuff + dwTotal, dwResultBuffSize - dwTotal);
            if (iConv <= 0) {
                return fnFailConversion();
            }
            dwTotal += static_cast<DWORD>(iConv);
        }
    }
    pwcResultBuff[dwTotal] = u'\0';
    if (pdwConvLen != nullptr) {
        *pdwConvLen = dwTotal;
    }
    return TRUE;
}

LPWSTR ConvSJisToWideChar(LPCSTR pcSrcStr, DWORD dwSrcLen, LPDWORD pdwConvLen) {
    if (pdwConvLen != nullptr) {
        *pdwConvLen = 0;
    }
    if (pcSrcStr == nullptr) {
        Trace("※　引数が無効です。ConvSJisToWideChar()\n\tpcSrcStr[%08X], dwSrcLen[%u]\n",
              AddressBits(pcSrcStr), dwSrcLen);
        return nullptr;
    }
    if (dwSrcLen == 0) {
        dwSrcLen = static_cast<DWORD>(std::strlen(pcSrcStr));
    }
    if (dwSrcLen == 0) {
        return nullptr;
    }
    if (IsEndingInSJisLeadByte(pcSrcStr, dwSrcLen)) {
        Trace("※　末尾がSJIS1バイト目なのでワイド文字に変換できません。ConvSJisToWideChar()\n");
        return nullptr;
    }
    const int iNeed = NeededWideCount(pcSrcStr, dwSrcLen);
    if (iNeed <= 0) {
        return nullptr;
    }
    const DWORD dwBuffSize = static_cast<DWORD>(iNeed) + 1;
    WCHAR* pwcResult = new (std::nothrow) WCHAR[dwBuffSize];
    if (pwcResult == nullptr) {
        Trace("※　バッファの確保に失敗。ConvSJisToWideChar()\n\tNeedBuffSize[%u]\n", dwBuffSize);
        return nullptr;
    }
    const int iConv = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pcSrcStr, ClampLen(dwSrcLen),
                                          pwcResult, static_cast<int>(dwBuffSize));
    if (iConv <= 0) {
        delete[] pwcResult;
        Trace("※　ワイド文字への変換に失敗。ConvSJisToWideChar()\n\tNeedBuffSize[%u]\n",
              dwBuffSize);
        return nullptr;
    }
    pwcResult[iConv] = u'\0';
    if (pdwConvLen != nullptr) {
        *pdwConvLen = static_cast<DWORD>(iConv);
    }
    return pwcResult;
}

LPSTR ConvWideCharToSJis(LPCWSTR pwcSrcStr, DWORD dwSrcLen, LPDWORD pdwConvLen) {
    if (pdwConvLen != nullptr) {
        *pdwConvLen = 0;
    }
    if (pwcSrcStr == nullptr) {
        Trace("※　引数が無効です。ConvWideCharToSJis()\n\tpwcSrcStr[%08X], dwSrcLen[%u]\n",
              AddressBits(pwcSrcStr), dwSrcLen);
        return nullptr;
    }
    if (dwSrcLen == 0) {
        dwSrcLen = static_cast<DWORD>(std::char_traits<WCHAR>::length(pwcSrcStr));
    }
    if (dwSrcLen == 0) {
        return nullptr;
    }
    const int iNeed =
        WideCharToMultiByte(CP_ACP, 0, pwcSrcStr, ClampLen(dwSrcLen), nullptr, 0, nullptr, nullptr);
    if (iNeed <= 0) {
        return nullptr;
    }
    const DWORD dwBuffSize = static_cast<DWORD>(iNeed) + 1;
    char* pcResult = new (std::nothrow) char[dwBuffSize];
    if (pcResult == nullptr) {
        Trace("※　バッファの確保に失敗。ConvWideCharToSJis()\n\tNeedBuffSize[%u]\n", dwBuffSize);
        return nullptr;
    }
    const int iConv = WideCharToMultiByte(CP_ACP, 0, pwcSrcStr, ClampLen(dwSrcLen), pcResult,
                                          static_cast<int>(dwBuffSize), nullptr, nullptr);
    if (iConv <= 0) {
        delete[] pcResult;
        Trace("※　ワイド文字への変換に失敗。ConvWideCharToSJis()\n\tNeedBuffSize[%u]\n",
              dwBuffSize);
        return nullptr;
    }
    pcResult[iConv] = '\0';
    UseNecSelectedTwins(pcResult, static_cast<DWORD>(iConv));
    if (pdwConvLen != nullptr) {
        *pdwConvLen = static_cast<DWORD>(iConv);
    }
    return pcResult;
}

LPWSTR ConvSJisToWideCharSimple(LPCSTR pcSrcStr) {
    if (pcSrcStr == nullptr || pcSrcStr[0] == '\0') {
        return nullptr;
    }
    const DWORD dwLen = static_cast<DWORD>(std::strlen(pcSrcStr));
    const int iNeed = NeededWideCount(pcSrcStr, dwLen);
    if (iNeed <= 0) {
        return nullptr;
    }
    WCHAR* pwcResult = new (std::nothrow) WCHAR[static_cast<std::size_t>(iNeed) + 1];
    if (pwcResult == nullptr) {
        return nullptr;
    }
    const int iConv = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pcSrcStr, ClampLen(dwLen),
                                          pwcResult, iNeed + 1);
    if (iConv <= 0) {
        delete[] pwcResult;
        return nullptr;
    }
    pwcResult[iConv] = u'\0';
    return pwcResult;
}

BOOL ConvSJisToWideCharInto(LPWSTR pwcResultBuff, LPCSTR pcSrcStr) {
    if (pwcResultBuff == nullptr) {
        return FALSE;
    }
    pwcResultBuff[0] = u'\0';
    if (pcSrcStr == nullptr || pcSrcStr[0] == '\0') {
        return FALSE;
    }
    const DWORD dwLen = static_cast<DWORD>(std::strlen(pcSrcStr));
    const int iNeed = NeededWideCount(pcSrcStr, dwLen);
    if (iNeed <= 0) {
        return FALSE;
    }
    const int iConv = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pcSrcStr, ClampLen(dwLen),
                                          pwcResultBuff, iNeed + 1);
    if (iConv <= 0) {
        pwcResultBuff[0] = u'\0';
        return FALSE;
    }
    pwcResultBuff[iConv] = u'\0';
    return TRUE;
}

DWORD GetWideCharLen(LPCSTR pcSrcStr, DWORD dwByteCount) {
    if (pcSrcStr == nullptr || dwByteCount == 0) {
        return 0;
    }
    const int iNeed = NeededWideCount(pcSrcStr, dwByteCount);
    return iNeed > 0 ? static_cast<DWORD>(iNeed) : 0;
}

DWORD GetWideCharLenAt(LPCSTR pcSrcStr, DWORD dwOffset, DWORD dwByteCount) {
    if (pcSrcStr == nullptr) {
        return 0;
    }
    const std::size_t cbText = std::strlen(pcSrcStr);
    if (dwOffset >= cbText) {
        return 0;
    }
    const DWORD dwRemain = static_cast<DWORD>(cbText - dwOffset);
    if (dwByteCount == 0 || dwByteCount > dwRemain) {
        dwByteCount = dwRemain;
    }
    return GetWideCharLen(pcSrcStr + dwOffset, dwByteCount);
}
