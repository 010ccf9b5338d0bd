#include "procinfo/process_list_sync.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/fake_snapshot.h"
#include "fakes/memory_row_model.h"
#include "procinfo/list_texts.h"

namespace taskmgr {
namespace {

using fakes::FillSnapshot;
using fakes::TMemoryRowModel;
using fakes::TProc;
using Texts = std::vector<std::string>;

TSnapshotFiller SnapshotOf(std::vector<TProc> procs) {
  return [procs = std::move(procs)](TKeyedList<TProcInfo>& list) { FillSnapshot(procs, list); };
}

std::string Refresh(TMemoryRowModel& model, std::vector<TProc> procs) {
  std::string status;
  RefreshProcessRows(SnapshotOf(std::move(procs)),
                     [&](const std::string& text) { status = text; }, model, ":");
  return status;
}

Texts Row(const TMemoryRowModel& model, int row) {
  Texts out{model.rows.at(row).caption};
  for (const auto& s : model.rows.at(row).subItems) out.push_back(s);
  return out;
}

Texts Pids(const std::vector<int>& pids) {
  Texts out;
  for (int pid : pids) out.push_back(std::to_string(pid));
  return out;
}

std::vector<TProc> Generation(const std::vector<int>& pids, const std::string& tag) {
  std::vector<TProc> out;
  for (int pid : pids)
    out.push_back({pid, tag + "-" + std::to_string(pid), pid * 7LL, static_cast<uint32_t>(pid)});
  return out;
}

TEST(ProcessRows, FirstRefreshAddsEveryProcessInSnapshotOrder) {
  TMemoryRowModel model;
  const std::string status = Refresh(model, {{4, "System", 90061, 240},
                                             {0, "System Idle", 59, 16},
                                             {2200, "explorer.exe", 3599, 123456},
                                             {88, "smss.exe", 0, 0}});
  EXPECT_EQ(status, "进程数：4");
  ASSERT_EQ(model.RowCount(), 4);
  EXPECT_EQ(Row(model, 0), (Texts{"System", "4", "", "01:01:01", "240 K"}));
  EXPECT_EQ(Row(model, 1), (Texts{"System Idle", "0", "", "00:00:59", "16 K"}));
  EXPECT_EQ(Row(model, 2), (Texts{"explorer.exe", "2200", "", "00:59:59", "123456 K"}));
  EXPECT_EQ(Row(model, 3), (Texts{"smss.exe", "88", "", "00:00:00", "0 K"}));
  EXPECT_EQ(model.begins, 1);
  EXPECT_EQ(model.ends, 1);
  EXPECT_FALSE(model.changedOutsideUpdate);
}

TEST(ProcessRows, UsesTheGivenTimeSeparator) {
  TMemoryRowModel model;
  RefreshProcessRows(SnapshotOf({{8, "a.exe", 59, 1}}), [](const std::string&) {}, model, ".");
  EXPECT_EQ(model.SubItem(0, 2), "00.00.59");
}

struct TReconcileCase {
  const char* what;
  std::vector<int> before;    // rows from the previous refresh
  std::vector<int> snapshot;  // this refresh, in system order
  std::vector<int> expected;  // PIDs of the rows afterwards
};

TEST(ProcessRows, ReconcilesRowsWithTheSnapshot) {
  const TReconcileCase cases[] = {
      {"nothing changed", {1, 2, 3}, {1, 2, 3}, {1, 2, 3}},
      {"one ended in the middle", {1, 2, 3, 4, 5}, {1, 3, 4, 5}, {1, 3, 4, 5}},
      {"adjacent ended", {1, 2, 3, 4, 5}, {1, 5}, {1, 5}},
      {"first and last ended", {1, 2, 3, 4, 5}, {2, 3, 4}, {2, 3, 4}},
      {"scattered ended", {1, 2, 3, 4, 5, 6}, {2, 4, 5}, {2, 4, 5}},
      {"all ended", {1, 2, 3}, {}, {}},
      {"all replaced", {1, 2, 3}, {7, 8}, {7, 8}},
      {"new lower PID goes last", {10, 20}, {5, 10, 20}, {10, 20, 5}},
      {"new reported first goes last", {10, 20}, {30, 10, 20}, {10, 20, 30}},
      {"system order changed", {1, 2, 3}, {3, 1, 2}, {1, 2, 3}},
      {"new ones in system order", {1, 2, 3, 4, 5, 6}, {9, 6, 2, 8, 4}, {2, 4, 6, 9, 8}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TMemoryRowModel model;
    Refresh(model, Generation(c.before, "old"));
    const int selectedPid = c.before.empty() ? -1 : c.before.back();
    model.selected = model.RowCount() - 1;

    const std::string status = Refresh(model, Generation(c.snapshot, "new"));

    EXPECT_EQ(status, "进程数：" + std::to_string(c.snapshot.size()));
    EXPECT_EQ(model.Column(0), Pids(c.expected));
    // Every row left, moved up or not, holds this refresh's values.
    for (int row = 0; row < model.RowCount(); ++row) {
      const int pid = c.expected[row];
      EXPECT_EQ(Row(model, row),
                (Texts{"new-" + std::to_string(pid), std::to_string(pid), "",
                       CpuTimeText(pid * 7.0 / 86400.0, ":"), MemUsageText(pid)}))
          << "row " << row;
    }
    // The selection stays with its process, or goes with it.
    if (model.selected >= 0)
      EXPECT_EQ(model.SubItem(model.selected, 0), std::to_string(selectedPid));
    else
      for (const auto& pid : model.Column(0)) EXPECT_NE(pid, std::to_string(selectedPid));
    EXPECT_EQ(model.begins, 2);
    EXPECT_EQ(model.ends, 2);
    EXPECT_FALSE(model.changedOutsideUpdate);
  }
}

TEST(ProcessRows, ANewProcessWithAnOldPidKeepsTheRowAndTakesItsValues) {
  TMemoryRowModel model;
  Refresh(model, {{100, "notepad.exe", 5, 3000}, {200, "calc.exe", 9, 4000}});
  model.selected = 0;
  Refresh(model, {{200, "calc.exe", 9, 4000}, {100, "cmd.exe", 0, 2100}});
  EXPECT_EQ(Row(model, 0), (Texts{"cmd.exe", "100", "", "00:00:00", "2100 K"}));
  EXPECT_EQ(Row(model, 1), (Texts{"calc.exe", "200", "", "00:00:09", "4000 K"}));
  EXPECT_EQ(model.selected, 0);
}

TEST(ProcessRows, ARowWithoutAllFourSubItemsGetsItsCaptionOnly) {
  TMemoryRowModel model;
  model.Add("old", {"5", "a", "b"});
  model.Add("old", {"6"});
  model.Add("no key", {});
  model.Add("old", {"7", "x", "y", "z"});
  Refresh(model, {{5, "five", 1, 1}, {6, "six", 1, 1}, {7, "seven", 1, 1}});
  ASSERT_EQ(model.RowCount(), 3);
  EXPECT_EQ(Row(model, 0), (Texts{"five", "5", "a", "b"}));
  EXPECT_EQ(Row(model, 1), (Texts{"six", "6"}));
  EXPECT_EQ(Row(model, 2), (Texts{"seven", "7", "", "00:00:01", "1 K"}));
}

TEST(ProcessRows, StatusCountIsTheSnapshotsAndComesBeforeAnyRowChange) {
  TMemoryRowModel model;
  Refresh(model, Generation({1, 2, 3}, "old"));
  int beginsAtStatus = -1;
  Texts rowsAtStatus;
  std::string status;
  RefreshProcessRows(
      SnapshotOf(Generation({1, 9, 3, 0}, "new")),
      [&](const std::string& text) {
        status = text;
        beginsAtStatus = model.begins;
        rowsAtStatus = model.Column(0);
      },
      model, ":");
  EXPECT_EQ(status, "进程数：4");
  EXPECT_EQ(beginsAtStatus, 1);  // only the earlier refresh's bracket
  EXPECT_EQ(rowsAtStatus, Pids({1, 2, 3}));
  EXPECT_EQ(model.Column(0), Pids({1, 3, 9, 0}));
}

// ---- failures

void SetUpRows(TMemoryRowModel& model) {
  Refresh(model, Generation({1, 2, 3, 4}, "old"));
  model.log.clear();
  model.changes = 0;
  model.begins = model.ends = 0;
}

TEST(ProcessRows, AFailingSnapshotOrStatusLeavesTheRowsAlone) {
  const TSnapshotFiller throwingSnapshot = [](TKeyedList<TProcInfo>& list) {
    SnapshotOf(Generation({1, 5}, "new"))(list);  // records already in the list
    throw std::runtime_error("snapshot");
  };
  const TStatusWriter throwingStatus = [](const std::string&) {
    throw std::runtime_error("status");
  };
  struct {
    const char* what;
    TSnapshotFiller snapshot;
    TStatusWriter status;
  } cases[] = {
      {"snapshot", throwingSnapshot, [](const std::string&) {}},
      {"status", SnapshotOf(Generation({1, 5}, "new")), throwingStatus},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TMemoryRowModel model;
    SetUpRows(model);
    EXPECT_THROW(RefreshProcessRows(c.snapshot, c.status, model, ":"), std::runtime_error);
    EXPECT_EQ(model.begins, 0);
    EXPECT_EQ(model.ends, 0);
    EXPECT_EQ(model.changes, 0);
    EXPECT_EQ(model.Captions(), (Texts{"old-1", "old-2", "old-3", "old-4"}));
  }
}

// Whichever row change fails, the changes before it stay, nothing after it
// happens, the bracket is closed and the error reaches the caller. The
// records left over are freed (the sanitizer build checks for leaks).
TEST(ProcessRows, AFailureDuringTheRowChangesKeepsWhatWasWrittenAndClosesTheBracket) {
  const auto snapshot = Generation({2, 5, 4, 6}, "new");  // updates, deletions, appends
  TMemoryRowModel good;
  SetUpRows(good);
  Refresh(good, snapshot);
  ASSERT_EQ(good.log.front(), "begin");
  ASSERT_EQ(good.log.back(), "end");
  const int total = good.changes;
  ASSERT_GT(total, 10);

  for (int failAt = 0; failAt < total; ++failAt) {
    SCOPED_TRACE("failing change " + std::to_string(failAt));
    TMemoryRowModel model;
    SetUpRows(model);
    model.failAtChange = failAt;
    EXPECT_THROW(Refresh(model, snapshot), std::runtime_error);
    std::vector<std::string> expected(good.log.begin(), good.log.begin() + 1 + failAt);
    expected.push_back("end");
    EXPECT_EQ(model.log, expected);
    EXPECT_EQ(model.depth, 0);
  }
}

// ---- the index gives exactly the first match of a linear search

// The refresh written the plain way: a linear search of the keyed list for
// each row, the matched pair taken out.
void LinearRefresh(TKeyedList<TProcInfo>& snapshot, IRowModel& rows) {
  const int visits = rows.RowCount();
  int row = 0;
  for (int visit = 0; visit < visits; ++visit) {
    const int found = rows.SubItemCount(row) > 0 ? snapshot.IndexOf(rows.SubItem(row, 0)) : -1;
    if (found < 0) {
      rows.DeleteRow(row);
      continue;
    }
    auto info = snapshot.Extract(found);
    rows.SetCaption(row, info->Name);
    if (rows.SubItemCount(row) > 3) {
      rows.SetSubItem(row, 0, PidText(info->PID));
      rows.SetSubItem(row, 1, "");
      rows.SetSubItem(row, 2, CpuTimeText(info->CpuTime, ":"));
      rows.SetSubItem(row, 3, MemUsageText(info->MemUsage));
    }
    ++row;
  }
  while (snapshot.Count() > 0) {
    auto info = snapshot.Extract(0);
    const int r = rows.AppendRow();
    rows.SetCaption(r, info->Name);
    rows.AppendSubItem(r, PidText(info->PID));
    rows.AppendSubItem(r, "");
    rows.AppendSubItem(r, CpuTimeText(info->CpuTime, ":"));
    rows.AppendSubItem(r, MemUsageText(info->MemUsage));
  }
}

TEST(ProcessRows, MatchesTheFirstEqualKeyEvenWithRepeatedKeys) {
  // Repeated keys and keys that differ only in letter case.
  const char* keys[] = {"1", "2", "10", "a", "A", "b", "B", ""};
  std::mt19937 rng(20240601);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

  for (int round = 0; round < 400; ++round) {
    struct TPair {
      std::string key;
      int32_t pid;
    };
    std::vector<TPair> pairs(pick(14));
    for (size_t i = 0; i < pairs.size(); ++i) pairs[i] = {keys[pick(8)], static_cast<int32_t>(i)};
    struct TRowSeed {
      std::vector<std::string> subItems;
    };
    std::vector<TRowSeed> seeds(pick(12));
    for (auto& seed : seeds) {
      const int widths[] = {0, 1, 3, 4, 4, 4};
      const int width = widths[pick(6)];
      if (width > 0) seed.subItems.push_back(pick(6) == 0 ? "zz" : keys[pick(8)]);
      while (static_cast<int>(seed.subItems.size()) < width) seed.subItems.push_back("v");
    }

    auto fill = [&](TKeyedList<TProcInfo>& list) {
      for (const auto& p : pairs) {
        auto info = std::make_unique<TProcInfo>();
        info->Name = "record " + std::to_string(p.pid);
        info->PID = p.pid;
        list.Add(p.key, std::move(info));
      }
    };
    TMemoryRowModel indexed, linear;
    for (const auto& seed : seeds) {
      indexed.Add("old", seed.subItems);
      linear.Add("old", seed.subItems);
    }
    RefreshProcessRows(fill, [](const std::string&) {}, indexed, ":");
    TKeyedList<TProcInfo> list;
    fill(list);
    LinearRefresh(list, linear);

    ASSERT_EQ(indexed.RowCount(), linear.RowCount()) << "round " << round;
    for (int row = 0; row < indexed.RowCount(); ++row)
      ASSERT_EQ(Row(indexed, row), Row(linear, row)) << "round " << round << ", row " << row;
  }
}

}  // namespace
}  // namespace taskmgr
