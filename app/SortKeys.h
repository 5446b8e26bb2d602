// What the list's comparator reads during one column sort: each identifier's entry and its rank in
// the clicked column's order (names by their UTF-16 form with ASCII letters folded, sizes, folders
// as _mbscmp orders them), entries that compare equal sharing a rank. Built once per sort, so that
// a comparison reads two numbers instead of searching the identifier index or converting a text.
#pragma once

#include <vector>

#include "engine/FileCollector.h"
#include "platform/framework/core/LargeMemory.h"

// An array of one slot per row or identifier.
template <typename T> using CRowArray = tessaly::framework::LargeVector<T>;

class CSortKeys {
public:
    static constexpr DWORD kNoRank = 0xFFFFFFFF;

    // iColumn 0 ranks the names, 1 the sizes, 2 the folders.
    void Build(const CFileCollector& store, int iColumn);
    void Clear();
    BOOL IsBuilt() const { return m_bBuilt; }
    // The column the ranks were built for; -1 when none are.
    int Column() const { return m_bBuilt ? m_iColumn : -1; }

    // The built store's entry of the identifier; nullptr where none has it.
    const CFileEntry* Entry(DWORD nId) const {
        return m_pStore != nullptr ? m_pStore->FindById(nId) : nullptr;
    }
    // kNoRank where no entry has the identifier.
    DWORD Rank(DWORD nId) const { return nId < m_vecRanks.size() ? m_vecRanks[nId] : kNoRank; }
    // The order of two identifiers' entries in the built column (-1, 0, 1): as
    // CMyWString::Compare(…, TRUE) orders the names (a name that could not be converted before
    // every other), as the sizes compare, as _mbscmp orders the folders.
    int Compare(DWORD nId1, DWORD nId2) const {
        const DWORD dwRank1 = Rank(nId1);
        const DWORD dwRank2 = Rank(nId2);
        return dwRank1 < dwRank2 ? -1 : dwRank1 > dwRank2 ? 1 : 0;
    }

    // The rows in the built column's order, stable, as positions: vecIds[i] is row i's identifier,
    // iDir 1 orders up, -1 down; rows whose identifier has no entry come last. A counting sort
    // over the ranks (rows of a rank each placed by the ranks taken below theirs), so the work
    // grows with the rows and no comparison is made.
    // vecIds is taken by value: its slots hold each row's bucket between the two passes.
    CRowArray<int> Order(std::vector<DWORD_PTR> vecIds, int iDir) const;

private:
    // Each ranks the store's entries in store order, where their texts lie one after the other
    // (the names in RankNamesInto).
    void RankSizes(const CFileCollector& store);
    void RankFolders(const CFileCollector& store);

    const CFileCollector* m_pStore = nullptr;
    CRowArray<DWORD> m_vecRanks;
    DWORD m_dwTopRank = 0; // the highest rank given
    int m_iColumn = -1;
    BOOL m_bBuilt = FALSE;
};
