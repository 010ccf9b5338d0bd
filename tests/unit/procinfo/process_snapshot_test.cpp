#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_process_api.h"
#include "procinfo/process_snapshot.h"

// GCC 12 asks for every member of a designated initializer.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

namespace taskmgr {
namespace {

using fakes::FakeProcessApi;
using fakes::TFakeProcess;
using fakes::TProcessBufferBuilder;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> Keys(const TKeyedList<TProcInfo>& list) {
  std::vector<std::string> keys;
  for (int i = 0; i < list.Count(); ++i) keys.push_back(list.Key(i));
  return keys;
}

std::vector<TFakeProcess> ManyProcesses(int count, int threads) {
  std::vector<TFakeProcess> processes;
  for (int i = 0; i < count; ++i)
    processes.push_back({.Pid = 4 * (i + 1), .Name = u"process.exe", .Threads = threads});
  return processes;
}

class ProcessSnapshot : public ::testing::TestWithParam<unsigned> {};

// The fake writes name addresses inside the caller's buffer, as the system
// does; in the 32-bit layout only their low halves fit, which the walk's
// address arithmetic must handle on a 64-bit host as well.
TEST_P(ProcessSnapshot, ReadsTheQueriedBufferAndAsksEachWorkingSet) {
  FakeProcessApi api(GetParam());
  api.Processes = {{.Pid = 0}, {.Pid = 4, .Name = u"System"}, {.Pid = 700, .Name = u"服务.exe"}};
  api.WorkingSets = {{4, 1536}, {700, 3 << 20}};

  TKeyedList<TProcInfo> list;
  GetProcessList(list, api);

  ASSERT_THAT(Keys(list), ElementsAre("0", "4", "700"));
  EXPECT_EQ(list.Object(0)->Name, "System Idle");
  EXPECT_EQ(list.Object(0)->MemUsage, 16u);
  EXPECT_EQ(list.Object(1)->Name, "System");
  EXPECT_EQ(list.Object(1)->MemUsage, 2u);
  EXPECT_EQ(list.Object(2)->Name, "服务.exe");
  EXPECT_EQ(list.Object(2)->MemUsage, 3072u);
  ASSERT_EQ(api.Queries.size(), 1u);
  EXPECT_EQ(api.Queries[0].Size, 300000u);
  EXPECT_THAT(api.OpenHandles, IsEmpty()) << "every process handle is closed";
}

TEST_P(ProcessSnapshot, GrowsTheBufferWhenTheSystemReportsItTooSmall) {
  struct TCase {
    const char* What;
    bool ReportNeeded;
    uint32_t GrowthAfterTooSmall;
    std::size_t Queries;
  };
  const TCase cases[] = {
      {"needed length reported", true, 0, 2},
      {"needed length unknown", false, 0, 2},
      {"processes start between the calls", true, 20000, 2},
  };
  for (const TCase& c : cases) {
    FakeProcessApi api(GetParam());
    api.Processes = ManyProcesses(600, 8);
    api.ReportNeededLength = c.ReportNeeded;
    api.GrowthAfterTooSmall = c.GrowthAfterTooSmall;
    const std::size_t image = TProcessBufferBuilder(GetParam()).Build(api.Processes).size();
    ASSERT_GT(image, 300000u);

    TKeyedList<TProcInfo> list;
    TProcessSnapshot snapshot;
    snapshot.Take(list, api);

    EXPECT_EQ(list.Count(), 600) << c.What;
    EXPECT_EQ(api.Queries.size(), c.Queries) << c.What;
    EXPECT_EQ(api.Queries.front().Size, 300000u) << c.What;
    EXPECT_GE(api.Queries.back().Size, image + c.GrowthAfterTooSmall) << c.What;
  }
}

TEST_P(ProcessSnapshot, GivesUpAfterBoundedTriesWithAnEmptySnapshot) {
  FakeProcessApi api(GetParam());
  api.Processes = ManyProcesses(600, 8);
  api.GrowthAfterTooSmall = 8u << 20;  // never catches up
  TKeyedList<TProcInfo> list;
  GetProcessList(list, api);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(api.Queries.size(), static_cast<std::size_t>(TProcessSnapshot::kMaxTries));
  for (const auto& q : api.Queries) EXPECT_LE(q.Size, TProcessSnapshot::kMaxSize);
}

TEST_P(ProcessSnapshot, AnyOtherFailureGivesAnEmptySnapshotWithoutRetry) {
  FakeProcessApi api(GetParam());
  api.Processes = ManyProcesses(3, 1);
  api.ForcedQueryResult = TProcessQuery::Failed;
  TKeyedList<TProcInfo> list;
  TProcessSnapshot snapshot;
  snapshot.Take(list, api);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(api.Queries.size(), 1u);

  api.ForcedQueryResult.reset();
  snapshot.Take(list, api);
  EXPECT_EQ(list.Count(), 3);
}

TEST_P(ProcessSnapshot, SteadyStateReusesTheGrownBuffer) {
  FakeProcessApi api(GetParam());
  api.Processes = ManyProcesses(600, 8);
  TProcessSnapshot snapshot;
  TKeyedList<TProcInfo> first;
  snapshot.Take(first, api);
  ASSERT_EQ(first.Count(), 600);
  const auto grown = api.Queries.back();

  for (int tick = 0; tick < 3; ++tick) {
    api.Queries.clear();
    TKeyedList<TProcInfo> next;
    snapshot.Take(next, api);
    EXPECT_EQ(next.Count(), 600);
    ASSERT_EQ(api.Queries.size(), 1u);
    EXPECT_EQ(api.Queries[0].Buffer, grown.Buffer);
    EXPECT_EQ(api.Queries[0].Size, grown.Size);
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ProcessSnapshot, ::testing::Values(4u, 8u),
                         [](const auto& info) { return info.param == 4 ? "Bits32" : "Bits64"; });

TEST(ProcessWorkingSet, OpensWithLeastAccessFallsBackAndAlwaysCloses) {
  struct TCase {
    const char* What;
    std::set<uint32_t> Denied;
    bool Exists;
    bool CountersFail;
    uint64_t Expected;
    std::vector<std::string> Log;
  };
  const uint64_t bytes = 6ULL << 30;  // above 4 GiB
  const TCase cases[] = {
      {"limited right", {}, true, false, bytes,
       {"OpenProcess(0x1010, 42) -> 0x100", "ReadWorkingSet(0x100)", "CloseHandle(0x100)"}},
      {"system without the limited right", {0x1010}, true, false, bytes,
       {"OpenProcess(0x1010, 42) -> 0x0", "OpenProcess(0x410, 42) -> 0x100",
        "ReadWorkingSet(0x100)", "CloseHandle(0x100)"}},
      {"cannot be opened", {}, false, false, 0,
       {"OpenProcess(0x1010, 42) -> 0x0", "OpenProcess(0x410, 42) -> 0x0"}},
      {"counters cannot be read", {}, true, true, 0,
       {"OpenProcess(0x1010, 42) -> 0x100", "ReadWorkingSet(0x100)", "CloseHandle(0x100)"}},
  };
  for (const TCase& c : cases) {
    FakeProcessApi api;
    if (c.Exists) api.WorkingSets[42] = bytes;
    api.DeniedAccess = c.Denied;
    if (c.CountersFail) api.UnreadableCounters.insert(42);
    EXPECT_EQ(GetProcessWorkingSet(42, api), c.Expected) << c.What;
    EXPECT_EQ(api.Log, c.Log) << c.What;
  }
}

}  // namespace
}  // namespace taskmgr
