// Temporary names of the cross-file-system copy, and the sweep of those left by dead processes.
#include "platform/win32/posix/MoveTemporary.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <mutex>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/win32/posix/PathResolve.h"
#include "platform/win32/posix/Sys.h"

namespace tessaly::win32::detail {
namespace {

constexpr std::string_view kPrefix = ".tessaly-move-";
constexpr std::string_view kSuffix = ".tmp";
// Past this many folders the record of swept ones starts again, so a run over a huge tree does
// not hold every folder name; a folder is then at worst swept twice.
constexpr std::size_t kSweptFolderLimit = 65536;

// Decimal digits only, at most lMax.
bool ParseNumber(std::string_view str, long lMax, long& lValue) {
    if (str.empty() || str.size() > 19) {
        return false;
    }
    unsigned long long ullValue = 0;
    for (char c : str) {
        if (c < '0' || c > '9') {
            return false;
        }
        ullValue = ullValue * 10 + static_cast<unsigned>(c - '0');
    }
    if (ullValue > static_cast<unsigned long long>(lMax)) {
        return false;
    }
    lValue = static_cast<long>(ullValue);
    return true;
}

// kill(2) with signal 0 asks only whether the process exists. EPERM means it does (another
// user's), so only ESRCH counts as gone.
bool ProcessGone(long lPid) {
    return ::kill(static_cast<pid_t>(lPid), 0) != 0 && errno == ESRCH;
}

// Whether this process already swept strFolder; records it if not.
bool FirstVisit(const std::string& strFolder) {
    static std::mutex s_mutex;
    static auto* s_pSwept = new std::unordered_set<std::string>; // threads may outlive statics
    std::lock_guard lock(s_mutex);
    if (s_pSwept->size() >= kSweptFolderLimit) {
        s_pSwept->clear();
    }
    return s_pSwept->insert(strFolder).second;
}

// The process id in a name CreateMoveTemporary makes; 0 for any other name.
long MoveTemporaryOwner(const std::string& strName) {
    const std::string_view strView(strName);
    if (strView.size() <= kPrefix.size() + kSuffix.size() || !strView.starts_with(kPrefix) ||
        !strView.ends_with(kSuffix)) {
        return 0;
    }
    const std::string_view strMiddle =
        strView.substr(kPrefix.size(), strView.size() - kPrefix.size() - kSuffix.size());
    const std::size_t uDash = strMiddle.find('-');
    long lPid = 0;
    long lCounter = 0;
    if (uDash == std::string_view::npos ||
        !ParseNumber(strMiddle.substr(0, uDash), INT_MAX, lPid) ||
        !ParseNumber(strMiddle.substr(uDash + 1), UINT_MAX, lCounter)) {
        return 0;
    }
    return lPid;
}

} // namespace

int CreateMoveTemporary(const std::string& strFolder, std::string& strTemp) {
    static std::atomic<unsigned> s_uCounter{0};
    for (;;) {
        strTemp = strFolder + "/" + std::string(kPrefix) + std::to_string(::getpid()) + "-" +
                  std::to_string(s_uCounter.fetch_add(1)) + std::string(kSuffix);
        const int fd = SysOpen(strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
}

void NoteFolderSwept(const std::string& strFolder) {
    FirstVisit(strFolder);
}

bool MayBeMoveTemporary(std::string_view strName) {
    return strName.starts_with(kPrefix);
}

void RemoveStaleMoveTemporaries(const std::string& strFolder) {
    if (!FirstVisit(strFolder)) {
        return;
    }
    DIR* pDir = ::opendir(strFolder.c_str());
    if (pDir == nullptr) {
        return;
    }
    const long lSelf = static_cast<long>(::getpid());
    std::vector<std::string> vStale;
    while (const dirent* pEntry = ::readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        const long lOwner = MoveTemporaryOwner(strName);
        if (lOwner > 0 && lOwner != lSelf && ProcessGone(lOwner)) {
            vStale.push_back(strName);
        }
    }
    const int fdDir = ::dirfd(pDir);
    for (const std::string& strName : vStale) {
        struct stat st;
        if (::fstatat(fdDir, strName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && ::unlinkat(fdDir, strName.c_str(), 0) == 0) {
            NoteEntryRemoved(strFolder + "/" + strName);
        }
    }
    ::closedir(pDir);
}

} // namespace tessaly::win32::detail
