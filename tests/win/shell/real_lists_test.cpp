// Both lists filled from the real system: this test's own process and a
// window it creates itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "procinfo/list_texts.h"
#include "procinfo/win_info.h"
#include "shell/main_form.h"
#include "ui/application.h"
#include "ui/text.h"
#include "win/shell/shell_test_support.h"

namespace taskmgr {
namespace {

using taskmgr::testing::DepsWith;
using taskmgr::testing::SamplerLog;
using taskmgr::testing::StillSampler;

constexpr wchar_t kTitle[] = L"实时列表测试窗口：你好";

int FindRow(const ui::TListView& list, int column, const std::string& text) {
  for (int row = 0; row < list.RowCount(); ++row) {
    const std::string cell = column == 0 ? list.Caption(row) : list.SubItem(row, column - 1);
    if (cell == text) return row;
  }
  return -1;
}

// A window of this process, with its class icon, so the icon lookup can see it.
class OwnWindow {
 public:
  OwnWindow() {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hIcon = LoadIconW(nullptr, IDI_INFORMATION);
    cls.lpszClassName = L"RealListsTestWindow";
    RegisterClassExW(&cls);
    handle = CreateWindowExW(0, cls.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, 20, 20, 200, 120,
                             nullptr, nullptr, cls.hInstance, nullptr);
    ShowWindow(handle, SW_SHOWNOACTIVATE);
  }
  ~OwnWindow() { DestroyWindow(handle); }
  HWND handle;
};

TEST(RealLists, OwnProcessAndOwnWindowAppearAndAHiddenWindowGoes) {
  SamplerLog log;
  TMainForm form(DepsWith<StillSampler>(log));
  form.Timer.SetEnabled(false);  // the test ticks by hand
  form.Show();
  ui::Application().ProcessMessagesFor(200);
  OwnWindow window;

  form.TimerTimer();
  form.TimerTimer();

  // 进程: this process, keyed by its PID, with its image name.
  const std::string pid = PidText(static_cast<int32_t>(GetCurrentProcessId()));
  const int procRow = FindRow(form.procListView, 1, pid);
  ASSERT_GE(procRow, 0) << "own PID " << pid << " missing";
  EXPECT_EQ(form.procListView.Caption(procRow), "win_shell.exe");
  EXPECT_EQ(form.procListView.SubItem(procRow, 1), "");
  EXPECT_EQ(form.StatusBar.PanelText(0),
            "进程数：" + std::to_string(form.procListView.RowCount()));

  // 应用程序: the window with its Chinese title, running, with its icon.
  const std::string title = ui::Narrow(kTitle);
  const int taskRow = FindRow(form.TaskListView, 0, title);
  ASSERT_GE(taskRow, 0) << "own window missing";
  EXPECT_EQ(form.TaskListView.SubItem(taskRow, 0), "正在运行");
  EXPECT_GE(form.TaskListView.ImageIndex(taskRow), 0) << "the class icon should show";
  const auto* record = static_cast<const TWinInfo*>(form.TaskListView.Data(taskRow));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->Handle, reinterpret_cast<uintptr_t>(window.handle));

  // Hidden again: the row goes at the next tick; shown again, it comes back
  // at the end.
  ShowWindow(window.handle, SW_HIDE);
  form.TimerTimer();
  EXPECT_LT(FindRow(form.TaskListView, 0, title), 0);
  ShowWindow(window.handle, SW_SHOWNOACTIVATE);
  form.TimerTimer();
  EXPECT_EQ(FindRow(form.TaskListView, 0, title), form.TaskListView.RowCount() - 1);

  form.Close();
}

}  // namespace
}  // namespace taskmgr
