#include "picker/core/FindDataTable.h"

#include <cstring>

CFindDataTable::CFindDataTable() : m_aData(kInitialSize) {
    // vector value-initialises, which zero-fills the plain records
}

BOOL CFindDataTable::SetAt(int iIndex, const WIN32_FIND_DATAA& data) {
    if (iIndex < 0) {
        return FALSE;
    }
    const size_t uIndex = static_cast<size_t>(iIndex);
    if (uIndex >= m_aData.size()) {
        const size_t uNeeded = uIndex + 1;
        if (uNeeded > m_uCapacity) {
            const size_t uStep = m_uCapacity + kGrowStep;
            m_uCapacity = uNeeded > uStep ? uNeeded : uStep;
        }
        m_aData.resize(uNeeded);
    }
    m_aData[uIndex] = data;
    return TRUE;
}

void CFindDataTable::RemoveAt(int iIndex) {
    if (iIndex < 0 || static_cast<size_t>(iIndex) >= m_aData.size()) {
        return;
    }
    m_aData.erase(m_aData.begin() + iIndex);
}
