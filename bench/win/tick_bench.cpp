// What one refresh tick of the main window costs on the UI thread, with a
// large process snapshot and a few dozen windows, when nothing changes and
// when a tenth of both turns over every tick.
//
// The sources are fakes, so the figures are the window's own work (and the
// fakes' filling of the lists, shown apart): the system queries of the real
// program come on top.
//
// Thread CPU time under Wine moves in whole clock ticks (10 ms), so CPU is
// only ever read around a long unbroken run of ticks, never per tick: the
// snapshots of a run are made before it starts.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "perf/cpu_usage.h"
#include "perf/mem_info.h"
#include "shell/main_form.h"
#include "shell/services.h"
#include "ui/application.h"
#include "ui/image_list.h"
#include "win/shell/shell_test_support.h"
#include "win/ui/ui_test_support.h"

namespace taskmgr {
namespace {

using testing::ControlCellText;
using testing::ControlRowCount;
using testing::DepsWith;
using testing::SamplerLog;
using testing::StillSampler;

constexpr int kProcessesTab = 1;
constexpr int kApplicationsTab = 0;

// ---- clocks ---------------------------------------------------------------

uint64_t ThreadCpu100ns() {
  FILETIME creation, exit, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user)) return 0;
  auto value = [](const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return value(kernel) + value(user);
}

int64_t Qpc() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

int64_t QpcFrequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

double QpcToUs(int64_t ticks) {
  static const double frequency = static_cast<double>(QpcFrequency());
  return static_cast<double>(ticks) * 1e6 / frequency;
}

// The smallest step of the thread CPU clock seen in a short spin, in
// microseconds.
double ThreadClockStepUs() {
  uint64_t previous = ThreadCpu100ns();
  uint64_t smallest = UINT64_MAX;
  const int64_t deadline = Qpc() + QpcFrequency() / 3;
  for (int steps = 0; steps < 3 && Qpc() < deadline;) {
    const uint64_t now = ThreadCpu100ns();
    if (now != previous) {
      smallest = std::min(smallest, now - previous);
      previous = now;
      ++steps;
    }
  }
  return smallest == UINT64_MAX ? 0.0 : static_cast<double>(smallest) / 10.0;
}

// ---- the fake system -------------------------------------------------------

struct TFakeProcess {
  int32_t pid;
  std::string name;
  uint32_t memK;
  double cpuTime;  // days, as the snapshot holds it
};

struct TFakeWindow {
  uintptr_t handle;
  uint32_t pid;
  std::string caption;
  uintptr_t icon;
};

struct TProcessState {
  std::vector<TFakeProcess> processes;
};

struct TWindowState {
  std::vector<TFakeWindow> windows;
  std::unordered_map<uintptr_t, uint32_t> pidOf;
  int iconCount = 0;
};

// Replaces `count` items picked at random: the ended ones go, the new ones
// come last, the rest keep their order and their values.
template <class T, class Make>
std::vector<T> Churned(const std::vector<T>& items, int count, std::mt19937& random, Make make) {
  std::vector<size_t> order(items.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::shuffle(order.begin(), order.end(), random);
  std::vector<char> ended(items.size(), 0);
  for (int i = 0; i < count && i < static_cast<int>(order.size()); ++i) ended[order[i]] = 1;
  std::vector<T> next;
  next.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i)
    if (!ended[i]) next.push_back(items[i]);
  for (int i = 0; i < count; ++i) next.push_back(make());
  return next;
}

// Snapshots made ahead of a timed run; the list sources read the current one.
class TFakeSystem {
 public:
  TFakeSystem(int processes, int windows, int churnPercent)
      : random_(20240611u),
        churnProcesses_(processes * churnPercent / 100),
        churnWindows_(windows * churnPercent / 100) {
    appIcon_ = reinterpret_cast<uintptr_t>(LoadIconW(nullptr, IDI_APPLICATION));
    logoIcon_ = reinterpret_cast<uintptr_t>(LoadIconW(nullptr, IDI_WINLOGO));
    TProcessState firstProcesses;
    for (int i = 0; i < processes; ++i) firstProcesses.processes.push_back(NewProcess());
    processStates_.push_back(std::move(firstProcesses));
    TWindowState firstWindows;
    for (int i = 0; i < windows; ++i) firstWindows.windows.push_back(NewWindow());
    Index(firstWindows);
    windowStates_.push_back(std::move(firstWindows));
  }

