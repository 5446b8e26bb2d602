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
#include "platform/win32/common/TextOut.h"

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
    return tessaly::win32::detail::CopyOrCut(*strPath, lpFilename, nSize);
}
