#include "shell/main_form.h"

#include <shellapi.h>

#include <charconv>
#include <stdexcept>
#include <utility>

#include "perf/cpu_usage.h"
#include "perf/mem_info.h"
#include "procinfo/process_control.h"
#include "procinfo/process_list_sync.h"
#include "procinfo/process_snapshot.h"
#include "procinfo/task_list_sync.h"
#include "procinfo/window_list.h"
#include "shell/core/sampler_thread.h"
#include "shell/core/speed_menu.h"
#include "shell/core/status_text.h"
#include "shell/list_view_rows.h"
#include "ui/application.h"
#include "ui/text.h"

namespace taskmgr {
namespace {

using ui::akBottom;
using ui::akLeft;
using ui::akRight;
using ui::akTop;
using ui::TColumnAlign;

constexpr ui::TSize96 kClientSize{426, 376};
// The tab pages' client area the bounds below are laid out for. 418 x 329 is
// the page of a 426 x 357 page control, but the buttons at 311 + 25 would
// then end 7 pixels below the page's edge and show cut off; laying the
// bottom-anchored controls out for a page 14 pixels taller keeps the buttons
// whole, 7 pixels above the edge.
constexpr ui::TSize96 kPageClientSize{418, 343};

class TTimerSwitch : public IRefreshTimer {
 public:
  explicit TTimerSwitch(ui::TTimer& timer) : timer_(timer) {}
  bool Enabled() const override { return timer_.Enabled(); }
  void SetEnabled(bool enabled) override { timer_.SetEnabled(enabled); }
  void SetInterval(uint32_t milliseconds) override { timer_.SetInterval(milliseconds); }

 private:
  ui::TTimer& timer_;
};

class TSpeedItem : public ISpeedItem {
 public:
  explicit TSpeedItem(ui::TMenuItem& item) : item_(item) {}
  int32_t Tag() const override { return item_.Tag(); }
  void SetChecked(bool checked) override { item_.SetChecked(checked); }
  ui::TMenuItem& Item() const { return item_; }

 private:
  ui::TMenuItem& item_;
};

// A PID as the processes list shows it: decimal, optionally signed.
int32_t ParsePid(const std::string& text) {
  int32_t pid = 0;
  const char* end = text.data() + text.size();
  const auto [rest, error] = std::from_chars(text.data(), end, pid);
  if (text.empty() || error != std::errc() || rest != end)
    throw std::runtime_error("“" + text + "”不是有效的整数值");
  return pid;
}

// Stops the refresh timer for as long as it lives; a timer that ran before
// starts again (its countdown afresh), a paused one stays paused.
class TTimerHold {
 public:
  explicit TTimerHold(ui::TTimer& timer) : timer_(timer), wasEnabled_(timer.Enabled()) {
    timer_.SetEnabled(false);
  }
  ~TTimerHold() {
    if (wasEnabled_) timer_.SetEnabled(true);
  }
  TTimerHold(const TTimerHold&) = delete;
  TTimerHold& operator=(const TTimerHold&) = delete;

 private:
  ui::TTimer& timer_;
  bool wasEnabled_;
};

// The user's time separator for the CPU-time column.
std::string UserTimeSeparator() {
  wchar_t buffer[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, buffer, 8) <= 1) return ":";
  return ui::Narrow(buffer);
}

}  // namespace