  bool Churning() const { return churnProcesses_ > 0 || churnWindows_ > 0; }

  // Makes sure that `ticks` more advances need no new snapshot.
  void Prepare(int ticks) {
    if (!Churning()) return;
    while (static_cast<int>(processStates_.size()) <= processIndex_ + ticks) {
      TProcessState next;
      next.processes = Churned(processStates_.back().processes, churnProcesses_, random_,
                               [this] { return NewProcess(); });
      processStates_.push_back(std::move(next));
    }
    while (static_cast<int>(windowStates_.size()) <= windowIndex_ + ticks) {
      TWindowState next;
      next.windows = Churned(windowStates_.back().windows, churnWindows_, random_,
                             [this] { return NewWindow(); });
      Index(next);
      windowStates_.push_back(std::move(next));
    }
    // What no tick will read again.
    for (int i = 0; i < processIndex_; ++i) processStates_[i] = {};
    for (int i = 0; i < windowIndex_; ++i) windowStates_[i] = {};
  }

  // Cheap: Prepare made the snapshots. A steady system stays where it is.
  void AdvanceProcesses() {
    if (Churning()) ++processIndex_;
  }
  void AdvanceWindows() {
    if (Churning()) ++windowIndex_;
  }
  void Advance() {
    AdvanceProcesses();
    AdvanceWindows();
  }

  const TProcessState& Processes() const { return processStates_.at(processIndex_); }
  const TWindowState& Windows() const { return windowStates_.at(windowIndex_); }

  void FillProcesses(TKeyedList<TProcInfo>& list) const {
    for (const TFakeProcess& p : Processes().processes) {
      auto info = std::make_unique<TProcInfo>();
      info->Name = p.name;
      info->PID = p.pid;
      info->MemUsage = p.memK;
      info->CpuTime = p.cpuTime;
      list.Add(std::to_string(p.pid), std::move(info));
    }
  }

  void FillWindows(TKeyedList<TWinInfo>& list) const {
    for (const TFakeWindow& w : Windows().windows) {
      auto info = std::make_unique<TWinInfo>();
      info->Handle = w.handle;
      info->Caption = w.caption;
      info->WndClass = "BenchDocument";
      info->Icon = w.icon;
      list.Add(std::to_string(static_cast<uint32_t>(w.handle)), std::move(info));
    }
  }

  // As the real filter: one row per process, and a window that is gone is
  // accepted without claiming anything so that its row goes.
  bool IsTaskWindow(uintptr_t handle, const std::string&, TTextList& claimed) const {
    const auto& pidOf = Windows().pidOf;
    const auto it = pidOf.find(handle);
    if (it == pidOf.end()) return true;
    std::string key = std::to_string(it->second);
    if (claimed.IndexOf(key) >= 0) return false;
    claimed.Add(std::move(key));
    return true;
  }

  uintptr_t Icon(uintptr_t handle) const {
    for (const TFakeWindow& w : Windows().windows)
      if (w.handle == handle) return w.icon;
    return 0;
  }

 private:
  TFakeProcess NewProcess() {
    nextPid_ += 4 * static_cast<int32_t>(1 + random_() % 3);
    TFakeProcess p;
    p.pid = nextPid_;
    p.name = "proc" + std::to_string(p.pid) + ".exe";
    p.memK = 200 + random_() % 400000;
    // Mostly short-lived, a few that have run for hours.
    const uint32_t seconds = random_() % 10 == 0 ? random_() % 86000 : random_() % 600;
    p.cpuTime = seconds / 86400.0;
    return p;
  }

