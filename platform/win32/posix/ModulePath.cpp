// The executable's path, from /proc/self/exe or the path a test set.
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32Drives.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32TestHooks.h"
#include "platform/win32/common/CodePage932Tables.h"

namespace tessaly::win32 {
namespace {

struct ModuleOverride {
    std::mutex mutex;
    std::string strPath;
};

ModuleOverride& Override() {
    static ModuleOverride* pOverride = new ModuleOverride; // threads may outlive statics
    return *pOverride;
}

std::string ExecutablePath() {
    {
        ModuleOverride& over = Override();
        std::lock_guard lock(over.mutex);
        if (!over.strPath.empty()) {
            return over.strPath;
        }
    }
    std::vector<char> acBuf(4096);
    for (;;) {
        const ssize_t cb = ::readlink("/proc/self/exe", acBuf.data(), acBuf.size());
        if (cb < 0) {
            return {};
        }
        if (static_cast<std::size_t>(cb) < acBuf.size()) {
            return std::string(acBuf.data(), static_cast<std::size_t>(cb));
        }
        acBuf.resize(acBuf.size() * 2);
    }
}

} // namespace

void SetModuleFileNameForTests(const std::string& strPosixPath) {
    ModuleOverride& over = Override();
    std::lock_guard lock(over.mutex);
    over.strPath = strPosixPath;
}

} // namespace tessaly::win32

DWORD WINAPI GetModuleFileNameA(HMODULE /*hModule*/, LPSTR lpFilename, DWORD nSize) {
    // The program is one executable: every module handle names it.
    const std::string strPosix = tessaly::win32::ExecutablePath();
    const std::optional<std::string> strPath =
        strPosix.empty() ? std::nullopt : tessaly::win32::PosixToWindowsPath(strPosix);
    if (!strPath) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (lpFilename == nullptr || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (strPath->size() < nSize) {
        std::memcpy(lpFilename, strPath->c_str(), strPath->size() + 1);
        return static_cast<DWORD>(strPath->size());
    }
    // Cut as Windows XP and later do, but never between the two bytes of one character.
    std::size_t uCut = 0;
    for (std::size_t i = 0; i < nSize - 1;) {
        const std::size_t cb = tessaly::win32::detail::Cp932CharLength(
            reinterpret_cast<const unsigned char*>(strPath->data()) + i, strPath->size() - i);
        if (i + cb > nSize - 1) {
            break;
        }
        i += cb;
        uCut = i;
    }
    std::memcpy(lpFilename, strPath->data(), uCut);
    lpFilename[uCut] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
}
