#include "engine/FileEntry.h"

#include "support/AnsiText.h"
#include "support/SJisConv.h"
#include "support/TraceLog.h"

CFileInfo::CFileInfo() : m_ullSize(0) {}

CFileInfo::~CFileInfo() = default;

CFileEntry::CFileEntry() : m_nId(kNoId) {}

CFileEntry::~CFileEntry() = default;

CString CFileEntry::FormatDump() const {
    CString strDump;
    const CString strFormat = AnsiFromUtf8("：%s\n：%s\n：%s\n：%I64u\n：%s\n:ID[%u]\n");
    strDump.Format(strFormat, m_strFullPath.GetString(), m_strFolder.GetString(),
                   m_strName.GetString(), m_ullSize, m_strRoot.GetString(), m_nId);
    // Long paths could fill more than the buffer: cut to it, never in the middle of a character.
    int iLen = strDump.GetLength();
    if (iLen > static_cast<int>(kDumpBuffSize) - 1) {
        iLen = static_cast<int>(kDumpBuffSize) - 1;
        if (IsEndingInSJisLeadByte(strDump.GetString(), static_cast<DWORD>(iLen))) {
            --iLen;
        }
        strDump = strDump.Left(iLen);
    }
    return strDump;
}

void CFileEntry::DumpToTrace() const {
    AppendTraceText(FormatDump(), FALSE);
}
