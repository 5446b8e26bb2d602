// The confirmed picker as the collection reads it: its folder and the selected records. The
// engine cannot include the picker, so this adapter, owned by the Add that made it, stands
// between them; releasing it deletes the picker with it.
#pragma once

#include "engine/CollectionHost.h"

class CMyFileDialog;

class CPickerHandOver : public ICollectionPicker {
public:
    explicit CPickerHandOver(CMyFileDialog* pPicker) : m_pPicker(pPicker) {}
    ~CPickerHandOver() override;
    CPickerHandOver(const CPickerHandOver&) = delete;
    CPickerHandOver& operator=(const CPickerHandOver&) = delete;

    CString GetCurDir() const override;
    int GetPickedFolder(CString& strFolder) const override;
    int GetItemNum() const override;
    const WIN32_FIND_DATAA& GetFindData(int i) const override;
    // Deletes the picker and this object.
    void ReleasePicker() override;

private:
    CMyFileDialog* m_pPicker;
    mutable WIN32_FIND_DATAA m_findData{}; // the record GetFindData gave last
};
