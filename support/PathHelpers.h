// Small path and shell helpers shared by the windows and the engine. Paths are CP932 with "\" and
// "/" as separators; a trail byte 0x5C of a double-byte character is never taken for "\".
#pragma once

#include <utility>

#include "platform/framework/core/CString.h"
#include "platform/win32/Win32Files.h"

// TRUE when the path exists and is a folder (bFolder) or not a folder (!bFolder). With bLog, a
// miss writes the path and the system's text of the error to the trace log.
BOOL IsExistFile(LPCSTR pcPath, BOOL bFolder, BOOL bLog);
// The identity of an existing file or folder (volume serial, file index): TRUE when it was read.
BOOL GetFileIdentity(LPCSTR pcPath, std::pair<DWORD, ULONGLONG>& id);
// TRUE when the path is found; pFindData gets its record.
BOOL GetFileFindData(WIN32_FIND_DATAA* pFindData, LPCSTR pcPath);
// The shell's folder chooser opened on pcInitFolder: 1 and the folder in *pstrResult when one
// was chosen, 2 otherwise.
int BrowseFolder(HWND hOwner, LPCSTR pcInitFolder, CString* pstrResult);
// The executable's folder without a trailing backslash: 0, or -1 for a null pointer.
int GetModuleFolder(CString* pstrFolder);
// The current directory: TRUE when it was read whole.
BOOL GetCurrentDir(CString* pstrDir);

// The part after the last separator (the whole path without one; empty when it ends in one).
CString GetFileNameFromPath(LPCSTR pcPath);
// The file name without its last extension; the whole path when it has no separator or the name
// has no dot.
CString GetFileTitleFromPath(LPCSTR pcPath);
// The part before the last separator; the whole path when there is none or it is the first
// character.
CString GetFolderFromPath(LPCSTR pcPath);

// Inserts "," between groups of three digits of the integer part, in place, as far as the buffer
// of dwBuffSize bytes (0: unlimited) has room. Returns the new length.
DWORD InsertThousandsSeparators(LPSTR pcText, DWORD dwBuffSize);
ULONGLONG MakeUInt64(DWORD dwLow, DWORD dwHigh);
