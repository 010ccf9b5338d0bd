#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/list_view_rows.h"
#include "shell/main_form.h"
#include "ui/application.h"
#include "win/shell/shell_test_support.h"
#include "win/ui/ui_test_support.h"

namespace taskmgr {
namespace {

using taskmgr::testing::DepsWith;
using taskmgr::testing::MessageBoxText;
using taskmgr::testing::ProgramFolder;
using taskmgr::testing::SamplerLog;
using taskmgr::testing::StillSampler;
using taskmgr::testing::ThreadDialogs;
using taskmgr::testing::WindowText;

// A helper program started for one test and ended with it if still running.
class HelperProcess {
 public:
  explicit HelperProcess(const std::wstring& commandLine) {
    std::wstring line = L"\"" + ProgramFolder() + L"\\" + commandLine;
    line.insert(line.find(L".exe") + 4, L"\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info_)) {
      CloseHandle(info_.hThread);
      WaitForInputIdle(info_.hProcess, 5000);
    }
  }
  ~HelperProcess() {
    if (!info_.hProcess) return;
    if (Running()) TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hProcess);
  }
  bool Started() const { return info_.hProcess != nullptr; }
  int32_t Pid() const { return static_cast<int32_t>(info_.dwProcessId); }
  bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  // True when it ended within `ms`, with exit code 0.
  bool EndsWithCodeZero(DWORD ms) const {
    if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return false;
    DWORD code = 1;
    GetExitCodeProcess(info_.hProcess, &code);
    return code == 0;
  }

 private:
  PROCESS_INFORMATION info_{};
};

HWND WaitForWindow(const std::wstring& title) {
  HWND window = nullptr;
  ui::Application().ProcessMessagesFor(5000, [&] {
    window = FindWindowW(nullptr, title.c_str());
    return window != nullptr;
  });
  return window;
}

class CommandsTest : public ::testing::Test {
 protected:
  CommandsTest() {
    TMainFormDeps deps = DepsWith<StillSampler>(log);
    deps.TickProbe = [this] {
      ++ticks;
      if (probe) probe();
    };
    deps.ShellOpen = [this](const std::string& file, const std::string& parameters) {
      opened.push_back(file + "|" + parameters);
      return shellOpenWorks;
    };
    deps.KeyEvent = [this](uint8_t key, bool up) {
      keys.push_back((up ? "up " : "down ") + std::to_string(key));
    };
    form = std::make_unique<TMainForm>(std::move(deps));
    form->Show();
  }

  // A processes-list row as the processes refresh writes it.
  void AddProcessRow(const std::string& name, const std::string& pid) {
    TListViewRows rows(form->procListView);
    const int row = rows.AppendRow();
    rows.SetCaption(row, name);
    for (const std::string& text : {pid, std::string(), std::string("00:00:00"), std::string("1 K")})
      rows.AppendSubItem(row, text);
  }

  void AddTaskRow(HWND window) {
    TTaskListViewRows rows(form->TaskListView);
    const int row = rows.AppendRow();
    auto record = std::make_unique<TWinInfo>();
    record->Handle = reinterpret_cast<uintptr_t>(window);
    record->Caption = WindowText(window);
    rows.SetCaption(row, record->Caption);
    rows.AppendSubItem(row, "正在运行");
    rows.SetData(row, std::move(record));
  }

  // Answers the End Process box from a tick under it.
  void AnswerBoxWith(int button) {
    probe = [this, button] {
      const std::vector<HWND> boxes = ThreadDialogs();
      if (boxes.empty()) return;
      ++ticksUnderBox;
      boxCaption = WindowText(boxes.front());
      boxText = MessageBoxText(boxes.front());
      hasYesNo = GetDlgItem(boxes.front(), IDYES) && GetDlgItem(boxes.front(), IDNO);
      if (ticksUnderBox == 2) PostMessageW(boxes.front(), WM_COMMAND, button, 0);
    };
  }