  TFakeWindow NewWindow() {
    const int serial = ++windowSerial_;
    TFakeWindow w;
    w.handle = 0x10000 + static_cast<uintptr_t>(serial) * 0x1A2;
    w.pid = 500000 + static_cast<uint32_t>(serial) * 4;
    w.caption = "文档 " + std::to_string(serial) + " - 编辑器";
    w.icon = serial % 3 == 0 ? 0 : serial % 3 == 1 ? appIcon_ : logoIcon_;
    return w;
  }

  static void Index(TWindowState& state) {
    state.pidOf.clear();
    state.iconCount = 0;
    for (const TFakeWindow& w : state.windows) {
      state.pidOf.emplace(w.handle, w.pid);
      if (w.icon) ++state.iconCount;
    }
  }

  std::mt19937 random_;
  int churnProcesses_;
  int churnWindows_;
  uintptr_t appIcon_ = 0;
  uintptr_t logoIcon_ = 0;
  int32_t nextPid_ = 0;
  int windowSerial_ = 0;
  std::vector<TProcessState> processStates_;
  std::vector<TWindowState> windowStates_;
  int processIndex_ = 0;
  int windowIndex_ = 0;
};

// ---- checks ----------------------------------------------------------------

class TCheckFailure : public std::exception {
 public:
  explicit TCheckFailure(std::string what) : what_(std::move(what)) {}
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::string what_;
};

void Require(bool ok, const std::string& what) {
  if (!ok) throw TCheckFailure(what);
}

// After every tick: the row counts of both lists, in our mirror and in the
// control, and the images.
bool RowCountsMatch(TMainForm& form, const TFakeSystem& system) {
  const int processes = static_cast<int>(system.Processes().processes.size());
  const int windows = static_cast<int>(system.Windows().windows.size());
  return form.procListView.RowCount() == processes &&
         ControlRowCount(form.procListView.Handle()) == processes &&
         form.TaskListView.RowCount() == windows &&
         ControlRowCount(form.TaskListView.Handle()) == windows &&
         form.ImageList.Count() == system.Windows().iconCount;
}

// After a run: every row against the snapshot, and a few cells as the
// control holds them.
void CheckRows(TMainForm& form, const TFakeSystem& system, const char* when) {
  const std::string where = std::string(" (") + when + ")";
  const auto& processes = system.Processes().processes;
  const int count = static_cast<int>(processes.size());
  Require(form.procListView.RowCount() == count,
          "process rows " + std::to_string(form.procListView.RowCount()) + ", snapshot " +
              std::to_string(count) + where);
  Require(ControlRowCount(form.procListView.Handle()) == count, "process list control rows" + where);
  Require(form.StatusBar.PanelText(0) == "进程数：" + std::to_string(count),
          "status text “" + form.StatusBar.PanelText(0) + "”" + where);
  for (int row = 0; row < count; ++row) {
    const TFakeProcess& p = processes[row];
    Require(form.procListView.Caption(row) == p.name && form.procListView.SubItemCount(row) == 4 &&
                form.procListView.SubItem(row, 0) == std::to_string(p.pid) &&
                form.procListView.SubItem(row, 3) == std::to_string(p.memK) + " K",
            "process row " + std::to_string(row) + " is not " + p.name + where);
  }
  for (int row : {0, count / 2, count - 1}) {
    if (row < 0) continue;
    Require(ControlCellText(form.procListView.Handle(), row, 0) == processes[row].name &&
                ControlCellText(form.procListView.Handle(), row, 1) == std::to_string(processes[row].pid),
            "process list control row " + std::to_string(row) + where);
  }

  const auto& windows = system.Windows().windows;
  const int windowCount = static_cast<int>(windows.size());
  Require(form.TaskListView.RowCount() == windowCount,
          "task rows " + std::to_string(form.TaskListView.RowCount()) + ", windows " +
              std::to_string(windowCount) + where);
  Require(form.ImageList.Count() == system.Windows().iconCount, "image count" + where);
  for (int row = 0; row < windowCount; ++row) {
    const auto* record = static_cast<const TWinInfo*>(form.TaskListView.Data(row));
    Require(record && record->Handle == windows[row].handle &&
                form.TaskListView.Caption(row) == windows[row].caption &&
                (form.TaskListView.ImageIndex(row) >= 0) == (windows[row].icon != 0),
            "task row " + std::to_string(row) + " is not " + windows[row].caption + where);
  }
  if (windowCount > 0)
    Require(ControlCellText(form.TaskListView.Handle(), windowCount - 1, 0) == windows.back().caption,
            "task list control's last row" + where);
}

// ---- where the controls spend a tick ---------------------------------------

// Counts the messages a control gets and the wall time spent inside each
// (with whatever the control sends on while handling it), from a subclass.
class TMessageClock {
 public:
  explicit TMessageClock(HWND window) : window_(window) {
    SetWindowSubclass(window_, &Proc, reinterpret_cast<UINT_PTR>(this),
                      reinterpret_cast<DWORD_PTR>(this));
  }
  ~TMessageClock() { RemoveWindowSubclass(window_, &Proc, reinterpret_cast<UINT_PTR>(this)); }
  TMessageClock(const TMessageClock&) = delete;
  TMessageClock& operator=(const TMessageClock&) = delete;

