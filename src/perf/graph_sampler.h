#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "perf/mem_info.h"
#include "perf/useage.h"

namespace taskmgr {

inline constexpr uint32_t kCpuTraceColor = 0x58FF35;  // 0x00BBGGRR
inline constexpr uint32_t kMemTraceColor = 0x58FFFF;

// What the sampler thread calls outside itself. Empty members take the
// program's own: GetCpuUsage, ReadMemStatus, MemStatus and a one-second pause
// that ends at once when the thread is asked to stop.
struct SamplerHooks {
  std::function<int32_t()> CpuSample;
  std::function<void(TMemStatus&)> ReadMemory;
  TMemStatus* Memory = nullptr;
  std::function<void()> Pause;  // replaces the built-in pause when set
  std::chrono::milliseconds PauseLength{1000};
};

// The hooks with every empty member filled in (Pause stays empty: the thread
// owns the built-in one).
SamplerHooks CompleteHooks(SamplerHooks hooks);

// Pixels per CPU percent: height / 100, to nearest, ties to even.
int32_t CpuScaleFor(int32_t height);

// Used physical memory against the commit limit, in pixels of a graph of
// `height` rows: to nearest, ties to even; 0 when the commit limit is 0.
int32_t MemoryValue(int32_t height, const MemoryStatus& status);

// Rounds to the nearest whole number, halves to the even one.
double RoundHalfEven(double value);

// The drawing and sampling of the sampler thread, without the thread: the
// constructor runs the start steps, Pass one pass (without its pause). Empty
// hooks take the program's own.
// Everything here belongs to the sampler thread; the surfaces are locked
// only while they are cleared and drawn.
class GraphSampler {
 public:
  GraphSampler(TUseage& cpuGraph, TUseage& memGraph, SamplerHooks hooks);

  void Pass();

  const std::vector<int32_t>& CpuHist() const { return cpuHist_; }
  const std::vector<int32_t>& MemHist() const { return memHist_; }
  int32_t CpuScale() const { return cpuScale_; }
  int32_t CpuBaseline() const { return cpuBaseline_; }
  int32_t MemBaseline() const { return memBaseline_; }

 private:
  void TakeSamples();
  static void DrawTrace(TUseage& graph, std::vector<int32_t>& hist, int32_t baseline);

  TUseage& cpuGraph_;
  TUseage& memGraph_;
  SamplerHooks hooks_;
  std::vector<int32_t> cpuHist_;
  std::vector<int32_t> memHist_;
  int32_t cpuScale_ = 0;
  int32_t memHeight_ = 0;
  int32_t cpuBaseline_ = 0;
  int32_t memBaseline_ = 0;
};

}  // namespace taskmgr
