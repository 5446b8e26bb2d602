#include "engine/Collection.h"

#include <vector>

#include "engine/FileCollector.h"
#include "engine/RunState.h"

namespace {

// Steps 3 to 5 of a collection, for a picker that has a folder.
void AddPicked(ICollectionOwner& owner, const ICollectionPicker& picker, const CString& strBase) {
    CFileCollector& collection = owner.GetCollection();
    const BOOL bFiltered = owner.IsFilterActive();
    g_bCollecting = TRUE;

    // Picked files go in at once; picked folders are walked afterwards, in the picker's order.
    const int iItemNum = picker.GetItemNum();
    std::vector<CString> vecFolders;
    for (int i = 0; i < iItemNum; ++i) {
        const WIN32_FIND_DATAA& findData = picker.GetFindData(i);
        if ((findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            CString strFolder;
            strFolder.Format("%s\\%s", strBase.GetString(), findData.cFileName);
            vecFolders.push_back(strFolder);
        } else if (bFiltered) {
            collection.AddFoundFiltered(strBase, findData);
        } else {
            collection.AddFound(strBase, findData);
        }
    }
    collection.AddPickedFolders(strBase, vecFolders, bFiltered);
}

} // namespace

BOOL CollectPicks(ICollectionOwner& owner, const ICollectionPicker& picker) {
    CString strBase;
    if (picker.GetPickedFolder(strBase) == 0) {
        return FALSE;
    }
    AddPicked(owner, picker, strBase);
    return TRUE;
}

// Steps 6 to 10: the duplicate check over the whole collection, the report and the list.
void FinishCollection(ICollectionOwner& owner) {
    CFileCollector& collection = owner.GetCollection();
    CFileList listDup;
    const DWORD dwDupCount = collection.FindDuplicates(listDup);
    if (dwDupCount != 0) {
        owner.ShowDuplicateCount(dwDupCount);
        CString strPathList;
        listDup.BuildPathList(strPathList);
        owner.WriteDuplicateReport(strPathList);
    }
    collection.RemoveAll(listDup);
    collection.AssignIds();
    g_bCollecting = FALSE;

    if (!g_bClosing) {
        owner.FillList();
        owner.ShowByteTotal(collection.TotalSize());
    }
}

void RunCollection(ICollectionOwner& owner, ICollectionPicker* pPicker) {
    if (pPicker != nullptr) {
        owner.SetNextPickerFolder(pPicker->GetCurDir());
        // One Add walks each folder once, however its picks reach it. A later Add walks it again:
        // the rows it found may have been excluded meanwhile.
        CFileCollector& collection = owner.GetCollection();
        collection.TrackWalkedFolders(TRUE);
        if (CollectPicks(owner, *pPicker)) {
            FinishCollection(owner);
        }
        collection.TrackWalkedFolders(FALSE);
        pPicker->ReleasePicker();
    }
    owner.PostWorkDone();
}
