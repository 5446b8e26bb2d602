// The start-up steps that the window, the batch tool and the tests share.
#pragma once

#include <vector>

#include "platform/framework/core/CString.h"

// The executable's folder without a trailing backslash.
extern CString g_strExeFolder;
// Where TraceFile.txt and ConflictFile.txt are kept, without a trailing backslash: the
// executable's folder when it can be written, else the user's state folder (an installed copy).
extern CString g_strReportFolder;

// Sets g_strExeFolder from the executable's path, then g_strReportFolder and g_strTracePath to
// the first of the executable's folder and the user's state folders where TraceFile.txt can be
// created or emptied, and empties the log of the previous run there. When none can be written,
// both stay at the executable's folder (the log's first entry then says that it cannot be opened).
void InitProgramFolders();

// The same folders for a run that writes nothing: g_strReportFolder is where an earlier run left
// TraceFile.txt (the executable's folder first), else the executable's folder; the log is left
// as it is and g_strTracePath unset.
void LocateProgramFolders();

// The program's folder in the user's state folder, as program paths without a trailing
// backslash, in the order they are tried: %LOCALAPPDATA%\Tessaly, $XDG_STATE_HOME/tessaly,
// $HOME/.local/state/tessaly. A variable that is unset, not absolute or not UTF-8 gives none.
std::vector<CString> GetUserStateFolders();

// Whether the reports are kept elsewhere than beside the executable, so the user must be told
// where.
BOOL AreReportsElsewhere();
