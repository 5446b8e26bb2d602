#include "app/core/JournalFile.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/win32/Win32.h"
#include "support/PathHelpers.h"
#include "support/StartUp.h"

namespace {

constexpr ULONGLONG kFileTimePerDay = 864000000000ULL;

// The fields of one line, unescaped.
std::vector<std::string> SplitFields(std::string_view strLine) {
    std::vector<std::string> vecFields;
    std::size_t uStart = 0;
    for (;;) {
        const std::size_t uTab = strLine.find('\t', uStart);
        vecFields.push_back(UnescapeJournalField(strLine.substr(uStart, uTab - uStart)));
        if (uTab == std::string_view::npos) {
            return vecFields;
        }
        uStart = uTab + 1;
    }
}

bool ParseNumber(const std::string& strText, ULONGLONG& ullValue) {
    const char* pcEnd = strText.data() + strText.size();
    const auto result = std::from_chars(strText.data(), pcEnd, ullValue);
    return !strText.empty() && result.ec == std::errc() && result.ptr == pcEnd;
}

CString ProgramPath(const std::string& strUtf8) {
    std::string strAnsi;
    tessaly::win32::Utf8ToAnsi(strUtf8, strAnsi);
    return CString(strAnsi.c_str(), static_cast<int>(strAnsi.size()));
}

// The whole file; FALSE when it cannot be read.
BOOL ReadWholeFile(LPCSTR pcPath, std::string& strData) {
    const HANDLE hFile = CreateFileA(pcPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    strData.clear();
    char acBuffer[65536];
    DWORD dwRead = 0;
    BOOL bOk = TRUE;
    while ((bOk = ReadFile(hFile, acBuffer, sizeof acBuffer, &dwRead, nullptr)) && dwRead > 0) {
        strData.append(acBuffer, dwRead);
    }
    CloseHandle(hFile);
    return bOk;
}

bool ParseLine(const std::vector<std::string>& vecFields, CJournalContent& content) {
    const std::string& strKind = vecFields[0];
    const std::size_t uCount = vecFields.size();
    if (strKind == "run" && uCount == 5) {
        content.m_strTime = vecFields[1];
        content.m_strProgram = vecFields[2];
        content.m_strOperationFolder = ProgramPath(vecFields[3]);
        content.m_strExt = ProgramPath(vecFields[4]);
    } else if (strKind == "root" && uCount == 2) {
        content.m_vecRoots.push_back(ProgramPath(vecFields[1]));
    } else if (strKind == "folder" && uCount == 2) {
        content.m_vecFolders.push_back(ProgramPath(vecFields[1]));
    } else if (strKind == "move" && uCount == 7) {
        CJournalMove move;
        ULONGLONG ullVolume = 0;
        if (!ParseNumber(vecFields[1], move.m_identity.m_ullSize) ||
            !ParseNumber(vecFields[2], move.m_identity.m_ullWriteTime) ||
            !ParseNumber(vecFields[3], ullVolume) || ullVolume > 0xFFFFFFFFULL ||
            !ParseNumber(vecFields[4], move.m_identity.m_ullIndex)) {
            return false;
        }
        move.m_identity.m_dwVolume = static_cast<DWORD>(ullVolume);
        move.m_strSrc = ProgramPath(vecFields[5]);
        move.m_strDst = ProgramPath(vecFields[6]);
        content.m_vecMoves.push_back(std::move(move));
    } else if (strKind == "end" && uCount == 3) {
        ULONGLONG ullMoved = 0;
        if (!ParseNumber(vecFields[2], ullMoved)) {
            return false;
        }
        content.m_bEnded = true;
        content.m_dwMovedAtEnd = static_cast<DWORD>(ullMoved);
    } else if (strKind == "undone" && uCount == 2) {
        content.m_bUndone = true;
    } else {
        return false;
    }
    return true;
}

} // namespace

CString GetJournalFolder(BOOL bCreate) {
    for (const CString& strState : GetUserStateFolders()) {
        const CString strFolder = strState + "\\journal";
        if (IsExistFile(strFolder, TRUE, FALSE) ||
            (bCreate && MakeSureDirectoryPathExists(strFolder + "\\"))) {
            return strFolder;
        }
    }
    return CString();
}

std::string EscapeJournalField(std::string_view strField) {
    std::string strOut;
    strOut.reserve(strField.size());
    for (const char c : strField) {
        switch (c) {
        case '%':
            strOut += "%25";
            break;
        case '\t':
            strOut += "%09";
            break;
        case '\n':
            strOut += "%0A";
            break;
        case '\r':
            strOut += "%0D";
            break;
        default:
            strOut += c;
        }
    }
    return strOut;
}

std::string UnescapeJournalField(std::string_view strField) {
    std::string strOut;
    strOut.reserve(strField.size());
    for (std::size_t i = 0; i < strField.size(); ++i) {
        const std::string_view strCode = strField.substr(i, 3);
        const char c = strCode == "%25"   ? '%'
                       : strCode == "%09" ? '\t'
                       : strCode == "%0A" ? '\n'
                       : strCode == "%0D" ? '\r'
                                          : '\0';
        if (c == '\0') {
            strOut += strField[i];
        } else {
            strOut += c;
            i += 2;
        }
    }
    return strOut;
}

std::string JournalTimeNow() {
    // The standard calendar gives UTC on every system, without gmtime_r or gmtime_s.
    using namespace std::chrono;
    const auto tNow = floor<milliseconds>(system_clock::now());
    const auto tDay = floor<days>(tNow);
    const year_month_day ymd(tDay);
    const hh_mm_ss hms(tNow - tDay);
    char acText[40];
    std::snprintf(acText, sizeof acText, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                  static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()), static_cast<int>(hms.hours().count()),
                  static_cast<int>(hms.minutes().count()), static_cast<int>(hms.seconds().count()),
                  static_cast<int>(hms.subseconds().count()));
    return acText;
}

