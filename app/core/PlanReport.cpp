#include "app/core/PlanReport.h"

#include "app/core/ConflictReport.h"
#include "app/core/MovePlan.h"
#include "app/core/ShownPath.h"
#include "platform/win32/NameCodec.h"
#include "support/AnsiText.h"
#include "support/StartUp.h"

CString GetMovePlanPath() {
    CString strPath;
    strPath.Format("%s\\MovePlan.txt", g_strReportFolder.GetString());
    return strPath;
}

std::string FormatMovePlan(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt) {
    std::string strText;
    ForgetShownFolders();
    PredictBatchPass(store, pcOperationFolder, pcTargetExt,
                     [&](DWORD, const MovePaths& paths, const CBatchResult& result) {
                         const CBatchEntryText text =
                             DescribeBatchEntry(paths, result, store, true);
                         strText += text.m_strLine;
                         strText += "\r\n";
                         if (!text.m_strReason.empty()) {
                             strText += text.m_strReason;
                             strText += "\r\n";
                         }
                     });
    return strText;
}

BOOL WriteMovePlan(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt) {
    const std::string strText = FormatMovePlan(store, pcOperationFolder, pcTargetExt);
    // A name outside CP932 (or bytes that are no text at all) is readable only in UTF-8.
    std::string strFile;
    if (!tessaly::win32::Utf8ToAnsi(strText, strFile) || HoldsCodesOutsideCp932(strFile)) {
        strFile = std::string(kUtf8Bom) + strText;
    }
    return WriteAndOpenReport(GetMovePlanPath(), strFile, "MovePlan.txt");
}
