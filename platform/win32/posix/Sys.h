// Inside the layer: the system calls that tests can make fail (Win32TestHooks.h). Each returns as
// the POSIX call does, with errno set.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/win32/Win32TestHooks.h"

namespace tessaly::win32::detail {

int SysChdir(const char* pszPath);
int SysMkdir(const char* pszPath, mode_t mode);
int SysRenameNoReplace(const char* pszFrom, const char* pszTo); // renameat2(RENAME_NOREPLACE)
// Plain rename(2), which replaces: only for file systems without RENAME_NOREPLACE, after a check.
int SysRename(const char* pszFrom, const char* pszTo);
int SysLink(const char* pszFrom, const char* pszTo);
int SysOpen(const char* pszPath, int iFlags, mode_t mode = 0);
ssize_t SysWrite(int fd, const void* pBuf, size_t cb);
int SysFsync(int fd);
int SysClose(int fd);
int SysUnlink(const char* pszPath);

// Runs the test's hook for this step of a move, if one is set.
void AtMoveStep(MoveStep step, const std::string& strPosixPath);

} // namespace tessaly::win32::detail
