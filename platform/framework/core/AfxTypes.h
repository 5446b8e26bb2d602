// The framework's character types for an ANSI (CP932) build, over the Win32 layer's types.
#pragma once

#include "platform/win32/Win32Types.h"

typedef char TCHAR;
typedef char* LPTSTR;
typedef const char* LPCTSTR;
#ifndef _T
#define _T(x) x
#endif
