#pragma once
// A token service that records every call.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_process_api.h"  // Hex
#include "os/token_api.h"

namespace taskmgr::fakes {

class FakeTokenApi final : public ITokenApi {
 public:
  bool TokenOpens = true;
  uintptr_t Token = 0x2C;
  std::map<std::string, TLuid> Privileges{{"SeDebugPrivilege", {20, 0}},
                                          {"SeShutdownPrivilege", {19, 0}}};
  uint32_t AdjustLastError = 0;  // 1300: ERROR_NOT_ALL_ASSIGNED

  std::vector<std::string> Log;

  uintptr_t OpenOwnProcessToken(uint32_t access) override {
    const uintptr_t token = TokenOpens ? Token : 0;
    Log.push_back("OpenOwnProcessToken(" + Hex(access) + ") -> " + Hex(token));
    return token;
  }

  bool LookupPrivilege(const std::string& name, TLuid& luid) override {
    Log.push_back("LookupPrivilege(" + name + ")");
    const auto it = Privileges.find(name);
    if (it == Privileges.end()) return false;
    luid = it->second;
    return true;
  }

  uint32_t AdjustTokenPrivileges(uintptr_t token, TLuid luid, uint32_t attributes) override {
    Log.push_back("AdjustTokenPrivileges(" + Hex(token) + ", " + std::to_string(luid.LowPart) +
                  ":" + std::to_string(luid.HighPart) + ", " + Hex(attributes) + ")");
    return AdjustLastError;
  }

  void CloseHandle(uintptr_t handle) override { Log.push_back("CloseHandle(" + Hex(handle) + ")"); }
};

}  // namespace taskmgr::fakes
