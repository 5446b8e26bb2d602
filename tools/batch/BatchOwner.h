// The owner of the batch tool's collection: what the window shows, said on the terminal.
#pragma once

#include "engine/CollectionHost.h"
#include "engine/FileCollector.h"

class CBatchOwner : public ICollectionOwner {
public:
    explicit CBatchOwner(BOOL bFilterActive) : m_bFilterActive(bFilterActive) {}

    CFileCollector& GetCollection() override { return m_collection; }
    void SetNextPickerFolder(const CString&) override {}
    BOOL IsFilterActive() const override { return m_bFilterActive; }
    void ShowDuplicateCount(DWORD dwCount) override;
    void WriteDuplicateReport(const CString& strPathList) override;
    BOOL FillList() override { return TRUE; }
    void ShowByteTotal(ULONGLONG ullTotal) override { m_ullTotal = ullTotal; }
    void PostWorkDone() override {}

    void SetFilterActive(BOOL bFilterActive) { m_bFilterActive = bFilterActive; }
    ULONGLONG GetByteTotal() const { return m_ullTotal; }
    DWORD GetDuplicateCount() const { return m_dwDuplicates; }

private:
    CFileCollector m_collection;
    BOOL m_bFilterActive;
    ULONGLONG m_ullTotal = 0;
    DWORD m_dwDuplicates = 0;
};
