#pragma once
#include <cstdint>

namespace taskmgr {

// Status codes of the native query that the callers tell apart; anything
// other than kStatusSuccess is a failure.
inline constexpr int32_t kStatusSuccess = 0;
inline constexpr int32_t kStatusInfoLengthMismatch = static_cast<int32_t>(0xC0000004u);
inline constexpr int32_t kStatusProcedureNotFound = static_cast<int32_t>(0xC000007Au);

// The three memory figures we show, in bytes. 64-bit on every build so that
// 32-bit processes on machines with 4 GiB or more see the true values.
struct MemoryFigures {
  uint64_t TotalPhys = 0;
  uint64_t AvailPhys = 0;
  uint64_t TotalPageFile = 0;  // the commit limit
};

// What the CPU and memory samplers need from the operating system.
class ISystemInfo {
 public:
  virtual ~ISystemInfo() = default;

  // Looks up the native system-information entry point the first time and
  // keeps it; false when it cannot be found. Later calls are cheap.
  virtual bool ResolveQuery() = 0;

  // One native system-information query of `infoClass` into `buffer`, which
  // is exactly `length` bytes long. Returns the status; never calls through
  // a missing entry point (kStatusProcedureNotFound then).
  virtual int32_t QuerySystemInformation(uint32_t infoClass, void* buffer, uint32_t length) = 0;

  // The extended global memory status; false if the system refused it.
  virtual bool QueryMemory(MemoryFigures& out) = 0;
};

}  // namespace taskmgr