  struct TEntry {
    int count = 0;
    int64_t ticks = 0;
  };
  TEntry Of(UINT msg) const {
    const auto it = entries_.find(msg);
    return it == entries_.end() ? TEntry{} : it->second;
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    auto* self = reinterpret_cast<TMessageClock*>(data);
    const int64_t start = Qpc();
    const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    TEntry& entry = self->entries_[msg];
    ++entry.count;
    entry.ticks += Qpc() - start;
    return result;
  }

  HWND window_;
  std::unordered_map<UINT, TEntry> entries_;
};

// ---- one case ---------------------------------------------------------------

struct TCase {
  const char* name;
  int processes;
  int windows;
  int churnPercent;
  int ticks;
};

struct TFigures {
  double tickCpuUs = 0;       // TimerTimer alone, back to back
  double tickWallUs = 0;      // the same run's wall time
  double pumpedWallUs = 0;    // TimerTimer and the messages after it (the paints)
  double pumpedCpuUs = 0;     // the same run's CPU
  double sourcesCpuUs = 0;    // the fakes filling both lists, per tick
};

struct TProfile {
  double processRefreshCpuUs = 0;
  double taskRefreshCpuUs = 0;
  double imageRebuildCpuUs = 0;  // the image list's clearing and refilling, as each task refresh does
  double appsTabWallUs = 0;
  double appsTabCpuUs = 0;
  double appsTabPaints = 0;  // the applications list's, per tick
  double appsTabPaintUs = 0;
  // Per tick, in the order of kCounted: how many, and wall us inside.
  double procCount[6] = {}, procUs[6] = {};
  double taskCount[6] = {}, taskUs[6] = {};
  double statusCount = 0, statusUs = 0;
};

constexpr UINT kCounted[6] = {LVM_SETITEMTEXTW, LVM_INSERTITEMW, LVM_DELETEITEM,
                              LVM_SETITEMW,     WM_SETREDRAW,    WM_PAINT};
constexpr const char* kCountedNames[6] = {"settext", "insert", "delete", "setitem", "redraw", "paint"};

class TBench {
 public:
  explicit TBench(const TCase& c) : case_(c), system_(c.processes, c.windows, c.churnPercent) {
    TMainFormDeps deps = DepsWith<StillSampler>(log_);
    deps.GetProcessList = [this](TKeyedList<TProcInfo>& list) { system_.FillProcesses(list); };
    deps.GetWindowList = [this](TKeyedList<TWinInfo>& list) { system_.FillWindows(list); };
    deps.IsTaskWindow = [this](uintptr_t window, const std::string& wndClass, TTextList& claimed) {
      return system_.IsTaskWindow(window, wndClass, claimed);
    };
    deps.GetWindowIcon = [this](uintptr_t window) { return system_.Icon(window); };
    form_ = std::make_unique<TMainForm>(std::move(deps));
    // Only our ticks: the window's own timer would tick into the runs.
    form_->Timer.SetEnabled(false);
    form_->PageControl1.SetActivePage(kProcessesTab);
    form_->Show();
    ui::Application().ProcessMessagesFor(200);
    Require(form_->HasBeenShown() && form_->CpuGraph() && log_.created == 1,
            "the window's first showing did not start the graphs");
    Require(IsWindowVisible(form_->procListView.Handle()) != FALSE, "the processes list is not visible");

    // The first tick fills both lists; two more settle the allocations.
    system_.Prepare(3);
    form_->TimerTimer();
    Pump();
    CheckRows(*form_, system_, "first tick");
    for (int i = 0; i < 2; ++i) {
      system_.Advance();
      form_->TimerTimer();
      Pump();
    }
    CheckRows(*form_, system_, "warm-up");
  }

