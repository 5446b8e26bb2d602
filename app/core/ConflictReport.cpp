#include "app/core/ConflictReport.h"

#include "engine/FileWriter.h"
#include "platform/framework/core/MessageBox.h"
#include "platform/framework/core/Shell.h"
#include "support/AnsiText.h"
#include "support/MyWString.h"
#include "support/SJisConv.h"
#include "support/StartUp.h"

CString FormatDuplicateCountMessage(DWORD dwCount) {
    const CString strFormat = CMyWString(u"※　%u 個のファイルが重複しています。").GetString();
    CString strText;
    strText.Format(strFormat, dwCount);
    return strText;
}

CString FormatDuplicateCountBox(DWORD dwCount) {
    CString strText = FormatDuplicateCountMessage(dwCount);
    if (AreReportsElsewhere()) {
        strText += CMyWString(u"\n重複ファイルの一覧：").GetString();
        strText += GetConflictReportPath();
    }
    return strText;
}

CString GetConflictReportPath() {
    CString strPath;
    strPath.Format("%s\\ConflictFile.txt", g_strReportFolder.GetString());
    return strPath;
}

BOOL WriteConflictReport(const CString& strPathList) {
    // Every step is checked: a report that lost its paths, or an empty one, must not replace the
    // file (the old one stays and FALSE says so).
    CMyWString strReport(strPathList.GetString());
    const DWORD dwListBytes = static_cast<DWORD>(strPathList.GetLength());
    if (strReport.GetError() || (dwListBytes > 0 && strReport.GetLength() == 0) ||
        IsEndingInSJisLeadByte(strPathList.GetString(), dwListBytes)) {
        return FALSE;
    }
    DWORD dwLineFeeds = 0;
    for (DWORD i = 0; i < strReport.GetLength(); ++i) {
        dwLineFeeds += strReport.GetBuff()[i] == u'\n' ? 1 : 0;
    }
    if (strReport.ReplaceAll(0, u"\n", 1, u"\r\n", 2) != dwLineFeeds ||
        !strReport.Insert(0, u"=====  重複したファイルのリスト  =====\r\n") ||
        !strReport.Append(u"\r\n") || strReport.GetError()) {
        return FALSE;
    }
    CString strBytes;
    if (!strReport.CopySectorData(&strBytes, 0, strReport.GetLength()) || strBytes.IsEmpty()) {
        return FALSE;
    }

    // A name outside CP932 is readable only in UTF-8.
    const std::string strFile = BytesForReader(strBytes.Str());
    return WriteAndOpenReport(GetConflictReportPath(), strFile, "ConflictFile.txt");
}

BOOL WriteAndOpenReport(const CString& strPath, const std::string& strFile, LPCSTR pcFileName) {
    CFileWriter writer;
    if (!writer.WriteAll(strPath, strFile.data(), static_cast<ULONGLONG>(strFile.size()))) {
        return FALSE;
    }
    // No viewer is no failure of the report: it stays on disk, and the user is told where.
    const HINSTANCE hOpened =
        ShellExecuteA(nullptr, "open", strPath, nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(hOpened) <= 32) {
        CString strMessage = pcFileName;
        strMessage += AnsiFromUtf8(" を開けませんでした。ファイルの場所：\n");
        strMessage += strPath;
        AfxMessageBox(strMessage, MB_OK | MB_ICONINFORMATION);
    }
    return TRUE;
}