std::string JournalNameFor(std::string_view strTime) {
    // "2026-12-09T23:05:10.123Z" -> "20261209-230510-123".
    std::string strName;
    for (const char c : strTime) {
        if (c >= '0' && c <= '9') {
            strName += c;
        } else if (c == 'T' || c == '.') {
            strName += '-';
        }
    }
    return strName + kJournalSuffix;
}

BOOL ReadJournal(LPCSTR pcPath, CJournalContent& content) {
    std::string strData;
    if (!ReadWholeFile(pcPath, strData)) {
        return FALSE;
    }
    content = CJournalContent();
    std::size_t uStart = 0;
    bool bFirst = true;
    while (uStart < strData.size()) {
        const std::size_t uEnd = strData.find('\n', uStart);
        if (uEnd == std::string::npos) {
            break; // cut short by a kill: not a record
        }
        const std::string_view strLine(strData.data() + uStart, uEnd - uStart);
        uStart = uEnd + 1;
        if (bFirst) {
            if (strLine != kJournalMagic) {
                return FALSE;
            }
            bFirst = false;
            continue;
        }
        // A record that does not read (the line a kill cut short, with a later record run into
        // it) is passed over: the others still say what the run did.
        ParseLine(SplitFields(strLine), content);
    }
    return bFirst || content.m_strTime.empty() ? FALSE : TRUE;
}