  TFigures Measure() {
    TFigures f;
    const int n = case_.ticks;

    // TimerTimer back to back: its CPU with nothing else in between.
    system_.Prepare(n);
    bool countsOk = true;
    uint64_t cpu0 = ThreadCpu100ns();
    int64_t wall0 = Qpc();
    for (int i = 0; i < n; ++i) {
      system_.Advance();
      CpuUsage.store(i % 100);
      form_->TimerTimer();
      countsOk = countsOk && RowCountsMatch(*form_, system_);
    }
    f.tickWallUs = QpcToUs(Qpc() - wall0) / n;
    f.tickCpuUs = static_cast<double>(ThreadCpu100ns() - cpu0) / 10.0 / n;
    Require(countsOk, "row counts after a tick");
    Pump();
    CheckRows(*form_, system_, "after the back-to-back ticks");

    // As the program runs: each tick followed by the messages it leaves,
    // the list's repaint among them.
    system_.Prepare(n);
    int64_t pumpedWall = 0;
    cpu0 = ThreadCpu100ns();
    for (int i = 0; i < n; ++i) {
      system_.Advance();
      CpuUsage.store(i % 100);
      const int64_t start = Qpc();
      form_->TimerTimer();
      Pump();
      pumpedWall += Qpc() - start;
      countsOk = countsOk && RowCountsMatch(*form_, system_);
    }
    f.pumpedCpuUs = static_cast<double>(ThreadCpu100ns() - cpu0) / 10.0 / n;
    f.pumpedWallUs = QpcToUs(pumpedWall) / n;
    Require(countsOk, "row counts after a tick and its messages");
    CheckRows(*form_, system_, "after the pumped ticks");

    // The fakes alone: filling and dropping both lists.
    cpu0 = ThreadCpu100ns();
    for (int i = 0; i < n; ++i) {
      TKeyedList<TProcInfo> processes;
      TKeyedList<TWinInfo> windows;
      system_.FillProcesses(processes);
      system_.FillWindows(windows);
    }
    f.sourcesCpuUs = static_cast<double>(ThreadCpu100ns() - cpu0) / 10.0 / n;
    return f;
  }

