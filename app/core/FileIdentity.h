// What tells a file from another that took its name: its size, last write time, and the volume
// and index the file system gives it (device and inode on Linux).
#pragma once

#include "platform/win32/Win32Types.h"

struct CFileIdentity {
    ULONGLONG m_ullSize = 0;
    ULONGLONG m_ullWriteTime = 0; // FILETIME: 100 ns since 1601, UTC
    DWORD m_dwVolume = 0;         // 0 with m_ullIndex 0: not known
    ULONGLONG m_ullIndex = 0;
};

// The identity of the file at pcPath; FALSE when no file is there (a folder is none).
BOOL IdentifyFile(LPCSTR pcPath, CFileIdentity& identity);
// The same for a file about to be moved: the move may take this lookup for its own check of the
// source (see GetFileInformationBeforeMove).
BOOL IdentifyFileBeforeMove(LPCSTR pcPath, CFileIdentity& identity);

// Whether the file now found is the one recorded: the same size and time, and the same index where
// both are known on the same volume (a move across volumes makes a new file with a new index).
bool IsSameFile(const CFileIdentity& recorded, const CFileIdentity& found);
