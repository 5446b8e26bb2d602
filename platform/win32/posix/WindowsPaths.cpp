// The two path forms, converted lexically through the drive table and the name codec.
#include <limits.h>
#include <unistd.h>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Drives.h"
#include "platform/win32/posix/PathState.h"

namespace tessaly::win32 {

std::optional<std::string> WindowsToPosixPath(std::string_view strAnsiPath) {
    detail::WindowsPath path;
    if (!detail::ParseWindowsPath(strAnsiPath, path)) {
        return std::nullopt;
    }
    return path.PosixPath();
}

std::optional<std::string> PosixToWindowsPath(std::string_view strPosixPath) {
    std::string strAbsolute(strPosixPath.substr(0, strPosixPath.find('\0')));
    if (strAbsolute.empty()) {
        return std::nullopt;
    }
    if (strAbsolute[0] != '/') {
        char acCwd[PATH_MAX];
        if (::getcwd(acCwd, sizeof acCwd) == nullptr) {
            return std::nullopt;
        }
        strAbsolute = std::string(acCwd) + "/" + strAbsolute;
    }
    char cDrive = 0;
    std::vector<std::string> aRest;
    if (!detail::MapPosixToDrive(detail::SplitPosixPath(strAbsolute), cDrive, aRest)) {
        return std::nullopt;
    }
    std::string strWindows{cDrive, ':', '\\'};
    for (std::size_t i = 0; i < aRest.size(); ++i) {
        std::string strAnsi;
        if (!DiskNameToAnsi(aRest[i], strAnsi)) {
            return std::nullopt;
        }
        if (i > 0) {
            strWindows += '\\';
        }
        strWindows += strAnsi;
    }
    return strWindows;
}

std::optional<std::string> ToWindowsPath(std::string_view strUtf8Path) {
    if (!strUtf8Path.empty() && strUtf8Path[0] == '/') {
        return PosixToWindowsPath(strUtf8Path);
    }
    std::string strAnsi;
    detail::WindowsPath path;
    if (!Utf8ToAnsi(strUtf8Path, strAnsi) || !detail::ParseWindowsPath(strAnsi, path)) {
        return std::nullopt;
    }
    return path.WindowsForm();
}

} // namespace tessaly::win32
