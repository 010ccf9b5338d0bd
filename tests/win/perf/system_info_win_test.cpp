#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "os/win32/system_info_win32.h"
#include "perf/cpu_usage.h"
#include "perf/mem_info.h"
#include "perf/set_thread.h"

namespace taskmgr {
namespace {

using namespace std::chrono_literals;

TEST(Win32SystemInfo, BasicRecordOfThisArchitecture) {
  ISystemInfo& system = Win32SystemInfo();
  ASSERT_TRUE(system.ResolveQuery());
  const CpuRecordLayout& layout = NativeCpuLayout();
  alignas(8) unsigned char basic[64] = {};
  ASSERT_EQ(system.QuerySystemInformation(kSystemBasicInformation, basic, layout.BasicLength),
            kStatusSuccess);
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  EXPECT_GE(basic[layout.ProcessorCountOffset], 1);
  EXPECT_EQ(basic[layout.ProcessorCountOffset], static_cast<uint8_t>(info.dwNumberOfProcessors));

  // The other architecture's length is refused, which is why the table exists.
  const CpuRecordLayout& other = sizeof(void*) == 8 ? kCpuLayout32 : kCpuLayout64;
  EXPECT_NE(system.QuerySystemInformation(kSystemBasicInformation, basic, other.BasicLength),
            kStatusSuccess);
}

TEST(Win32SystemInfo, TimeOfDayAndIdleTimeAtTheirOffsets) {
  ISystemInfo& system = Win32SystemInfo();
  const CpuRecordLayout& layout = NativeCpuLayout();
  alignas(8) unsigned char timeOfDay[32] = {};
  alignas(8) unsigned char performance[312] = {};
  ASSERT_EQ(system.QuerySystemInformation(kSystemTimeOfDayInformation, timeOfDay,
                                          layout.TimeOfDayLength),
            kStatusSuccess);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const int64_t fileTime =
      static_cast<int64_t>((uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime);
  const int64_t systemTime = ReadInt64Le(timeOfDay, layout.CurrentTimeOffset);
  EXPECT_LT(std::llabs(systemTime - fileTime), 600'000'000) << "within a minute of the clock";

  ASSERT_EQ(system.QuerySystemInformation(kSystemPerformanceInformation, performance,
                                          layout.PerformanceLength),
            kStatusSuccess);
  EXPECT_GT(ReadInt64Le(performance, layout.IdleTimeOffset), 0);
}

TEST(Win32SystemInfo, CpuUsageAroundABusyLoopIsAPercentage) {
  std::atomic<int32_t> usage{-999};
  CpuSampler sampler(NativeCpuLayout(), &usage);
  EXPECT_EQ(sampler.Sample(&Win32SystemInfo()), 0);
  EXPECT_NE(sampler.PrevSystemTime(), 0);
  const auto until = std::chrono::steady_clock::now() + 400ms;
  volatile uint64_t spin = 0;
  while (std::chrono::steady_clock::now() < until) spin = spin + 1;
  const int32_t percent = sampler.Sample(&Win32SystemInfo());
  RecordProperty("percent", percent);
  EXPECT_GE(percent, 0);
  EXPECT_LE(percent, 100);
  EXPECT_EQ(usage.load(), percent);
}

TEST(Win32SystemInfo, MemoryFiguresArePlausible) {
  TMemStatus record;
  record.SetLength(32);
  ReadMemStatus(&Win32SystemInfo(), record);
  const MemoryStatus status = record.Load();
  EXPECT_EQ(status.dwLength, 32u);
  EXPECT_GT(status.TotalPhys, 0u);
  EXPECT_GT(status.AvailPhys, 0u);
  EXPECT_LE(status.AvailPhys, status.TotalPhys);
  EXPECT_GT(status.TotalPageFile, 0u);
}

// The program's own wiring: installed system, global samplers, real thread.
TEST(Win32SystemInfo, SamplerThreadRunsOnTheRealSystem) {
  InstallSystemInfo(&Win32SystemInfo());
  MemStatus.SetLength(32);
  auto thread = std::make_unique<TSetThread>();
  thread->CpuGraph = std::make_unique<TUseage>(86, 256);
  thread->MemGraph = std::make_unique<TUseage>(86, 256);
  TUseage* mem = thread->MemGraph.get();
  mem->DrawGrid();
  thread->Resume();
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  std::vector<uint8_t> frame;
  bool tickReached = false;
  while (!tickReached && std::chrono::steady_clock::now() < deadline) {
    {
      std::lock_guard lock(mem->FrameLock());  // Tick belongs to the drawer
      tickReached = mem->Tick >= 2;
    }
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_TRUE(tickReached) << "no pass within 20 s";
  mem->CopyFrame(frame);
  EXPECT_EQ(frame.size(), static_cast<size_t>(mem->Stride()) * 86);
  EXPECT_GT(MemStatus.Load().TotalPhys, 0u);
  const int32_t cpu = CpuUsage.load();
  EXPECT_GE(cpu, -1);
  EXPECT_LE(cpu, 100);
  thread->Terminate();
  thread->WaitFor();
  EXPECT_EQ(thread->MemGraph, nullptr);
  thread.reset();
  InstallSystemInfo(nullptr);
}

}  // namespace
}  // namespace taskmgr
