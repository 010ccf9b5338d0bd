#include "os/win32/system_info_win32.h"

#include <windows.h>

#include <atomic>

namespace taskmgr {
namespace {

using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

class Win32SystemInfoImpl final : public ISystemInfo {
 public:
  bool ResolveQuery() override {
    if (entry_.load(std::memory_order_acquire) != nullptr) return true;
    // ntdll is mapped into every process; no need to load it.
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr) return false;
    auto fn = reinterpret_cast<NtQuerySystemInformationFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
    if (fn == nullptr) return false;
    entry_.store(fn, std::memory_order_release);
    return true;
  }

  int32_t QuerySystemInformation(uint32_t infoClass, void* buffer, uint32_t length) override {
    if (!ResolveQuery()) return kStatusProcedureNotFound;
    NtQuerySystemInformationFn fn = entry_.load(std::memory_order_acquire);
    return static_cast<int32_t>(fn(infoClass, buffer, length, nullptr));
  }

  bool QueryMemory(MemoryFigures& out) override {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status)) return false;
    out.TotalPhys = status.ullTotalPhys;
    out.AvailPhys = status.ullAvailPhys;
    out.TotalPageFile = status.ullTotalPageFile;
    return true;
  }

 private:
  std::atomic<NtQuerySystemInformationFn> entry_{nullptr};
};

}  // namespace

ISystemInfo& Win32SystemInfo() {
  static Win32SystemInfoImpl instance;
  return instance;
}

}  // namespace taskmgr
