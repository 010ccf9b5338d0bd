#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "os/system_info.h"

namespace taskmgr {

// The CPU usage in whole percent that GetCpuUsage last computed. Written by
// the sampler thread, read by the refresh tick.
extern std::atomic<int32_t> CpuUsage;

// Where the three fields we read lie in the system's records. The records
// contain pointer-sized members, so the sizes differ between 32-bit and
// 64-bit processes, and the basic-information query refuses any other length.
struct CpuRecordLayout {
  uint32_t BasicLength;             // class 0
  uint32_t ProcessorCountOffset;    // 1 byte
  uint32_t TimeOfDayLength;         // class 3
  uint32_t CurrentTimeOffset;       // signed 64-bit, little-endian
  uint32_t PerformanceLength;       // class 2
  uint32_t IdleTimeOffset;          // signed 64-bit, little-endian
};

inline constexpr CpuRecordLayout kCpuLayout32{44, 40, 32, 8, 312, 0};
inline constexpr CpuRecordLayout kCpuLayout64{64, 56, 32, 8, 312, 0};

// The sampler's own buffers; a layout must fit them and keep its fields inside.
inline constexpr uint32_t kBasicBufferSize = 64;
inline constexpr uint32_t kTimeOfDayBufferSize = 32;
inline constexpr uint32_t kPerformanceBufferSize = 312;

constexpr bool FitsCpuBuffers(const CpuRecordLayout& l) {
  return l.BasicLength <= kBasicBufferSize && l.ProcessorCountOffset < l.BasicLength &&
         l.TimeOfDayLength <= kTimeOfDayBufferSize && l.TimeOfDayLength >= 8 &&
         l.CurrentTimeOffset <= l.TimeOfDayLength - 8 &&
         l.PerformanceLength <= kPerformanceBufferSize && l.PerformanceLength >= 8 &&
         l.IdleTimeOffset <= l.PerformanceLength - 8;
}
static_assert(FitsCpuBuffers(kCpuLayout32) && FitsCpuBuffers(kCpuLayout64));

// The layout of the running process.
constexpr const CpuRecordLayout& NativeCpuLayout() {
  return sizeof(void*) == 8 ? kCpuLayout64 : kCpuLayout32;
}

inline constexpr uint32_t kSystemBasicInformation = 0;
inline constexpr uint32_t kSystemPerformanceInformation = 2;
inline constexpr uint32_t kSystemTimeOfDayInformation = 3;

// The three numbers one successful query round yields.
struct CpuReading {
  uint8_t Processors = 0;
  int64_t IdleTime = 0;    // all processors together, 100 ns units
  int64_t SystemTime = 0;  // 100 ns units
};

// The state of the CPU sampler: the previous counters and the last computed
// value. The program uses one instance (behind GetCpuUsage); tests make their
// own. Not safe for concurrent callers.
class CpuSampler {
 public:
  explicit CpuSampler(const CpuRecordLayout& layout = NativeCpuLayout(),
                      std::atomic<int32_t>* usage = &CpuUsage)
      : layout_(layout), usage_(usage) {}

  // One full call: resolve, query classes 0, 3, 2 (stopping at the first
  // failure), then Update. A null system counts as a missing entry point; a
  // layout that does not fit the buffers as a failed query.
  int32_t Sample(ISystemInfo* system);

  // The arithmetic of one successful call on its three numbers.
  int32_t Update(const CpuReading& reading);

  int64_t PrevIdleTime() const { return prevIdleTime_; }
  int64_t PrevSystemTime() const { return prevSystemTime_; }
  const CpuRecordLayout& Layout() const { return layout_; }

 private:
  CpuRecordLayout layout_;
  std::atomic<int32_t>* usage_;
  int64_t prevIdleTime_ = 0;
  int64_t prevSystemTime_ = 0;
  int32_t lastComputed_ = 0;

  // Fixed buffers, big enough for either layout; 8-aligned for the 64-bit fields.
  alignas(8) unsigned char basic_[kBasicBufferSize] = {};
  alignas(8) unsigned char timeOfDay_[kTimeOfDayBufferSize] = {};
  alignas(8) unsigned char performance_[kPerformanceBufferSize] = {};
};

// Reads a signed 64-bit little-endian value at `offset` of `record`.
int64_t ReadInt64Le(const unsigned char* record, size_t offset);

// Makes `system` the source of GetCpuUsage and ReadMemStatus(record). The
// shell installs the Win32 one at start; until then both do nothing useful.
void InstallSystemInfo(ISystemInfo* system);
ISystemInfo* InstalledSystemInfo();

// The program's CPU sampler on the installed system information. Called by
// the sampler thread only.
int32_t GetCpuUsage();

}  // namespace taskmgr
