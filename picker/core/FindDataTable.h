// The picker's table of directory records: 2000 zero-filled records at first, growing by 5000 (or
// straight to the size needed) when a record is stored past its end.
#pragma once

#include <vector>

#include "platform/win32/Win32.h"

class CFindDataTable {
public:
    static constexpr int kInitialSize = 2000;
    static constexpr int kGrowStep = 5000;

    CFindDataTable();

    // Stores a copy at iIndex, growing the table when iIndex is not below its size.
    BOOL SetAt(int iIndex, const WIN32_FIND_DATAA& data);
    WIN32_FIND_DATAA& operator[](int iIndex) { return m_aData[static_cast<size_t>(iIndex)]; }
    const WIN32_FIND_DATAA& operator[](int iIndex) const {
        return m_aData[static_cast<size_t>(iIndex)];
    }
    // Removes record iIndex; the records behind it move down one place.
    void RemoveAt(int iIndex);
    int GetSize() const { return static_cast<int>(m_aData.size()); }
    int GetCapacity() const { return static_cast<int>(m_uCapacity); }

private:
    std::vector<WIN32_FIND_DATAA> m_aData;
    // The capacity by the growth rule above; the vector underneath grows geometrically, so that
    // a folder of n entries copies the table O(log n) times, not n / 5000 times.
    size_t m_uCapacity = kInitialSize;
};
