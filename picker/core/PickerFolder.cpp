#include "picker/core/PickerFolder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "support/AnsiText.h"
#include "support/MyWString.h"
#include "support/TraceLog.h"

namespace {

// 64-bit value of a FILETIME or of a record's size halves.
ULONGLONG Join(DWORD dwHigh, DWORD dwLow) {
    return (static_cast<ULONGLONG>(dwHigh) << 32) | dwLow;
}

// Segment tree over positions iFirst..iLast holding, per node, the position of the entry a
// selection sort would pick there: the first one (lowest position) that no later one beats.
// Lets the sort keep the exact order of an in-place selection sort, ties included, in
// O(n log n) instead of O(n^2) for folders of 100,000 entries.
template <class Better> class CSelectionTree {
public:
    CSelectionTree(CFindDataTable& table, int iFirst, int iLast, Better better)
        : m_table(table), m_iFirst(iFirst), m_iCount(iLast - iFirst + 1), m_better(better) {
        m_iLeaves = 1;
        while (m_iLeaves < m_iCount) {
            m_iLeaves *= 2;
        }
        m_aiNode.assign(static_cast<size_t>(2 * m_iLeaves), -1);
        for (int i = 0; i < m_iCount; ++i) {
            m_aiNode[static_cast<size_t>(m_iLeaves + i)] = iFirst + i;
        }
        for (int i = m_iLeaves - 1; i >= 1; --i) {
            m_aiNode[static_cast<size_t>(i)] = Pick(Node(2 * i), Node(2 * i + 1));
        }
    }

    // The position a selection sort picks among iFrom..iLast.
    int BestFrom(int iFrom) const {
        int iLeft = iFrom - m_iFirst + m_iLeaves;
        int iRight = m_iCount - 1 + m_iLeaves + 1; // exclusive
        int iBestLeft = -1;
        int iBestRight = -1;
        while (iLeft < iRight) {
            if (iLeft & 1) {
                iBestLeft = Pick(iBestLeft, Node(iLeft++));
            }
            if (iRight & 1) {
                iBestRight = Pick(Node(--iRight), iBestRight);
            }
            iLeft /= 2;
            iRight /= 2;
        }
        return Pick(iBestLeft, iBestRight);
    }

    void Refresh(int iPos) {
        int iNode = (iPos - m_iFirst + m_iLeaves) / 2;
        while (iNode >= 1) {
            m_aiNode[static_cast<size_t>(iNode)] = Pick(Node(2 * iNode), Node(2 * iNode + 1));
            iNode /= 2;
        }
    }

private:
    int Node(int i) const { return m_aiNode[static_cast<size_t>(i)]; }
    // iLow lies before iHigh: iHigh wins only when strictly better.
    int Pick(int iLow, int iHigh) const {
        if (iLow < 0) {
            return iHigh;
        }
        if (iHigh < 0) {
            return iLow;
        }
        return m_better(m_table, iHigh, iLow) ? iHigh : iLow;
    }

    CFindDataTable& m_table;
    int m_iFirst;
    int m_iCount;
    int m_iLeaves = 1;
    Better m_better;
    std::vector<int> m_aiNode;
};

} // namespace

bool CPickerFolder::IsFolder(int iIndex) const {
    return m_aFindData.GetAttributes(iIndex) == FILE_ATTRIBUTE_DIRECTORY;
}

