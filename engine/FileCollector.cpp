#include "engine/FileCollector.h"

#include <algorithm>
#include <string_view>

#include "engine/RunState.h"
#include "platform/win32/Win32.h"
#include "support/PathHelpers.h"
#include "support/SJisConv.h"

CFileCollector::CFileCollector() : m_bExtFilter(FALSE), m_bUseRegex(FALSE), m_bRegexOk(FALSE) {
    // A filter the user never set accepts every non-empty name.
    m_bRegexOk = m_regex.SetPattern(u".+");
}

CFileCollector::~CFileCollector() = default;

BOOL CFileCollector::PassesFilter(CMyWString& strName, BOOL bStripFolder) {
    if (bStripFolder && !strName.LeaveFileName()) {
        return FALSE;
    }
    if (m_bUseRegex) {
        return m_bRegexOk &&
               m_regex.IsMatch(strName.GetBuff() != nullptr ? strName.GetBuff() : u"");
    }
    if (!m_bExtFilter || !strName.LeaveExtension(kMaxExtLen)) {
        return FALSE;
    }
    return ExtensionMatches(strName);
}

BOOL CFileCollector::PassesFilterOnName(LPCSTR pcName) {
    // An ASCII name against an ASCII extension is compared on its bytes, as its UTF-16 form would
    // be: most names of a walk need no conversion.
    const std::string_view strName(pcName);
    const std::string_view strFilter(m_strExtFilter,
                                     static_cast<size_t>(m_strExtFilter.GetLength()));
    const auto isAscii = [](std::string_view str) {
        return std::all_of(str.begin(), str.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    if (m_bUseRegex || !m_bExtFilter || !isAscii(strName) || !isAscii(strFilter)) {
        m_strNameWide = pcName;
        return PassesFilter(m_strNameWide, FALSE);
    }
    const size_t uDot = strName.rfind('.');
    if (uDot == std::string_view::npos ||
        strName.find_first_of("\\/", uDot) != std::string_view::npos) {
        return FALSE;
    }
    const std::string_view strExt = strName.substr(uDot + 1);
    return !strExt.empty() && strExt.size() <= kMaxExtLen && strExt.size() == strFilter.size() &&
           std::equal(strExt.begin(), strExt.end(), strFilter.begin(), [](char a, char b) {
               return CMyWString::FoldAscii(static_cast<WCHAR>(a)) ==
                      CMyWString::FoldAscii(static_cast<WCHAR>(b));
           });
}

BOOL CFileCollector::ExtensionMatches(const CMyWString& strExt) {
    // The walk tests every file against the same setting: convert it once, not per file.
    if (m_strExtFilterSeen != m_strExtFilter || m_strExtFilterWide.GetLength() == 0) {
        m_strExtFilterWide = m_strExtFilter.GetString();
        m_strExtFilterSeen = m_strExtFilter;
    }
    if (m_strExtFilterWide.GetLength() == 0 || m_strExtFilterWide.GetBuff() == nullptr) {
        return FALSE;
    }
    return strExt.Compare(m_strExtFilterWide.GetBuff(), TRUE) == 0;
}

BOOL CFileCollector::AddFound(LPCSTR pcFolder, const WIN32_FIND_DATAA& findData) {
    return AddFoundIn(pcFolder, findData, FALSE);
}

BOOL CFileCollector::AddFoundFiltered(LPCSTR pcFolder, const WIN32_FIND_DATAA& findData) {
    return AddFoundIn(pcFolder, findData, TRUE);
}

BOOL CFileCollector::AddFoundIn(LPCSTR pcFolder, const WIN32_FIND_DATAA& findData, BOOL bFiltered) {
    if (!MakeRoom(kPickedFileGrowBy)) {
        return FALSE;
    }
    if ((findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FALSE;
    }
    if (bFiltered) {
        if (!PassesFilterOnName(findData.cFileName)) {
            TellIfFilterGaveUp(CString(pcFolder), findData.cFileName);
            return FALSE;
        }
    }
    return AddFile(CString(pcFolder), findData);
}

void CFileCollector::TellIfFilterGaveUp(const CString& strFolder, LPCSTR pcName) {
    if (m_pSkipHost != nullptr && m_bUseRegex && m_regex.LastMatchGaveUp()) {
        CString strPath;
        strPath.Format("%s\\%s", strFolder.GetString(), pcName);
        TellSkip(strPath, ECollectSkip::FilterGaveUp, 0);
    }
}

BOOL CFileCollector::AddFile(const CString& strFolder, const WIN32_FIND_DATAA& findData) {
    if (strFolder.IsEmpty()) {
        return FALSE;
    }
    CFileEntry entry;
    entry.m_strFullPath.Join(strFolder.GetString(), '\\', findData.cFileName);
    if (FindByPath(entry.m_strFullPath) != -1 ||
        IsDanglingLink(entry.m_strFullPath, findData, TRUE)) {
        return FALSE;
    }
    entry.m_strFolder = strFolder;
    entry.m_strName = findData.cFileName;
    entry.m_ullSize = MakeUInt64(findData.nFileSizeLow, findData.nFileSizeHigh);
    entry.m_strRoot = g_strPickRoot;
    return Append(entry);
}

BOOL CFileCollector::AddPath(LPCSTR pcPath, BOOL bRecurse) {
    return AddPathIn(pcPath, bRecurse, FALSE);
}

BOOL CFileCollector::AddPathFiltered(LPCSTR pcPath, BOOL bRecurse) {
    return AddPathIn(pcPath, bRecurse, TRUE);
}

BOOL CFileCollector::AddPathIn(LPCSTR pcPath, BOOL bRecurse, BOOL bFiltered) {
    if (pcPath == nullptr || pcPath[0] == 0) {
        return FALSE;
    }
    WIN32_FIND_DATAA findData = {};
    const HANDLE hFind = FindFirstFileA(pcPath, &findData);
    if (hFind == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    FindClose(hFind);

    if ((findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (!bRecurse) {
            return FALSE;
        }
        return bFiltered ? ScanFolderFiltered(pcPath, TRUE) : ScanFolder(pcPath, TRUE);
    }

    if (bFiltered) {
        CMyWString strName(pcPath);
        if (!PassesFilter(strName, TRUE)) {
            return FALSE;
        }
    }
    // The folder part ends at the last separator; a trail byte 0x5C is not one.
    const int iBackslash = ReverseFindByteSJis(pcPath, '\\');
    const int iSlash = ReverseFindByteSJis(pcPath, '/');
    const int iSep = iBackslash > iSlash ? iBackslash : iSlash;
    if (iSep < 0) {
        return FALSE;
    }
    // A single path grows the store by one entry only.
    if (GetCount() >= GetCapacity() &&
        (GetCount() == 0xFFFFFFFF || !SetCapacity(GetCount() + 1, TRUE))) {
        return FALSE;
    }
    return AddFile(CString(pcPath, iSep), findData);
}

BOOL CFileCollector::IsFilterUsable() const {
    return m_bUseRegex ? m_bRegexOk : m_bExtFilter;
}
