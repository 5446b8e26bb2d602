// Inside the layer: opening a POSIX file so that the caller knows whether it created it, which
// CreateFileA's ERROR_ALREADY_EXISTS hint and the case indexes need, without a race between a
// check and the open.
#pragma once

#include <string>

namespace tessaly::win32::detail {

enum class CreateMode {
    Never,     // the file must exist
    IfMissing, // open an existing file, else create it
    Exclusive  // create it; an existing file fails with EEXIST
};

// open(2) with iFlags (access, O_TRUNC, O_APPEND, ...; without O_CREAT / O_EXCL) through SysOpen.
// bCreated tells whether this call made the file (its case index is told). -1 with errno set.
int OpenOrCreate(const std::string& strPosixPath, int iFlags, CreateMode mode, bool& bCreated);

} // namespace tessaly::win32::detail
