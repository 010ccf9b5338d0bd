// The real taskmgr.exe, driven from outside: its lists, status bar and
// buttons are read and pressed across the process boundary, with helper
// programs of our own standing in for the user's applications.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "e2e/automation.h"
#include "shell/command_ids.h"

using namespace std::chrono_literals;
using namespace e2e;

namespace {

const std::wstring kCaption = L"Zorvik高仿真Windows 任务管理器";
const std::wstring kWarningCaption = L"任务管理器警告";
const std::wstring kWarningText =
    L"警告: 终止进程会导致不希望发生的结果，\n\r包括数据丢失和系统不稳定。在被终止前，\n\r"
    L"进程将没有机会保存其状态和数据。确实\n\r想终止该进程吗?";

using Rows = std::vector<std::vector<std::string>>;

int FindRow(const Rows& rows, size_t column, const std::string& text) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].size() > column && rows[i][column] == text) return static_cast<int>(i);
  return -1;
}

class TaskManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = ChildProcess(ProgramDir() + L"taskmgr.exe", L"");
    ASSERT_TRUE(app_.Started());
    // Generous: a cold machine builds its font caches at the first start.
    ASSERT_TRUE(WaitFor([&] { return (main_ = FindTopWindow(app_.Pid(), kCaption)) != nullptr; }, 60s))
        << "the main window did not appear";
    FindControls();
    ASSERT_NE(taskList_, nullptr);
    ASSERT_NE(procList_, nullptr);
    ASSERT_NE(status_, nullptr);
    // The first tick has filled the processes list.
    ASSERT_TRUE(WaitFor([&] { return !ReadListView(procList_).empty(); }, 10s));
  }

  void TearDown() override {
    for (auto& child : children_) child.Kill();
    app_.Kill();
  }

  void FindControls() {
    EnumChildWindows(main_, &TaskManagerTest::CollectListViews, reinterpret_cast<LPARAM>(this));
    status_ = FindChild(main_, L"msctls_statusbar32");
    tabs_ = FindChild(main_, L"SysTabControl32");
  }

  static BOOL CALLBACK CollectListViews(HWND window, LPARAM param) {
    auto* self = reinterpret_cast<TaskManagerTest*>(param);
    wchar_t cls[64];
    GetClassNameW(window, cls, 64);
    if (_wcsicmp(cls, WC_LISTVIEWW) != 0) return TRUE;
    auto header = reinterpret_cast<HWND>(SendMessageW(window, LVM_GETHEADER, 0, 0));
    int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    if (columns == 2) self->taskList_ = window;
    if (columns == 5) self->procList_ = window;
    return TRUE;
  }

  ChildProcess& Start(const std::wstring& exe, const std::wstring& args) {
    children_.emplace_back(ProgramDir() + exe, args);
    EXPECT_TRUE(children_.back().Started()) << Narrow(exe);
    return children_.back();
  }

  // Waits until `column` of some row reads `text` (or, with `present`
  // false, until no row does).
  int WaitRow(HWND list, size_t column, const std::string& text, bool present = true,
              std::chrono::milliseconds timeout = 8s) {
    int row = -1;
    WaitFor([&] {
      row = FindRow(ReadListView(list), column, text);
      return (row >= 0) == present;
    }, timeout);
    return row;
  }

  HWND Button(const wchar_t* caption) { return FindChild(main_, L"Button", caption); }

  ChildProcess app_;
  std::vector<ChildProcess> children_;
  HWND main_ = nullptr;
  HWND taskList_ = nullptr;
  HWND procList_ = nullptr;
  HWND status_ = nullptr;
  HWND tabs_ = nullptr;
};

TEST_F(TaskManagerTest, ShowsItsTabsColumnsAndStatusTexts) {
  EXPECT_THAT(ReadTabCaptions(tabs_), ::testing::ElementsAre("应用程序", "进程", "性能"));
  ASSERT_EQ(StatusPanelCount(status_), 3);

  // Panel 0 counts the same processes the list shows; read both between two
  // ticks (they agree once a read of the list and the panel falls inside one).
  bool agreed = WaitFor([&] {
    std::string before = ReadStatusPanel(status_, 0);
    size_t rows = ReadListView(procList_).size();
    return before == ReadStatusPanel(status_, 0) && before == "进程数：" + std::to_string(rows);
  }, 10s);
  EXPECT_TRUE(agreed) << ReadStatusPanel(status_, 0);

  // The sampler's figures arrive within a second or two of the first showing.
  EXPECT_TRUE(WaitFor([&] {
    return std::regex_match(ReadStatusPanel(status_, 1), std::regex("CPU 使用：-?[0-9]+%"));
  }, 5s)) << ReadStatusPanel(status_, 1);
  std::smatch memory;
  std::string panel2;
  EXPECT_TRUE(WaitFor([&] {
    panel2 = ReadStatusPanel(status_, 2);
    return std::regex_match(panel2, memory, std::regex("内存使用：([0-9]+)/([0-9]+)")) &&
           std::stoll(memory[2]) > 0;
  }, 5s)) << panel2;
  if (memory.size() == 3) {
    EXPECT_LE(std::stoll(memory[1]), std::stoll(memory[2]));
  }
}