TMainForm::TMainForm(TMainFormDeps deps) : deps_(std::move(deps)) {
  if (!deps_.EnableDebugPrivilege) deps_.EnableDebugPrivilege = [] { return EnableDebugPrivilege(); };
  if (!deps_.CreateSamplerThread)
    deps_.CreateSamplerThread = [] { return std::make_unique<TSetThreadSampler>(); };
  if (!deps_.ShellOpen) {
    deps_.ShellOpen = [this](const std::string& file, const std::string& parameters) {
      const std::wstring wideFile = ui::Widen(file);
      const std::wstring wideParameters = ui::Widen(parameters);
      const HINSTANCE result =
          ShellExecuteW(Handle(), L"open", wideFile.c_str(),
                        wideParameters.empty() ? nullptr : wideParameters.c_str(), nullptr,
                        SW_SHOWNORMAL);
      return reinterpret_cast<INT_PTR>(result) > 32;
    };
  }
  if (!deps_.KeyEvent) {
    deps_.KeyEvent = [](uint8_t virtualKey, bool keyUp) {
      const BYTE scanCode = static_cast<BYTE>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
      keybd_event(virtualKey, scanCode, keyUp ? KEYEVENTF_KEYUP : 0, 0);
    };
  }

  if (!deps_.GetProcessList)
    deps_.GetProcessList = [](TKeyedList<TProcInfo>& list) { taskmgr::GetProcessList(list); };
  if (!deps_.GetWindowList)
    deps_.GetWindowList = [](TKeyedList<TWinInfo>& list) { taskmgr::GetWindowList(list); };
  if (!deps_.IsTaskWindow)
    deps_.IsTaskWindow = [](uintptr_t window, const std::string& wndClass, TTextList& claimed) {
      return taskmgr::IsTaskWindow(window, wndClass, claimed);
    };
  if (!deps_.GetWindowIcon)
    deps_.GetWindowIcon = [](uintptr_t window) { return taskmgr::GetWindowIcon(window); };
  timeSeparator_ = UserTimeSeparator();

  ui::TFormOptions options;
  options.MaximizeBox = false;
  options.Resizable = true;
  options.DesktopCenter = true;
  Create(kMainFormCaption, kClientSize, options);

  BuildMenu();
  PageControl1.Create(*this, {0, 0, 426, 357});
  PageControl1.SetAlign(ui::TAlign::Client);
  BuildApplicationsTab();
  BuildProcessesTab();
  BuildPerformanceTab();
  PageControl1.SetActivePage(0);
  StatusBar.Create(*this, {95, 120, 50});

  // Armed from now on; ticks come as soon as messages are dispatched.
  Timer.Create(*this);
  WireEvents();
}

TMainForm::~TMainForm() {
  // The window and its children go first, while every handler's object
  // still exists; the thread (if the window never closed) stops after.
  DestroyHandle();
}

void TMainForm::BuildMenu() {
  MainMenu.Create();
  F1.Create(MainMenu, "文件(&F)");
  N1.Create(F1, "新任务(运行...)(&N)");
  X1.Create(F1, "退出任务管理器(&X)");
  N2.Create(MainMenu, "选项(&Q)");
  A1.Create(N2, "总在最前面(&A)");
  V1.Create(MainMenu, "查看(&V)");
  N4.Create(V1, "更新速度(&U)");
  H2.Create(N4, "高(&H)", 500);
  N5.Create(N4, "标准(&N)", 1000, true);
  N6.Create(N4, "低(&L)", 2000);
  N8.Create(N4, "暂停(&P)", 0);
  H1.Create(MainMenu, "Zorvik主页");
  SetMenu(MainMenu);
}

void TMainForm::BuildApplicationsTab() {
  TabSheet1.Create(PageControl1, "应用程序", kPageClientSize);
  TaskListView.Create(TabSheet1, {22, 24, 377, 281});
  TaskListView.SetAnchors(akLeft | akTop | akRight | akBottom);
  TaskListView.AddColumn("任务", 250, TColumnAlign::Left);
  TaskListView.AddColumn("状态", 100, TColumnAlign::Left);
  ImageList.Create(16, 16);
  TaskListView.SetSmallImages(&ImageList);
  Button1.Create(TabSheet1, {137, 311, 89, 25}, "结束任务(&E)");
  Button1.SetAnchors(akRight | akBottom);
  Button2.Create(TabSheet1, {234, 311, 75, 25}, "切换至(&S)");
  Button2.SetAnchors(akRight | akBottom);
  Button3.Create(TabSheet1, {315, 311, 87, 25}, "新任务(&N)...");
  Button3.SetAnchors(akRight | akBottom);
}

