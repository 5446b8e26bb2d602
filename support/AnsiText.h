// The program's own texts stand in the source as UTF-8; they leave for the platform, the trace log
// and message boxes as CP932.
#pragma once

#include <string>
#include <string_view>

#include "platform/framework/core/CString.h"

// The CP932 form of a UTF-8 text (the empty string for null, and also when it cannot be
// converted): for the program's own texts, which always can be.
CString AnsiFromUtf8(const char* pcUtf8);

// The same for text from outside (a terminal's arguments): false, with strAnsi empty, for null or
// a text the name codec cannot carry, so that a failure is not taken for an empty text.
bool AnsiFromUtf8(const char* pcUtf8, CString& strAnsi);

// The byte-order mark that opens a report written as UTF-8.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Whether a CP932 text holds a code of CP932's user-defined area (lead bytes 0xF0-0xF9): the
// codes that stand for a character outside CP932 (é, Hangul, emoji), which no editor can show.
bool HoldsCodesOutsideCp932(std::string_view strAnsi);

// A report's bytes for its reader (TraceFile.txt, ConflictFile.txt): the CP932 text unchanged
// while every character fits CP932, else the byte-order mark and the text in UTF-8, with the
// same lines and line ends.
std::string BytesForReader(std::string_view strAnsi);
