#include "perf/cpu_usage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "fakes/fake_system_info.h"

namespace taskmgr {
namespace {

constexpr int32_t kUntouched = 777;  // CpuUsage before a call that must not write it

struct ArithmeticCase {
  const char* name;
  uint8_t processors;
  int64_t dIdle;
  int64_t dSys;
  int32_t expected;
};

class CpuArithmetic : public testing::TestWithParam<ArithmeticCase> {};

TEST_P(CpuArithmetic, SecondCallGivesFlooredPercentage) {
  const ArithmeticCase& c = GetParam();
  std::atomic<int32_t> usage{kUntouched};
  CpuSampler sampler(kCpuLayout32, &usage);
  // Large absolute counters: only their differences may matter.
  const int64_t idle0 = 131'000'000'000'007, sys0 = 1'335'000'000'000'003;
  EXPECT_EQ(sampler.Update({c.processors, idle0, sys0}), 0);
  EXPECT_EQ(usage.load(), kUntouched) << "the priming call writes nothing";
  EXPECT_EQ(sampler.Update({c.processors, idle0 + c.dIdle, sys0 + c.dSys}), c.expected);
  EXPECT_EQ(usage.load(), c.expected);
  EXPECT_EQ(sampler.PrevIdleTime(), idle0 + c.dIdle);
  EXPECT_EQ(sampler.PrevSystemTime(), sys0 + c.dSys);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CpuArithmetic,
    testing::Values(ArithmeticCase{"RoundedDownNotToNearest", 1, 621, 1000, 37},
                    ArithmeticCase{"OneOfTwoBusy", 2, 1000, 1000, 50},
                    ArithmeticCase{"AllIdle", 4, 4000, 1000, 0},
                    ArithmeticCase{"NoneIdle", 4, 0, 1000, 100},
                    ArithmeticCase{"IdleAheadOfClockGivesMinusOne", 1, 1001, 1000, -1},
                    ArithmeticCase{"ProcessorCountIsUnsignedByte", 200, 199'000, 1000, 0},
                    ArithmeticCase{"OneSecondOfEightCoresQuarterBusy", 8, 60'000'000, 10'000'000,
                                   25}),
    [](const testing::TestParamInfo<ArithmeticCase>& info) { return info.param.name; });

TEST(CpuSampler, FirstSuccessfulCallOnlyPrimes) {
  std::atomic<int32_t> usage{kUntouched};
  FakeSystemInfo system(kCpuLayout32);
  CpuSampler sampler(kCpuLayout32, &usage);
  system.Reading = {2, 5000, 90000};
  EXPECT_EQ(sampler.Sample(&system), 0);
  EXPECT_EQ(usage.load(), kUntouched);
  EXPECT_EQ(sampler.PrevIdleTime(), 5000);
  EXPECT_EQ(sampler.PrevSystemTime(), 90000);
  EXPECT_EQ(system.Queried, (std::vector<uint32_t>{0, 3, 2}));
}

struct FailureCase {
  uint32_t failingClass;
  std::vector<uint32_t> queried;
};

class CpuQueryFailure : public testing::TestWithParam<FailureCase> {};

// A failed round gives 0, changes no state, and the next good round measures
// back to the last good one.
TEST_P(CpuQueryFailure, StopsAtFailureAndKeepsState) {
  std::atomic<int32_t> usage{0};
  FakeSystemInfo system(kCpuLayout32);
  CpuSampler sampler(kCpuLayout32, &usage);
  system.Reading = {1, 1000, 10'000};
  sampler.Sample(&system);
  system.Reading = {1, 1500, 11'000};
  ASSERT_EQ(sampler.Sample(&system), 50);

  system.Queried.clear();
  system.Failing[GetParam().failingClass] = static_cast<int32_t>(0xC0000001u);
  system.Reading = {1, 1550, 11'500};  // must not become the new baseline
  EXPECT_EQ(sampler.Sample(&system), 0);
  EXPECT_EQ(system.Queried, GetParam().queried);
  EXPECT_EQ(usage.load(), 50);
  EXPECT_EQ(sampler.PrevIdleTime(), 1500);
  EXPECT_EQ(sampler.PrevSystemTime(), 11'000);

  system.Failing.clear();
  system.Reading = {1, 1600, 12'000};  // 100 idle over 1000 since the last good call
  EXPECT_EQ(sampler.Sample(&system), 90);
  EXPECT_EQ(usage.load(), 90);
}

INSTANTIATE_TEST_SUITE_P(EachClass, CpuQueryFailure,
                         testing::Values(FailureCase{0, {0}}, FailureCase{3, {0, 3}},
                                         FailureCase{2, {0, 3, 2}}));

TEST(CpuSampler, MissingEntryPointQueriesNothingAndReturnsLastValue) {
  std::atomic<int32_t> usage{0};
  FakeSystemInfo system(kCpuLayout32);
  CpuSampler sampler(kCpuLayout32, &usage);
  system.EntryPointPresent = false;
  EXPECT_EQ(sampler.Sample(&system), 0);
  EXPECT_EQ(sampler.Sample(nullptr), 0);
  EXPECT_TRUE(system.Queried.empty());
  EXPECT_EQ(sampler.PrevIdleTime(), 0);

  system.EntryPointPresent = true;
  system.Reading = {1, 1000, 10'000};
  sampler.Sample(&system);
  system.Reading = {1, 1621, 11'000};
  ASSERT_EQ(sampler.Sample(&system), 37);

  system.EntryPointPresent = false;
  system.Queried.clear();
  system.Reading = {1, 9999, 99'999};
  EXPECT_EQ(sampler.Sample(&system), 37);
  EXPECT_TRUE(system.Queried.empty());
  EXPECT_EQ(usage.load(), 37);
  EXPECT_EQ(sampler.PrevIdleTime(), 1621);
  EXPECT_EQ(sampler.PrevSystemTime(), 11'000);
}

// Two calls within one clock tick: no division by zero; the last value is
// kept and the counters still move on.
TEST(CpuSampler, ZeroTimeDifferenceKeepsLastValue) {
  std::atomic<int32_t> usage{0};
  CpuSampler sampler(kCpuLayout32, &usage);
  sampler.Update({1, 1000, 10'000});
  EXPECT_EQ(sampler.Update({1, 1000, 10'000}), 0) << "nothing computed yet";
  ASSERT_EQ(sampler.Update({1, 1621, 11'000}), 37);
  usage.store(kUntouched);
  EXPECT_EQ(sampler.Update({1, 1700, 11'000}), 37);
  EXPECT_EQ(usage.load(), 37);
  EXPECT_EQ(sampler.PrevIdleTime(), 1700);
  EXPECT_EQ(sampler.PrevSystemTime(), 11'000);
  EXPECT_EQ(sampler.Update({1, 1800, 12'000}), 90);
}

TEST(CpuSampler, NoProcessorsDoesNotDivideByZero) {
  std::atomic<int32_t> usage{0};
  CpuSampler sampler(kCpuLayout32, &usage);
  sampler.Update({1, 1000, 10'000});
  ASSERT_EQ(sampler.Update({1, 1500, 11'000}), 50);
  EXPECT_EQ(sampler.Update({0, 1600, 12'000}), 50);
}

struct LayoutCase {
  const char* name;
  const CpuRecordLayout* sampler;
  const CpuRecordLayout* system;
  bool accepted;
};

class CpuRecordLayouts : public testing::TestWithParam<LayoutCase> {};

// The records are read through the table: the right length for class 0 and
// the fields at the table's offsets (the fake fills everything else with a
// pattern that would give absurd figures). Counters stay below 2^53 so the
// doubles of the arithmetic hold them exactly.
TEST_P(CpuRecordLayouts, ReadsFieldsWhereTheTableSays) {
  const LayoutCase& c = GetParam();
  std::atomic<int32_t> usage{0};
  FakeSystemInfo system(*c.system);
  CpuSampler sampler(*c.sampler, &usage);
  system.Reading = {4, 0x0001'0203'0405'0607, 0x0011'1213'1415'1617};
  EXPECT_EQ(sampler.Sample(&system), 0);
  if (!c.accepted) {
    EXPECT_EQ(system.Queried, std::vector<uint32_t>{0});
    EXPECT_EQ(sampler.PrevIdleTime(), 0);
    return;
  }
  EXPECT_EQ(system.Lengths,
            (std::vector<uint32_t>{c.sampler->BasicLength, c.sampler->TimeOfDayLength,
                                   c.sampler->PerformanceLength}));
  EXPECT_EQ(sampler.PrevIdleTime(), 0x0001'0203'0405'0607);
  EXPECT_EQ(sampler.PrevSystemTime(), 0x0011'1213'1415'1617);
  system.Reading = {4, 0x0001'0203'0405'0607 + 3'000'000, 0x0011'1213'1415'1617 + 1'000'000};
  EXPECT_EQ(sampler.Sample(&system), 25);
}

INSTANTIATE_TEST_SUITE_P(
    BothArchitectures, CpuRecordLayouts,
    testing::Values(LayoutCase{"Bits32", &kCpuLayout32, &kCpuLayout32, true},
                    LayoutCase{"Bits64", &kCpuLayout64, &kCpuLayout64, true},
                    LayoutCase{"Bits32OnBits64System", &kCpuLayout32, &kCpuLayout64, false},
                    LayoutCase{"Bits64OnBits32System", &kCpuLayout64, &kCpuLayout32, false}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

TEST(CpuRecordLayout, NativeFollowsPointerSize) {
  EXPECT_EQ(NativeCpuLayout().BasicLength, sizeof(void*) == 8 ? 64u : 44u);
}

TEST(CpuRecordLayout, ReadsSignedLittleEndian) {
  unsigned char record[16] = {};
  WriteInt64Le(record, 3, -2);
  EXPECT_EQ(record[3], 0xFE);
  EXPECT_EQ(record[10], 0xFF);
  EXPECT_EQ(ReadInt64Le(record, 3), -2);
  WriteInt64Le(record, 8, 0x7F00'0000'0000'0001);
  EXPECT_EQ(record[8], 0x01);
  EXPECT_EQ(record[15], 0x7F);
  EXPECT_EQ(ReadInt64Le(record, 8), 0x7F00'0000'0000'0001);
}

// The program-wide sampler works on whatever system is installed.
TEST(GetCpuUsage, UsesInstalledSystemAndPublishesCpuUsage) {
  FakeSystemInfo system;
  InstallSystemInfo(&system);
  system.Reading = {2, 2'000'000, 50'000'000};
  GetCpuUsage();
  system.Reading = {2, 2'000'000 + 1'500'000, 50'000'000 + 1'000'000};
  EXPECT_EQ(GetCpuUsage(), 25);
  EXPECT_EQ(CpuUsage.load(), 25);
  InstallSystemInfo(nullptr);
  EXPECT_EQ(GetCpuUsage(), 25) << "no system: last value, nothing queried";
  EXPECT_EQ(system.Queried.size(), 6u);
}

}  // namespace
}  // namespace taskmgr
