// The diagnostic log TraceFile.txt beside the executable (or in the user's state folder): failures
// the user is not shown, one entry each, appended in CP932 (the whole log in UTF-8 with a
// byte-order mark once an entry holds a character outside CP932) and never read back. Every
// writer opens, appends and closes the file per entry; one process-wide lock keeps entries of
// concurrent threads whole.
#pragma once

#include "platform/framework/core/CString.h"
#include "platform/win32/Win32Types.h"

// The log's full path, set once at start-up (InitProgramFolders); read by every writer.
extern CString g_strTracePath;

// Appends the text in text mode ("\n" is written as CR LF). When the log cannot be opened, drops
// the entry; the first failure after the log last worked also shows
// "トレース用ファイルが開けません".
void WriteTraceText(const CString& strText);

// printf-style formatting (with %I64u / %I64d) into a 1 MiB buffer, cut to fit, appended raw
// ("\n" stays LF). Returns the formatted byte count; 0 for a null format or when the buffer cannot
// be allocated (nothing is written then). An entry that cannot be opened is dropped silently.
int WriteTraceFormat(LPCSTR pcFormat, ...);

// Appends the bytes raw, then one "\n" when bLineFeed is set; nothing at all for a null or empty
// string. An entry that cannot be opened is dropped silently.
void AppendTraceText(LPCSTR pcStr, BOOL bLineFeed);

// The system's text for dwErrorCode followed by "\n", through WriteTraceText. Returns TRUE.
BOOL WriteLastErrorText(DWORD dwErrorCode);

// Creates the log or empties it ("wt"): whether that could be done.
BOOL EmptyTraceLog();
// Sets g_strTracePath while no writer is using it.
void SetTracePath(const CString& strPath);
