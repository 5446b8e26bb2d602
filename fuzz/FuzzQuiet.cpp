#include "fuzz/FuzzCheck.h"
#include "platform/framework/core/MessageBox.h"
#include "support/TraceLog.h"

void QuietTraceForFuzzing() {
    // An empty path cannot be opened, so each entry ends in the message box, which answers at once.
    SetTracePath(CString(""));
    tessaly::framework::SetMessageBoxProvider([](LPCTSTR, UINT) { return IDOK; });
}
