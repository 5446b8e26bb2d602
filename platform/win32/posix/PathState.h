// Inside the layer: the process-wide path state (the drive table, the current drive and each
// drive's current directory) and the lexical reading of Windows paths against it.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::win32::detail {

// What the layer asks statx for wherever it describes a file: its birth time is the creation time.
inline constexpr unsigned kStatxMask = STATX_BASIC_STATS | STATX_BTIME;

// A Windows path made absolute and split as GetFullPathName does it: "." dropped, ".." taking
// away the component before it (never the root), repeated separators counted once.
struct WindowsPath {
    char cDrive = 0;                // 'A' ... 'Z'
    std::string strRoot;            // the POSIX folder the drive maps to
    std::vector<std::string> aAnsi; // the components in CP932
    std::vector<std::string> aDisk; // the same components as on-disk bytes
    bool bTrailingSeparator = false;
    // The last component when it holds '*' or '?' (only with bAllowPattern); it is then in
    // neither list.
    std::optional<std::string> strPattern;

    // Where each component read by the last parse into this object ended (the offset of the
    // separator after it in strParsedFrom), for the components past the current directory's
    // nParsedBase, up to the first "." or "..". The next parse of a path that shares those
    // folders takes their names over instead of reading them again, so whoever changes aAnsi or
    // aDisk in place must call ForgetParsedFrom with the first index changed.
    std::string strParsedFrom;
    std::vector<std::uint32_t> aParsedEnds;
    std::size_t nParsedBase = 0;
    void ForgetParsedFrom(std::size_t i) {
        if (i <= nParsedBase) {
            aParsedEnds.clear();
        } else if (i - nParsedBase < aParsedEnds.size()) {
            aParsedEnds.resize(i - nParsedBase);
        }
    }

    // The POSIX path of the root and the first n disk components (all of them by default).
    std::string PosixPath(std::size_t n = static_cast<std::size_t>(-1)) const;
    // "X:\a\b" ("X:\" for the root).
    std::string WindowsForm() const;
};

// Reads strAnsi (absolute, "X:" relative, "\" rooted, or relative to the current directory).
// False with GetLastError set: ERROR_PATH_NOT_FOUND for an empty path or an unmapped drive,
// ERROR_INVALID_NAME for a UNC path, a character Windows forbids in names (control characters,
// < > : " |, and * ? outside an allowed pattern). Characters end where Cp932CharLength says, so a
// lead byte before a separator, a control byte or the end takes nothing with it.
// Whatever out held before is replaced (its lists keep their room, so parsing into the same object
// again costs no allocation); on failure its lists are empty.
bool ParseWindowsPath(std::string_view strAnsi, WindowsPath& out, bool bAllowPattern = false);

// POSIX path helpers, lexical: "/a//b/./c/../d" -> {"a", "b", "d"}.
std::vector<std::string> SplitPosixPath(std::string_view strPosix);
std::string JoinPosixPath(const std::vector<std::string>& aNames);

// The drive and the remaining on-disk components of an absolute POSIX path (lexical), through the
// drive with the longest matching root. False when no drive holds it.
bool MapPosixToDrive(const std::vector<std::string>& aNames, char& cDrive,
                     std::vector<std::string>& aRest);

// The POSIX folder of a mapped drive.
std::optional<std::string> DriveRoot(char cDrive);
// True when strPosix (as PosixPath builds it) is the folder of some drive.
bool IsDriveRootFolder(const std::string& strPosix);
// The mapped letters, in order.
std::vector<char> DriveLetters();

char CurrentDrive();
// The current directory of cDrive (its root if it has none yet) in Windows form; of the current
// drive for 0.
std::string CurrentDirectoryOf(char cDrive = 0);
// Makes the resolved folder current: chdir through SysChdir, then the current drive and that
// drive's remembered directory. False with GetLastError set when chdir fails.
bool ChangeCurrentDirectory(const WindowsPath& folder);
// The current directory described through the process's working directory, which the layer keeps
// on it: no path to look up. False when that cannot answer (the working directory did not follow,
// or the folder was removed), and the path is then to be looked up.
bool StatCurrentDirectory(struct statx& stx);

} // namespace tessaly::win32::detail
