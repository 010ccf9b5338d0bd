// One refresh of each list over the in-memory row model: what the tick spends
// beside the system queries and the list view itself.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_snapshot.h"
#include "fakes/memory_image_sink.h"
#include "fakes/memory_row_model.h"
#include "procinfo/list_texts.h"
#include "procinfo/process_list_sync.h"
#include "procinfo/task_list_sync.h"

namespace taskmgr {
namespace {

using fakes::TProc;

// A machine with `count` processes; each tick, `churnPercent` of them end
// and as many new ones start (reported last, as new processes usually are).
class TMachine {
 public:
  TMachine(int count, int churnPercent) : churn_(count * churnPercent / 100) {
    for (int i = 0; i < count; ++i) procs_.push_back(NewProc());
  }

  void Tick() {
    for (auto& p : procs_) p.cpuSeconds += 1;
    for (int i = 0; i < churn_; ++i) {
      // Spread the ended ones over the list.
      const size_t victim = (cursor_ += 7919) % procs_.size();
      procs_.erase(procs_.begin() + static_cast<std::ptrdiff_t>(victim));
      procs_.push_back(NewProc());
    }
  }

  void Fill(TKeyedList<TProcInfo>& list) const { fakes::FillSnapshot(procs_, list); }

 private:
  TProc NewProc() {
    nextPid_ += 4;
    return {nextPid_, "process_" + std::to_string(nextPid_) + ".exe", nextPid_ % 5000,
            static_cast<uint32_t>(1000 + nextPid_ % 90000)};
  }

  std::vector<TProc> procs_;
  int churn_;
  int32_t nextPid_ = 0;
  size_t cursor_ = 0;
};

void BM_ProcessesRefresh(benchmark::State& state) {
  TMachine machine(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  fakes::TMemoryRowModel model;
  model.keepLog = false;
  const TSnapshotFiller fill = [&](TKeyedList<TProcInfo>& list) { machine.Fill(list); };
  std::string status;
  const TStatusWriter writeStatus = [&](const std::string& text) { status = text; };
  RefreshProcessRows(fill, writeStatus, model, ":");  // the first tick fills the list

  for (auto _ : state) {
    state.PauseTiming();
    machine.Tick();
    state.ResumeTiming();
    RefreshProcessRows(fill, writeStatus, model, ":");
    benchmark::DoNotOptimize(model.rows.data());
  }
  state.counters["rows"] = model.RowCount();
}
// processes, churn in percent
BENCHMARK(BM_ProcessesRefresh)
    ->Args({300, 0})
    ->Args({300, 10})
    ->Args({2000, 0})
    ->Args({2000, 10})
    ->Unit(benchmark::kMicrosecond);

// The snapshot records alone, to tell the refresh's own share.
void BM_SnapshotFillOnly(benchmark::State& state) {
  TMachine machine(static_cast<int>(state.range(0)), 0);
  for (auto _ : state) {
    TKeyedList<TProcInfo> list;
    machine.Fill(list);
    benchmark::DoNotOptimize(list.Count());
  }
}
BENCHMARK(BM_SnapshotFillOnly)->Arg(300)->Arg(2000)->Unit(benchmark::kMicrosecond);

void BM_ApplicationsRefresh(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  struct TWindow {
    uintptr_t handle;
    uint32_t pid;
    std::string title;
  };
  std::vector<TWindow> windows;
  for (int i = 0; i < count; ++i)
    windows.push_back({static_cast<uintptr_t>(0x10000 + 16 * i), static_cast<uint32_t>(100 + i),
                       "Window title number " + std::to_string(i)});

  const TWindowListFiller fill = [&](TKeyedList<TWinInfo>& list) {
    for (const auto& w : windows) {
      auto info = std::make_unique<TWinInfo>();
      info->Caption = w.title;
      info->WndClass = "AppWindowClass";
      info->Handle = w.handle;
      list.Add(HandleText(w.handle), std::move(info));
    }
  };
  const TTaskWindowFilter filter = [&](uintptr_t handle, const std::string&, TTextList& claimed) {
    const std::string pid = std::to_string(100 + (handle - 0x10000) / 16);
    if (claimed.IndexOf(pid) >= 0) return false;
    claimed.Add(pid);
    return true;
  };
  const TIconLookup icons = [](uintptr_t handle) { return handle + 1; };
  fakes::TMemoryRowModel model;
  model.keepLog = false;
  fakes::TMemoryImageSink images;
  RefreshTaskRows(fill, filter, icons, model, images);

  for (auto _ : state) {
    RefreshTaskRows(fill, filter, icons, model, images);
    benchmark::DoNotOptimize(model.rows.data());
  }
  state.counters["rows"] = model.RowCount();
}
BENCHMARK(BM_ApplicationsRefresh)->Arg(50)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace taskmgr
