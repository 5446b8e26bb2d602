// Test hooks of the layer: things a test must steer that a real system does not let it.
#pragma once

#include <functional>
#include <string>

namespace tessaly::win32 {

// GetModuleFileNameA reports this POSIX path instead of /proc/self/exe (empty: the real one), so
// tests running in parallel keep their files beside "the executable" apart.
void SetModuleFileNameForTests(const std::string& strPosixPath);

// The system calls the layer makes that a test can make fail (CI runs as root, where permissions
// cannot provoke these failures). Only the POSIX layer makes them itself: on Windows the W
// functions are the system, FailSysCall and the move steps change nothing, and this says false.
bool CanFailSysCalls();
enum class SysCall { Chdir, Mkdir, Rename, Link, Write, Fsync, Open, Unlink, Count };

// The next iTimes calls of `call` (-1: every call) fail with iErrno after iSkip calls succeed.
// Only paths containing strPathPart are affected when it is not empty (write and fsync: the path
// the descriptor was opened with).
void FailSysCall(SysCall call, int iErrno, int iTimes = -1, int iSkip = 0,
                 const std::string& strPathPart = {});
// Removes every failure set with FailSysCall.
void ClearSysCallFailures();

// The points of MoveFileA where a test can act as another process would, each told the POSIX
// path it concerns.
enum class MoveStep {
    CopyChunk,   // a piece of the source was copied across file systems (the source)
    CopyPlaced,  // the copy is in place; the source is checked and removed next (the source)
    NameClaim,   // without RENAME_NOREPLACE or hard links: the name is claimed next (the target)
    NameClaimed, // the placeholder stands; it is checked next (the target)
    NameChecked, // the placeholder was found ours; rename(2) replaces it next (the target)
};
// Runs fnHook at every step of every move until it is set again; an empty one removes it.
void SetMoveStepHookForTests(std::function<void(MoveStep, const std::string&)> fnHook);

} // namespace tessaly::win32
