// The start-up steps that the window, the batch tool and the tests share.
#pragma once

#include "platform/framework/core/CString.h"

// The executable's folder without a trailing backslash.
extern CString g_strExeFolder;

// Sets g_strExeFolder from the executable's path, g_strTracePath to TraceFile.txt in it, and
// empties the log of the previous run (a failure to open it is not reported).
void InitProgramFolders();
