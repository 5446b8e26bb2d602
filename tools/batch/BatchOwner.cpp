#include "tools/batch/BatchOwner.h"

#include "app/core/ConflictReport.h"
#include "tools/batch/Terminal.h"

void CBatchOwner::ShowDuplicateCount(DWORD dwCount) {
    m_dwDuplicates += dwCount;
    PrintAnsiLine(FormatDuplicateCountMessage(dwCount));
}

void CBatchOwner::WriteDuplicateReport(const CString& strPathList) {
    // The report is written as the window writes it; a terminal opens no viewer.
    if (WriteConflictReport(strPathList)) {
        PrintLine("  ConflictFile.txt: " + ShowPath(GetConflictReportPath()));
    } else {
        PrintError("could not write " + ShowPath(GetConflictReportPath()));
    }
}
