#include <windows.h>

#include <string>

#include "os/win32/services.h"

namespace taskmgr {
namespace {

std::wstring WideFromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
  if (units > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        units);
  return wide;
}

class TWin32TokenApi final : public ITokenApi {
 public:
  uintptr_t OpenOwnProcessToken(uint32_t access) override {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(GetCurrentProcess(), access, &token)) return 0;
    return reinterpret_cast<uintptr_t>(token);
  }

  bool LookupPrivilege(const std::string& name, TLuid& luid) override {
    LUID found{};
    if (!::LookupPrivilegeValueW(nullptr, WideFromUtf8(name).c_str(), &found)) return false;
    luid.LowPart = found.LowPart;
    luid.HighPart = found.HighPart;
    return true;
  }

  uint32_t AdjustTokenPrivileges(uintptr_t token, TLuid luid, uint32_t attributes) override {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = luid.LowPart;
    privileges.Privileges[0].Luid.HighPart = luid.HighPart;
    privileges.Privileges[0].Attributes = attributes;
    DWORD returned = 0;
    const BOOL ok = ::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), FALSE, &privileges,
                                            sizeof privileges, nullptr, &returned);
    DWORD error = GetLastError();
    // A failed call must never read as success.
    if (!ok && error == ERROR_SUCCESS) error = ERROR_GEN_FAILURE;
    return error;
  }

  void CloseHandle(uintptr_t handle) override {
    if (handle != 0) ::CloseHandle(reinterpret_cast<HANDLE>(handle));
  }
};

}  // namespace

ITokenApi& Win32TokenApi() {
  static TWin32TokenApi api;
  return api;
}

}  // namespace taskmgr
