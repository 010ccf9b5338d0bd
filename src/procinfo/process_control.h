#pragma once
// Ending a process and enabling a privilege on the program's own token.
// Failures are silent: the caller carries on.
#include <cstdint>
#include <string>

#include "os/process_api.h"
#include "os/token_api.h"

namespace taskmgr {

inline constexpr uint32_t kKillProcessAccess = kProcessTerminate | kProcessQueryInformation;  // 0x401

// Ends the process with exit code 0. PID 0 makes no call at all.
void KillProcess(int32_t pid, IProcessApi& api);
void KillProcess(int32_t pid);

// True when the privilege was set as asked: the adjustment left the last
// error at 0. The caller keeps and closes `token`.
bool SetPrivilege(uintptr_t token, const std::string& name, bool enable, ITokenApi& api);
bool SetPrivilege(uintptr_t token, const std::string& name, bool enable);

// Enables "SeDebugPrivilege" on the program's own token.
bool EnableDebugPrivilege(ITokenApi& api);
bool EnableDebugPrivilege();

}  // namespace taskmgr