void TMainForm::BuildProcessesTab() {
  TabSheet2.Create(PageControl1, "进程", kPageClientSize);
  procListView.Create(TabSheet2, {24, 24, 377, 281});
  procListView.SetAnchors(akLeft | akTop | akRight | akBottom);
  procListView.AddColumn("映像名称", 100, TColumnAlign::Left);
  procListView.AddColumn("PID", 50, TColumnAlign::Right);
  procListView.AddColumn("CPU", 50, TColumnAlign::Right);
  procListView.AddColumn("CPU时间", 70, TColumnAlign::Right);
  procListView.AddColumn("内存使用", 100, TColumnAlign::Right);
  endProcBtn.Create(TabSheet2, {298, 310, 101, 25}, "结束进程(&E)");
  endProcBtn.SetAnchors(akRight | akBottom);
}

void TMainForm::BuildPerformanceTab() {
  TabSheet3.Create(PageControl1, "性能", kPageClientSize);
  GroupBox1.Create(TabSheet3, {120, 8, 283, 121}, "CPU 使用记录");
  CpuPanel.Create(GroupBox1, {12, 21, 260, 90}, ui::TBevel::Lowered, ui::TBevel::Lowered);
  CpuImg.Create(CpuPanel, {2, 2, 256, 86});
  GroupBox2.Create(TabSheet3, {120, 131, 284, 121}, "内存使用记录");
  memPanel.Create(GroupBox2, {12, 21, 260, 90}, ui::TBevel::Lowered, ui::TBevel::Lowered);
  memImg.Create(memPanel, {2, 2, 256, 86});
}

void TMainForm::WireEvents() {
  onShow = [this] { FormShow(); };
  onClose = [this] { FormClose(); };
  Timer.onTimer = [this] { TimerTimer(); };
  for (ui::TMenuItem* item : {&H2, &N5, &N6, &N8})
    item->onClick = [this](ui::TMenuItem& sender) { N1Click(sender); };
  endProcBtn.onClick = [this] { endProcBtnClick(); };
  Button1.onClick = [this] { Button1Click(); };
  Button2.onClick = [this] { Button2Click(); };
  Button3.onClick = [this] { Button3Click(); };
  N1.onClick = [this](ui::TMenuItem&) { Button3Click(); };
  A1.onClick = [this](ui::TMenuItem&) { A1Click(); };
  X1.onClick = [this](ui::TMenuItem&) { X1Click(); };
  H1.onClick = [this](ui::TMenuItem&) { H1Click(); };
}

void TMainForm::FormShow() { graphs_.FirstShow(); }

void TMainForm::FormClose() { graphs_.Close(); }

void TMainForm::ShowGraph(ui::TImage& image, const TUseage& graph) {
  // The surface's rows are already padded as the image keeps them.
  graph.CopyFrame(frame_);
  image.TakePicture(frame_, graph.Width(), graph.Height());
}

void TMainForm::TimerTimer() {
  if (TUseage* cpuGraph = graphs_.CpuGraph()) {
    ShowGraph(CpuImg, *cpuGraph);
    ShowGraph(memImg, *graphs_.MemGraph());
    memImg.Repaint();
    CpuImg.Repaint();
    StatusBar.SetPanelText(1, CpuStatusText(CpuUsage.load()));
    StatusBar.SetPanelText(2, MemStatusText(MemStatus.Load()));
  }
  if (deps_.TickProbe) deps_.TickProbe();
  RefreshProcessList();
  RefreshTaskList();
}

void TMainForm::N1Click(ui::TMenuItem& sender) {
  TSpeedItem high(H2), normal(N5), low(N6), pause(N8);
  TSpeedItem other(sender);
  TSpeedItem* clicked = &other;
  for (TSpeedItem* item : {&high, &normal, &low, &pause})
    if (&item->Item() == &sender) clicked = item;
  TTimerSwitch timer(Timer);
  SpeedMenuClick({high, normal, low, pause}, *clicked, timer,
                 [this](uint16_t value) { SetRefreshInterval(value); });
}