  // Where a tick's time goes: each list refresh alone, the messages the
  // controls get per tick, and the pumped tick with the applications tab in
  // front instead.
  TProfile Profile() {
    TProfile p;
    const int n = std::min(case_.ticks, 50);

    system_.Prepare(n);
    uint64_t cpu0 = ThreadCpu100ns();
    for (int i = 0; i < n; ++i) {
      system_.AdvanceProcesses();
      form_->RefreshProcessList();
    }
    p.processRefreshCpuUs = static_cast<double>(ThreadCpu100ns() - cpu0) / 10.0 / n;

    system_.Prepare(n);
    cpu0 = ThreadCpu100ns();
    for (int i = 0; i < n; ++i) {
      system_.AdvanceWindows();
      form_->RefreshTaskList();
    }
    p.taskRefreshCpuUs = static_cast<double>(ThreadCpu100ns() - cpu0) / 10.0 / n;
    Pump();

    {
      ui::TImageList images;
      images.Create(16, 16);
      std::vector<HICON> icons;
      for (const TFakeWindow& w : system_.Windows().windows)
        if (w.icon) icons.push_back(reinterpret_cast<HICON>(w.icon));
      cpu0 = ThreadCpu100ns();
      for (int i = 0; i < n; ++i) {
        images.Clear();
        for (HICON icon : icons) images.AddIcon(icon);
      }
      p.imageRebuildCpuUs = static_cast<double>(ThreadCpu100ns() - cpu0) / 10.0 / n;
      Require(images.Count() == system_.Windows().iconCount, "image list rebuild");
    }
    CheckRows(*form_, system_, "after the single refreshes");

    // Still with the processes tab in front, as the figures above.
    const int counted = std::min(n, 20);
    system_.Prepare(counted);
    {
      TMessageClock procClock(form_->procListView.Handle());
      TMessageClock taskClock(form_->TaskListView.Handle());
      TMessageClock statusClock(form_->StatusBar.Handle());
      for (int i = 0; i < counted; ++i) {
        system_.Advance();
        CpuUsage.store(i % 100);
        form_->TimerTimer();
        Pump();
      }
      for (int m = 0; m < 6; ++m) {
        p.procCount[m] = static_cast<double>(procClock.Of(kCounted[m]).count) / counted;
        p.procUs[m] = QpcToUs(procClock.Of(kCounted[m]).ticks) / counted;
        p.taskCount[m] = static_cast<double>(taskClock.Of(kCounted[m]).count) / counted;
        p.taskUs[m] = QpcToUs(taskClock.Of(kCounted[m]).ticks) / counted;
      }
      p.statusCount = static_cast<double>(statusClock.Of(SB_SETTEXTW).count) / counted;
      p.statusUs = QpcToUs(statusClock.Of(SB_SETTEXTW).ticks) / counted;
    }

    form_->PageControl1.SetActivePage(kApplicationsTab);
    ui::Application().ProcessMessagesFor(100);
    system_.Prepare(n);
    int64_t wall = 0;
    {
      TMessageClock taskClock(form_->TaskListView.Handle());
      cpu0 = ThreadCpu100ns();
      for (int i = 0; i < n; ++i) {
        system_.Advance();
        CpuUsage.store(i % 100);
        const int64_t start = Qpc();
        form_->TimerTimer();
        Pump();
        wall += Qpc() - start;
      }
      p.appsTabCpuUs = static_cast<double>(ThreadCpu100ns() - cpu0) / 10.0 / n;
      p.appsTabPaints = static_cast<double>(taskClock.Of(WM_PAINT).count) / n;
      p.appsTabPaintUs = QpcToUs(taskClock.Of(WM_PAINT).ticks) / n;
    }
    p.appsTabWallUs = QpcToUs(wall) / n;
    CheckRows(*form_, system_, "with the applications tab in front");
    return p;
  }

 private:
  static void Pump() { ui::Application().ProcessMessages(); }

