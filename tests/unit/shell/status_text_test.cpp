#include "shell/core/status_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace taskmgr {
namespace {

constexpr uint64_t kMiB = 1024 * 1024;
constexpr uint64_t kGiB = 1024 * kMiB;

TEST(BytesToK, RoundsToNearestWithTiesToEven) {
  struct Case {
    uint64_t bytes;
    uint64_t k;
  };
  const Case cases[] = {
      {0, 0},         {511, 0},  {512, 0},  // 0.5 goes to the even 0
      {513, 1},       {1024, 1}, {1535, 1}, {1536, 2},  // 1.5 -> 2
      {2560, 2},                                         // 2.5 -> 2
      {3584, 4},                                         // 3.5 -> 4
      {1024 * 1024 - 1, 1024},
      {5 * kGiB + 512, 5 * kMiB},  // above 4 GiB, a tie at an even figure
      {std::numeric_limits<uint64_t>::max(), (std::numeric_limits<uint64_t>::max() >> 10) + 1},
  };
  for (const Case& c : cases) EXPECT_EQ(BytesToK(c.bytes), c.k) << c.bytes << " bytes";
}

TEST(CpuStatusText, FormatsSignedPercent) {
  EXPECT_EQ(CpuStatusText(0), "CPU 使用：0%");
  EXPECT_EQ(CpuStatusText(57), "CPU 使用：57%");
  EXPECT_EQ(CpuStatusText(100), "CPU 使用：100%");
  EXPECT_EQ(CpuStatusText(-1), "CPU 使用：-1%");
  EXPECT_EQ(CpuStatusText(std::numeric_limits<int32_t>::min()), "CPU 使用：-2147483648%");
}

TEST(MemStatusText, UsedPhysicalThenCommitLimitInK) {
  struct Case {
    uint64_t total, avail, commit;
    const char* text;
  };
  const Case cases[] = {
      {500 * kMiB, 200 * kMiB, 1024 * kMiB, "内存使用：307200/1048576"},
      {0, 0, 0, "内存使用：0/0"},  // before the first sample
      {16 * kGiB, 4 * kGiB, 32 * kGiB, "内存使用：12582912/33554432"},
      // used = 1536 bytes, limit = 2560 bytes: both halves go to even
      {4096 + 1536, 4096, 2560, "内存使用：2/2"},
      {3584, 0, 1535, "内存使用：4/1"},
      // A report with more available than installed shows nothing in use.
      {1024 * kMiB, 1025 * kMiB, 2048 * kMiB, "内存使用：0/2097152"},
  };
  for (const Case& c : cases) {
    MemoryStatus status;
    status.dwLength = 32;
    status.TotalPhys = c.total;
    status.AvailPhys = c.avail;
    status.TotalPageFile = c.commit;
    EXPECT_EQ(MemStatusText(status), c.text) << c.total << " " << c.avail << " " << c.commit;
  }
}

}  // namespace
}  // namespace taskmgr
