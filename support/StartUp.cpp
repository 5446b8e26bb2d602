#include "support/StartUp.h"

#include "support/PathHelpers.h"
#include "support/TraceLog.h"

CString g_strExeFolder;

void InitProgramFolders() {
    GetModuleFolder(&g_strExeFolder);
    CString strTracePath;
    strTracePath.Format("%s\\TraceFile.txt", static_cast<LPCTSTR>(g_strExeFolder));
    SetTracePath(strTracePath);
    EmptyTraceLog();
}