template <class Better>
void CPickerFolder::SelectionSort(int iFirst, int iLast, Better better, HeadKey headKey) {
    if (iFirst < 0 || iLast - iFirst < 1) {
        return;
    }
    // Where no two keys tie, the selection sort's order is the one sorted order, which a
    // comparison sort of packed heads finds in a fraction of the comparisons and cache misses.
    struct Slot {
        ULONGLONG ullHead;
        int iIndex;
    };
    std::vector<Slot> aSlots(static_cast<size_t>(iLast - iFirst + 1));
    for (int i = iFirst; i <= iLast; ++i) {
        aSlots[static_cast<size_t>(i - iFirst)] = {headKey(m_aFindData, i), i};
    }
    const auto before = [&](const Slot& a, const Slot& b) {
        return a.ullHead != b.ullHead ? a.ullHead < b.ullHead
                                      : better(m_aFindData, a.iIndex, b.iIndex);
    };
    // A folder listed in the order asked for (ASCII names by name) needs no sort at all.
    const bool bInOrder =
        std::adjacent_find(aSlots.begin(), aSlots.end(), [&](const Slot& a, const Slot& b) {
            return !before(a, b);
        }) == aSlots.end();
    if (bInOrder) {
        return;
    }
    std::sort(aSlots.begin(), aSlots.end(), before);
    bool bTie = false;
    for (size_t i = 1; i < aSlots.size() && !bTie; ++i) {
        bTie = !before(aSlots[i - 1], aSlots[i]);
    }
    if (!bTie) {
        std::vector<int> aiOrder(aSlots.size());
        for (size_t i = 0; i < aSlots.size(); ++i) {
            aiOrder[i] = aSlots[i].iIndex;
        }
        m_aFindData.Reorder(iFirst, aiOrder);
        return;
    }
    // Equal keys land where the swaps of the selection sort put them.
    CSelectionTree<Better> tree(m_aFindData, iFirst, iLast, better);
    for (int i = iFirst; i < iLast; ++i) {
        const int iBest = tree.BestFrom(i);
        if (iBest != i) {
            m_aFindData.Swap(i, iBest);
            tree.Refresh(i);
            tree.Refresh(iBest);
        }
    }
}