void TMainForm::SetRefreshInterval(uint16_t value) {
  TTimerSwitch timer(Timer);
  RestartRefreshTimer(timer, value);
}

void TMainForm::RefreshProcessList() {
  TListViewRows rows(procListView);
  RefreshProcessRows(deps_.GetProcessList,
                     [this](const std::string& text) { StatusBar.SetPanelText(0, text); }, rows,
                     timeSeparator_);
}

void TMainForm::RefreshTaskList() {
  TTaskListViewRows rows(TaskListView);
  TImageListSink images(ImageList);
  RefreshTaskRows(deps_.GetWindowList, deps_.IsTaskWindow, deps_.GetWindowIcon, rows, images);
}

void TMainForm::endProcBtnClick() {
  const int row = procListView.Selected();
  if (row < 0) return;
  // Taken before asking: ticks go on under the box and may change the rows.
  const int32_t pid = ParsePid(procListView.SubItem(row, 0));
  if (ui::Application().ShowMessageBox(kEndProcessWarning, kEndProcessCaption,
                                       MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
    KillProcess(pid);
}

void TMainForm::Button1Click() {
  const int row = TaskListView.Selected();
  if (row < 0) return;
  const auto* window = static_cast<const TWinInfo*>(TaskListView.Data(row));
  if (!window) return;
  TTimerHold hold(Timer);
  const uint32_t pid = GetWindowProcessId(window->Handle);
  if (pid != 0) KillProcess(static_cast<int32_t>(pid));
}

void TMainForm::Button2Click() {
  const int row = TaskListView.Selected();
  if (row < 0) return;
  if (const auto* window = static_cast<const TWinInfo*>(TaskListView.Data(row)))
    SetForegroundWindow(reinterpret_cast<HWND>(window->Handle));
}

void TMainForm::Button3Click() {
  // Windows+R: the shell answers with its Run dialog.
  constexpr uint8_t kR = 0x52;
  deps_.KeyEvent(VK_LWIN, false);
  deps_.KeyEvent(kR, false);
  deps_.KeyEvent(kR, true);
  deps_.KeyEvent(VK_LWIN, true);
}

void TMainForm::A1Click() {
  A1.SetChecked(!A1.Checked());
  SetStayOnTop(A1.Checked());
}

void TMainForm::X1Click() { Close(); }

void TMainForm::H1Click() {
  // Where that browser is missing, the default handler of the address.
  if (!deps_.ShellOpen("IExplore.EXE", kHomepageUrl)) deps_.ShellOpen(kHomepageUrl, "");
}

bool TMainForm::TGraphHost::EnableDebugPrivilege() { return form_.deps_.EnableDebugPrivilege(); }

void TMainForm::TGraphHost::SetDoubleBuffered() { form_.SetDoubleBuffered(true); }

TGraphSize TMainForm::TGraphHost::CpuImageSize() const {
  const SIZE size = form_.CpuImg.ClientSize();
  return {size.cx, size.cy};
}

TGraphSize TMainForm::TGraphHost::MemImageSize() const {
  const SIZE size = form_.memImg.ClientSize();
  return {size.cx, size.cy};
}

void TMainForm::TGraphHost::ShowGraphs(const TUseage& cpuGraph, const TUseage& memGraph) {
  form_.ShowGraph(form_.CpuImg, cpuGraph);
  form_.ShowGraph(form_.memImg, memGraph);
}

std::unique_ptr<ISamplerThread> TMainForm::TGraphHost::CreateSamplerThread() {
  return form_.deps_.CreateSamplerThread();
}

void TMainForm::TGraphHost::StopTimer() { form_.Timer.SetEnabled(false); }

}  // namespace taskmgr