BOOL ReadJournalSummary(LPCSTR pcPath, CJournalSummary& summary) {
    const HANDLE hFile = CreateFileA(pcPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    // The header's two lines fit the first block; "undone" is the last line when there is one.
    char acHead[8192];
    char acTail[64];
    DWORD dwHead = 0;
    DWORD dwTail = 0;
    DWORD dwHigh = 0;
    const DWORD dwLow = GetFileSize(hFile, &dwHigh);
    const ULONGLONG ullSize = MakeUInt64(dwLow, dwHigh);
    BOOL bOk = ReadFile(hFile, acHead, sizeof acHead, &dwHead, nullptr);
    if (bOk && ullSize > sizeof acTail) {
        LONG lHigh = static_cast<LONG>((ullSize - sizeof acTail) >> 32);
        bOk = (SetFilePointer(hFile, static_cast<LONG>((ullSize - sizeof acTail) & 0xFFFFFFFF),
                              &lHigh, FILE_BEGIN) != INVALID_SET_FILE_POINTER ||
               GetLastError() == ERROR_SUCCESS) &&
              ReadFile(hFile, acTail, sizeof acTail, &dwTail, nullptr);
    }
    CloseHandle(hFile);
    const std::string_view strHead(acHead, dwHead);
    const std::size_t uFirst = strHead.find('\n');
    const std::size_t uSecond =
        uFirst == std::string_view::npos ? uFirst : strHead.find('\n', uFirst + 1);
    if (!bOk || uSecond == std::string_view::npos || strHead.substr(0, uFirst) != kJournalMagic) {
        return FALSE;
    }
    const std::vector<std::string> vecRun =
        SplitFields(strHead.substr(uFirst + 1, uSecond - uFirst - 1));
    if (vecRun.size() != 5 || vecRun[0] != "run") {
        return FALSE;
    }
    summary.m_strTime = vecRun[1];
    summary.m_strProgram = vecRun[2];
    const std::string_view strTail = ullSize > sizeof acTail
                                         ? std::string_view(acTail, dwTail)
                                         : strHead.substr(0, static_cast<std::size_t>(ullSize));
    const std::size_t uLastStart = strTail.size() < 2 ? 0 : strTail.rfind('\n', strTail.size() - 2);
    if (uLastStart != std::string_view::npos && strTail.ends_with('\n')) {
        const std::string_view strLast =
            strTail.substr(uLastStart + 1, strTail.size() - uLastStart - 2);
        CJournalContent last;
        if (ParseLine(SplitFields(strLast), last)) {
            summary.m_bUndone = last.m_bUndone;
            summary.m_bEnded = last.m_bEnded;
            summary.m_dwMovedAtEnd = last.m_dwMovedAtEnd;
        }
    }
    return TRUE;
}

std::vector<CJournalEntry> ListJournals(LPCSTR pcFolder) {
    std::vector<CJournalEntry> vecJournals;
    WIN32_FIND_DATAA data;
    const CString strPattern = CString(pcFolder) + "\\*" + kJournalSuffix;
    const HANDLE hFind = FindFirstFileA(strPattern, &data);
    if (hFind == INVALID_HANDLE_VALUE) {
        return vecJournals;
    }
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        CJournalEntry entry;
        entry.m_strName = data.cFileName;
        entry.m_strPath = CString(pcFolder) + "\\" + data.cFileName;
        entry.m_ullBytes = MakeUInt64(data.nFileSizeLow, data.nFileSizeHigh);
        entry.m_ullWriteTime =
            MakeUInt64(data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime);
        vecJournals.push_back(std::move(entry));
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    // The names start with the time, digits of fixed width: their order is the runs' order.
    std::sort(vecJournals.begin(), vecJournals.end(),
              [](const CJournalEntry& a, const CJournalEntry& b) {
                  return std::strcmp(a.m_strName, b.m_strName) < 0;
              });
    return vecJournals;
}

void PruneJournals(LPCSTR pcFolder, ULONGLONG ullNow, DWORD dwMaxAgeDays, DWORD dwKeep) {
    const std::vector<CJournalEntry> vecJournals = ListJournals(pcFolder);
    if (vecJournals.size() <= dwKeep) {
        return;
    }
    const ULONGLONG ullMaxAge = dwMaxAgeDays * kFileTimePerDay;
    for (std::size_t i = 0; i + dwKeep < vecJournals.size(); ++i) {
        const CJournalEntry& entry = vecJournals[i];
        if (entry.m_ullWriteTime < ullNow && ullNow - entry.m_ullWriteTime > ullMaxAge) {
            DeleteFileA(entry.m_strPath);
        }
    }
}
