// The drive table and the current directories behind one reader-writer lock: lookups of paths
// (every file call) only read; SetCurrentDirectoryA, _chdrive and SetDriveTable write.
#include "platform/win32/posix/PathState.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <shared_mutex>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32Drives.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/common/CodePage932Tables.h"
#include "platform/win32/posix/Sys.h"

namespace tessaly::win32 {
namespace detail {
namespace {

struct Drive {
    std::string strRoot;
    std::vector<std::string> aRootNames;
    // The root with its links resolved, when that differs: paths the system hands out (the
    // executable's, a dropped file's) come that way.
    std::string strRealRoot;
    std::vector<std::string> aRealNames;
};

struct DirState {
    std::vector<std::string> aAnsi;
    std::vector<std::string> aDisk;
};

struct State {
    std::shared_mutex mutex;
    std::map<char, Drive> mapDrives;
    char cCurrent = 'Z';
    std::array<std::optional<DirState>, 26> aDirs; // each drive's last current directory
    // The process's working directory is the current directory's folder (its last chdir there
    // succeeded); written with WorkingDirectoryChangeMutex held.
    bool bWorkingDirectoryFollows = false;
};

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

char UpperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

Drive MakeDrive(const std::string& strRoot) {
    Drive drive;
    drive.aRootNames = SplitPosixPath(strRoot);
    drive.strRoot = JoinPosixPath(drive.aRootNames);
    char acReal[PATH_MAX];
    if (::realpath(drive.strRoot.c_str(), acReal) != nullptr && drive.strRoot != acReal) {
        drive.strRealRoot = acReal;
        drive.aRealNames = SplitPosixPath(drive.strRealRoot);
    }
    return drive;
}

std::map<char, Drive> MakeDrives(const std::map<char, std::string>& mapRoots) {
    std::map<char, Drive> mapDrives;
    for (const auto& [cLetter, strRoot] : mapRoots) {
        if (IsLetter(cLetter) && !strRoot.empty() && strRoot[0] == '/') {
            mapDrives[UpperLetter(cLetter)] = MakeDrive(strRoot);
        }
    }
    if (mapDrives.find('Z') == mapDrives.end()) {
        mapDrives['Z'] = MakeDrive("/"); // so that every file is reachable
    }
    return mapDrives;
}

bool StartsWith(const std::vector<std::string>& aNames, const std::vector<std::string>& aPrefix) {
    if (aPrefix.size() > aNames.size()) {
        return false;
    }
    for (std::size_t i = 0; i < aPrefix.size(); ++i) {
        if (aNames[i] != aPrefix[i]) {
            return false;
        }
    }
    return true;
}

bool MapLocked(const State& state, const std::vector<std::string>& aNames, char& cDrive,
               std::vector<std::string>& aRest) {
    std::size_t uBest = 0;
    bool bFound = false;
    for (const auto& [cLetter, drive] : state.mapDrives) {
        for (const auto* pRoot : {&drive.aRootNames, &drive.aRealNames}) {
            if (pRoot == &drive.aRealNames && drive.strRealRoot.empty()) {
                continue;
            }
            if (StartsWith(aNames, *pRoot) && (!bFound || pRoot->size() > uBest)) {
                bFound = true;
                uBest = pRoot->size();
                cDrive = cLetter;
            }
        }
    }
    if (bFound) {
        aRest.assign(aNames.begin() + static_cast<std::ptrdiff_t>(uBest), aNames.end());
    }
    return bFound;
}

void ResetToFirstDrive(State& state) {
    state.cCurrent = state.mapDrives.begin()->first;
    state.aDirs[state.cCurrent - 'A'].reset();
}

// The table from TESSALY_DRIVES, and the process's working directory as the current directory.
State* MakeInitialState() {
    auto* pState = new State; // never destroyed: detached threads may outlive it
    const char* pszSpec = std::getenv("TESSALY_DRIVES");
    pState->mapDrives = MakeDrives(ParseDriveSpec(pszSpec != nullptr ? pszSpec : ""));
    ResetToFirstDrive(*pState);
    char acCwd[PATH_MAX];
    char cDrive = 0;
    std::vector<std::string> aRest;
    if (::getcwd(acCwd, sizeof acCwd) != nullptr &&
        MapLocked(*pState, SplitPosixPath(acCwd), cDrive, aRest)) {
        DirState dir;
        bool bOk = true;
        for (const std::string& strName : aRest) {
            std::string strAnsi;
            bOk = bOk && DiskNameToAnsi(strName, strAnsi);
            dir.aAnsi.push_back(std::move(strAnsi));
        }
        if (bOk) {
            dir.aDisk = std::move(aRest);
            pState->cCurrent = cDrive;
            pState->aDirs[cDrive - 'A'] = std::move(dir);
            pState->bWorkingDirectoryFollows = true;
            return pState;
        }
    }
    // Follow the first drive's root with the real working directory as well.
    pState->bWorkingDirectoryFollows =
        ::chdir(pState->mapDrives.begin()->second.strRoot.c_str()) == 0;
    return pState;
}

State& TheState() {
    static State* pState = MakeInitialState();
    return *pState;
}

std::string PosixOf(const std::string& strRoot, const std::vector<std::string>& aDisk,
                    std::size_t n) {
    n = std::min(n, aDisk.size());
    std::size_t uLength = strRoot.size();
    for (std::size_t i = 0; i < n; ++i) {
        uLength += aDisk[i].size() + 1;
    }
    // Sized once and written in place: every file call builds one or more of these.
    std::string strPath(uLength, '\0');
    char* pc = strPath.data();
    std::memcpy(pc, strRoot.data(), strRoot.size());
    std::size_t uPos = strRoot.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (uPos == 0 || pc[uPos - 1] != '/') {
            pc[uPos++] = '/';
        }
        std::memcpy(pc + uPos, aDisk[i].data(), aDisk[i].size());
        uPos += aDisk[i].size();
    }
    strPath.resize(uPos);
    return strPath;
}

std::string WindowsFormOf(char cDrive, const std::vector<std::string>& aAnsi) {
    std::string strPath{cDrive, ':', '\\'};
    for (std::size_t i = 0; i < aAnsi.size(); ++i) {
        if (i > 0) {
            strPath += '\\';
        }
        strPath += aAnsi[i];
    }
    return strPath;
}

bool Fail(DWORD dwError) {
    SetLastError(dwError);
    return false;
}

// What a byte is to the path parser when it starts a character; one table lookup a byte keeps
// the scan of every path cheap.
enum : unsigned char { kPlain = 0, kHigh, kLead, kSeparator, kForbidden, kWildcard };

struct ByteClasses {
    unsigned char a[256];
    constexpr ByteClasses() : a() {
        for (int b = 0; b < 256; ++b) {
            const auto by = static_cast<unsigned char>(b);
            // Characters that Windows refuses in a name; '*' and '?' are reported apart as a
            // pattern.
            if (by == '\\' || by == '/') {
                a[b] = kSeparator;
            } else if (by < 0x20 || by == '<' || by == '>' || by == ':' || by == '"' || by == '|') {
                a[b] = kForbidden;
            } else if (by == '*' || by == '?') {
                a[b] = kWildcard;
            } else if (IsProgramLead(by)) {
                a[b] = kLead;
            } else {
                a[b] = by < 0x80 ? kPlain : kHigh; // an ASCII name is its own disk form
            }
        }
    }
};

constexpr ByteClasses kByteClasses;

// The on-disk form of the component at uIndex. Calls come in runs on paths that share their
// folders, so each thread keeps the last two forms at each depth (a move's source and target
// alternate there) and converts only what differs.
void AssignDiskForm(std::size_t uIndex, std::string_view strAnsiName, std::string& strOut) {
    constexpr std::size_t kRemembered = 16;
    struct Form {
        std::string strAnsi;
        std::string strDisk;
        bool bUsed = false;
    };
    struct Depth {
        Form aForms[2];
        unsigned uOlder = 0;
    };
    thread_local std::vector<Depth> s_aLast;
    if (uIndex >= kRemembered) {
        strOut = AnsiNameToDisk(strAnsiName);
        return;
    }
    if (s_aLast.size() <= uIndex) {
        s_aLast.resize(uIndex + 1);
    }
    Depth& depth = s_aLast[uIndex];
    for (unsigned j = 0; j < 2; ++j) {
        if (depth.aForms[j].bUsed && depth.aForms[j].strAnsi == strAnsiName) {
            depth.uOlder = 1 - j;
            strOut.assign(depth.aForms[j].strDisk);
            return;
        }
    }
    Form& form = depth.aForms[depth.uOlder];
    depth.uOlder = 1 - depth.uOlder;
    form.strAnsi.assign(strAnsiName);
    form.strDisk = AnsiNameToDisk(strAnsiName);
    form.bUsed = true;
    strOut.assign(form.strDisk);
}

// The string at i of a list being refilled, reusing what the list already holds there.
std::string& Slot(std::vector<std::string>& aList, std::size_t i) {
    return i < aList.size() ? aList[i] : aList.emplace_back();
}

// A refilled path mostly shares its folders with the one before: equal names stay untouched.
void AssignName(std::string& str, std::string_view strName) {
    if (str.size() != strName.size() || std::memcmp(str.data(), strName.data(), str.size()) != 0) {
        str.assign(strName);
    }
}

// How many bytes the two texts share from their start, eight at a time.
std::size_t CommonPrefixLength(std::string_view str1, std::string_view str2) {
    const std::size_t uMax = std::min(str1.size(), str2.size());
    std::size_t u = 0;
    for (; u + 8 <= uMax; u += 8) {
        std::uint64_t u1;
        std::uint64_t u2;
        std::memcpy(&u1, str1.data() + u, 8);
        std::memcpy(&u2, str2.data() + u, 8);
        if (u1 != u2) {
            break;
        }
    }
    while (u < uMax && str1[u] == str2[u]) {
        ++u;
    }
    return u;
}

} // namespace

std::string WindowsPath::PosixPath(std::size_t n) const {
    return PosixOf(strRoot, aDisk, n);
}

std::string WindowsPath::WindowsForm() const {
    return WindowsFormOf(cDrive, aAnsi);
}

std::vector<std::string> SplitPosixPath(std::string_view strPosix) {
    std::vector<std::string> aNames;
    std::size_t uStart = 0;
    while (uStart <= strPosix.size()) {
        std::size_t uEnd = strPosix.find('/', uStart);
        if (uEnd == std::string_view::npos) {
            uEnd = strPosix.size();
        }
        const std::string_view strName = strPosix.substr(uStart, uEnd - uStart);
        if (strName == "..") {
            if (!aNames.empty()) {
                aNames.pop_back();
            }
        } else if (!strName.empty() && strName != ".") {
            aNames.emplace_back(strName);
        }
        uStart = uEnd + 1;
    }
    return aNames;
}

std::string JoinPosixPath(const std::vector<std::string>& aNames) {
    if (aNames.empty()) {
        return "/";
    }
    std::string strPath;
    for (const std::string& strName : aNames) {
        strPath += '/';
        strPath += strName;
    }
    return strPath;
}

bool ParseWindowsPath(std::string_view strAnsi, WindowsPath& out, bool bAllowPattern) {
    strAnsi = strAnsi.substr(0, strAnsi.find('\0'));
    // The lists are refilled in place: a caller that parses into the same object again keeps
    // their strings' room.
    out.cDrive = 0;
    out.strRoot.clear();
    out.bTrailingSeparator = false;
    out.strPattern.reset();
    std::size_t nUsed = 0; // the live components of out.aAnsi and out.aDisk
    std::size_t nBase = 0; // those of them that come from the current directory
    const auto fail = [&out](DWORD dwError) {
        out.aAnsi.clear();
        out.aDisk.clear();
        out.aParsedEnds.clear();
        return Fail(dwError);
    };
    if (strAnsi.empty()) {
        return fail(ERROR_PATH_NOT_FOUND);
    }
    std::size_t uPos = 0;
    bool bFromRoot = false;
    if (strAnsi.size() >= 2 && strAnsi[1] == ':' && IsLetter(strAnsi[0])) {
        uPos = 2;
        bFromRoot = strAnsi.size() > 2 && IsSeparator(strAnsi[2]);
    } else if (IsSeparator(strAnsi[0])) {
        if (strAnsi.size() >= 2 && IsSeparator(strAnsi[1])) {
            return fail(ERROR_INVALID_NAME); // UNC and device paths: there is no network here
        }
        bFromRoot = true;
    }
    {
        State& state = TheState();
        std::shared_lock lock(state.mutex);
        const char cDrive = uPos == 2 ? UpperLetter(strAnsi[0]) : state.cCurrent;
        const auto itDrive = state.mapDrives.find(cDrive);
        if (itDrive == state.mapDrives.end()) {
            lock.unlock();
            return fail(ERROR_PATH_NOT_FOUND);
        }
        out.cDrive = cDrive;
        out.strRoot.assign(itDrive->second.strRoot);
        const std::optional<DirState>& dir = state.aDirs[cDrive - 'A'];
        nBase = !bFromRoot && dir ? dir->aAnsi.size() : 0;
        // Room for a usual depth at once; a fresh list would otherwise grow four times.
        out.aAnsi.reserve(nBase + 12);
        out.aDisk.reserve(nBase + 12);
        out.aParsedEnds.reserve(12);
        for (; nUsed < nBase; ++nUsed) {
            AssignName(Slot(out.aAnsi, nUsed), dir->aAnsi[nUsed]);
            AssignName(Slot(out.aDisk, nUsed), dir->aDisk[nUsed]);
        }
    }

    // One pass: each component is taken as its separator (or the end) is met. "." and ".." are
    // applied even after a component that is refused, which fails the path all the same.
    const auto* pbAnsi = reinterpret_cast<const unsigned char*>(strAnsi.data());
    const std::size_t uSize = strAnsi.size();
    std::size_t uStart = uPos;
    bool bForbidden = false;
    bool bPattern = false;
    bool bHigh = false;
    bool bAnyName = false;
    // The folders that the last parse into out read from the same bytes, up to and with the
    // separator after them, are still in place: the same bytes read the same way, so the scan
    // resumes after them. The ends stay listed while each listed component is still at its index.
    std::vector<std::uint32_t>& aEnds = out.aParsedEnds;
    std::size_t nKept = 0;
    if (out.nParsedBase == nBase &&
        nBase + aEnds.size() <= std::min(out.aAnsi.size(), out.aDisk.size())) {
        const std::size_t uCommon = CommonPrefixLength(out.strParsedFrom, strAnsi);
        while (nKept < aEnds.size() && aEnds[nKept] < uCommon) {
            ++nKept;
        }
    } else {
        aEnds.clear();
    }
    aEnds.resize(nKept);
    bool bListing = uSize <= UINT32_MAX;
    if (nKept > 0) {
        uStart = aEnds[nKept - 1] + 1;
        nUsed = nBase + nKept;
        bAnyName = true;
    }
    for (std::size_t i = uStart;;) {
        const unsigned char byClass =
            i < uSize ? kByteClasses.a[pbAnsi[i]] : static_cast<unsigned char>(kSeparator);
        switch (byClass) {
        case kPlain:
            ++i;
            // Most of a path is plain ASCII: a tight loop over it.
            while (i < uSize && kByteClasses.a[pbAnsi[i]] == kPlain) {
                ++i;
            }
            continue;
        case kHigh:
            bHigh = true;
            ++i;
            continue;
        case kLead:
            // A trail byte may be 0x5C, which is no separator then (Cp932CharLength's rule).
            bHigh = true;
            i += Cp932CharLength(pbAnsi + i, uSize - i);
            continue;
        case kForbidden:
            bForbidden = true;
            ++i;
            continue;
        case kWildcard:
            bPattern = true;
            ++i;
            continue;
        default:
            break;
        }
        // A separator or the end: the component [uStart, i), if any.
        if (i > uStart) {
            bAnyName = true;
            const std::string_view strName = strAnsi.substr(uStart, i - uStart);
            if (strName.size() <= 2 && strName[0] == '.' &&
                (strName.size() == 1 || strName[1] == '.')) {
                if (strName.size() == 2 && nUsed > 0) {
                    --nUsed;
                    // The component taken away no longer stands at its index.
                    if (nUsed < nBase) {
                        aEnds.clear();
                        bListing = false;
                    } else if (aEnds.size() > nUsed - nBase) {
                        aEnds.resize(nUsed - nBase);
                    }
                }
            } else if (bForbidden) {
                return fail(ERROR_INVALID_NAME);
            } else if (bPattern) {
                // Only as the last component, and not of a folder ("a*\").
                if (!bAllowPattern || i < uSize) {
                    return fail(ERROR_INVALID_NAME);
                }
                out.strPattern.emplace(strName);
            } else {
                AssignName(Slot(out.aAnsi, nUsed), strName);
                std::string& strDisk = Slot(out.aDisk, nUsed);
                if (bHigh) {
                    AssignDiskForm(nUsed, strName, strDisk);
                } else {
                    AssignName(strDisk, strName);
                }
                if (bListing && i < uSize && aEnds.size() == nUsed - nBase) {
                    aEnds.push_back(static_cast<std::uint32_t>(i));
                }
                ++nUsed;
            }
        }
        if (i >= uSize) {
            out.bTrailingSeparator = bAnyName && i == uStart;
            break;
        }
        bForbidden = bPattern = bHigh = false;
        uStart = ++i;
    }
    out.aAnsi.resize(nUsed);
    out.aDisk.resize(nUsed);
    out.strParsedFrom.assign(strAnsi);
    out.nParsedBase = nBase;
    return true;
}

bool MapPosixToDrive(const std::vector<std::string>& aNames, char& cDrive,
                     std::vector<std::string>& aRest) {
    State& state = TheState();
    std::shared_lock lock(state.mutex);
    return MapLocked(state, aNames, cDrive, aRest);
}

std::optional<std::string> DriveRoot(char cDrive) {
    State& state = TheState();
    std::shared_lock lock(state.mutex);
    const auto it = state.mapDrives.find(UpperLetter(cDrive));
    if (it == state.mapDrives.end()) {
        return std::nullopt;
    }
    return it->second.strRoot;
}

bool IsDriveRootFolder(const std::string& strPosix) {
    State& state = TheState();
    std::shared_lock lock(state.mutex);
    for (const auto& entry : state.mapDrives) {
        if (entry.second.strRoot == strPosix || entry.second.strRealRoot == strPosix) {
            return true;
        }
    }
    return false;
}

std::vector<char> DriveLetters() {
    State& state = TheState();
    std::shared_lock lock(state.mutex);
    std::vector<char> aLetters;
    for (const auto& entry : state.mapDrives) {
        aLetters.push_back(entry.first);
    }
    return aLetters;
}

char CurrentDrive() {
    State& state = TheState();
    std::shared_lock lock(state.mutex);
    return state.cCurrent;
}

std::string CurrentDirectoryOf(char cDrive) {
    State& state = TheState();
    std::shared_lock lock(state.mutex);
    if (cDrive == 0) {
        cDrive = state.cCurrent;
    }
    cDrive = UpperLetter(cDrive);
    if (!IsLetter(cDrive)) {
        return {};
    }
    const std::optional<DirState>& dir = state.aDirs[cDrive - 'A'];
    return WindowsFormOf(cDrive, dir ? dir->aAnsi : std::vector<std::string>());
}

namespace {

// Serialises the changes of the working directory, each chdir with its record: the lookups,
// which read the record on every thread, are not held up by the system call.
std::mutex& WorkingDirectoryChangeMutex() {
    static std::mutex* pMutex = new std::mutex; // never destroyed: threads may outlive it
    return *pMutex;
}

} // namespace

bool ChangeCurrentDirectory(const WindowsPath& folder) {
    State& state = TheState();
    // The drive table cannot change until the record is made: SetDriveTable takes this first.
    const std::lock_guard change(WorkingDirectoryChangeMutex());
    {
        std::shared_lock lock(state.mutex);
        const auto it = state.mapDrives.find(folder.cDrive);
        if (it == state.mapDrives.end() || it->second.strRoot != folder.strRoot) {
            return Fail(ERROR_PATH_NOT_FOUND); // the table changed meanwhile
        }
    }
    if (SysChdir(folder.PosixPath().c_str()) != 0) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    std::unique_lock lock(state.mutex);
    state.cCurrent = folder.cDrive;
    // Assigned into the drive's last record, whose strings keep their room.
    std::optional<DirState>& dir = state.aDirs[folder.cDrive - 'A'];
    if (!dir) {
        dir.emplace();
    }
    dir->aAnsi = folder.aAnsi;
    dir->aDisk = folder.aDisk;
    state.bWorkingDirectoryFollows = true;
    return true;
}

bool StatCurrentDirectory(struct statx& stx) {
    State& state = TheState();
    const std::lock_guard change(WorkingDirectoryChangeMutex());
    // A folder removed while current has no links left: the path says it is gone, as before.
    return state.bWorkingDirectoryFollows &&
           ::statx(AT_FDCWD, ".", AT_NO_AUTOMOUNT, kStatxMask, &stx) == 0 && stx.stx_nlink > 0;
}

} // namespace detail

