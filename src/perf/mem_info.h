#pragma once
#include <cstdint>
#include <mutex>

#include "os/system_info.h"

namespace taskmgr {

// The memory sample the status bar and the memory graph show. The byte
// counts are 64-bit on every build.
struct MemoryStatus {
  uint32_t dwLength = 0;  // set to 32 by the shell at first showing; never read
  uint64_t TotalPhys = 0;
  uint64_t AvailPhys = 0;
  uint64_t TotalPageFile = 0;  // the commit limit, full scale of memory
};

// A MemoryStatus that one thread fills while another reads it: a reader
// always gets the figures of one complete sample.
class TMemStatus {
 public:
  MemoryStatus Load() const {
    std::lock_guard lock(mutex_);
    return value_;
  }
  void Store(const MemoryStatus& value) {
    std::lock_guard lock(mutex_);
    value_ = value;
  }
  void SetLength(uint32_t length) {
    std::lock_guard lock(mutex_);
    value_.dwLength = length;
  }
  // Replaces the three figures and keeps dwLength.
  void StoreFigures(const MemoryFigures& figures) {
    std::lock_guard lock(mutex_);
    value_.TotalPhys = figures.TotalPhys;
    value_.AvailPhys = figures.AvailPhys;
    value_.TotalPageFile = figures.TotalPageFile;
  }

 private:
  mutable std::mutex mutex_;
  MemoryStatus value_;
};

// The program's memory sample, filled by the sampler thread.
extern TMemStatus MemStatus;

// Fills `record` with the current figures from `system`. If the system
// refuses the query (or there is none), the record keeps its last sample.
void ReadMemStatus(ISystemInfo* system, TMemStatus& record);

// The same on the installed system information (see InstallSystemInfo).
void ReadMemStatus(TMemStatus& record);

}  // namespace taskmgr