  TCase case_;
  TFakeSystem system_;
  SamplerLog log_;
  std::unique_ptr<TMainForm> form_;
};

void SetSamples() {
  constexpr uint64_t kMiB = 1024 * 1024;
  MemoryStatus status = MemStatus.Load();
  status.TotalPhys = 8192 * kMiB;
  status.AvailPhys = 3000 * kMiB;
  status.TotalPageFile = 12288 * kMiB;
  MemStatus.Store(status);
  CpuUsage.store(0);
}

int Run(bool shortRun, bool profile, int ticks) {
  InstallWin32Services();
  ui::Application().SetTitle(kApplicationTitle);
  ui::Application().Initialize();
  SetSamples();

  const int few = 5;
  auto count = [&](int full) { return ticks > 0 ? ticks : shortRun ? few : full; };
  const TCase cases[] = {
      {"steady_300", 300, 50, 0, count(200)},
      {"churn10_300", 300, 50, 10, count(200)},
      {"steady_2000", 2000, 50, 0, count(50)},
      {"churn10_2000", 2000, 50, 10, count(50)},
  };

  std::printf("thread CPU clock step: %.0f us; processes tab in front; 50 windows\n",
              ThreadClockStepUs());
  std::printf("%-14s %6s %12s %13s | %12s %13s %11s\n", "case", "ticks", "cpu_us/tick",
              "wall_us/tick", "tick_wall_us", "cpu+paint_us", "sources_us");
  std::fflush(stdout);
  std::vector<std::pair<const TCase*, TProfile>> profiles;
  for (const TCase& c : cases) {
    TBench bench(c);
    const TFigures f = bench.Measure();
    std::printf("%-14s %6d %12.1f %13.1f | %12.1f %13.1f %11.1f\n", c.name, c.ticks, f.tickCpuUs,
                f.pumpedWallUs, f.tickWallUs, f.pumpedCpuUs, f.sourcesCpuUs);
    std::fflush(stdout);
    if (profile) profiles.emplace_back(&c, bench.Profile());
  }
  if (profiles.empty()) return 0;

  std::printf("\nprofile: CPU us per call of each refresh alone and of rebuilding the image\n"
              "list; per tick, the messages each control got and the wall us spent in them;\n"
              "the pumped tick with the applications tab in front instead\n");
  for (const auto& [c, p] : profiles) {
    std::printf("%-14s RefreshProcessList %.0f  RefreshTaskList %.0f  image list rebuild %.0f\n",
                c->name, p.processRefreshCpuUs, p.taskRefreshCpuUs, p.imageRebuildCpuUs);
    std::printf("%-14s   procListView:", "");
    for (int m = 0; m < 6; ++m)
      std::printf(" %s %.0fx %.0fus", kCountedNames[m], p.procCount[m], p.procUs[m]);
    std::printf("\n%-14s   TaskListView:", "");
    for (int m = 0; m < 6; ++m)
      std::printf(" %s %.0fx %.0fus", kCountedNames[m], p.taskCount[m], p.taskUs[m]);
    std::printf("\n%-14s   StatusBar: settext %.0fx %.0fus\n", "", p.statusCount, p.statusUs);
    std::printf("%-14s   applications tab in front: cpu %.0f wall %.0f, list paint %.1fx %.0fus\n",
                "", p.appsTabCpuUs, p.appsTabWallUs, p.appsTabPaints, p.appsTabPaintUs);
  }
  return 0;
}

}  // namespace
}  // namespace taskmgr

int main(int argc, char** argv) {
  bool shortRun = false;
  int profile = -1;  // by default with the full run only
  int ticks = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--short") == 0) {
      shortRun = true;
    } else if (std::strcmp(argv[i], "--profile") == 0) {
      profile = 1;
    } else if (std::strcmp(argv[i], "--no-profile") == 0) {
      profile = 0;
    } else if (std::strncmp(argv[i], "--ticks=", 8) == 0 && std::atoi(argv[i] + 8) > 0) {
      ticks = std::atoi(argv[i] + 8);
    } else {
      std::fprintf(stderr, "usage: tick_bench [--short] [--profile|--no-profile] [--ticks=N]\n");
      return 2;
    }
  }
  try {
    return taskmgr::Run(shortRun, profile < 0 ? !shortRun : profile == 1, ticks);
  } catch (const taskmgr::TCheckFailure& e) {
    std::fprintf(stderr, "tick_bench: wrong result: %s\n", e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tick_bench: %s\n", e.what());
    return 1;
  }
}
