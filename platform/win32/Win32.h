// The Win32 system API that the program calls, with Windows' names and contracts, and this layer's
// own additions (drive table, name codec, C runtime stream files, test hooks). One include gives
// every declaration.
#pragma once

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32Console.h"
#include "platform/win32/Win32Crt.h"
#include "platform/win32/Win32Drives.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32TestHooks.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Threads.h"
#include "platform/win32/Win32Time.h"
#include "platform/win32/Win32Types.h"
