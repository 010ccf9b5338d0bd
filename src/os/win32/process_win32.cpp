#include <windows.h>
#include <psapi.h>

#include <string>

#include "os/win32/services.h"

namespace taskmgr {
namespace {

using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using GetProcessMemoryInfoFn = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);

constexpr ULONG kSystemProcessInformation = 5;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004u);

class TWin32ProcessApi final : public IProcessApi {
 public:
  unsigned PointerSize() const override { return sizeof(void*); }

  TProcessQuery QueryProcessInformation(void* buffer, uint32_t size,
                                        uint32_t& returnedLength) override {
    returnedLength = 0;
    const NtQuerySystemInformationFn query = QueryFunction();
    if (query == nullptr) return TProcessQuery::Failed;
    ULONG length = 0;
    const LONG status = query(kSystemProcessInformation, buffer, size, &length);
    if (status == 0) {
      returnedLength = length;
      return TProcessQuery::Filled;
    }
    if (status == kStatusInfoLengthMismatch) {
      returnedLength = length;
      return TProcessQuery::BufferTooSmall;
    }
    return TProcessQuery::Failed;
  }

  uintptr_t OpenProcess(uint32_t access, int32_t pid) override {
    return reinterpret_cast<uintptr_t>(::OpenProcess(access, FALSE, static_cast<DWORD>(pid)));
  }

  bool TerminateProcess(uintptr_t process, uint32_t exitCode) override {
    return ::TerminateProcess(reinterpret_cast<HANDLE>(process), exitCode) != FALSE;
  }

  bool ReadWorkingSet(uintptr_t process, uint64_t& workingSetBytes) override {
    const GetProcessMemoryInfoFn memoryInfo = MemoryInfoFunction();
    if (memoryInfo == nullptr) return false;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!memoryInfo(reinterpret_cast<HANDLE>(process), &counters, sizeof counters)) return false;
    workingSetBytes = counters.WorkingSetSize;
    return true;
  }

  void CloseHandle(uintptr_t handle) override {
    if (handle != 0) ::CloseHandle(reinterpret_cast<HANDLE>(handle));
  }

 private:
  NtQuerySystemInformationFn QueryFunction() {
    if (query_ == nullptr) {
      if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll"))
        query_ = reinterpret_cast<NtQuerySystemInformationFn>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
    }
    return query_;
  }

  // Windows 7 has the counters in kernel32; older systems only in psapi.dll,
  // loaded on first need. A failed load is tried again on the next query.
  GetProcessMemoryInfoFn MemoryInfoFunction() {
    if (memoryInfo_ != nullptr) return memoryInfo_;
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
      memoryInfo_ = reinterpret_cast<GetProcessMemoryInfoFn>(
          reinterpret_cast<void*>(GetProcAddress(kernel, "K32GetProcessMemoryInfo")));
    if (memoryInfo_ != nullptr) return memoryInfo_;

    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(system, length) + L"\\psapi.dll";
    HMODULE psapi = LoadLibraryW(path.c_str());
    if (psapi == nullptr) return nullptr;
    memoryInfo_ = reinterpret_cast<GetProcessMemoryInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")));
    if (memoryInfo_ == nullptr) FreeLibrary(psapi);  // stays loaded only when used
    return memoryInfo_;
  }

  NtQuerySystemInformationFn query_ = nullptr;
  GetProcessMemoryInfoFn memoryInfo_ = nullptr;
};

}  // namespace

IProcessApi& Win32ProcessApi() {
  static TWin32ProcessApi api;
  return api;
}

}  // namespace taskmgr
