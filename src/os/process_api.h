#pragma once
// What the process snapshot and process termination need from the system.
// Handles are opaque values; 0 is never a valid handle.
#include <cstddef>
#include <cstdint>

namespace taskmgr {

// How a process-information query ended.
enum class TProcessQuery {
  Filled,          // the buffer holds the entries
  BufferTooSmall,  // STATUS_INFO_LENGTH_MISMATCH: ask again with more room
  Failed,          // any other status
};

inline constexpr uint32_t kProcessTerminate = 0x0001;
inline constexpr uint32_t kProcessVmRead = 0x0010;
inline constexpr uint32_t kProcessQueryInformation = 0x0400;
inline constexpr uint32_t kProcessQueryLimitedInformation = 0x1000;

class IProcessApi {
 public:
  virtual ~IProcessApi() = default;

  // Size of an address in the records the query writes (4 or 8): decides
  // which entry layout the buffer uses.
  virtual unsigned PointerSize() const = 0;

  // Fills `buffer` with the process-information entries (system information
  // class 5). `returnedLength` receives the bytes written when Filled, and
  // the bytes needed (0 when unknown) when BufferTooSmall. Name addresses in
  // the entries are addresses inside `buffer`.
  virtual TProcessQuery QueryProcessInformation(void* buffer, uint32_t size,
                                                uint32_t& returnedLength) = 0;

  // 0 when the process cannot be opened with `access`.
  virtual uintptr_t OpenProcess(uint32_t access, int32_t pid) = 0;
  virtual bool TerminateProcess(uintptr_t process, uint32_t exitCode) = 0;
  // The working set in bytes; false when the counters cannot be read
  // (including when the library that reads them cannot be loaded).
  virtual bool ReadWorkingSet(uintptr_t process, uint64_t& workingSetBytes) = 0;
  virtual void CloseHandle(uintptr_t handle) = 0;
};

}  // namespace taskmgr
