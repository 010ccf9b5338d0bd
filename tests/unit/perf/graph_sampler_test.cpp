#include "perf/graph_sampler.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace taskmgr {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kGiB = uint64_t{1} << 30;

// Samples handed out in order (the last one repeats), with a log of calls.
struct Script {
  std::vector<int32_t> cpu{0};
  MemoryFigures memory;
  TMemStatus record;
  std::string log;
  size_t next = 0;

  SamplerHooks Hooks() {
    SamplerHooks hooks;
    hooks.CpuSample = [this] {
      log += 'C';
      const int32_t value = cpu[std::min(next, cpu.size() - 1)];
      ++next;
      return value;
    };
    hooks.ReadMemory = [this](TMemStatus& r) {
      log += 'M';
      r.StoreFigures(memory);
    };
    hooks.Memory = &record;
    return hooks;
  }
};

std::vector<std::pair<int32_t, int32_t>> PixelsOf(const TUseage& s, uint32_t color) {
  std::vector<std::pair<int32_t, int32_t>> points;
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x)
      if (s.Pixel(x, y) == color) points.push_back({x, y});
  return points;
}

TEST(CpuScale, HeightOverHundredTiesToEven) {
  const std::pair<int32_t, int32_t> cases[] = {{0, 0},   {49, 0},  {50, 0},  {51, 1},
                                               {86, 1},  {100, 1}, {149, 1}, {150, 2},
                                               {250, 2}, {251, 3}, {350, 4}};
  for (auto [height, scale] : cases) EXPECT_EQ(CpuScaleFor(height), scale) << height;
}

TEST(MemoryValue, UsedPhysicalAgainstCommitLimit) {
  struct Case {
    int32_t height;
    MemoryStatus status;
    int32_t value;
  };
  const Case cases[] = {
      {86, {32, 1024 * kMiB, 512 * kMiB, 1536 * kMiB}, 29},  // 28.67
      {3, {32, 2, 1, 2}, 2},                                 // 1.5 to even
      {5, {32, 2, 1, 2}, 2},                                 // 2.5 to even
      {7, {32, 2, 1, 2}, 4},                                 // 3.5 to even
      {100, {32, 64 * kGiB, 32 * kGiB, 128 * kGiB}, 25},     // beyond 32 bits
      {86, {32, 8 * kGiB, 1 * kGiB, 0}, 0},                  // no commit limit
      {86, {32, 1 * kGiB, 2 * kGiB, 4 * kGiB}, 0},           // more available than total
  };
  for (const Case& c : cases)
    EXPECT_EQ(MemoryValue(c.height, c.status), c.value)
        << c.height << " " << c.status.TotalPhys << " " << c.status.AvailPhys;
}

// First pass: the CPU history is all 0 (below the bottom edge); the memory
// history has only its last sample, drawn as one steep segment at the right
// edge that stops one row short of the value's row.
TEST(GraphSampler, FirstPassDrawsTheStartSamples) {
  Script script;
  script.memory = {1024 * kMiB, 512 * kMiB, 1536 * kMiB};
  TUseage cpu(86, 256), mem(86, 256);
  cpu.Tick = mem.Tick = 1;
  GraphSampler sampler(cpu, mem, script.Hooks());
  EXPECT_EQ(script.log, "CM");
  EXPECT_EQ(sampler.CpuScale(), 1);
  EXPECT_EQ(sampler.CpuBaseline(), 87);
  EXPECT_EQ(sampler.MemBaseline(), 87);
  EXPECT_EQ(sampler.CpuHist(), std::vector<int32_t>(256, 0));
  EXPECT_EQ(sampler.MemHist().back(), 29);

  sampler.Pass();
  EXPECT_EQ(cpu.Tick, 2);
  EXPECT_EQ(mem.Tick, 2);
  EXPECT_EQ(cpu.Pixel(0, 0), kGridColor);
  EXPECT_TRUE(PixelsOf(cpu, kCpuTraceColor).empty());
  const auto trace = PixelsOf(mem, kMemTraceColor);
  std::vector<int32_t> perRow(86, 0);
  for (auto [x, y] : trace) {
    EXPECT_GE(x, 254);
    ++perRow[y];
  }
  for (int32_t y = 0; y < 86; ++y) EXPECT_EQ(perRow[y], y >= 59 ? 1 : 0) << "row " << y;
  EXPECT_EQ(script.log, "CMCM");
}

