#include "res/Resources.h"

#include <QtGlobal>
#include <string>

#include "res/DialogTemplates.h"
#include "res/ResourceIds.h"

// The icons are compiled into the static library; its resources must be named to be linked in.
static void InitTessalyQtResources() {
    Q_INIT_RESOURCE(tessaly);
}

void RegisterTessalyResources() {
    static bool s_bDone = false;
    if (s_bDone) {
        return;
    }
    s_bDone = true;
    InitTessalyQtResources();
    using namespace tessaly::framework;
    RegisterDialogTemplate(g_dlgMain);
    RegisterDialogTemplate(g_dlgAbout);
    RegisterDialogTemplate(g_dlgPicker);
    RegisterStringResource(IDS_ABOUTBOX, "Tessaly のバージョン情報(&A)...");
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