BOOL CPickerFolder::ListCurrentFolder() {
    m_iItemNum = 0;
    m_iFolderNum = 0;
    if (!SetCurrentDirectoryA(m_strCurDir)) {
        return FALSE;
    }
    WIN32_FIND_DATAA findData;
    HANDLE hFind = FindFirstFileA("*.*", &findData);
    if (hFind == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    do {
        if (IsDotsName(findData.cFileName)) {
            continue;
        }
        findData.dwFileAttributes &= FILE_ATTRIBUTE_DIRECTORY;
        if (!m_aFindData.SetAt(m_iItemNum, findData)) {
            continue;
        }
        ++m_iItemNum;
        if (findData.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY) {
            ++m_iFolderNum;
        }
    } while (FindNextFileA(hFind, &findData));
    FindClose(hFind);
    SortDefault();
    return TRUE;
}

int CPickerFolder::IsDotsName(const char* pcName) {
    if (pcName == nullptr || pcName[0] == '\0') {
        return 1;
    }
    for (const char* pc = pcName; *pc != '\0'; ++pc) {
        if (*pc != '.') {
            return 0;
        }
    }
    return 1;
}

void CPickerFolder::SortDefault() {
    SortFolderFirst();
    SortFolderByNameLoToHi();
    SortFileByNameLoToHi();
}

void CPickerFolder::SortFolderFirst() {
    const int n = m_iItemNum;
    if (n - 1 <= 0) {
        return;
    }
    int iRemaining = m_iFolderNum;
    // Every entry between i and iNextFolder is a file, so each search for "the first folder
    // after i" resumes where the last one stopped.
    int iNextFolder = 0;
    for (int i = 0; i < n - 1; ++i) {
        if (iRemaining < 1) {
            break;
        }
        while (i < n - 1 && IsFolder(i)) {
            ++i;
        }
        if (i < n - 1) {
            if (iNextFolder < i + 1) {
                iNextFolder = i + 1;
            }
            while (iNextFolder < n && !IsFolder(iNextFolder)) {
                ++iNextFolder;
            }
            if (iNextFolder < n) {
                m_aFindData.Swap(i, iNextFolder);
                --iRemaining;
            }
        }
    }
}

int CPickerFolder::CompareNames(const char* pcName1, const char* pcName2) {
    const auto* pb1 = reinterpret_cast<const unsigned char*>(pcName1);
    const auto* pb2 = reinterpret_cast<const unsigned char*>(pcName2);
    for (;; ++pb1, ++pb2) {
        unsigned char b1 = *pb1;
        unsigned char b2 = *pb2;
        if (b1 >= 'A' && b1 <= 'Z') {
            b1 = static_cast<unsigned char>(b1 + ('a' - 'A'));
        }
        if (b2 >= 'A' && b2 <= 'Z') {
            b2 = static_cast<unsigned char>(b2 + ('a' - 'A'));
        }
        if (b1 != b2 || b1 == 0) {
            return static_cast<int>(b1) - static_cast<int>(b2);
        }
    }
}

namespace {
// The orders compare table positions: the fields are read in place, not rebuilt as records.
bool NameLess(const CFindDataTable& t, int a, int b) {
    return CPickerFolder::CompareNames(t.GetName(a), t.GetName(b)) < 0;
}
bool NameGreater(const CFindDataTable& t, int a, int b) {
    return CPickerFolder::CompareNames(t.GetName(a), t.GetName(b)) > 0;
}
bool SizeLess(const CFindDataTable& t, int a, int b) {
    return t.GetFileSize(a) < t.GetFileSize(b);
}
bool SizeGreater(const CFindDataTable& t, int a, int b) {
    return t.GetFileSize(a) > t.GetFileSize(b);
}
bool TimeLess(const CFindDataTable& t, int a, int b) {
    return CPickerFolder::CompareFileTimeStruct(&t.GetWriteTime(a), &t.GetWriteTime(b)) < 0;
}
bool TimeGreater(const CFindDataTable& t, int a, int b) {
    return CPickerFolder::CompareFileTimeStruct(&t.GetWriteTime(a), &t.GetWriteTime(b)) > 0;
}

// Heads: a smaller head comes first in the order; equal heads leave it to the full comparison.
// A name's head is its first eight bytes as CompareNames reads them, big-endian, zeros after its
// end.
ULONGLONG NameHead(const CFindDataTable& t, int i) {
    const auto* pb = reinterpret_cast<const unsigned char*>(t.GetName(i));
    ULONGLONG ullHead = 0;
    int iByte = 0;
    for (; iByte < 8 && pb[iByte] != 0; ++iByte) {
        const unsigned char b = pb[iByte];
        ullHead = (ullHead << 8) | (b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
    }
    return iByte == 8 ? ullHead : ullHead << (8 * (8 - iByte));
}
ULONGLONG NameHeadDown(const CFindDataTable& t, int i) {
    return ~NameHead(t, i);
}
ULONGLONG SizeHead(const CFindDataTable& t, int i) {
    return t.GetFileSize(i);
}
ULONGLONG SizeHeadDown(const CFindDataTable& t, int i) {
    return ~t.GetFileSize(i);
}
ULONGLONG TimeHead(const CFindDataTable& t, int i) {
    const FILETIME& ft = t.GetWriteTime(i);
    return Join(ft.dwHighDateTime, ft.dwLowDateTime);
}
ULONGLONG TimeHeadDown(const CFindDataTable& t, int i) {
    return ~TimeHead(t, i);
}
} // namespace

void CPickerFolder::SortFolderByNameLoToHi() {
    SelectionSort(0, m_iFolderNum - 1, NameLess, NameHead);
}
void CPickerFolder::SortFolderByNameHiToLo() {
    SelectionSort(0, m_iFolderNum - 1, NameGreater, NameHeadDown);
}
void CPickerFolder::SortFileByNameLoToHi() {
    SelectionSort(m_iFolderNum, m_iItemNum - 1, NameLess, NameHead);
}
void CPickerFolder::SortFileByNameHiToLo() {
    SelectionSort(m_iFolderNum, m_iItemNum - 1, NameGreater, NameHeadDown);
}
void CPickerFolder::SortFolderByTimeLoToHi() {
    SelectionSort(0, m_iFolderNum - 1, TimeLess, TimeHead);
}
void CPickerFolder::SortFolderByTimeHiToLo() {
    SelectionSort(0, m_iFolderNum - 1, TimeGreater, TimeHeadDown);
}
void CPickerFolder::SortFileByTimeLoToHi() {
    SelectionSort(m_iFolderNum, m_iItemNum - 1, TimeLess, TimeHead);
}
void CPickerFolder::SortFileByTimeHiToLo() {
    SelectionSort(m_iFolderNum, m_iItemNum - 1, TimeGreater, TimeHeadDown);
}

namespace {
void TraceBadSizeRange(const char* pcRoutine, int iTopID, int iEndID, int iItemNum) {
    CString strText;
    strText.Format(AnsiFromUtf8("※　引数が無効です CMyFileDialog::%s\n\t\tiTopID[%d] iEndID[%d] "
                                "iItemNum[%d]\n"),
                   pcRoutine, iTopID, iEndID, iItemNum);
    WriteTraceText(strText);
}
} // namespace

void CPickerFolder::SortFileBySizeLoToHi(int iTopID, int iEndID) {
    if (iTopID < 0 || iTopID >= iEndID || iEndID >= m_iItemNum) {
        TraceBadSizeRange("SortFileBySizeLoToHi", iTopID, iEndID, m_iItemNum);
        return;
    }
    SelectionSort(iTopID, iEndID, SizeLess, SizeHead);
}

void CPickerFolder::SortFileBySizeHiToLo(int iTopID, int iEndID) {
    if (iTopID < 0 || iTopID >= iEndID || iEndID >= m_iItemNum) {
        TraceBadSizeRange("SortFileBySizeHiToLo", iTopID, iEndID, m_iItemNum);
        return;
    }
    SelectionSort(iTopID, iEndID, SizeGreater, SizeHeadDown);
}

int CPickerFolder::Compare64BitData(const WIN32_FIND_DATAA* pData1,
                                    const WIN32_FIND_DATAA* pData2) {
    if (pData1 == nullptr || pData2 == nullptr) {
        CString strText;
        strText.Format(AnsiFromUtf8("※　引数アドレスが無効 CMyFileDialog::Compare64BitData\n\t\t"
                                    "pData1[%08X] pData2[%08X]\n"),
                       static_cast<unsigned>(reinterpret_cast<UINT_PTR>(pData1)),
                       static_cast<unsigned>(reinterpret_cast<UINT_PTR>(pData2)));
        WriteTraceText(strText);
        return 0;
    }
    const ULONGLONG ull1 = Join(pData1->nFileSizeHigh, pData1->nFileSizeLow);
    const ULONGLONG ull2 = Join(pData2->nFileSizeHigh, pData2->nFileSizeLow);
    return ull1 > ull2 ? 1 : ull1 < ull2 ? -1 : 0;
}

int CPickerFolder::CompareFileTimeStruct(const FILETIME* pTime1, const FILETIME* pTime2) {
    if (pTime1 == nullptr || pTime2 == nullptr) {
        CString strText;
        strText.Format(AnsiFromUtf8("※　引数アドレスが無効 CMyFileDialog::CompareFileTimeStruct\n"
                                    "\t\tpTime1[%08X] pTime2[%08X]\n"),
                       static_cast<unsigned>(reinterpret_cast<UINT_PTR>(pTime1)),
                       static_cast<unsigned>(reinterpret_cast<UINT_PTR>(pTime2)));
        WriteTraceText(strText);
        return 0;
    }
    const ULONGLONG ull1 = Join(pTime1->dwHighDateTime, pTime1->dwLowDateTime);
    const ULONGLONG ull2 = Join(pTime2->dwHighDateTime, pTime2->dwLowDateTime);
    return ull1 > ull2 ? 1 : ull1 < ull2 ? -1 : 0;
}

int CPickerFolder::GetPickedFolder(CString& strOut) const {
    if (m_strCurDir.IsEmpty()) {
        strOut.Empty();
        return 0;
    }
    CMyWString strWide(static_cast<const char*>(m_strCurDir));
    const DWORD dwLen = strWide.GetLength();
    if (dwLen == 0) {
        return 0;
    }
    const WCHAR* pwc = strWide.GetBuff();
    if (pwc[dwLen - 1] == u'\\') {
        // A count of 0 would mean "to the end": a lone "\" leaves nothing.
        strOut = dwLen > 1 ? strWide.GetSectorData(0, dwLen - 1) : CString();
    } else {
        strOut = strWide.GetSectorData(0, dwLen);
    }
    return 1;
}

void CPickerFolder::KeepEntries(const std::vector<bool>& abSelected) {
    int iKept = 0;
    for (int i = 0; i < m_iItemNum; ++i) {
        if (static_cast<size_t>(i) < abSelected.size() && abSelected[static_cast<size_t>(i)]) {
            if (iKept != i) {
                m_aFindData.CopyRecord(iKept, i);
            }
            ++iKept;
        }
    }
    m_iItemNum = iKept;
}
