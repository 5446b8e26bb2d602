// The window framework: one include for app/ and picker/.
#pragma once

#include "platform/framework/core/Afx.h"
#include "platform/framework/ui/Controls.h"
#include "platform/framework/ui/Dialog.h"
#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/ListCtrl.h"
#include "platform/framework/ui/MessageMap.h"
#include "platform/framework/ui/Resources.h"
#include "platform/framework/ui/WinApp.h"
#include "platform/framework/ui/WinUser.h"
#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/Wnd.h"
