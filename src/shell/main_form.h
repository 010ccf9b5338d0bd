#pragma once
// The main window: three tabs (applications, processes, performance), the
// status bar, the menu bar and the refresh timer.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "procinfo/keyed_list.h"
#include "procinfo/proc_info.h"
#include "procinfo/win_info.h"
#include "shell/core/graph_lifecycle.h"
#include "ui/button.h"
#include "ui/form.h"
#include "ui/image.h"
#include "ui/image_list.h"
#include "ui/list_view.h"
#include "ui/menu.h"
#include "ui/page_control.h"
#include "ui/panel.h"
#include "ui/status_bar.h"
#include "ui/timer.h"

namespace taskmgr {

// The taskbar entry and the error box's caption.
inline constexpr char kApplicationTitle[] = "Zorvik高高仿真windows任务管理器";
// The window's own caption.
inline constexpr char kMainFormCaption[] = "Zorvik高仿真Windows 任务管理器";

// The End Process confirmation. Its lines break at "\n\r" (line feed, then
// carriage return).
inline constexpr char kEndProcessCaption[] = "任务管理器警告";
inline constexpr char kEndProcessWarning[] =
    "警告: 终止进程会导致不希望发生的结果，\n\r包括数据丢失和系统不稳定。在被终止前，\n\r"
    "进程将没有机会保存其状态和数据。确实\n\r想终止该进程吗?";

// The maker's homepage, opened by the menu bar's homepage command.
inline constexpr char kHomepageUrl[] = "https://zorvik.example/";

// What the window takes from outside. Empty members take the program's own.
struct TMainFormDeps {
  // Default: EnableDebugPrivilege on the installed token service.
  std::function<bool()> EnableDebugPrivilege;
  // Default: a TSetThread sampling the installed system information.
  std::function<std::unique_ptr<ISamplerThread>()> CreateSamplerThread;
  // Runs on every tick after the graphs and status texts, before the list
  // refreshes; tests use it to watch ticks and to raise errors in them.
  std::function<void()> TickProbe;
  // Starts `file` with `parameters` as the shell's "open" does; false when
  // it could not. Default: ShellExecute with the main window as parent.
  std::function<bool(const std::string& file, const std::string& parameters)> ShellOpen;
  // One synthesised key event. Default: keybd_event with the key's scan code.
  std::function<void(uint8_t virtualKey, bool keyUp)> KeyEvent;
  // The sources of the two list refreshes. Default: the system's processes
  // and windows.
  std::function<void(TKeyedList<TProcInfo>&)> GetProcessList;
  std::function<void(TKeyedList<TWinInfo>&)> GetWindowList;
  std::function<bool(uintptr_t window, const std::string& wndClass, TTextList& claimed)>
      IsTaskWindow;
  std::function<uintptr_t(uintptr_t window)> GetWindowIcon;
};

class TMainForm : public ui::TForm {
 public:
  explicit TMainForm(TMainFormDeps deps = {});
  ~TMainForm() override;

  ui::TPageControl PageControl1;
  ui::TTabSheet TabSheet1;
  ui::TListView TaskListView;
  ui::TButton Button1;
  ui::TButton Button2;
  ui::TButton Button3;
  ui::TTabSheet TabSheet2;
  ui::TListView procListView;
  ui::TButton endProcBtn;
  ui::TTabSheet TabSheet3;
  ui::TGroupBox GroupBox1;
  ui::TPanel CpuPanel;
  ui::TImage CpuImg;
  ui::TGroupBox GroupBox2;
  ui::TPanel memPanel;
  ui::TImage memImg;
  ui::TStatusBar StatusBar;
  ui::TTimer Timer;
  ui::TImageList ImageList;
  ui::TMainMenu MainMenu;
  ui::TMenuItem F1, N1, X1;
  ui::TMenuItem N2, A1;
  ui::TMenuItem V1, N4, H2, N5, N6, N8;
  ui::TMenuItem H1;

  void FormShow();
  void FormClose();
  void TimerTimer();
  void N1Click(ui::TMenuItem& sender);
  void SetRefreshInterval(uint16_t value);
  void RefreshProcessList();
  void RefreshTaskList();

  void endProcBtnClick();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void A1Click();
  void X1Click();
  void H1Click();

  // The graph surfaces while the sampler thread runs; null before the first
  // showing and after the close.
  TUseage* CpuGraph() const { return graphs_.CpuGraph(); }
  TUseage* MemGraph() const { return graphs_.MemGraph(); }
  bool SamplerRunning() const { return graphs_.ThreadRunning(); }

 private:
  class TGraphHost : public IGraphHost {
   public:
    explicit TGraphHost(TMainForm& form) : form_(form) {}
    bool EnableDebugPrivilege() override;
    void SetDoubleBuffered() override;
    TGraphSize CpuImageSize() const override;
    TGraphSize MemImageSize() const override;
    void ShowGraphs(const TUseage& cpuGraph, const TUseage& memGraph) override;
    std::unique_ptr<ISamplerThread> CreateSamplerThread() override;
    void StopTimer() override;

   private:
    TMainForm& form_;
  };

  void BuildMenu();
  void BuildApplicationsTab();
  void BuildProcessesTab();
  void BuildPerformanceTab();
  void WireEvents();
  void ShowGraph(ui::TImage& image, const TUseage& graph);

  TMainFormDeps deps_;
  std::string timeSeparator_;
  TGraphHost graphHost_{*this};
  TGraphLifecycle graphs_{graphHost_};
  std::vector<uint8_t> frame_;
};

}  // namespace taskmgr
