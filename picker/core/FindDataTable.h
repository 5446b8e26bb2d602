// The picker's table of directory records: 2000 zero-filled records at first, growing by 5000 (or
// straight to the size needed) when a record is stored past its end.
//
// A record is kept packed: its fixed fields in 52 bytes and its names in a shared pool, where a
// WIN32_FIND_DATAA would spend 274 bytes on name buffers. A folder of a million files then costs
// some 70 bytes a file, not 320, for as long as the picked entries are handed over. Reading a
// record rebuilds the WIN32_FIND_DATAA; the sorts read single fields instead.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/win32/Win32.h"

class CFindDataTable {
public:
    static constexpr int kInitialSize = 2000;
    static constexpr int kGrowStep = 5000;

    CFindDataTable();

    // Stores a copy at iIndex, growing the table when iIndex is not below its size; FALSE for a
    // negative index, or when the name pool has reached its 4 GiB.
    BOOL SetAt(int iIndex, const WIN32_FIND_DATAA& data);
    // The record at iIndex as it was stored (names up to their terminator, zeros behind them).
    WIN32_FIND_DATAA GetAt(int iIndex) const;
    const WIN32_FIND_DATAA operator[](int iIndex) const { return GetAt(iIndex); }

    const char* GetName(int iIndex) const { return NameAt(Rec(iIndex).uName); }
    DWORD GetAttributes(int iIndex) const { return Rec(iIndex).dwFileAttributes; }
    ULONGLONG GetFileSize(int iIndex) const {
        return (static_cast<ULONGLONG>(Rec(iIndex).nFileSizeHigh) << 32) | Rec(iIndex).nFileSizeLow;
    }
    const FILETIME& GetWriteTime(int iIndex) const { return Rec(iIndex).ftLastWriteTime; }

    void Swap(int iIndex1, int iIndex2);
    // The records from iFirst on become the records at aiOrder's positions, in that order
    // (aiOrder a permutation of iFirst .. iFirst + size - 1).
    void Reorder(int iFirst, const std::vector<int>& aiOrder);
    // From now on Swap and Reorder note where each record came from, until TakeOrigins gives, for
    // each place, the place its record held when this was called. Any other change of the table
    // drops the notes: TakeOrigins then gives an empty vector.
    void TrackOrigins();
    std::vector<int> TakeOrigins();
    // Record iTo becomes a copy of record iFrom.
    void CopyRecord(int iTo, int iFrom);
    // Removes record iIndex; the records behind it move down one place.
    void RemoveAt(int iIndex);
    int GetSize() const { return static_cast<int>(m_vecRecords.size()); }
    int GetCapacity() const { return static_cast<int>(m_uCapacity); }
    // Bytes of the name pool in use, overwritten names included.
    std::uint64_t GetPoolBytes() const { return m_ullPoolEnd; }

private:
    struct Record {
        DWORD dwFileAttributes;
        FILETIME ftCreationTime;
        FILETIME ftLastAccessTime;
        FILETIME ftLastWriteTime;
        DWORD nFileSizeHigh;
        DWORD nFileSizeLow;
        DWORD dwReserved0;
        DWORD dwReserved1;
        std::uint32_t uName; // pool offsets; 0 is the empty name
        std::uint32_t uAltName;
    };

    const Record& Rec(int iIndex) const { return m_vecRecords[static_cast<size_t>(iIndex)]; }
    const char* NameAt(std::uint32_t uOffset) const;
    // Puts a name of at most uMax bytes into the pool; FALSE when the pool is full.
    BOOL AddName(const char* pcName, size_t uMax, std::uint32_t& uOffset);
    // Copies the live names into a fresh pool once more than half of it is overwritten text.
    void CompactIfWasteful();

    std::vector<Record> m_vecRecords;
    // The capacity by the growth rule above; the vector underneath grows geometrically, so that
    // a folder of n entries copies the table O(log n) times, not n / 5000 times.
    size_t m_uCapacity = kInitialSize;
    // The pool: fixed chunks that never move, so that growing it copies nothing; a name never
    // spans two chunks.
    std::vector<std::unique_ptr<char[]>> m_vecChunks;
    std::uint64_t m_ullPoolEnd = 0;     // offset of the next free byte
    std::uint64_t m_ullOverwritten = 0; // bytes of names no record reads any more (an estimate)
    std::vector<int> m_vecOrigins;      // while tracked, one a record
};
