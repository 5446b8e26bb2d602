// MovePlan.txt: what Execute would do with the window's list, one line per entry with its outcome
// in the words of tessaly-batch's dry run, written beside ConflictFile.txt (g_strReportFolder) and
// opened for the user. Writing it moves nothing.
#pragma once

#include <string>

#include "engine/FileList.h"
#include "platform/framework/core/CString.h"

// The plan's path: MovePlan.txt in g_strReportFolder.
CString GetMovePlanPath();

// The plan's text (UTF-8): for every entry in store order, the dry run's line ("would move SRC ->
// DST", "would skip SRC: OUTCOME"), and after it, for a folder that would not be created or a move
// that would fail, the dry run's reason line; every line ended by CR LF.
std::string FormatMovePlan(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt);

// Writes the plan over the file's old content, in CP932 while every character fits it, else in
// UTF-8 with a byte-order mark (as ConflictFile.txt), and has the shell open it. FALSE, with
// nothing opened, when the file could not be written.
BOOL WriteMovePlan(const CFileList& store, LPCSTR pcOperationFolder, LPCSTR pcTargetExt);
