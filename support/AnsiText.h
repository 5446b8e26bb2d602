// The program's own texts stand in the source as UTF-8; they leave for the platform, the trace log
// and message boxes as CP932.
#pragma once

#include "platform/framework/core/CString.h"

// The CP932 form of a UTF-8 text (the empty string for null).
CString AnsiFromUtf8(const char* pcUtf8);
