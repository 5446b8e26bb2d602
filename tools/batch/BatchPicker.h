// One TEMPLATE taken as a confirmed pick: a folder as if the picker were opened in it and
// everything selected, a file as a picked file with the picker in its parent folder.
#pragma once

#include "engine/CollectionHost.h"
#include "picker/core/PickerFolder.h"

class CBatchPicker : public ICollectionPicker {
public:
    enum class EOpen { Folder, File, Missing };

    // pcPath: a Windows path (CP932), absolute or relative. Leaves the working directory as it was.
    EOpen Open(LPCSTR pcPath);
    // Why the last Open gave Missing (a Win32 error code).
    DWORD GetOpenError() const { return m_dwOpenError; }

    CString GetCurDir() const override { return m_folder.m_strCurDir; }
    int GetPickedFolder(CString& strFolder) const override {
        return m_folder.GetPickedFolder(strFolder);
    }
    int GetItemNum() const override { return m_folder.m_iItemNum; }
    const WIN32_FIND_DATAA& GetFindData(int i) const override {
        m_findData = m_folder.m_aFindData[i];
        return m_findData;
    }
    void ReleasePicker() override {}

private:
    CPickerFolder m_folder;
    DWORD m_dwOpenError = 0;
    mutable WIN32_FIND_DATAA m_findData{}; // the record GetFindData gave last
};

// The absolute form of an existing folder's Windows path, as the working directory shows it (a
// root keeps its backslash); empty when it is not a folder (*pdwError, when given, says why). The
// working directory is kept.
CString AbsoluteFolder(LPCSTR pcPath, DWORD* pdwError = nullptr);
