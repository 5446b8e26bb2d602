// Thin layers over the platform calls, with the program's argument checks and trace lines.
#include "support/PathHelpers.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/framework/core/Shell.h"
#include "platform/win32/Win32.h"
#include "support/AnsiText.h"
#include "support/MyWString.h"
#include "support/SJisConv.h"
#include "support/TraceLog.h"

namespace {

constexpr DWORD kdwModulePathSize = 2000;
constexpr DWORD kdwBrowsePathSize = 2000;
constexpr DWORD kdwCurrentDirSize = 5000;

int CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM /*lParam*/, LPARAM lpData) {
    if (uMsg == BFFM_INITIALIZED && lpData != 0) {
        SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, lpData); // open on the initial folder
    }
    return 0;
}

// Whether the n bytes are all below 0x80, each a character of its own: then a path is cut on its
// bytes as it would be on its wide text. Eight bytes at a time, as paths run long.
bool IsAsciiOnly(const char* pc, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t u = 0;
        std::memcpy(&u, pc + i, 8);
        if ((u & 0x8080808080808080ULL) != 0) {
            return false;
        }
    }
    for (; i < n; ++i) {
        if (static_cast<BYTE>(pc[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

// The later of the last "\" and the last "/", or -1.
int LastSeparator(const CMyWString& strPath) {
    const int iBackslash = strPath.ReverseFind(0, u"\\");
    const int iSlash = strPath.ReverseFind(0, u"/");
    return iBackslash > iSlash ? iBackslash : iSlash;
}

} // namespace

BOOL IsExistFile(LPCSTR pcPath, BOOL bFolder, BOOL bLog) {
    if (pcPath == nullptr) {
        WriteTraceText(AnsiFromUtf8("※引数が無効。IxExistFile()\n"));
        return FALSE;
    }
    WIN32_FIND_DATAA findData;
    HANDLE hFind = FindFirstFileA(pcPath, &findData);
    if (hFind != INVALID_HANDLE_VALUE) {
        FindClose(hFind);
        const BOOL bIsFolder = (findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (bIsFolder == (bFolder ? TRUE : FALSE)) {
            return TRUE;
        }
    }
    if (bLog) {
        const DWORD dwError = GetLastError();
        WriteTraceFormat(AnsiFromUtf8("※　パスの存在チェック失敗。IsExistFile()\n\t%s\n:"), pcPath);
        WriteLastErrorText(dwError);
    }
    return FALSE;
}

BOOL GetFileIdentity(LPCSTR pcPath, std::pair<DWORD, ULONGLONG>& id) {
    const HANDLE hFile =
        CreateFileA(pcPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    const BOOL bOk = GetFileInformationByHandle(hFile, &info);
    CloseHandle(hFile);
    if (!bOk) {
        return FALSE;
    }
    id = {info.dwVolumeSerialNumber, MakeUInt64(info.nFileIndexLow, info.nFileIndexHigh)};
    return TRUE;
}

BOOL GetFileFindData(WIN32_FIND_DATAA* pFindData, LPCSTR pcPath) {
    if (pFindData == nullptr || pcPath == nullptr) {
        return FALSE;
    }
    HANDLE hFind = FindFirstFileA(pcPath, pFindData);
    if (hFind == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    FindClose(hFind);
    return TRUE;
}

int BrowseFolder(HWND hOwner, LPCSTR pcInitFolder, CString* pstrResult) {
    if (pcInitFolder == nullptr || pstrResult == nullptr) {
        WriteTraceText(AnsiFromUtf8("※　引数が無効です。"));
        return 2;
    }
    const CString strTitle = AnsiFromUtf8("フォルダを選択してください");
    BROWSEINFOA browseInfo{};
    browseInfo.hwndOwner = hOwner;
    browseInfo.pidlRoot = nullptr;
    browseInfo.pszDisplayName = nullptr;
    browseInfo.lpszTitle = strTitle;
    browseInfo.ulFlags = 0;
    browseInfo.lpfn = BrowseCallbackProc;
    browseInfo.lParam = reinterpret_cast<LPARAM>(pcInitFolder);
    LPITEMIDLIST pidl = SHBrowseForFolderA(&browseInfo);
    if (pidl == nullptr) {
        return 2;
    }
    char acPath[kdwBrowsePathSize] = {};
    const BOOL bPath = SHGetPathFromIDListA(pidl, acPath);
    LPMALLOC pMalloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&pMalloc)) && pMalloc != nullptr) {
        pMalloc->Free(pidl);
        pMalloc->Release();
    }
    // A choice without a file-system path (or one too long for it) is no folder to work in.
    if (!bPath || acPath[0] == '\0') {
        return 2;
    }
    *pstrResult = acPath;
    return 1;
}

int GetModuleFolder(CString* pstrFolder) {
    if (pstrFolder == nullptr) {
        return -1;
    }
    char acPath[kdwModulePathSize + 1] = {};
    GetModuleFileNameA(nullptr, acPath, kdwModulePathSize);
    acPath[kdwModulePathSize] = '\0';
    const int iSep = ReverseFindByteSJis(acPath, '\\');
    if (iSep > 0) {
        acPath[iSep] = '\0';
    }
    *pstrFolder = acPath;
    return 0;
}

BOOL GetCurrentDir(CString* pstrDir) {
    if (pstrDir == nullptr) {
        return FALSE;
    }
    LPSTR pcBuff = pstrDir->GetBuffer(kdwCurrentDirSize);
    const DWORD dwLen = GetCurrentDirectoryA(kdwCurrentDirSize, pcBuff);
    // A directory too long for the buffer leaves it untouched and returns the size it needs.
    if (dwLen == 0 || dwLen >= kdwCurrentDirSize) {
        pstrDir->ReleaseBuffer(0);
        return FALSE;
    }
    pstrDir->ReleaseBuffer(-1);
    return TRUE;
}

CString GetFileNameFromPath(LPCSTR pcPath) {
    if (pcPath == nullptr) {
        return CString();
    }
    const CMyWString strPath(pcPath);
    const int iSep = LastSeparator(strPath);
    if (iSep < 0) {
        return CString(pcPath);
    }
    const DWORD dwNameStart = static_cast<DWORD>(iSep) + 1;
    if (dwNameStart >= strPath.GetLength()) {
        return CString();
    }
    LPSTR pcName = ConvWideCharToSJis(strPath.GetBuff() + dwNameStart,
                                      strPath.GetLength() - dwNameStart, nullptr);
    if (pcName == nullptr) {
        return CString();
    }
    CString strName(pcName);
    delete[] pcName;
    return strName;
}

namespace {

// The title cut on the whole path converted to UTF-16: the reference the byte cut below follows.
CString TitleThroughWide(LPCSTR pcPath) {
    const CMyWString strPath(pcPath);
    const int iSep = LastSeparator(strPath);
    if (iSep < 0) {
        return CString(pcPath);
    }
    const DWORD dwNameStart = static_cast<DWORD>(iSep) + 1;
    const int iDot = strPath.ReverseFind(dwNameStart, u".");
    if (iDot < 0) {
        return CString(pcPath);
    }
    // A dot right after the separator gives a count of 0, which reaches to the end.
    return strPath.GetSectorData(dwNameStart, static_cast<DWORD>(iDot) - dwNameStart);
}

// What a byte is to the title cut, so that the usual ASCII byte costs one lookup.
enum : BYTE { kTitlePlain = 0, kTitleSeparator, kTitleDot, kTitleHigh, kTitleWide };

struct TitleByteClasses {
    BYTE a[256];
    constexpr TitleByteClasses() : a() {
        for (int b = 0x80; b < 0x100; ++b) {
            a[b] = b >= 0xF6 && b <= 0xFC ? kTitleWide : kTitleHigh;
        }
        a[static_cast<BYTE>('\\')] = kTitleSeparator;
        a[static_cast<BYTE>('/')] = kTitleSeparator;
        a[static_cast<BYTE>('.')] = kTitleDot;
    }
};

constexpr TitleByteClasses kTitleByteClasses;

// The n bytes converted to UTF-16 and back, as a title cut on the wide text would come out, into
// pcBack of iBackSize bytes through pwcWide of iWideSize units: the bytes written, 0 on failure.
int ConvertBackAndForth(const char* pc, int n, WCHAR* pwcWide, int iWideSize, char* pcBack,
                        int iBackSize) {
    const int iWide = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pc, n, pwcWide, iWideSize);
    const int iBack = iWide > 0 ? WideCharToMultiByte(CP_ACP, 0, pwcWide, iWide, pcBack, iBackSize,
                                                      nullptr, nullptr)
                                : 0;
    if (iBack <= 0) {
        return 0;
    }
    UseNecSelectedTwins(pcBack, static_cast<DWORD>(iBack));
    return iBack;
}

// Whether the n bytes of one character come back unchanged from that conversion.
bool CharRoundTrips(const char* pc, int n) {
    WCHAR awcWide[4];
    char acBack[16];
    const int iBack = ConvertBackAndForth(pc, n, awcWide, 4, acBack, sizeof acBack);
    return iBack == n && std::memcmp(acBack, pc, static_cast<std::size_t>(n)) == 0;
}

// Whether every character of the dwLen bytes (cut as the program's byte tests cut them) converts
// back to itself, so that the title's round trip would give its bytes. The conversion is the same
// character by character, so each character's answer is worked out once; a lead byte without its
// trail never counts as converting back.
bool RoundTripsUnchanged(const char* pcText, DWORD dwLen) {
    static std::array<std::atomic<BYTE>, 0x10000> s_aAnswers{}; // 0 unknown, 1 yes, 2 no
    const auto* pb = reinterpret_cast<const BYTE*>(pcText);
    for (DWORD i = 0; i < dwLen;) {
        if (pb[i] < 0x80) {
            ++i;
            continue;
        }
        int n = 1;
        if (IsSJisLeadByte(pb[i])) {
            if (i + 1 >= dwLen || !IsSJisTrailByte(pb[i + 1])) {
                return false;
            }
            n = 2;
        }
        const unsigned uKey = n == 2 ? (pb[i] << 8) | pb[i + 1] : pb[i];
        BYTE byAnswer = s_aAnswers[uKey].load(std::memory_order_relaxed);
        if (byAnswer == 0) {
            byAnswer = CharRoundTrips(pcText + i, n) ? 1 : 2;
            s_aAnswers[uKey].store(byAnswer, std::memory_order_relaxed);
        }
        if (byAnswer != 1) {
            return false;
        }
        i += static_cast<DWORD>(n);
    }
    return true;
}

// The last separator and the last dot after it, found on the bytes: characters end where the
// conversion ends them. False when only the wide text can tell (a byte from 0xF6 to 0xFC leads
// a character for the conversion but not for the program's byte test).
struct BytePathCut {
    std::size_t uNameStart = 0; // after the last separator
    bool bSep = false;
    std::size_t uDot = 0; // the last dot after it
    bool bDot = false;
};

bool CutPathOnBytes(const BYTE* pbPath, std::size_t uLen, BytePathCut& cut) {
    for (std::size_t i = 0; i < uLen;) {
        const BYTE by = pbPath[i];
        switch (kTitleByteClasses.a[by]) {
        case kTitlePlain:
            ++i;
            continue;
        case kTitleSeparator:
            cut.uNameStart = i + 1;
            cut.bSep = true;
            cut.bDot = false;
            ++i;
            continue;
        case kTitleDot:
            if (cut.bSep) {
                cut.uDot = i;
                cut.bDot = true;
            }
            ++i;
            continue;
        case kTitleWide:
            return false;
        default: // a byte from 0x80 up
            i += IsSJisLeadByte(by) && i + 1 < uLen && IsSJisTrailByte(pbPath[i + 1]) ? 2 : 1;
            continue;
        }
    }
    return true;
}

} // namespace

CString GetFileTitleFromPath(LPCSTR pcPath) {
    if (pcPath == nullptr) {
        return CString();
    }
    // The same cut on the bytes, without converting the whole path twice: characters end where
    // the conversion ends them. Bytes 0xF6-0xFC lead a character for the conversion but not for
    // the program's byte test, and very long texts are converted in pieces: both take the wide
    // route.
    const auto* pbPath = reinterpret_cast<const BYTE*>(pcPath);
    const std::size_t uLen = std::strlen(pcPath);
    if (uLen > 0x10000) {
        return TitleThroughWide(pcPath);
    }
    if (IsAsciiOnly(pcPath, uLen)) {
        const std::string_view strPath(pcPath, uLen);
        const std::size_t uSep = strPath.find_last_of("\\/");
        const std::size_t uDot = strPath.rfind('.');
        if (uSep == std::string_view::npos || uDot == std::string_view::npos || uDot < uSep) {
            return CString(pcPath);
        }
        // A dot right after the separator keeps the whole name.
        return uDot == uSep + 1 ? CString(pcPath + uDot)
                                : CString(pcPath + uSep + 1, static_cast<int>(uDot - uSep - 1));
    }
    BytePathCut cut;
    if (!CutPathOnBytes(pbPath, uLen, cut)) {
        return TitleThroughWide(pcPath);
    }
    if (!cut.bSep || !cut.bDot) {
        return CString(pcPath);
    }
    const std::size_t uNameStart = cut.uNameStart;
    const std::size_t uDot = cut.uDot;
    // A dot right after the separator keeps the whole name.
    const std::size_t uEnd = uDot == uNameStart ? uLen : uDot;
    const char* pcTitle = pcPath + uNameStart;
    const auto dwTitleLen = static_cast<DWORD>(uEnd - uNameStart);
    bool bAscii = true;
    for (DWORD i = 0; i < dwTitleLen && bAscii; ++i) {
        bAscii = pbPath[uNameStart + i] < 0x80;
    }
    if (bAscii) {
        return CString(pcTitle, static_cast<int>(dwTitleLen));
    }
    // A title ending in a lone lead byte loses it when converted on its own, not inside the path.
    if (uEnd != uLen && IsEndingInSJisLeadByte(pcTitle, dwTitleLen)) {
        return TitleThroughWide(pcPath);
    }
    // Converted back and forth on its own, as the cut of the converted path would be: on the
    // stack for a title of a usual length, through the string class otherwise.
    constexpr DWORD kdwShortTitle = 512;
    DWORD dwConvLen = dwTitleLen;
    if (IsEndingInSJisLeadByte(pcTitle, dwConvLen)) {
        --dwConvLen; // the end of the path: the conversion drops a lone lead byte there
    }
    if (dwConvLen == 0) {
        return CString();
    }
    if (RoundTripsUnchanged(pcTitle, dwConvLen)) {
        return CString(pcTitle, static_cast<int>(dwConvLen));
    }
    if (dwTitleLen <= kdwShortTitle) {
        WCHAR awcWide[kdwShortTitle];
        char acBack[kdwShortTitle * 2 + 8];
        const int iBack = ConvertBackAndForth(pcTitle, static_cast<int>(dwConvLen), awcWide,
                                              kdwShortTitle, acBack, sizeof acBack);
        if (iBack > 0) {
            return CString(acBack, iBack);
        }
    }
    const std::string strTitle(pcTitle, dwTitleLen);
    const CMyWString strWide(strTitle.c_str());
    return strWide.GetSectorData(0, 0);
}

CString GetFolderFromPath(LPCSTR pcPath) {
    if (pcPath == nullptr) {
        return CString();
    }
    // As the title's cut: on the bytes where each character of the folder converts back to
    // itself, through the wide text otherwise.
    const std::size_t uLen = std::strlen(pcPath);
    if (uLen <= 0x10000) {
        BytePathCut cut;
        if (CutPathOnBytes(reinterpret_cast<const BYTE*>(pcPath), uLen, cut)) {
            const std::size_t uSep = cut.uNameStart - 1;
            if (!cut.bSep || uSep == 0) {
                return CString(pcPath);
            }
            if (RoundTripsUnchanged(pcPath, static_cast<DWORD>(uSep))) {
                return CString(pcPath, static_cast<int>(uSep));
            }
        }
    }
    CMyWString strPath;
    strPath = pcPath;
    const int iSep = LastSeparator(strPath);
    if (iSep <= 0) {
        return CString(pcPath);
    }
    strPath.KeepSector(0, static_cast<DWORD>(iSep) - 1);
    return strPath.GetString();
}

DWORD InsertThousandsSeparators(LPSTR pcText, DWORD dwBuffSize) {
    if (pcText == nullptr || pcText[0] == '\0') {
        return 0;
    }
    DWORD dwLen =
        static_cast<DWORD>(dwBuffSize != 0 ? strnlen(pcText, dwBuffSize) : std::strlen(pcText));
    DWORD dwDigits = 0;
    int iDot = -1;
    for (DWORD i = dwLen; i-- > 0;) {
        if (pcText[i] >= '0' && pcText[i] <= '9') {
            ++dwDigits;
        } else if (pcText[i] == '.') {
            iDot = static_cast<int>(i);
        }
    }
    if (dwDigits < 4) {
        return dwLen;
    }
    int iStart;
    if (iDot >= 0) {
        if (iDot <= 3) {
            return dwLen;
        }
        iStart = iDot - 1;
    } else {
        iStart = static_cast<int>(dwLen) - 1;
    }
    int iCounter = 0;
    bool bPending = false;
    for (int i = iStart; i >= 0; --i) {
        if (pcText[i] < '0' || pcText[i] > '9') {
            continue;
        }
        if (bPending && (dwBuffSize == 0 || dwLen + 1 < dwBuffSize)) {
            // Shift the rest, terminator included, one place right.
            std::memmove(pcText + i + 2, pcText + i + 1, dwLen - static_cast<DWORD>(i));
            pcText[i + 1] = ',';
            ++dwLen;
            bPending = false;
        }
        if (++iCounter > 2) {
            iCounter = 0;
            bPending = true;
        }
    }
    return dwLen;
}

ULONGLONG MakeUInt64(DWORD dwLow, DWORD dwHigh) {
    return (static_cast<ULONGLONG>(dwHigh) << 32) | dwLow;
}
