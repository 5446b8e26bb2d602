// The owner of the batch tool's collection: what the window shows, said on the terminal, and every
// file or folder the walk could not take, named on standard error with its reason and counted.
#pragma once

#include <string>
#include <string_view>

#include "engine/CollectionHost.h"
#include "engine/FileCollector.h"
#include "platform/win32/ListingOmissions.h"

class CBatchOwner : public ICollectionOwner, public ICollectionSkipHost {
public:
    // bDryRun: ConflictFile.txt is left as it was; the conflicts are only listed.
    CBatchOwner(BOOL bFilterActive, bool bDryRun);
    ~CBatchOwner() override;
    CBatchOwner(const CBatchOwner&) = delete;
    CBatchOwner& operator=(const CBatchOwner&) = delete;

    CFileCollector& GetCollection() override { return m_collection; }
    void SetNextPickerFolder(const CString&) override {}
    BOOL IsFilterActive() const override { return m_bFilterActive; }
    void ShowDuplicateCount(DWORD dwCount) override;
    void WriteDuplicateReport(const CString& strPathList) override;
    BOOL FillList() override { return TRUE; }
    void ShowByteTotal(ULONGLONG ullTotal) override { m_ullTotal = ullTotal; }
    void PostWorkDone() override {}

    void OnCollectSkip(LPCSTR pcPath, ECollectSkip eWhy, DWORD dwError,
                       LPCSTR pcFirstPath) override;

    // Names something the tool could not take, with its reason, and counts it.
    void LeaveOut(const std::string& strWhat);
    // Names a folder not walked again (its files were taken as the first path), without counting.
    void NoteWalkedBefore(const std::string& strPath, const std::string& strFirst);

    void SetFilterActive(BOOL bFilterActive) { m_bFilterActive = bFilterActive; }
    ULONGLONG GetByteTotal() const { return m_ullTotal; }
    DWORD GetDuplicateCount() const { return m_dwDuplicates; }
    DWORD GetLeftOutCount() const { return m_dwLeftOut; }
    bool ReportFailed() const { return m_bReportFailed; }

private:
    static void OnListingOmission(void* pContext, std::string_view strFolder,
                                  std::string_view strName,
                                  tessaly::win32::ListingOmission eReason);

    CFileCollector m_collection;
    BOOL m_bFilterActive;
    bool m_bDryRun;
    ULONGLONG m_ullTotal = 0;
    DWORD m_dwDuplicates = 0;
    DWORD m_dwLeftOut = 0;
    bool m_bReportFailed = false;
    tessaly::win32::ListingOmissionListener m_pPreviousListener = nullptr;
};
