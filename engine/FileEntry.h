// One collected file: what the scan found (CFileInfo) and what the collection adds to it
// (CFileEntry). Records are plain values; the store keeps them in one array. Their texts share
// buffers (CSharedText), so an entry costs its full path's bytes and little more.
#pragma once

#include "engine/SharedText.h"
#include "platform/framework/core/CString.h"
#include "platform/win32/Win32Types.h"

class CFileInfo {
public:
    CFileInfo();
    virtual ~CFileInfo();
    CFileInfo(const CFileInfo&) = default;
    CFileInfo(CFileInfo&&) noexcept = default;
    CFileInfo& operator=(const CFileInfo&) = default;
    CFileInfo& operator=(CFileInfo&&) noexcept = default;

    CSharedText m_strName;     // the name as listed, without folder
    CSharedText m_strFullPath; // "%s\%s" of folder and name; a folder ending in "\" doubles it
    CSharedText m_strFolder;   // the folder exactly as the scan received it
    ULONGLONG m_ullSize;
};

class CFileEntry : public CFileInfo {
public:
    static constexpr DWORD kNoId = 0xFFFFFFFF;
    // The size of the buffer DumpToTrace formats into, terminator included.
    static constexpr DWORD kDumpBuffSize = 2048;

    CFileEntry();
    ~CFileEntry() override;
    CFileEntry(const CFileEntry&) = default;
    CFileEntry(CFileEntry&&) noexcept = default;
    CFileEntry& operator=(const CFileEntry&) = default;
    CFileEntry& operator=(CFileEntry&&) noexcept = default;

    // Appends the six fields to the trace log, one per line; text beyond the 2,047 bytes of the
    // buffer is cut at a character boundary.
    void DumpToTrace() const;
    // The text DumpToTrace appends.
    CString FormatDump() const;

    CSharedText m_strRoot; // the picker's folder (no trailing "\") the file was collected from
    DWORD m_nId;           // the list view's row key; kNoId until AssignIds gives one
};
