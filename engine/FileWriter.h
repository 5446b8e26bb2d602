// Writes one block of bytes as the whole new content of a file: open or create, write from offset
// 0, cut the file at the end of the new data, close; all of it under the object's own critical
// section, so two threads writing through one object take turns. No failure shows a message or
// writes a trace line: the caller decides what to show.
#pragma once

#include "engine/DynArray.h"
#include "platform/framework/core/CString.h"
#include "platform/framework/core/CriticalSection.h"
#include "platform/win32/Win32Types.h"

class CFileWriter {
public:
    // Every write reserves this much staging buffer before it opens the file.
    static constexpr DWORD kStagingBytes = 8388608;
    // The most one WriteFile is given.
    static constexpr DWORD kMaxPiece = 0xFFFFFFFF;

    CFileWriter();
    virtual ~CFileWriter();
    CFileWriter(const CFileWriter&) = delete;
    CFileWriter& operator=(const CFileWriter&) = delete;

    // TRUE when all ullLength bytes are in the file, it ends right after them and it was closed.
    // A failed write may leave part of the data, cut where the writing stopped.
    bool WriteAll(LPCSTR pcPath, const void* pData, ULONGLONG ullLength);
    // FALSE while a file is open or for a null or empty path. The folder and name are the parts
    // before and after the last "\" or "/" that is a character of its own, never the trail byte of
    // a double-byte character (the whole path for both when it has none).
    bool SetPath(LPCSTR pcPath);
    // Opens (or creates) the file for reading and writing, others may read; records its size.
    bool Open();
    // Moves the file position to llOffset from the start.
    bool Seek(LONGLONG llOffset);
    bool Close();

    bool IsOpen() const { return m_bOpen; }
    const CString& GetFilePath() const { return m_strFilePath; }
    const CString& GetFileDir() const { return m_strFileDir; }
    const CString& GetFileName() const { return m_strFileName; }
    ULONGLONG GetBytes() const { return m_ullBytes; }
    DWORD GetStagingCapacity() const { return m_buf.GetCapacity(); }

private:
    HANDLE m_hFile;
    CCriticalSection m_cs;
    bool m_bOpen;
    CDynArray<BYTE> m_buf;
    CString m_strFilePath;
    CString m_strFileDir;
    CString m_strFileName;
    ULONGLONG m_ullBytes;
};
