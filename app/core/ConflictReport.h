// The duplicate-name report: the text shown when a collection finds files with the same title, and
// ConflictFile.txt, which lists them and is opened for the user. It stands beside the executable,
// or in the user's state folder when that folder cannot be written (g_strReportFolder).
#pragma once

#include <string>

#include "platform/framework/core/CString.h"
#include "platform/win32/Win32Types.h"

// "※　%u 個のファイルが重複しています。" with the count, in CP932.
CString FormatDuplicateCountMessage(DWORD dwCount);

// The window's box: the count message, and when the report is not beside the executable a second
// line "重複ファイルの一覧：<path>", so that the user can find it.
CString FormatDuplicateCountBox(DWORD dwCount);

// The report's path: ConflictFile.txt in g_strReportFolder.
CString GetConflictReportPath();

// Writes the report from a path list of "%s\n" lines (CP932): a header line, one line per path
// and an empty last line, every line ended by CR LF; in CP932, or in UTF-8 with a byte-order mark
// when a path holds a character outside CP932. The file's old content is replaced. When the
// file was written, the shell opens it ("open"); a failed write opens nothing and shows nothing.
// Returns whether the file was written.
BOOL WriteConflictReport(const CString& strPathList);

// Writes strFile's bytes to strPath and opens the report with the shell ("open"); where no viewer
// opens it, a box says so and where the file is ("<name> を開けませんでした。ファイルの場所："
// and the path). FALSE when it cannot be written.
BOOL WriteAndOpenReport(const CString& strPath, const std::string& strFile, LPCSTR pcFileName);
