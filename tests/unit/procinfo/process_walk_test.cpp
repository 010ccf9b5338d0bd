#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/fake_process_api.h"
#include "procinfo/process_snapshot.h"

// GCC 12 asks for every member of a designated initializer.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

namespace taskmgr {
namespace {

using fakes::TFakeProcess;
using fakes::TProcessBufferBuilder;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr int64_t kSecond = 10000000;  // 100 ns units

struct TRow {
  std::string Key;
  std::string Name;
  int32_t Pid;
  uint32_t MemUsage;
  bool operator==(const TRow&) const = default;
};

void PrintTo(const TRow& r, std::ostream* os) {
  *os << "{" << r.Key << ", " << r.Name << ", " << r.Pid << ", " << r.MemUsage << "}";
}

std::vector<TRow> Rows(const TKeyedList<TProcInfo>& list) {
  std::vector<TRow> rows;
  for (int i = 0; i < list.Count(); ++i) {
    const TProcInfo* p = list.Object(i);
    rows.push_back({list.Key(i), p->Name, p->PID, p->MemUsage});
  }
  return rows;
}

std::vector<std::string> Keys(const TKeyedList<TProcInfo>& list) {
  std::vector<std::string> keys;
  for (int i = 0; i < list.Count(); ++i) keys.push_back(list.Key(i));
  return keys;
}

// Both address widths are walked on every build.
class ProcessWalk : public ::testing::TestWithParam<unsigned> {
 protected:
  unsigned PointerSize() const { return GetParam(); }
  const TProcessLayout& Layout() const { return ProcessLayoutFor(PointerSize()); }
  std::vector<unsigned char> Build(const std::vector<TFakeProcess>& processes,
                                   uint64_t base = 0) const {
    return TProcessBufferBuilder(PointerSize()).Build(processes, base);
  }

