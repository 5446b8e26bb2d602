// Open the existing file first and create exclusively only when it is missing: either call's
// result then says truthfully whether the file was made here.
#include "platform/win32/posix/FileOpen.h"

#include <fcntl.h>

#include <cerrno>

#include "platform/win32/posix/PathResolve.h"
#include "platform/win32/posix/Sys.h"

namespace tessaly::win32::detail {
namespace {
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask, as every program's files are
constexpr int kCreateTries = 8;
} // namespace

int OpenOrCreate(const std::string& strPosixPath, int iFlags, CreateMode mode, bool& bCreated) {
    bCreated = false;
    const char* pszPath = strPosixPath.c_str();
    for (int iTry = 0; iTry < kCreateTries; ++iTry) {
        if (mode != CreateMode::Exclusive) {
            const int fd = SysOpen(pszPath, iFlags);
            if (fd >= 0 || errno != ENOENT || mode == CreateMode::Never) {
                return fd;
            }
        }
        // O_TRUNC has nothing to cut in a file that is being made.
        const int fd = SysOpen(pszPath, (iFlags & ~O_TRUNC) | O_CREAT | O_EXCL, kNewFileMode);
        if (fd >= 0) {
            bCreated = true;
            NoteEntryAdded(strPosixPath);
            return fd;
        }
        if (errno != EEXIST || mode == CreateMode::Exclusive) {
            return -1;
        }
        // Someone created it between the two calls: open theirs.
    }
    // A dangling symbolic link keeps answering ENOENT, then EEXIST: let open follow it.
    const int fd = SysOpen(pszPath, iFlags | O_CREAT, kNewFileMode);
    if (fd >= 0) {
        NoteEntryAdded(strPosixPath);
        bCreated = true;
    }
    return fd;
}

} // namespace tessaly::win32::detail
