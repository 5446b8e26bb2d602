// Dialogs 100 (about box), 102 (main window) and 103 (picker) as data.
#pragma once

#include "platform/framework/ui/Resources.h"

extern const DialogTemplate g_dlgAbout;
extern const DialogTemplate g_dlgMain;
extern const DialogTemplate g_dlgPicker;
