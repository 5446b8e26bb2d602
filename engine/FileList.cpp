#include "engine/FileList.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/framework/core/LargeMemory.h"
#include "platform/framework/core/MessageBox.h"
#include "support/AnsiText.h"

CFileList::CFileList() : m_index(m_aEntries) {}

CFileList::~CFileList() = default;

int CFileList::FindByPath(LPCSTR pcPath) const {
    if (pcPath == nullptr || pcPath[0] == '\0') {
        return -1;
    }
    return static_cast<int>(m_index.FindPath(pcPath));
}

const CFileEntry* CFileList::FindById(DWORD nId) const {
    if (nId == CFileEntry::kNoId) {
        return nullptr;
    }
    const long long llPos = m_index.FindId(nId);
    return llPos < 0 ? nullptr : &m_aEntries[static_cast<DWORD>(llPos)];
}

BOOL CFileList::RemoveAt(DWORD dwIndex) {
    const DWORD dwCount = m_aEntries.GetCount();
    if (dwIndex >= dwCount) {
        return FALSE;
    }
    m_index.Unlink(dwIndex, nullptr);
    m_index.ErasePosition(dwIndex);
    for (DWORD i = dwIndex + 1; i < dwCount; ++i) {
        m_aEntries[i - 1] = std::move(m_aEntries[i]);
    }
    m_aEntries.SetCount(dwCount - 1);
    return TRUE;
}

BOOL CFileList::RemoveByPath(LPCSTR pcPath) {
    const int iPos = FindByPath(pcPath);
    if (iPos < 0) {
        return FALSE;
    }
    const DWORD nId = m_aEntries[static_cast<DWORD>(iPos)].m_nId;
    if (nId != CFileEntry::kNoId) {
        ReleaseId(nId);
    }
    return RemoveAt(static_cast<DWORD>(iPos));
}

template <typename PathAt> DWORD CFileList::RemoveEach(std::size_t uPaths, PathAt pathAt) {
    // One RemoveByPath per path would shift the array once per path; marking first and closing
    // the gaps in one pass gives the same store, stack and count. Nothing moves until the end,
    // so every find gives a position in the array as it was.
    const DWORD dwCount = m_aEntries.GetCount();
    if (uPaths == 0 || dwCount == 0) {
        return 0;
    }
    std::vector<bool> vecGone(dwCount, false);
    DWORD dwRemoved = 0;
    for (std::size_t i = 0; i < uPaths; ++i) {
        const int iPos = FindByPath(pathAt(i));
        if (iPos < 0) {
            continue;
        }
        const DWORD dwPos = static_cast<DWORD>(iPos);
        const DWORD nId = m_aEntries[dwPos].m_nId;
        if (nId != CFileEntry::kNoId) {
            ReleaseId(nId);
        }
        m_index.Unlink(dwPos, &vecGone);
        vecGone[dwPos] = true;
        ++dwRemoved;
    }
    if (dwRemoved == 0) {
        return 0;
    }
    CloseGaps(vecGone, TRUE);
    return dwRemoved;
}

void CFileList::CloseGaps(const std::vector<bool>& vecGone, BOOL bUnlinked) {
    const DWORD dwCount = m_aEntries.GetCount();
    if (bUnlinked) {
        m_index.ErasePositions(vecGone);
    }
    DWORD dwKept = 0;
    for (DWORD i = 0; i < dwCount; ++i) {
        if (vecGone[i]) {
            continue;
        }
        if (dwKept != i) {
            m_aEntries[dwKept] = std::move(m_aEntries[i]);
        }
        ++dwKept;
    }
    // The slots left behind give their texts back now, not when they are next written.
    for (DWORD i = dwKept; i < dwCount; ++i) {
        m_aEntries[i] = CFileEntry();
    }
    m_aEntries.SetCount(dwKept);
    if (!bUnlinked) {
        m_index.Rebuild();
    }
}

int CFileList::FindPosById(DWORD nId) const {
    if (nId == CFileEntry::kNoId) {
        return -1;
    }
    return static_cast<int>(m_index.FindId(nId));
}