void SetDriveTable(const std::map<char, std::string>& mapDrives) {
    std::map<char, detail::Drive> mapNew = detail::MakeDrives(mapDrives);
    detail::State& state = detail::TheState();
    const std::lock_guard change(detail::WorkingDirectoryChangeMutex());
    std::unique_lock lock(state.mutex);
    for (char c = 'A'; c <= 'Z'; ++c) {
        const auto itOld = state.mapDrives.find(c);
        const auto itNew = mapNew.find(c);
        if (itOld == state.mapDrives.end() || itNew == mapNew.end() ||
            itOld->second.strRoot != itNew->second.strRoot) {
            state.aDirs[c - 'A'].reset();
        }
    }
    const bool bCurrentGone = mapNew.find(state.cCurrent) == mapNew.end();
    const bool bCurrentMoved = !state.aDirs[state.cCurrent - 'A'].has_value();
    state.mapDrives = std::move(mapNew);
    if (bCurrentGone) {
        detail::ResetToFirstDrive(state);
    }
    if (bCurrentGone || bCurrentMoved) {
        // Best effort: the real working directory follows ours where it can.
        state.bWorkingDirectoryFollows =
            ::chdir(state.mapDrives[state.cCurrent].strRoot.c_str()) == 0;
    }
}

std::map<char, std::string> GetDriveTable() {
    detail::State& state = detail::TheState();
    std::shared_lock lock(state.mutex);
    std::map<char, std::string> mapRoots;
    for (const auto& [cLetter, drive] : state.mapDrives) {
        mapRoots[cLetter] = drive.strRoot;
    }
    return mapRoots;
}

