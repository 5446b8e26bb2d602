#include "app/PickerHandOver.h"

#include "picker/MyFileDialog.h"

CPickerHandOver::~CPickerHandOver() {
    delete m_pPicker;
}

CString CPickerHandOver::GetCurDir() const {
    return m_pPicker->m_strCurDir;
}

int CPickerHandOver::GetPickedFolder(CString& strFolder) const {
    return m_pPicker->GetPickedFolder(strFolder);
}

int CPickerHandOver::GetItemNum() const {
    return m_pPicker->m_iItemNum;
}

const WIN32_FIND_DATAA& CPickerHandOver::GetFindData(int i) const {
    m_findData = m_pPicker->m_aFindData[i];
    return m_findData;
}

void CPickerHandOver::ReleasePicker() {
    delete this;
}