TEST_F(TaskManagerTest, ApplicationRowSwitchToAndEndTask) {
  const std::string title = "端到端测试窗口 ✓";
  ChildProcess& helper = Start(L"test_window.exe", L"--title \"" + Widen(title) + L"\" --icon application");
  HWND helperWindow = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (helperWindow = FindTopWindow(helper.Pid(), Widen(title))) != nullptr; }, 10s));

  // Within two ticks: the title and the running status.
  int row = WaitRow(taskList_, 0, title, true, 3s);
  ASSERT_GE(row, 0);
  EXPECT_EQ(ReadListView(taskList_)[static_cast<size_t>(row)][1], "正在运行");

  // Switch To brings it to the front.
  SetForegroundWindow(main_);
  ASSERT_TRUE(ListViewSelect(taskList_, row));
  PostClick(Button(L"切换至(&S)"));
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == helperWindow; }, 3s));

  // End Task ends the helper's process outright; its row goes.
  row = WaitRow(taskList_, 0, title);
  ASSERT_GE(row, 0);
  ASSERT_TRUE(ListViewSelect(taskList_, row));
  PostClick(Button(L"结束任务(&E)"));
  DWORD code = 1;
  EXPECT_TRUE(helper.WaitExit(5s, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_LT(WaitRow(taskList_, 0, title, false), 0);
}

TEST_F(TaskManagerTest, EndProcessAsksFirstAndActsOnYesOnly) {
  ChildProcess& waiter = Start(L"test_waiter.exe", L"");
  const std::string pid = std::to_string(waiter.Pid());
  int row = WaitRow(procList_, 1, pid);
  ASSERT_GE(row, 0) << "the helper's PID never appeared";
  EXPECT_EQ(ReadListView(procList_)[static_cast<size_t>(row)][0], "test_waiter.exe");

  auto askAndAnswer = [&](int answer) {
    int r = WaitRow(procList_, 1, pid);
    ASSERT_GE(r, 0);
    ASSERT_TRUE(ListViewSelect(procList_, r));
    PostClick(Button(L"结束进程(&E)"));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(app_.Pid(), kWarningCaption)) != nullptr; }, 5s));
    EXPECT_EQ(MessageBoxText(box), kWarningText);
    AnswerMessageBox(box, answer);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 5s));
  };

  askAndAnswer(IDNO);
  EXPECT_FALSE(waiter.WaitExit(1500ms)) << "No must end nothing";
  EXPECT_GE(WaitRow(procList_, 1, pid), 0);

  askAndAnswer(IDYES);
  DWORD code = 1;
  EXPECT_TRUE(waiter.WaitExit(5s, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_LT(WaitRow(procList_, 1, pid, false), 0);
}

TEST_F(TaskManagerTest, PauseHoldsTheListsAndASpeedRestartsThem) {
  PostCommand(main_, taskmgr::kCommandPause);
  // Let a tick that was already due pass.
  Sleep(1500);
  ChildProcess& waiter = Start(L"test_waiter.exe", L"");
  const std::string pid = std::to_string(waiter.Pid());
  EXPECT_LT(WaitRow(procList_, 1, pid, true, 3500ms), 0) << "a paused list changed";

  PostCommand(main_, taskmgr::kCommandSpeedHigh);
  EXPECT_GE(WaitRow(procList_, 1, pid, true, 3s), 0) << "the list did not resume";
}

TEST_F(TaskManagerTest, AlwaysOnTopTogglesAndExitEndsWithCodeZero) {
  auto topmost = [&] { return (GetWindowLongW(main_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  EXPECT_FALSE(topmost());
  PostCommand(main_, taskmgr::kCommandAlwaysOnTop);
  EXPECT_TRUE(WaitFor(topmost, 3s));
  PostCommand(main_, taskmgr::kCommandAlwaysOnTop);
  EXPECT_TRUE(WaitFor([&] { return !topmost(); }, 3s));
  // The window is the same one and keeps refreshing.
  EXPECT_TRUE(IsWindow(main_));

  PostCommand(main_, taskmgr::kCommandExit);
  DWORD code = 1;
  EXPECT_TRUE(app_.WaitExit(2s, &code)) << "Exit took longer than two seconds";
  EXPECT_EQ(code, 0u);
}

}  // namespace
