// The failable system calls and the failure hooks that tests set on them.
#include "platform/win32/posix/Sys.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/win32/Win32TestHooks.h"

namespace tessaly::win32 {
namespace {

struct Failure {
    int iErrno = 0;
    int iTimes = -1;
    int iSkip = 0;
    std::string strPathPart;
};

struct HookState {
    std::mutex mutex;
    std::array<std::vector<Failure>, static_cast<size_t>(SysCall::Count)> aFailures;
    std::unordered_map<int, std::string> mapFdPaths; // for write and fsync failures by path
};

HookState& Hooks() {
    static HookState* pState = new HookState; // never destroyed: threads may outlive statics
    return *pState;
}

// Lets the calls skip the lock entirely when no test set a failure.
std::atomic<bool> g_bAnyFailure{false};

// True (errno set) when this call must fail.
bool ShouldFail(SysCall call, const char* pszPath) {
    if (!g_bAnyFailure.load(std::memory_order_acquire)) {
        return false;
    }
    HookState& state = Hooks();
    std::lock_guard lock(state.mutex);
    for (Failure& failure : state.aFailures[static_cast<size_t>(call)]) {
        if (!failure.strPathPart.empty() &&
            (pszPath == nullptr ||
             std::string(pszPath).find(failure.strPathPart) == std::string::npos)) {
            continue;
        }
        if (failure.iTimes == 0) {
            continue;
        }
        if (failure.iSkip > 0) {
            --failure.iSkip;
            continue;
        }
        if (failure.iTimes > 0) {
            --failure.iTimes;
        }
        errno = failure.iErrno;
        return true;
    }
    return false;
}

std::string FdPath(int fd) {
    if (!g_bAnyFailure.load(std::memory_order_acquire)) {
        return {};
    }
    HookState& state = Hooks();
    std::lock_guard lock(state.mutex);
    auto it = state.mapFdPaths.find(fd);
    return it == state.mapFdPaths.end() ? std::string() : it->second;
}

// The move-step hook: a shared copy is taken under the lock and run outside it, so a hook may
// itself move files.
struct StepHook {
    std::mutex mutex;
    std::shared_ptr<const std::function<void(MoveStep, const std::string&)>> pHook;
};

StepHook& MoveStepHook() {
    static StepHook* pState = new StepHook; // never destroyed, as Hooks()
    return *pState;
}

std::atomic<bool> g_bMoveStepHook{false};

} // namespace

void SetMoveStepHookForTests(std::function<void(MoveStep, const std::string&)> fnHook) {
    StepHook& state = MoveStepHook();
    std::lock_guard lock(state.mutex);
    const bool bSet = static_cast<bool>(fnHook);
    state.pHook = bSet ? std::make_shared<const std::function<void(MoveStep, const std::string&)>>(
                             std::move(fnHook))
                       : nullptr;
    g_bMoveStepHook.store(bSet, std::memory_order_release);
}

bool CanFailSysCalls() {
    return true;
}

void FailSysCall(SysCall call, int iErrno, int iTimes, int iSkip, const std::string& strPathPart) {
    HookState& state = Hooks();
    std::lock_guard lock(state.mutex);
    state.aFailures[static_cast<size_t>(call)].push_back({iErrno, iTimes, iSkip, strPathPart});
    g_bAnyFailure.store(true, std::memory_order_release);
}

void ClearSysCallFailures() {
    HookState& state = Hooks();
    std::lock_guard lock(state.mutex);
    for (auto& failures : state.aFailures) {
        failures.clear();
    }
    g_bAnyFailure.store(false, std::memory_order_release);
}

namespace detail {

int SysChdir(const char* pszPath) {
    if (ShouldFail(SysCall::Chdir, pszPath)) {
        return -1;
    }
    return ::chdir(pszPath);
}

int SysMkdir(const char* pszPath, mode_t mode) {
    if (ShouldFail(SysCall::Mkdir, pszPath)) {
        return -1;
    }
    return ::mkdir(pszPath, mode);
}

int SysRenameNoReplace(const char* pszFrom, const char* pszTo) {
    if (ShouldFail(SysCall::Rename, pszFrom) || ShouldFail(SysCall::Rename, pszTo)) {
        return -1;
    }
    return ::renameat2(AT_FDCWD, pszFrom, AT_FDCWD, pszTo, RENAME_NOREPLACE);
}

int SysRename(const char* pszFrom, const char* pszTo) {
    if (ShouldFail(SysCall::Rename, pszFrom) || ShouldFail(SysCall::Rename, pszTo)) {
        return -1;
    }
    return ::rename(pszFrom, pszTo);
}

int SysLink(const char* pszFrom, const char* pszTo) {
    if (ShouldFail(SysCall::Link, pszFrom) || ShouldFail(SysCall::Link, pszTo)) {
        return -1;
    }
    return ::link(pszFrom, pszTo);
}

int SysOpen(const char* pszPath, int iFlags, mode_t mode) {
    if (ShouldFail(SysCall::Open, pszPath)) {
        return -1;
    }
    const int fd = ::open(pszPath, iFlags | O_CLOEXEC, mode);
    if (fd >= 0 && g_bAnyFailure.load(std::memory_order_acquire)) {
        HookState& state = Hooks();
        std::lock_guard lock(state.mutex);
        state.mapFdPaths[fd] = pszPath;
    }
    return fd;
}

ssize_t SysWrite(int fd, const void* pBuf, size_t cb) {
    if (ShouldFail(SysCall::Write, FdPath(fd).c_str())) {
        return -1;
    }
    return ::write(fd, pBuf, cb);
}

int SysFsync(int fd) {
    if (ShouldFail(SysCall::Fsync, FdPath(fd).c_str())) {
        return -1;
    }
    return ::fsync(fd);
}

int SysClose(int fd) {
    if (g_bAnyFailure.load(std::memory_order_acquire)) {
        HookState& state = Hooks();
        std::lock_guard lock(state.mutex);
        state.mapFdPaths.erase(fd);
    }
    return ::close(fd);
}

int SysUnlink(const char* pszPath) {
    if (ShouldFail(SysCall::Unlink, pszPath)) {
        return -1;
    }
    return ::unlink(pszPath);
}

void AtMoveStep(MoveStep step, const std::string& strPosixPath) {
    if (!g_bMoveStepHook.load(std::memory_order_acquire)) {
        return;
    }
    StepHook& state = MoveStepHook();
    std::shared_ptr<const std::function<void(MoveStep, const std::string&)>> pHook;
    {
        std::lock_guard lock(state.mutex);
        pHook = state.pHook;
    }
    if (pHook) {
        const int iSavedErrno = errno;
        (*pHook)(step, strPosixPath);
        errno = iSavedErrno;
    }
}

} // namespace detail
} // namespace tessaly::win32
