#include "perf/mem_info.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "fakes/fake_system_info.h"

namespace taskmgr {
namespace {

constexpr uint64_t kGiB = uint64_t{1} << 30;

TEST(ReadMemStatus, FillsAll64BitFiguresAndKeepsLength) {
  FakeSystemInfo system;
  system.Memory = {24 * kGiB + 5, 9 * kGiB + 7, 40 * kGiB + 11};  // beyond 32 bits
  TMemStatus record;
  record.SetLength(32);
  ReadMemStatus(&system, record);
  const MemoryStatus got = record.Load();
  EXPECT_EQ(got.dwLength, 32u);
  EXPECT_EQ(got.TotalPhys, 24 * kGiB + 5);
  EXPECT_EQ(got.AvailPhys, 9 * kGiB + 7);
  EXPECT_EQ(got.TotalPageFile, 40 * kGiB + 11);
}

TEST(ReadMemStatus, RefusedQueryKeepsLastSample) {
  FakeSystemInfo system;
  system.Memory = {8 * kGiB, 3 * kGiB, 12 * kGiB};
  TMemStatus record;
  ReadMemStatus(&system, record);
  system.MemoryOk = false;
  system.Memory = {1, 1, 1};
  ReadMemStatus(&system, record);
  ReadMemStatus(nullptr, record);
  EXPECT_EQ(system.MemoryCalls, 2);
  EXPECT_EQ(record.Load().TotalPhys, 8 * kGiB);
  EXPECT_EQ(record.Load().AvailPhys, 3 * kGiB);
  EXPECT_EQ(record.Load().TotalPageFile, 12 * kGiB);
}

TEST(ReadMemStatus, InstalledSystemFeedsTheOneArgumentForm) {
  FakeSystemInfo system;
  system.Memory = {5 * kGiB, 2 * kGiB, 7 * kGiB};
  InstallSystemInfo(&system);
  TMemStatus record;
  ReadMemStatus(record);
  InstallSystemInfo(nullptr);
  EXPECT_EQ(record.Load().TotalPhys, 5 * kGiB);
}

// A reader on another thread always gets the three figures of one sample.
TEST(TMemStatus, ReaderNeverSeesHalfASample) {
  TMemStatus record;
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (uint64_t k = 1; k <= 20000; ++k) {
      MemoryFigures figures{k * kGiB, k, k * 3};
      record.StoreFigures(figures);
    }
    done = true;
  });
  int torn = 0;
  uint64_t reads = 0;
  while (!done.load() || reads == 0) {
    const MemoryStatus s = record.Load();
    const uint64_t k = s.AvailPhys;
    if (s.TotalPhys != k * kGiB || s.TotalPageFile != k * 3) ++torn;
    ++reads;
  }
  writer.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(record.Load().AvailPhys, 20000u);
}

}  // namespace
}  // namespace taskmgr
