// The Windows C runtime's stream files, on drive paths, under a name of the layer's own (glibc's
// fopen stays untouched).
#pragma once

#include <cstdio>

namespace tessaly::win32 {

// fopen's modes "r", "w", "a", "r+", "w+", "a+" with 't' (the default) or 'b'. Text mode writes
// every "\n" as CR LF and reads CR LF as "\n", as Windows' C runtime does; binary mode leaves the
// bytes alone. Null on failure, with errno and GetLastError set. Close with fclose.
std::FILE* OpenCrtFile(const char* pszAnsiPath, const char* pszMode);

} // namespace tessaly::win32