  // `filled` is copied into a block of exactly its size, so any read past it
  // trips the address sanitizer.
  void Walk(const std::vector<unsigned char>& filled, TKeyedList<TProcInfo>& list,
            uint64_t base = 0, const TWorkingSetQuery& workingSet = {}) const {
    const std::vector<unsigned char> exact(filled.begin(), filled.end());
    WalkProcessBuffer(exact, Layout(), base,
                      workingSet ? workingSet : [](int32_t) { return uint64_t{0}; }, list);
  }
};

TEST_P(ProcessWalk, ReadsEveryEntryInBufferOrderWithIdleAsSystemIdle) {
  const std::vector<TFakeProcess> processes = {
      {.Pid = 0, .Name = std::nullopt, .UserTime = 0, .KernelTime = 5000 * kSecond, .Threads = 4},
      {.Pid = 4, .Name = u"System", .KernelTime = 77 * kSecond, .Threads = 30},
      {.Pid = 2000, .Name = u"explorer.exe", .UserTime = 3 * kSecond, .Threads = 12},
      {.Pid = 388, .Name = u"smss.exe", .Threads = 0},
      {.Pid = 12, .Name = u"记事本.exe", .Threads = 1},
  };
  std::vector<int32_t> asked;
  TKeyedList<TProcInfo> list;
  Walk(Build(processes), list, 0, [&](int32_t pid) {
    asked.push_back(pid);
    return uint64_t{8192} + static_cast<uint64_t>(pid) * 1024;
  });

  EXPECT_THAT(Rows(list), ElementsAre(TRow{"0", "System Idle", 0, 16},
                                      TRow{"4", "System", 4, 12},
                                      TRow{"2000", "explorer.exe", 2000, 2008},
                                      TRow{"388", "smss.exe", 388, 396},
                                      TRow{"12", "记事本.exe", 12, 20}));
  // The idle entry is asked too; its answer is replaced.
  EXPECT_THAT(asked, ElementsAre(0, 4, 2000, 388, 12));
  EXPECT_EQ(list.Object(0)->CpuTime, 5000.0 / 86400.0);
  EXPECT_EQ(list.Object(2)->CpuTime, 3.0 / 86400.0);
}

TEST_P(ProcessWalk, CpuTimeIsWholeSecondsOfUserPlusKernelAsFractionOfADay) {
  struct TCase {
    int64_t User, Kernel;
    int64_t WholeSeconds;
  };
  const TCase cases[] = {
      {0, 0, 0},
      {3600 * kSecond - 1, 0, 3599},
      {0, 3600 * kSecond - 1, 3599},
      {1800 * kSecond, 1800 * kSecond - 1, 3599},
      {1800 * kSecond, 1800 * kSecond, 3600},
      {kSecond - 1, kSecond - 1, 1},
      {86400 * kSecond + 5, 9, 86400},
      {90061 * kSecond + kSecond - 1, 0, 90061},
      {400LL * 86400 * kSecond, 3 * kSecond, 400LL * 86400 + 3},
  };
  for (const TCase& c : cases) {
    TKeyedList<TProcInfo> list;
    Walk(Build({{.Pid = 8, .Name = u"a.exe", .UserTime = c.User, .KernelTime = c.Kernel}}), list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Object(0)->CpuTime, static_cast<double>(c.WholeSeconds) / 86400.0)
        << c.User << " + " << c.Kernel;
  }
  TKeyedList<TProcInfo> overADay;
  Walk(Build({{.Pid = 8, .Name = u"a.exe", .UserTime = 90061 * kSecond}}), overADay);
  EXPECT_GT(overADay.Object(0)->CpuTime, 1.0);
}

TEST_P(ProcessWalk, WorkingSetIsRoundedToNearestKWithTiesToEven) {
  const std::pair<uint64_t, uint32_t> cases[] = {
      {0, 0},
      {511, 0},
      {512, 0},
      {513, 1},
      {1024, 1},
      {1535, 1},
      {1536, 2},
      {1537, 2},
      {2560, 2},
      {3584, 4},
      {5ULL << 30, 5u << 20},  // 5 GiB: needs 64-bit bytes
      {std::numeric_limits<uint64_t>::max(), std::numeric_limits<uint32_t>::max()},
  };
  for (const auto& [bytes, k] : cases) {
    TKeyedList<TProcInfo> list;
    Walk(Build({{.Pid = 8, .Name = u"a.exe"}}), list, 0, [b = bytes](int32_t) { return b; });
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Object(0)->MemUsage, k) << bytes << " bytes";
  }
}

TEST_P(ProcessWalk, FirstEntryWithoutSuccessorGivesExactlyOnePair) {
  auto filled = Build({{.Pid = 1234, .Name = u"only.exe"}});
  // Whatever lies behind the last entry is not looked at.
  filled.resize(filled.size() + 4096, 0x5A);
  TKeyedList<TProcInfo> list;
  Walk(filled, list);
  EXPECT_THAT(Keys(list), ElementsAre("1234"));
}

TEST_P(ProcessWalk, NameAddressesRelativeToAnyBaseReadTheSame) {
  const std::vector<TFakeProcess> processes = {
      {.Pid = 0}, {.Pid = 4, .Name = u"System"}, {.Pid = 96, .Name = u"Registry", .Threads = 3}};
  // Bases near the top of the address width make names wrap past it.
  const uint64_t bases[] = {0, 0x10000, 0x7FFE0000, 0xFFFFFF00, 0x000001D2C0000000,
                            0xFFFFFFFFFFFFFF00};
  for (uint64_t base : bases) {
    TKeyedList<TProcInfo> list;
    Walk(Build(processes, base), list, base);
    EXPECT_THAT(Rows(list), ElementsAre(TRow{"0", "System Idle", 0, 16},
                                        TRow{"4", "System", 4, 0},
                                        TRow{"96", "Registry", 96, 0}))
        << std::hex << base;
  }
}

TEST_P(ProcessWalk, NamesAreKeptAsUtf8AndBrokenUtf16IsReplaced) {
  const std::vector<TFakeProcess> processes = {
      {.Pid = 8, .Name = u"任务.exe"},
      {.Pid = 12, .Name = u"\U0001F600.exe"},
      {.Pid = 16, .Name = std::u16string(u"a\xD800") + u".exe"},
      {.Pid = 20, .Name = std::u16string(u"\xDC00") + u"b"},
      {.Pid = 24, .Name = u""},  // a name that starts with its zero unit
  };
  TKeyedList<TProcInfo> list;
  Walk(Build(processes), list, 0, [](int32_t) { return uint64_t{4096}; });
  EXPECT_THAT(Rows(list), ElementsAre(TRow{"8", "任务.exe", 8, 4},
                                      TRow{"12", "\xF0\x9F\x98\x80.exe", 12, 4},
                                      TRow{"16", "a\xEF\xBF\xBD.exe", 16, 4},
                                      TRow{"20", "\xEF\xBF\xBD" "b", 20, 4},
                                      TRow{"24", "System Idle", 24, 16}));
}

// Each case damages one thing; the walk keeps what came before it and reads
// nothing outside the filled bytes.
TEST_P(ProcessWalk, StopsAtFirstOffsetOrNameOutsideTheFilledBytes) {
  const std::vector<TFakeProcess> good = {{.Pid = 4, .Name = u"System", .Threads = 2},
                                          {.Pid = 8, .Name = u"b.exe", .Threads = 1},
                                          {.Pid = 12, .Name = u"c.exe", .Threads = 5}};
  const std::size_t total = Build(good).size();
  const uint32_t second = TProcessBufferBuilder(PointerSize()).EntrySize(good[0]);
  const uint32_t third = second + TProcessBufferBuilder(PointerSize()).EntrySize(good[1]);
  // The last name's text without its zero unit.
  const std::size_t lastNameEnd = third + TProcessBufferBuilder(PointerSize()).HeaderSize() +
                                  5 * TProcessBufferBuilder(PointerSize()).ThreadSize() + 10;

  struct TCase {
    const char* What;
    int Entry;  // the entry damaged
    std::optional<uint32_t> Next;
    std::optional<uint64_t> NameOffset;
    std::size_t Cut;  // bytes taken off the end of the filled area
    std::vector<std::string> Keys;
  };
  const TCase cases[] = {
      {"next offset past the end", 1, 0x7FFFFFF0, {}, 0, {"4", "8"}},
      {"next offset at the very end", 1, static_cast<uint32_t>(total - second), {}, 0, {"4", "8"}},
      {"next offset leaves a partial entry", 1,
       static_cast<uint32_t>(total - second - Layout().MinEntrySize + 1), {}, 0, {"4", "8"}},
      {"next offset wraps", 1, 0xFFFFFFFF, {}, 0, {"4", "8"}},
      {"name address past the end", 1, {}, total + 64, 0, {"4"}},
      {"name address at the end", 2, {}, total, 0, {"4", "8"}},
      {"name address on the last byte", 2, {}, total - 1, 0, {"4", "8"}},
      {"name address far beyond", 0, {}, 0x7FFFFFF0, 0, {}},
      {"filled ends inside the last name", -1, {}, {}, total - lastNameEnd, {"4", "8"}},
      {"filled ends inside the last header", -1, {}, {}, total - third - 8, {"4", "8"}},
      {"filled shorter than one entry", -1, {}, {}, total - Layout().MinEntrySize + 1, {}},
      {"nothing filled", -1, {}, {}, total, {}},
  };
  for (const TCase& c : cases) {
    std::vector<TFakeProcess> processes = good;
    if (c.Entry >= 0) {
      processes[c.Entry].NextOffsetOverride = c.Next;
      processes[c.Entry].NameOffsetOverride = c.NameOffset;
    }
    auto filled = Build(processes);
    filled.resize(filled.size() - c.Cut);
    TKeyedList<TProcInfo> list;
    Walk(filled, list);
    EXPECT_THAT(Keys(list), ElementsAreArray(c.Keys)) << c.What;
  }
}

TEST_P(ProcessWalk, NameMayLieAnywhereInsideTheFilledBytes) {
  // A name shared with another entry, or placed before its own entry, is
  // still inside the buffer and is read.
  std::vector<TFakeProcess> processes = {{.Pid = 4, .Name = u"System"}, {.Pid = 8, .Name = u"x"}};
  const uint32_t header = TProcessBufferBuilder(PointerSize()).HeaderSize();
  const uint32_t thread = TProcessBufferBuilder(PointerSize()).ThreadSize();
  processes[1].NameOffsetOverride = header + thread;  // the first entry's name
  TKeyedList<TProcInfo> list;
  Walk(Build(processes), list);
  EXPECT_THAT(Rows(list), ElementsAre(TRow{"4", "System", 4, 0}, TRow{"8", "System", 8, 0}));
}

TEST_P(ProcessWalk, ErrorSkipsAnEntryButTheLastEntrysErrorReachesTheCaller) {
  const std::vector<TFakeProcess> processes = {{.Pid = 4, .Name = u"System"},
                                               {.Pid = 8, .Name = u"b.exe"},
                                               {.Pid = 12, .Name = u"c.exe"}};
  const auto filled = Build(processes);
  auto failingOn = [](int32_t bad) {
    return [bad](int32_t pid) -> uint64_t {
      if (pid == bad) throw std::runtime_error("query failed");
      return 2048;
    };
  };

  TKeyedList<TProcInfo> first;
  Walk(filled, first, 0, failingOn(4));
  EXPECT_THAT(Keys(first), ElementsAre("8", "12"));

  TKeyedList<TProcInfo> middle;
  Walk(filled, middle, 0, failingOn(8));
  EXPECT_THAT(Keys(middle), ElementsAre("4", "12"));

  TKeyedList<TProcInfo> last;
  EXPECT_THROW(Walk(filled, last, 0, failingOn(12)), std::runtime_error);
  EXPECT_THAT(Keys(last), ElementsAre("4", "8"));

  TKeyedList<TProcInfo> only;
  EXPECT_THROW(Walk(Build({{.Pid = 12, .Name = u"c.exe"}}), only, 0, failingOn(12)),
               std::runtime_error);
  EXPECT_EQ(only.Count(), 0);
}

TEST_P(ProcessWalk, PidKeysAreDecimalWithoutSignPaddingOrSeparators) {
  TKeyedList<TProcInfo> list;
  Walk(Build({{.Pid = 4, .Name = u"a"}, {.Pid = 1234567, .Name = u"b"},
              {.Pid = 2147483644, .Name = u"c"}}),
       list);
  EXPECT_THAT(Keys(list), ElementsAre("4", "1234567", "2147483644"));
}

INSTANTIATE_TEST_SUITE_P(Layouts, ProcessWalk, ::testing::Values(4u, 8u),
                         [](const auto& info) { return info.param == 4 ? "Bits32" : "Bits64"; });

}  // namespace
}  // namespace taskmgr
