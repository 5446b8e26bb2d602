// Inside the layer: the system calls that tests can make fail (Win32TestHooks.h). Each returns as
// the POSIX call does, with errno set.
#pragma once

#include <sys/types.h>

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

} // namespace tessaly::win32::detail
