// What the picker knows of the folder it shows, without its window: the listing of the current
// folder into the record table, the orders the entries can be put in, and the hand-over of the
// picked folder. The dialog shows these records as its rows.
#pragma once

#include "picker/core/FindDataTable.h"
#include "platform/framework/core/CString.h"

class CPickerFolder {
public:
    CPickerFolder() = default;
    virtual ~CPickerFolder() = default;

    // Makes m_strCurDir the working directory and lists it into m_aFindData ("." and ".." and
    // other dot-only names left out, attributes reduced to the folder bit), then SortDefault.
    // FALSE, with both counts 0, when the folder cannot be made current or searched.
    BOOL ListCurrentFolder();

    // 1 (skip) for a null or empty name or one made only of '.', else 0.
    static int IsDotsName(const char* pcName);

    // Folders first, then folders and files each by name ascending.
    void SortDefault();
    void SortFolderFirst();
    void SortFolderByNameLoToHi();
    void SortFolderByNameHiToLo();
    void SortFileByNameLoToHi();
    void SortFileByNameHiToLo();
    void SortFileBySizeLoToHi(int iTopID, int iEndID);
    void SortFileBySizeHiToLo(int iTopID, int iEndID);
    void SortFolderByTimeLoToHi();
    void SortFolderByTimeHiToLo();
    void SortFileByTimeLoToHi();
    void SortFileByTimeHiToLo();

    // Byte comparison with 'A'-'Z' folded to 'a'-'z' (trail bytes too): <0, 0, >0.
    static int CompareNames(const char* pcName1, const char* pcName2);
    // 1, -1 or 0; a null record writes a trace line and counts as equal.
    static int Compare64BitData(const WIN32_FIND_DATAA* pData1, const WIN32_FIND_DATAA* pData2);
    static int CompareFileTimeStruct(const FILETIME* pTime1, const FILETIME* pTime2);

    // The current folder without its trailing backslash into strOut: 1, or 0 when there is none.
    int GetPickedFolder(CString& strOut) const;

    // Keeps only the entries whose abSelected flag is set, in their order (the confirmation).
    void KeepEntries(const std::vector<bool>& abSelected);

    int m_bNameAsc = 1;
    int m_bSizeAsc = 1;
    int m_bTimeAsc = 1;
    int m_iFolderNum = 0;
    CFindDataTable m_aFindData;
    int m_iItemNum = 0;
    CString m_strCurDir;

private:
    bool IsFolder(int iIndex) const;
    // A key whose order agrees with an order's comparison wherever two keys differ.
    using HeadKey = ULONGLONG (*)(const CFindDataTable&, int);
    template <class Better>
    void SelectionSort(int iFirst, int iLast, Better better, HeadKey headKey);
};
