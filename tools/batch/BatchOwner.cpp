#include "tools/batch/BatchOwner.h"

#include "app/core/ConflictReport.h"
#include "app/core/MovePlan.h"
#include "tools/batch/Terminal.h"

CBatchOwner::CBatchOwner(BOOL bFilterActive, bool bDryRun)
    : m_bFilterActive(bFilterActive), m_bDryRun(bDryRun) {
    m_collection.SetSkipHost(this);
    m_collection.TrackWalkedFolders(TRUE);
    // The walk and the picker's listings run on this thread.
    m_pPreviousListener = tessaly::win32::SetListingOmissionListener(&OnListingOmission, this);
}

CBatchOwner::~CBatchOwner() {
    tessaly::win32::SetListingOmissionListener(m_pPreviousListener, nullptr);
    m_collection.SetSkipHost(nullptr);
}

void CBatchOwner::ShowDuplicateCount(DWORD dwCount) {
    m_dwDuplicates += dwCount;
    PrintAnsiLine(FormatDuplicateCountMessage(dwCount));
}

void CBatchOwner::WriteDuplicateReport(const CString& strPathList) {
    // Every conflicting path on the terminal too, with its own characters.
    const std::string strList(strPathList.GetString(),
                              static_cast<size_t>(strPathList.GetLength()));
    for (size_t uStart = 0; uStart < strList.size();) {
        size_t uEnd = strList.find('\n', uStart);
        if (uEnd == std::string::npos) {
            uEnd = strList.size();
        }
        PrintLine("  " + ShowPath(strList.substr(uStart, uEnd - uStart).c_str()));
        uStart = uEnd + 1;
    }
    if (m_bDryRun) {
        PrintLine("  (dry run: " + ShowPath(GetConflictReportPath()) + " left as it was)");
        return;
    }
    // The report is written as the window writes it; a terminal opens no viewer.
    if (WriteConflictReport(strPathList)) {
        PrintLine("  ConflictFile.txt: " + ShowPath(GetConflictReportPath()));
    } else {
        m_bReportFailed = true;
        PrintError("could not write " + ShowPath(GetConflictReportPath()));
    }
}

void CBatchOwner::LeaveOut(const std::string& strWhat) {
    ++m_dwLeftOut;
    PrintError("left out " + strWhat);
}

void CBatchOwner::NoteWalkedBefore(const std::string& strPath, const std::string& strFirst) {
    PrintError("not walked again: " + strPath + " is the folder already walked as " + strFirst);
}

void CBatchOwner::OnCollectSkip(LPCSTR pcPath, ECollectSkip eWhy, DWORD dwError,
                                LPCSTR pcFirstPath) {
    const std::string strPath = ShowPath(pcPath);
    switch (eWhy) {
    case ECollectSkip::FolderNotEntered:
        LeaveOut(strPath + ": folder cannot be entered: " + SystemReason(dwError));
        break;
    case ECollectSkip::FolderNotListed:
        LeaveOut(strPath + ": folder cannot be read: " + SystemReason(dwError));
        break;
    case ECollectSkip::FilterGaveUp:
        LeaveOut(strPath + ": the regular expression is too complex for this name");
        break;
    case ECollectSkip::FolderWalkedBefore:
        NoteWalkedBefore(strPath, ShowPath(pcFirstPath));
        break;
    }
}

void CBatchOwner::OnListingOmission(void* pContext, std::string_view strFolder,
                                    std::string_view strName,
                                    tessaly::win32::ListingOmission eReason) {
    auto* pOwner = static_cast<CBatchOwner*>(pContext);
    const std::string strPath = JoinShownPath(std::string(strFolder), strName);
    if (eReason == tessaly::win32::ListingOmission::Unmappable) {
        pOwner->LeaveOut(strPath + ": the name cannot be mapped to the program's code page");
    } else {
        pOwner->LeaveOut(strPath + ": the name is too long for the program (its CP932 form "
                                   "reaches 260 bytes)");
    }
}