  SamplerLog log;
  int ticks = 0;
  std::function<void()> probe;
  std::vector<std::string> opened;
  bool shellOpenWorks = true;
  std::vector<std::string> keys;
  std::unique_ptr<TMainForm> form;
  int ticksUnderBox = 0;
  std::string boxCaption, boxText;
  bool hasYesNo = false;
};

TEST_F(CommandsTest, WithoutASelectedRowNothingHappens) {
  HelperProcess waiter(L"test_waiter.exe");
  ASSERT_TRUE(waiter.Started());
  AddProcessRow("test_waiter.exe", std::to_string(waiter.Pid()));
  form->endProcBtn.Click();
  form->Button1.Click();
  form->Button2.Click();
  EXPECT_TRUE(ThreadDialogs().empty());
  EXPECT_TRUE(waiter.Running());
  EXPECT_TRUE(form->Timer.Enabled());
}

TEST_F(CommandsTest, EndProcessAsksAndEndsOnYes) {
  HelperProcess waiter(L"test_waiter.exe");
  ASSERT_TRUE(waiter.Started());
  AddProcessRow("System Idle", "0");
  AddProcessRow("test_waiter.exe", std::to_string(waiter.Pid()));
  form->procListView.SetSelected(1);
  form->SetRefreshInterval(30);
  AnswerBoxWith(IDYES);
  form->endProcBtn.Click();

  EXPECT_GE(ticksUnderBox, 2) << "ticks go on while the box is open";
  EXPECT_EQ(boxCaption, "任务管理器警告");
  EXPECT_EQ(boxText,
            "警告: 终止进程会导致不希望发生的结果，\n\r包括数据丢失和系统不稳定。在被终止前，\n\r"
            "进程将没有机会保存其状态和数据。确实\n\r想终止该进程吗?");
  EXPECT_TRUE(hasYesNo);
  EXPECT_TRUE(waiter.EndsWithCodeZero(5000));
}

TEST_F(CommandsTest, EndProcessAnsweredNoEndsNothing) {
  HelperProcess waiter(L"test_waiter.exe");
  ASSERT_TRUE(waiter.Started());
  AddProcessRow("test_waiter.exe", std::to_string(waiter.Pid()));
  form->procListView.SetSelected(0);
  form->SetRefreshInterval(30);
  AnswerBoxWith(IDNO);
  form->endProcBtn.Click();
  EXPECT_GE(ticksUnderBox, 2);
  Sleep(200);
  EXPECT_TRUE(waiter.Running());
}

TEST_F(CommandsTest, EndProcessWithAnUnreadablePidReportsIt) {
  AddProcessRow("odd", "12x");
  form->procListView.SetSelected(0);
  std::vector<std::string> errors;
  ui::Application().ErrorPresenter = [&](const std::string& text, const std::string&) {
    errors.push_back(text);
  };
  form->endProcBtn.Click();
  ui::Application().ErrorPresenter = nullptr;
  EXPECT_EQ(errors, (std::vector<std::string>{"“12x”不是有效的整数值"}));
  EXPECT_TRUE(ThreadDialogs().empty()) << "no question for a row without a PID";
}

TEST_F(CommandsTest, EndTaskEndsTheWindowsProcessAndLetsTheTimerRunAgain) {
  HelperProcess helper(L"test_window.exe --title 结束任务测试窗口");
  ASSERT_TRUE(helper.Started());
  HWND window = WaitForWindow(L"结束任务测试窗口");
  ASSERT_NE(window, nullptr);
  AddTaskRow(window);
  form->TaskListView.SetSelected(0);
  form->Button1.Click();
  EXPECT_TRUE(helper.EndsWithCodeZero(5000));
  EXPECT_TRUE(form->Timer.Enabled());
  EXPECT_TRUE(form->Timer.Armed());
  EXPECT_TRUE(ThreadDialogs().empty()) << "ended without a question";
}

TEST_F(CommandsTest, EndTaskWhilePausedStaysPausedAndAGoneWindowEndsNothing) {
  HelperProcess bystander(L"test_waiter.exe");
  HWND gone = CreateWindowExW(0, L"STATIC", L"gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
  AddTaskRow(gone);
  DestroyWindow(gone);
  form->TaskListView.SetSelected(0);
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(form->N8.Command(), 0), 0);
  ASSERT_FALSE(form->Timer.Enabled());
  form->Button1.Click();
  EXPECT_FALSE(form->Timer.Enabled());
  EXPECT_TRUE(form->N8.Checked());
  EXPECT_TRUE(bystander.Running());
  EXPECT_NE(form->Handle(), nullptr) << "our own process was not ended either";
}

TEST_F(CommandsTest, SwitchToBringsTheRowsWindowForward) {
  HelperProcess helper(L"test_window.exe --title 切换至测试窗口");
  ASSERT_TRUE(helper.Started());
  HWND window = WaitForWindow(L"切换至测试窗口");
  ASSERT_NE(window, nullptr);
  AddTaskRow(window);
  form->TaskListView.SetSelected(0);
  SetForegroundWindow(form->Handle());
  ASSERT_NE(GetForegroundWindow(), window);
  form->Button2.Click();
  ui::Application().ProcessMessagesFor(1000, [&] { return GetForegroundWindow() == window; });
  EXPECT_EQ(GetForegroundWindow(), window);
}

TEST_F(CommandsTest, NewTaskPressesWindowsR) {
  const std::vector<std::string> chord = {"down 91", "down 82", "up 82", "up 91"};
  form->Button3.Click();
  EXPECT_EQ(keys, chord);
  keys.clear();
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(form->N1.Command(), 0), 0);
  EXPECT_EQ(keys, chord) << "the File menu's item does the same";
}

TEST_F(CommandsTest, HomepageOpensTheBrowserOrElseTheAddress) {
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(form->H1.Command(), 0), 0);
  EXPECT_EQ(opened, (std::vector<std::string>{std::string("IExplore.EXE|") + kHomepageUrl}));
  opened.clear();
  shellOpenWorks = false;
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(form->H1.Command(), 0), 0);
  EXPECT_EQ(opened, (std::vector<std::string>{std::string("IExplore.EXE|") + kHomepageUrl,
                                              std::string(kHomepageUrl) + "|"}));
}

}  // namespace
}  // namespace taskmgr
