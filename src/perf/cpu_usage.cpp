#include "perf/cpu_usage.h"

#include <cmath>
#include <limits>

namespace taskmgr {

std::atomic<int32_t> CpuUsage{0};

namespace {

std::atomic<ISystemInfo*> installedSystem{nullptr};

CpuSampler& ProgramSampler() {
  static CpuSampler sampler;
  return sampler;
}

}  // namespace

int64_t ReadInt64Le(const unsigned char* record, size_t offset) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | record[offset + static_cast<size_t>(i)];
  return static_cast<int64_t>(value);
}

int32_t CpuSampler::Sample(ISystemInfo* system) {
  if (system == nullptr || !system->ResolveQuery()) return lastComputed_;
  if (!FitsCpuBuffers(layout_)) return 0;

  // In this order, and no further after the first failure: a failed round
  // leaves every counter as it was.
  if (system->QuerySystemInformation(kSystemBasicInformation, basic_, layout_.BasicLength) !=
      kStatusSuccess)
    return 0;
  if (system->QuerySystemInformation(kSystemTimeOfDayInformation, timeOfDay_,
                                     layout_.TimeOfDayLength) != kStatusSuccess)
    return 0;
  if (system->QuerySystemInformation(kSystemPerformanceInformation, performance_,
                                     layout_.PerformanceLength) != kStatusSuccess)
    return 0;

  CpuReading reading;
  reading.Processors = basic_[layout_.ProcessorCountOffset];
  reading.SystemTime = ReadInt64Le(timeOfDay_, layout_.CurrentTimeOffset);
  reading.IdleTime = ReadInt64Le(performance_, layout_.IdleTimeOffset);
  return Update(reading);
}

int32_t CpuSampler::Update(const CpuReading& reading) {
  int32_t result = 0;
  if (prevIdleTime_ != 0) {
    const double dIdle = static_cast<double>(reading.IdleTime) - static_cast<double>(prevIdleTime_);
    const double dSys =
        static_cast<double>(reading.SystemTime) - static_cast<double>(prevSystemTime_);
    result = lastComputed_;
    // Two calls within one clock tick give dSys 0; keep showing the last
    // value rather than dividing by it. The other guards only keep the
    // conversion to 32 bits defined for readings the system never gives.
    if (dSys != 0.0 && reading.Processors != 0) {
      const double r = dIdle / dSys;
      const double u = 100.0 - r * 100.0 / reading.Processors;
      const double whole = std::floor(u);  // down, not to nearest; no clamping to 0..100
      if (whole >= static_cast<double>(std::numeric_limits<int32_t>::min()) &&
          whole <= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        result = static_cast<int32_t>(whole);
        lastComputed_ = result;
      }
    }
    if (usage_ != nullptr) usage_->store(result, std::memory_order_relaxed);
  }
  prevIdleTime_ = reading.IdleTime;
  prevSystemTime_ = reading.SystemTime;
  return result;
}

void InstallSystemInfo(ISystemInfo* system) {
  installedSystem.store(system, std::memory_order_release);
}

ISystemInfo* InstalledSystemInfo() { return installedSystem.load(std::memory_order_acquire); }

int32_t GetCpuUsage() { return ProgramSampler().Sample(InstalledSystemInfo()); }

}  // namespace taskmgr
