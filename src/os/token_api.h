#pragma once
// What the debug-privilege operations need from the system.
#include <cstdint>
#include <string>

namespace taskmgr {

inline constexpr uint32_t kTokenAdjustPrivileges = 0x0020;
inline constexpr uint32_t kSePrivilegeEnabled = 0x0002;

struct TLuid {
  uint32_t LowPart = 0;
  int32_t HighPart = 0;
};

class ITokenApi {
 public:
  virtual ~ITokenApi() = default;
  // The token of the calling process opened with `access`; 0 on failure.
  virtual uintptr_t OpenOwnProcessToken(uint32_t access) = 0;
  // Looks a privilege up on the local system; false when unknown.
  virtual bool LookupPrivilege(const std::string& name, TLuid& luid) = 0;
  // Applies one privilege with `attributes` to the token and returns the
  // last error read right after the call: 0 only when every privilege was
  // assigned, never 0 when the call failed.
  virtual uint32_t AdjustTokenPrivileges(uintptr_t token, TLuid luid, uint32_t attributes) = 0;
  virtual void CloseHandle(uintptr_t handle) = 0;
};

}  // namespace taskmgr
