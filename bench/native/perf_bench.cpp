#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <vector>

#include "fakes/fake_system_info.h"
#include "perf/cpu_usage.h"
#include "perf/graph_sampler.h"
#include "perf/useage.h"

namespace taskmgr {
namespace {

// One sampler pass over two design-size surfaces: clear, grid and a trace
// of 255 segments on each, with histories that move over the whole height.
void BM_SamplerPass(benchmark::State& state) {
  TUseage cpu(86, 256), mem(86, 256);
  TMemStatus record;
  int n = 0;
  SamplerHooks hooks;
  hooks.CpuSample = [&n] { return static_cast<int32_t>(50 + 45 * std::sin(0.1 * ++n)); };
  hooks.ReadMemory = [&n](TMemStatus& r) {
    r.StoreFigures({1000, static_cast<uint64_t>(500 + 400 * std::cos(0.07 * n)), 1500});
  };
  hooks.Memory = &record;
  GraphSampler sampler(cpu, mem, hooks);
  for (int i = 0; i < 300; ++i) sampler.Pass();  // full histories
  for (auto _ : state) {
    sampler.Pass();
    benchmark::DoNotOptimize(cpu.ScanLine(0));
    benchmark::DoNotOptimize(mem.ScanLine(0));
  }
}
BENCHMARK(BM_SamplerPass);

// The arithmetic of one GetCpuUsage call.
void BM_CpuUsageStep(benchmark::State& state) {
  std::atomic<int32_t> usage{0};
  CpuSampler sampler(NativeCpuLayout(), &usage);
  int64_t idle = 1'000'000'000, now = 133'500'000'000'000'000;
  sampler.Update({8, idle, now});
  for (auto _ : state) {
    idle += 37'000'000;
    now += 10'000'000;
    benchmark::DoNotOptimize(sampler.Update({8, idle, now}));
  }
}
BENCHMARK(BM_CpuUsageStep);

// A whole call on prepared records: three queries through the layout table.
void BM_CpuUsageCallOnPreparedRecords(benchmark::State& state) {
  std::atomic<int32_t> usage{0};
  FakeSystemInfo system(NativeCpuLayout());
  CpuSampler sampler(NativeCpuLayout(), &usage);
  system.Reading = {8, 1'000'000'000, 133'500'000'000'000'000};
  sampler.Sample(&system);
  for (auto _ : state) {
    system.Reading.IdleTime += 37'000'000;
    system.Reading.SystemTime += 10'000'000;
    system.Queried.clear();
    system.Lengths.clear();
    benchmark::DoNotOptimize(sampler.Sample(&system));
  }
}
BENCHMARK(BM_CpuUsageCallOnPreparedRecords);

// What the refresh tick pays for one surface.
void BM_CopyFrame(benchmark::State& state) {
  TUseage graph(86, 256);
  graph.DrawGrid();
  std::vector<uint8_t> frame;
  for (auto _ : state) {
    graph.CopyFrame(frame);
    benchmark::DoNotOptimize(frame.data());
  }
}
BENCHMARK(BM_CopyFrame);

}  // namespace
}  // namespace taskmgr
