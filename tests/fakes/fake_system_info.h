#pragma once
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "os/system_info.h"
#include "perf/cpu_usage.h"

namespace taskmgr {

// Writes a signed 64-bit value little-endian at `offset`.
inline void WriteInt64Le(unsigned char* record, size_t offset, int64_t value) {
  auto bits = static_cast<uint64_t>(value);
  for (int i = 0; i < 8; ++i) record[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(bits >> (8 * i));
}

// A system that answers the CPU queries with prepared records in the layout
// it is given, refusing lengths that layout would refuse, and that logs the
// classes it was asked for.
class FakeSystemInfo : public ISystemInfo {
 public:
  explicit FakeSystemInfo(const CpuRecordLayout& layout = NativeCpuLayout()) : layout_(layout) {}

  CpuReading Reading;                      // what the next round reports
  bool EntryPointPresent = true;
  std::map<uint32_t, int32_t> Failing;     // class -> status it returns
  std::vector<uint32_t> Queried;           // classes asked for, in order
  std::vector<uint32_t> Lengths;           // lengths passed, in order

  MemoryFigures Memory;
  bool MemoryOk = true;
  int MemoryCalls = 0;

  bool ResolveQuery() override { return EntryPointPresent; }

  int32_t QuerySystemInformation(uint32_t infoClass, void* buffer, uint32_t length) override {
    Queried.push_back(infoClass);
    Lengths.push_back(length);
    auto* record = static_cast<unsigned char*>(buffer);
    // Bytes the caller should not read hold a pattern that shows if it does.
    std::memset(record, 0xA5, length);
    if (auto failing = Failing.find(infoClass); failing != Failing.end()) return failing->second;
    switch (infoClass) {
      case kSystemBasicInformation:
        if (length != layout_.BasicLength) return kStatusInfoLengthMismatch;
        record[layout_.ProcessorCountOffset] = Reading.Processors;
        return kStatusSuccess;
      case kSystemTimeOfDayInformation:
        if (length < layout_.CurrentTimeOffset + 8 || length > 48) return kStatusInfoLengthMismatch;
        WriteInt64Le(record, layout_.CurrentTimeOffset, Reading.SystemTime);
        return kStatusSuccess;
      case kSystemPerformanceInformation:
        if (length < layout_.PerformanceLength) return kStatusInfoLengthMismatch;
        WriteInt64Le(record, layout_.IdleTimeOffset, Reading.IdleTime);
        return kStatusSuccess;
      default:
        return static_cast<int32_t>(0xC0000003u);  // invalid info class
    }
  }

  bool QueryMemory(MemoryFigures& out) override {
    ++MemoryCalls;
    if (!MemoryOk) return false;
    out = Memory;
    return true;
  }

 private:
  CpuRecordLayout layout_;
};

}  // namespace taskmgr
