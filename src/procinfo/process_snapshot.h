#pragma once
// A snapshot of all processes: image name, PID, CPU time and working set,
// one pair (PID text, record) per process in the order the system reports
// them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "os/process_api.h"
#include "procinfo/keyed_list.h"
#include "procinfo/proc_info.h"

namespace taskmgr {

// Where the fields the walk reads sit in a process-information entry. The
// system writes the layout of the calling process's address width.
struct TProcessLayout {
  unsigned PointerSize;    // 4 or 8: width of the name address and of the PID field
  uint32_t NextEntryOffset;
  uint32_t UserTime;
  uint32_t KernelTime;
  uint32_t NameBuffer;     // address part of the image name's counted string
  uint32_t ProcessId;
  uint32_t MinEntrySize;   // end of the last field read
};

inline constexpr TProcessLayout kProcessLayout32{4, 0x00, 0x28, 0x30, 0x3C, 0x44, 0x48};
inline constexpr TProcessLayout kProcessLayout64{8, 0x00, 0x28, 0x30, 0x40, 0x50, 0x58};

const TProcessLayout& ProcessLayoutFor(unsigned pointerSize);

using TWorkingSetQuery = std::function<uint64_t(int32_t pid)>;

// Appends one pair per entry of `filled`, in buffer order.
//
// Name addresses: an entry's name address is `addressBase` plus the offset
// of the name inside `filled`, in the layout's address width (arithmetic
// modulo 2^32 for the 32-bit layout). The real query passes the buffer's
// address; a prepared buffer may pass 0 and store plain offsets. A null
// address means no name.
//
// The walk stops, keeping what it has appended, at the first entry whose
// fields, next-entry offset or zero-terminated name would lie outside
// `filled`. An error while building an entry other than the last (the one
// whose next-entry offset is 0) leaves that entry out; on the last entry it
// reaches the caller.
void WalkProcessBuffer(std::span<const unsigned char> filled, const TProcessLayout& layout,
                       uint64_t addressBase, const TWorkingSetQuery& workingSet,
                       TKeyedList<TProcInfo>& list);

// Whole seconds of user plus kernel time (100 ns units), as a fraction of a day.
double CpuTimeToDays(int64_t userTime, int64_t kernelTime);
// Bytes to K, rounded to nearest with ties to even; saturates at 2^32 - 1.
uint32_t WorkingSetToK(uint64_t bytes);

// Working set of a process in bytes; 0 when it cannot be opened or queried.
uint64_t GetProcessWorkingSet(int32_t pid, IProcessApi& api);
uint64_t GetProcessWorkingSet(int32_t pid);

// Takes snapshots with a buffer kept between calls: it starts at 300000
// bytes and grows when the system reports it too small, so a steady state
// queries without allocating it again.
class TProcessSnapshot {
 public:
  static constexpr uint32_t kInitialSize = 300000;
  static constexpr uint32_t kMaxSize = 64u << 20;
  static constexpr int kMaxTries = 5;

  // Appends the processes to `list`; appends nothing when the query fails.
  void Take(TKeyedList<TProcInfo>& list, IProcessApi& api);
  uint32_t BufferSize() const { return size_; }

 private:
  // Bytes filled, 0 when no snapshot was obtained.
  uint32_t Query(IProcessApi& api);
  void Resize(uint32_t size);

  std::vector<uint64_t> buffer_;  // 8-byte aligned, as the system needs
  uint32_t size_ = 0;
};

// One snapshot with a buffer of its own.
void GetProcessList(TKeyedList<TProcInfo>& list, IProcessApi& api);
// With the installed services and a buffer kept for the program's life
// (UI thread only).
void GetProcessList(TKeyedList<TProcInfo>& list);

}  // namespace taskmgr
