#include "res/Resources.h"

#include <string>

#include "res/DialogTemplates.h"
#include "res/ResourceIds.h"

void RegisterTessalyResources() {
    static bool s_bDone = false;
    if (s_bDone) {
        return;
    }
    s_bDone = true;
    using namespace tessaly::framework;
    RegisterDialogTemplate(g_dlgMain);
    RegisterDialogTemplate(g_dlgAbout);
    RegisterDialogTemplate(g_dlgPicker);
    RegisterStringResource(IDS_ABOUTBOX, "Tessaly のバージョン情報(&A)...");
    RegisterStringResource(IDS_SHOW_PLAN, "実行の予定を表示(&P)...");
    RegisterStringResource(IDS_UNDO_LAST, "直前の実行を元に戻す(&U)...");
    // Qt's resource paths; Windows takes the same images by id from the executable instead.
    for (const char* pszSize : {"16", "24", "32", "48", "64", "128", "256"}) {
        RegisterIconResource(IDR_MAINFRAME,
                             (std::string(":/tessaly/icons/tessaly_") + pszSize + ".png").c_str());
    }
    for (const char* pszSize : {"16", "32"}) {
        RegisterIconResource(IDI_FILE,
                             (std::string(":/tessaly/icons/file_") + pszSize + ".png").c_str());
        RegisterIconResource(IDI_FOLDER,
                             (std::string(":/tessaly/icons/folder_") + pszSize + ".png").c_str());
    }
}
