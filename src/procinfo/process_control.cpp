#include "procinfo/process_control.h"

#include "procinfo/proc_services.h"

namespace taskmgr {
namespace {

template <class Api>
class TCloser {
 public:
  TCloser(Api& api, uintptr_t handle) : api_(api), handle_(handle) {}
  ~TCloser() { api_.CloseHandle(handle_); }
  TCloser(const TCloser&) = delete;
  TCloser& operator=(const TCloser&) = delete;

 private:
  Api& api_;
  uintptr_t handle_;
};

}  // namespace

void KillProcess(int32_t pid, IProcessApi& api) {
  if (pid == 0) return;
  const uintptr_t process = api.OpenProcess(kKillProcessAccess, pid);
  if (process == 0) return;
  TCloser<IProcessApi> closer(api, process);
  api.TerminateProcess(process, 0);
}

void KillProcess(int32_t pid) { KillProcess(pid, ProcessApi()); }

bool SetPrivilege(uintptr_t token, const std::string& name, bool enable, ITokenApi& api) {
  TLuid luid;
  if (!api.LookupPrivilege(name, luid)) return false;
  // The adjustment succeeds even when the token lacks the privilege; only
  // the last error tells.
  return api.AdjustTokenPrivileges(token, luid, enable ? kSePrivilegeEnabled : 0) == 0;
}

bool SetPrivilege(uintptr_t token, const std::string& name, bool enable) {
  return SetPrivilege(token, name, enable, TokenApi());
}

bool EnableDebugPrivilege(ITokenApi& api) {
  const uintptr_t token = api.OpenOwnProcessToken(kTokenAdjustPrivileges);
  if (token == 0) return false;
  TCloser<ITokenApi> closer(api, token);
  return SetPrivilege(token, "SeDebugPrivilege", true, api);
}

bool EnableDebugPrivilege() { return EnableDebugPrivilege(TokenApi()); }

}  // namespace taskmgr