TEST(GraphSampler, SecondSampleIsDrawnAtRightEdgeOnSecondPass) {
  Script script;
  script.cpu = {0, 50, 7};
  TUseage cpu(86, 256), mem(86, 256);
  GraphSampler sampler(cpu, mem, script.Hooks());
  sampler.Pass();
  EXPECT_TRUE(PixelsOf(cpu, kCpuTraceColor).empty());
  EXPECT_EQ(sampler.CpuHist().back(), 50);
  sampler.Pass();
  const auto trace = PixelsOf(cpu, kCpuTraceColor);
  ASSERT_FALSE(trace.empty());
  int32_t top = 86;
  for (auto [x, y] : trace) {
    EXPECT_GE(x, 254);
    top = std::min(top, y);
  }
  EXPECT_EQ(top, 87 - 50 + 1);
  EXPECT_EQ(sampler.CpuHist()[254], 50);
  EXPECT_EQ(sampler.CpuHist()[255], 7);
}

// Every earlier value moves one column left per pass, the new sample enters
// at the right, and each segment starts at its column's value from before
// the shift.
TEST(GraphSampler, ShiftsLeftAndDrawsValuesFromBeforeTheShift) {
  Script script;
  script.cpu = {0, 10, 20, 30, 40, 50, 60};
  TUseage cpu(100, 5), mem(20, 5);  // CpuScale 1, baseline 101
  GraphSampler sampler(cpu, mem, script.Hooks());
  const std::vector<std::vector<int32_t>> after = {
      {0, 0, 0, 0, 10},    {0, 0, 0, 10, 20},   {0, 0, 10, 20, 30},
      {0, 10, 20, 30, 40}, {10, 20, 30, 40, 50}, {20, 30, 40, 50, 60}};
  for (const auto& expected : after) {
    const std::vector<int32_t> before = sampler.CpuHist();
    sampler.Pass();
    EXPECT_EQ(sampler.CpuHist(), expected);
    for (int32_t i = 0; i < 4; ++i) {
      const int32_t row = 101 - before[i];
      if (row < 100) {
        EXPECT_EQ(cpu.Pixel(i, row), kCpuTraceColor) << "column " << i;
      }
    }
  }
  // The last segment ends at (4, 101 - 50) and leaves that point out; the
  // newest value, 60, is first drawn in the next pass.
  EXPECT_NE(cpu.Pixel(4, 51), kCpuTraceColor);
  EXPECT_EQ(cpu.Pixel(4, 52), kCpuTraceColor);
}

TEST(GraphSampler, OneColumnSurfaceKeepsNewestSampleOnly) {
  Script script;
  script.cpu = {3, 5, 9};
  TUseage cpu(100, 1), mem(100, 1);
  GraphSampler sampler(cpu, mem, script.Hooks());
  EXPECT_EQ(sampler.CpuHist(), std::vector<int32_t>{3});
  sampler.Pass();
  EXPECT_EQ(sampler.CpuHist(), std::vector<int32_t>{5});
  sampler.Pass();
  EXPECT_EQ(sampler.CpuHist(), std::vector<int32_t>{9});
  EXPECT_TRUE(PixelsOf(cpu, kCpuTraceColor).empty());
}

// The samples are taken with no surface locked, so a slow query never holds
// up a copy.
TEST(GraphSampler, SamplesOutsideTheFrameLocks) {
  TUseage cpu(86, 16), mem(86, 16);
  int unlockedCalls = 0;
  // From another thread: try_lock on a mutex this thread holds is undefined.
  auto check = [&] {
    bool free = false;
    std::thread([&] {
      if (!cpu.FrameLock().try_lock()) return;
      cpu.FrameLock().unlock();
      if (!mem.FrameLock().try_lock()) return;
      mem.FrameLock().unlock();
      free = true;
    }).join();
    if (free) ++unlockedCalls;
  };
  SamplerHooks hooks;
  hooks.CpuSample = [&] {
    check();
    return 1;
  };
  TMemStatus record;
  hooks.ReadMemory = [&](TMemStatus&) { check(); };
  hooks.Memory = &record;
  GraphSampler sampler(cpu, mem, hooks);
  sampler.Pass();
  sampler.Pass();
  EXPECT_EQ(unlockedCalls, 6);
}

TEST(GraphSampler, ZeroWidthStillSamples) {
  Script script;
  script.memory = {4 * kGiB, 1 * kGiB, 8 * kGiB};
  TUseage cpu(86, 0), mem(86, 0);
  GraphSampler sampler(cpu, mem, script.Hooks());
  sampler.Pass();
  EXPECT_EQ(script.log, "CMCM");
  EXPECT_EQ(script.record.Load().TotalPhys, 4 * kGiB);
}

}  // namespace
}  // namespace taskmgr
