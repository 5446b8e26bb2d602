// The application framework's core, without a window: one include for engine, support and tools.
#pragma once

#include "platform/framework/core/AfxTypes.h"
#include "platform/framework/core/CString.h"
#include "platform/framework/core/CTime.h"
#include "platform/framework/core/CriticalSection.h"
#include "platform/framework/core/MessageBox.h"
#include "platform/framework/core/Shell.h"
#include "platform/framework/core/WinThread.h"