void CFileList::FindPosByIds(const std::vector<DWORD>& vecIds,
                             std::vector<int>* pvecPositions) const {
    pvecPositions->resize(vecIds.size());
    const DWORD dwCount = m_aEntries.GetCount();
    // A few identifiers go through the index; many through one pass over the store, which reads
    // it in order where a million lookups would each land anywhere in the index's tables.
    DWORD nTop = 0;
    for (DWORD nId : vecIds) {
        if (nId != CFileEntry::kNoId) {
            nTop = std::max(nTop, nId);
        }
    }
    // Identifiers far above the count (not expected) would make the table too large.
    if (vecIds.size() < dwCount / 16 + 1 || nTop / 4 > dwCount) {
        for (size_t i = 0; i < vecIds.size(); ++i) {
            (*pvecPositions)[i] = FindPosById(vecIds[i]);
        }
        return;
    }
    constexpr int kNotAsked = -2;
    tessaly::framework::LargeVector<int> vecPosOf(static_cast<size_t>(nTop) + 1, kNotAsked);
    for (DWORD nId : vecIds) {
        if (nId != CFileEntry::kNoId) {
            vecPosOf[nId] = -1;
        }
    }
    for (DWORD i = 0; i < dwCount; ++i) {
        const DWORD nId = m_aEntries[i].m_nId;
        // The first holder of an identifier is the one a find gives.
        if (nId <= nTop && vecPosOf[nId] == -1) {
            vecPosOf[nId] = static_cast<int>(i);
        }
    }
    for (size_t i = 0; i < vecIds.size(); ++i) {
        (*pvecPositions)[i] = vecIds[i] == CFileEntry::kNoId ? -1 : vecPosOf[vecIds[i]];
    }
}

DWORD CFileList::RemovePositions(const std::vector<DWORD>& vecPositions) {
    const DWORD dwCount = m_aEntries.GetCount();
    std::vector<bool> vecGone(dwCount, false);
    DWORD dwRemoved = 0;
    // The positions lie anywhere in the store (the rows' order), so each identifier read is a
    // cache miss on a large store: the reads are asked for some entries ahead.
    constexpr size_t kReadAhead = 32;
    for (size_t k = 0; k < vecPositions.size(); ++k) {
        if (k + kReadAhead < vecPositions.size() && vecPositions[k + kReadAhead] < dwCount) {
            __builtin_prefetch(&m_aEntries[vecPositions[k + kReadAhead]].m_nId);
        }
        const DWORD dwPos = vecPositions[k];
        if (dwPos >= dwCount || vecGone[dwPos]) {
            continue;
        }
        const DWORD nId = m_aEntries[dwPos].m_nId;
        if (nId != CFileEntry::kNoId) {
            ReleaseId(nId);
        }
        vecGone[dwPos] = true;
        ++dwRemoved;
    }
    if (dwRemoved == 0) {
        return 0;
    }
    // Taking a few entries out of the index costs less than building it again; a large share of
    // the store (an Exclude of half the rows) costs less the other way.
    const BOOL bUnlink = dwRemoved < dwCount / 8;
    if (bUnlink) {
        for (DWORD i = 0; i < dwCount; ++i) {
            if (vecGone[i]) {
                m_index.Unlink(i, &vecGone);
            }
        }
    }
    CloseGaps(vecGone, bUnlink);
    return dwRemoved;
}

DWORD CFileList::RemoveAll(const CFileList& listOther) {
    return RemoveEach(listOther.GetCount(), [&](std::size_t i) {
        return listOther.GetAt(static_cast<DWORD>(i)).m_strFullPath.GetString();
    });
}

DWORD CFileList::RemovePaths(const std::vector<CString>& vecPaths) {
    return RemoveEach(vecPaths.size(), [&](std::size_t i) { return vecPaths[i].GetString(); });
}

BOOL CFileList::ReleaseId(DWORD nId) {
    return m_aFreeIds.Add(nId);
}

