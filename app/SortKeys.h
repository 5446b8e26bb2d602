// What the list's comparator reads during one column sort: each identifier's entry, for the name
// column each name's UTF-16 form with ASCII letters folded, for the folder column each folder's
// rank among the distinct folders, for the size column the sizes side by side. Built once per sort,
// so that the comparator neither searches the identifier index nor converts or walks a text per
// comparison.
#pragma once

#include <string>
#include <vector>

#include "engine/FileCollector.h"

class CSortKeys {
public:
    // iColumn 0 adds the names' folded forms, 1 the sizes, 2 the folders' ranks.
    void Build(const CFileCollector& store, int iColumn);
    void Clear();
    BOOL IsBuilt() const { return m_bBuilt; }
    BOOL HasNames() const { return m_bBuilt && !m_vecNames.empty() ? TRUE : FALSE; }
    BOOL HasSizes() const { return m_bBuilt && !m_vecSizes.empty() ? TRUE : FALSE; }
    BOOL HasFolders() const { return m_bBuilt && !m_vecFolderRanks.empty() ? TRUE : FALSE; }

    // nullptr where no entry has the identifier.
    const CFileEntry* Entry(DWORD nId) const {
        return nId < m_vecEntries.size() ? m_vecEntries[nId] : nullptr;
    }
    // The name's order against another, as CMyWString::Compare(…, TRUE) gives it.
    int CompareNames(DWORD nId1, DWORD nId2) const;
    int CompareSizes(DWORD nId1, DWORD nId2) const {
        const ULONGLONG ullSize1 = m_vecSizes[nId1];
        const ULONGLONG ullSize2 = m_vecSizes[nId2];
        return ullSize1 < ullSize2 ? -1 : ullSize1 > ullSize2 ? 1 : 0;
    }
    // The folders' order, as _mbscmp gives it.
    int CompareFolders(DWORD nId1, DWORD nId2) const {
        const DWORD dwRank1 = m_vecFolderRanks[nId1];
        const DWORD dwRank2 = m_vecFolderRanks[nId2];
        return dwRank1 < dwRank2 ? -1 : dwRank1 > dwRank2 ? 1 : 0;
    }

private:
    void BuildFolderRanks();

    struct NameKey {
        std::u16string strFolded;
        BOOL bError = FALSE; // the conversion failed: such a name orders before every other
    };
    std::vector<const CFileEntry*> m_vecEntries;
    std::vector<NameKey> m_vecNames;
    std::vector<ULONGLONG> m_vecSizes;
    std::vector<DWORD> m_vecFolderRanks;
    BOOL m_bBuilt = FALSE;
};