std::map<char, std::string> ParseDriveSpec(std::string_view strSpec) {
    std::map<char, std::string> mapRoots;
    std::size_t uStart = 0;
    while (uStart <= strSpec.size()) {
        std::size_t uEnd = strSpec.find(';', uStart);
        if (uEnd == std::string_view::npos) {
            uEnd = strSpec.size();
        }
        std::string_view strEntry = strSpec.substr(uStart, uEnd - uStart);
        uStart = uEnd + 1;
        while (!strEntry.empty() && (strEntry.front() == ' ' || strEntry.front() == '\t')) {
            strEntry.remove_prefix(1);
        }
        // "C=/path", also "C:=/path" as a user may write it.
        if (strEntry.size() < 3 || !detail::IsLetter(strEntry[0])) {
            continue;
        }
        std::size_t uPath = 1;
        if (strEntry[uPath] == ':') {
            ++uPath;
        }
        while (uPath < strEntry.size() && strEntry[uPath] == ' ') {
            ++uPath;
        }
        if (uPath >= strEntry.size() || strEntry[uPath] != '=') {
            continue;
        }
        ++uPath;
        while (uPath < strEntry.size() && strEntry[uPath] == ' ') {
            ++uPath;
        }
        if (uPath >= strEntry.size() || strEntry[uPath] != '/') {
            continue;
        }
        std::string_view strRoot = strEntry.substr(uPath);
        while (strRoot.back() == ' ' || strRoot.back() == '\t') {
            strRoot.remove_suffix(1);
        }
        mapRoots[detail::UpperLetter(strEntry[0])] = std::string(strRoot);
    }
    return mapRoots;
}

} // namespace tessaly::win32
