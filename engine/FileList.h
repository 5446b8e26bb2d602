// The store of collected files: entries by value in the order they were added, and a stack of
// released list identifiers. It has no lock: one thread owns it at a time (the collection worker
// while it runs, the window thread otherwise); the window's timer may read GetCount() meanwhile.
//
// Finds by path and by identifier go through an index kept in step with the array, so they cost
// no scan; their answers are those of a scan from the first entry.
#pragma once

#include <string_view>
#include <vector>

#include "engine/DynArray.h"
#include "engine/FileEntry.h"
#include "engine/FileListIndex.h"
#include "platform/framework/core/CString.h"
#include "platform/win32/Win32Types.h"

class CFileList {
public:
    // BuildPathList refuses a list of this many bytes or more.
    static constexpr ULONGLONG kMaxPathListBytes = 0x7FFFFFFF;

    CFileList();
    virtual ~CFileList();
    CFileList(const CFileList&) = delete;
    CFileList& operator=(const CFileList&) = delete;

    // The first entry whose full path equals pcPath byte for byte; -1 for none, null or empty.
    int FindByPath(LPCSTR pcPath) const;
    // A hint that FindByPath(strPath) follows soon; it changes nothing.
    void PrefetchPath(std::string_view strPath) const { m_index.PrefetchPath(strPath); }
    // The first entry with identifier nId; null for none and for CFileEntry::kNoId.
    const CFileEntry* FindById(DWORD nId) const;
    // Later entries move one place down; FALSE when dwIndex is not below the count.
    BOOL RemoveAt(DWORD dwIndex);
    // FindByPath, then ReleaseId of the entry's identifier if it has one, then RemoveAt.
    BOOL RemoveByPath(LPCSTR pcPath);
    // RemoveByPath of each full path of listOther in its order; the number removed.
    DWORD RemoveAll(const CFileList& listOther);
    // RemoveByPath of each path in its order; the number removed.
    DWORD RemovePaths(const std::vector<CString>& vecPaths);
    // The position of the first entry with identifier nId; -1 for none and for kNoId.
    int FindPosById(DWORD nId) const;
    // FindPosById of each identifier, in order, into *pvecPositions.
    void FindPosByIds(const std::vector<DWORD>& vecIds, std::vector<int>* pvecPositions) const;
    // Removes the entries at the listed positions of the store as it is now: the identifier of
    // each is released in the list's order, as RemoveByPath of each would, and the rest keep
    // their order. Repeats and positions beyond the count are passed over; the number removed.
    DWORD RemovePositions(const std::vector<DWORD>& vecPositions);
    // Pushes nId onto the free-identifier stack; FALSE (the identifier is lost) if it cannot grow.
    BOOL ReleaseId(DWORD nId);
    // Gives every entry without identifier one: from the top of the free stack while it lasts,
    // then fresh ones above the largest identifier in use or on the stack.
    void AssignIds();
    // Blanks every slot, empties the entries and the free stack; storage is kept.
    void Reset();
    // Releases the entry storage; the free stack stays as it is.
    void Clear();
    // Sum of the sizes, modulo 2^64.
    ULONGLONG TotalSize() const;
    // Every full path followed by "\n", in store order, into strOut; the entry count. A list of
    // ullLimit bytes or more shows "ファイルパスリストが大きくなりすぎます。" and gives "" and 0.
    DWORD BuildPathList(CString& strOut, ULONGLONG ullLimit = kMaxPathListBytes) const;
    // Copies every entry whose file title another entry shares into listDup, groups in the order
    // of their first members, members in store order; returns how many it placed. Titles are
    // compared ignoring the case of ASCII letters only. listDup's capacity is raised to what it
    // receives, not to the size of this store.
    DWORD FindDuplicates(CFileList& listDup) const;

    // Appends a copy by the grow-by-1000 rule; FALSE (nothing added) when the growth fails. The
    // caller checks FindByPath first where paths must stay unique.
    BOOL Append(const CFileEntry& entry);
    // When the store is full, grows its capacity by dwGrowBy (less where 32 bits would overflow).
    BOOL MakeRoom(DWORD dwGrowBy);
    // CDynArray::SetCapacity on the entries.
    BOOL SetCapacity(DWORD dwCapacity, BOOL bKeep);

    // Safe to call from any thread while the owner appends.
    DWORD GetCount() const { return m_aEntries.GetCount(); }
    DWORD GetCapacity() const { return m_aEntries.GetCapacity(); }
    const CFileEntry& GetAt(DWORD dwIndex) const { return m_aEntries[dwIndex]; }
    const CDynArray<DWORD>& GetFreeIds() const { return m_aFreeIds; }

private:
    // The removals of RemoveAll and RemovePaths: pathAt(i) gives the i-th of uPaths paths.
    template <typename PathAt> DWORD RemoveEach(std::size_t uPaths, PathAt pathAt);
    // Closes the gaps of the entries marked in vecGone, whose ids are released already; the index
    // is rebuilt unless bUnlinked says that each was taken out of it.
    void CloseGaps(const std::vector<bool>& vecGone, BOOL bUnlinked);

    CDynArray<CFileEntry> m_aEntries;
    CDynArray<DWORD> m_aFreeIds;
    CFileListIndex m_index;
};
