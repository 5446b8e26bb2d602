// The program's own texts stand in the source as UTF-8; they leave for the platform, the trace log
// and message boxes as CP932.
#pragma once

#include "platform/framework/core/CString.h"

// The CP932 form of a UTF-8 text (the empty string for null, and also when it cannot be
// converted): for the program's own texts, which always can be.
CString AnsiFromUtf8(const char* pcUtf8);

// The same for text from outside (a terminal's arguments): false, with strAnsi empty, for null or
// a text the name codec cannot carry, so that a failure is not taken for an empty text.
bool AnsiFromUtf8(const char* pcUtf8, CString& strAnsi);
