#include "app/core/ConflictReport.h"

#include "engine/FileWriter.h"
#include "platform/framework/core/Shell.h"
#include "support/MyWString.h"
#include "support/StartUp.h"

CString FormatDuplicateCountMessage(DWORD dwCount) {
    const CString strFormat = CMyWString(u"※　%u 個のファイルが重複しています。").GetString();
    CString strText;
    strText.Format(strFormat, dwCount);
    return strText;
}

CString GetConflictReportPath() {
    CString strPath;
    strPath.Format("%s\\ConflictFile.txt", g_strExeFolder.GetString());
    return strPath;
}

BOOL WriteConflictReport(const CString& strPathList) {
    CMyWString strReport(strPathList.GetString());
    strReport.ReplaceAll(0, u"\n", 1, u"\r\n", 2);
    strReport.Insert(0, u"=====  重複したファイルのリスト  =====\r\n");
    strReport.Append(u"\r\n");
    if (strReport.GetError()) {
        return FALSE;
    }
    const CString strBytes = strReport.GetString();

    const CString strPath = GetConflictReportPath();
    CFileWriter writer;
    if (!writer.WriteAll(strPath, strBytes.GetString(),
                         static_cast<ULONGLONG>(strBytes.GetLength()))) {
        return FALSE;
    }
    // No viewer registered is no failure of the report: it stays on disk.
    ShellExecuteA(nullptr, "open", strPath, nullptr, nullptr, SW_SHOWNORMAL);
    return TRUE;
}
