// The duplicate-name report: the text shown when a collection finds files with the same title, and
// ConflictFile.txt beside the executable, which lists them and is opened for the user.
#pragma once

#include "platform/framework/core/CString.h"
#include "platform/win32/Win32Types.h"

// "※　%u 個のファイルが重複しています。" with the count, in CP932.
CString FormatDuplicateCountMessage(DWORD dwCount);

// The report's path: ConflictFile.txt in g_strExeFolder.
CString GetConflictReportPath();

// Writes the report from a path list of "%s\n" lines (CP932): a header line, one line per path
// and an empty last line, every line ended by CR LF. The file's old content is replaced. When the
// file was written, the shell opens it ("open"); a failed write opens nothing and shows nothing.
// Returns whether the file was written.
BOOL WriteConflictReport(const CString& strPathList);
