// The POSIX layer's system-call hooks have nothing to act on here: the W functions are the system.
#include "platform/win32/Win32TestHooks.h"

namespace tessaly::win32 {

bool CanFailSysCalls() {
    return false;
}

void FailSysCall(SysCall /*call*/, int /*iErrno*/, int /*iTimes*/, int /*iSkip*/,
                 const std::string& /*strPathPart*/) {}

void ClearSysCallFailures() {}

void SetMoveStepHookForTests(std::function<void(MoveStep, const std::string&)> /*fnHook*/) {}

} // namespace tessaly::win32
