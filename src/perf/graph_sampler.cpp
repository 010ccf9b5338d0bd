#include "perf/graph_sampler.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <utility>

#include "perf/cpu_usage.h"

namespace taskmgr {
namespace {

int32_t Saturate(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int32_t Saturate(double value) {
  if (!(value >= std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

}  // namespace

SamplerHooks CompleteHooks(SamplerHooks hooks) {
  if (!hooks.CpuSample) hooks.CpuSample = [] { return GetCpuUsage(); };
  if (!hooks.ReadMemory) hooks.ReadMemory = [](TMemStatus& record) { ReadMemStatus(record); };
  if (hooks.Memory == nullptr) hooks.Memory = &MemStatus;
  return hooks;
}

double RoundHalfEven(double value) {
  const double down = std::floor(value);
  const double rest = value - down;
  if (rest > 0.5) return down + 1.0;
  if (rest < 0.5) return down;
  return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

int32_t CpuScaleFor(int32_t height) {
  int32_t scale = height / 100;
  const int32_t rest = height % 100;
  if (rest > 50 || (rest == 50 && scale % 2 != 0)) ++scale;
  return scale;
}

int32_t MemoryValue(int32_t height, const MemoryStatus& status) {
  if (status.TotalPageFile == 0) return 0;
  const uint64_t used =
      status.TotalPhys >= status.AvailPhys ? status.TotalPhys - status.AvailPhys : 0;
  const double value = static_cast<double>(height) * static_cast<double>(used) /
                       static_cast<double>(status.TotalPageFile);
  return Saturate(RoundHalfEven(value));
}

GraphSampler::GraphSampler(TUseage& cpuGraph, TUseage& memGraph, SamplerHooks hooks)
    : cpuGraph_(cpuGraph),
      memGraph_(memGraph),
      hooks_(CompleteHooks(std::move(hooks))),
      cpuHist_(static_cast<size_t>(cpuGraph.Width()), 0),
      memHist_(static_cast<size_t>(memGraph.Width()), 0) {
  cpuScale_ = CpuScaleFor(cpuGraph_.Height());
  memHeight_ = memGraph_.Height();
  TakeSamples();  // the first CPU call only primes the sampler
  cpuBaseline_ = Saturate(int64_t{cpuGraph_.Height()} + 1);
  memBaseline_ = Saturate(int64_t{memHeight_} + 1);
}

void GraphSampler::TakeSamples() {
  const int32_t cpu = Saturate(int64_t{hooks_.CpuSample()} * cpuScale_);
  if (!cpuHist_.empty()) cpuHist_.back() = cpu;
  hooks_.ReadMemory(*hooks_.Memory);
  const int32_t mem = MemoryValue(memHeight_, hooks_.Memory->Load());
  if (!memHist_.empty()) memHist_.back() = mem;
}

void GraphSampler::DrawTrace(TUseage& graph, std::vector<int32_t>& hist, int32_t baseline) {
  // Each segment uses the values as they were before its own shift.
  for (size_t i = 0; i + 1 < hist.size(); ++i) {
    const auto x = static_cast<int32_t>(i);
    graph.DrawSegment(x, Saturate(int64_t{baseline} - hist[i]), x + 1,
                      Saturate(int64_t{baseline} - hist[i + 1]));
    hist[i] = hist[i + 1];
  }
}

void GraphSampler::Pass() {
  {
    // Both surfaces stay locked from their clearing to the end of their
    // trace, so the tick copies only finished frames.
    std::unique_lock cpuLock(cpuGraph_.FrameLock(), std::defer_lock);
    std::unique_lock memLock(memGraph_.FrameLock(), std::defer_lock);
    if (&cpuGraph_ == &memGraph_)
      cpuLock.lock();
    else
      std::lock(cpuLock, memLock);

    cpuGraph_.ClearSurface();
    cpuGraph_.DrawGrid();
    memGraph_.ClearSurface();
    memGraph_.DrawGrid();
    cpuGraph_.SetPenColor(kCpuTraceColor);
    memGraph_.SetPenColor(kMemTraceColor);
    DrawTrace(cpuGraph_, cpuHist_, cpuBaseline_);
    DrawTrace(memGraph_, memHist_, memBaseline_);
  }
  TakeSamples();
}

}  // namespace taskmgr