void CFileList::AssignIds() {
    const DWORD dwCount = m_aEntries.GetCount();
    DWORD nMax = 0;
    const DWORD dwFree = m_aFreeIds.GetCount();
    for (DWORD i = 0; i < dwFree; ++i) {
        if (m_aFreeIds[i] != CFileEntry::kNoId && m_aFreeIds[i] > nMax) {
            nMax = m_aFreeIds[i];
        }
    }
    for (DWORD i = 0; i < dwCount; ++i) {
        if (m_aEntries[i].m_nId != CFileEntry::kNoId && m_aEntries[i].m_nId > nMax) {
            nMax = m_aEntries[i].m_nId;
        }
    }
    DWORD nNext = nMax + 1;
    for (DWORD i = 0; i < dwCount; ++i) {
        CFileEntry& entry = m_aEntries[i];
        if (entry.m_nId != CFileEntry::kNoId) {
            continue;
        }
        const DWORD dwTop = m_aFreeIds.GetCount();
        if (dwTop > 0) {
            entry.m_nId = m_aFreeIds[dwTop - 1];
            m_aFreeIds.SetCount(dwTop - 1);
        } else {
            entry.m_nId = nNext++;
        }
        // A stacked 0xFFFFFFFF (or a fresh one wrapped to it) still means "none".
        if (entry.m_nId != CFileEntry::kNoId) {
            m_index.OnIdAssigned(i, entry.m_nId);
        }
    }
}

void CFileList::Reset() {
    const DWORD dwCapacity = m_aEntries.GetCapacity();
    for (DWORD i = 0; i < dwCapacity; ++i) {
        m_aEntries[i] = CFileEntry();
    }
    m_aEntries.SetCount(0);
    m_aFreeIds.SetCount(0);
    m_index.Clear();
}

void CFileList::Clear() {
    m_aEntries.Release();
    m_index.Clear();
}

ULONGLONG CFileList::TotalSize() const {
    ULONGLONG ullTotal = 0;
    const DWORD dwCount = m_aEntries.GetCount();
    for (DWORD i = 0; i < dwCount; ++i) {
        ullTotal += m_aEntries[i].m_ullSize;
    }
    return ullTotal;
}

DWORD CFileList::BuildPathList(CString& strOut, ULONGLONG ullLimit) const {
    const DWORD dwCount = m_aEntries.GetCount();
    strOut.Empty();
    if (dwCount == 0) {
        return 0;
    }
    ULONGLONG ullSum = 0;
    for (DWORD i = 0; i < dwCount; ++i) {
        ullSum += static_cast<ULONGLONG>(m_aEntries[i].m_strFullPath.GetLength()) + 1;
    }
    if (ullSum >= ullLimit || ullSum >= kMaxPathListBytes) {
        AfxMessageBox(AnsiFromUtf8("ファイルパスリストが大きくなりすぎます。"), MB_OK);
        return 0;
    }
    LPTSTR pcOut = strOut.GetBufferSetLength(static_cast<int>(ullSum));
    for (DWORD i = 0; i < dwCount; ++i) {
        const CSharedText& strPath = m_aEntries[i].m_strFullPath;
        const std::size_t uLen = static_cast<std::size_t>(strPath.GetLength());
        std::memcpy(pcOut, strPath.GetString(), uLen);
        pcOut += uLen;
        *pcOut++ = '\n';
    }
    strOut.ReleaseBuffer(static_cast<int>(ullSum));
    return dwCount;
}

BOOL CFileList::Append(const CFileEntry& entry) {
    if (!m_aEntries.Add(entry)) {
        return FALSE;
    }
    // The stored copy, not the argument: the argument may have lived in the old storage.
    m_index.OnAppend(m_aEntries[m_aEntries.GetCount() - 1]);
    return TRUE;
}

BOOL CFileList::MakeRoom(DWORD dwGrowBy) {
    const DWORD dwCapacity = m_aEntries.GetCapacity();
    if (m_aEntries.GetCount() < dwCapacity) {
        return TRUE;
    }
    if (dwCapacity == CDynArray<CFileEntry>::kMaxCapacity) {
        return FALSE;
    }
    const DWORD dwRoom = CDynArray<CFileEntry>::kMaxCapacity - dwCapacity;
    return m_aEntries.SetCapacity(dwCapacity + (dwGrowBy < dwRoom ? dwGrowBy : dwRoom), TRUE);
}

BOOL CFileList::SetCapacity(DWORD dwCapacity, BOOL bKeep) {
    const DWORD dwBefore = m_aEntries.GetCount();
    if (!m_aEntries.SetCapacity(dwCapacity, bKeep)) {
        if (!bKeep) {
            m_index.Clear();
        }
        return FALSE;
    }
    if (m_aEntries.GetCount() != dwBefore) {
        m_index.Rebuild();
    }
    return TRUE;
}
