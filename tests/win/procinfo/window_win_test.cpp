#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "os/win32/services.h"
#include "procinfo/list_texts.h"
#include "procinfo/window_list.h"
#include "win/procinfo/child_process.h"

namespace taskmgr {
namespace {

using testing::TChildProcess;

constexpr char kChineseTitle[] = "测试窗口：你好，世界";

// The first listed window of `pid`, waiting up to five seconds for it.
bool FindListedWindow(DWORD pid, TWinInfo& found) {
  for (int i = 0; i < 100; ++i) {
    TKeyedList<TWinInfo> list;
    GetWindowList(list, Win32WindowApi());
    for (int j = 0; j < list.Count(); ++j) {
      if (GetWindowProcessId(list.Object(j)->Handle, Win32WindowApi()) == pid) {
        found = *list.Object(j);
        return true;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

struct TWindowSearch {
  DWORD Pid;
  HWND Found;
};

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<TWindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->Pid) return TRUE;
  search->Found = window;
  return FALSE;
}

// Any top-level window of `pid`, visible or not.
HWND AnyWindowOf(DWORD pid) {
  TWindowSearch search{pid, nullptr};
  for (int i = 0; i < 100 && search.Found == nullptr; ++i) {
    EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    if (search.Found == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return search.Found;
}

TEST(WindowListWin, FindsAWindowWithAChineseTitleAsUtf8) {
  TChildProcess child(L"test_window.exe", L"--title \"测试窗口：你好，世界\" --class TmTitleWindow");
  ASSERT_TRUE(child.Started());
  TWinInfo info;
  ASSERT_TRUE(FindListedWindow(child.Pid(), info));
  EXPECT_EQ(info.Caption, kChineseTitle);
  EXPECT_EQ(info.WndClass, "TmTitleWindow");

  TKeyedList<TWinInfo> list;
  GetWindowList(list, Win32WindowApi());
  const int at = list.IndexOf(HandleText(info.Handle));
  ASSERT_GE(at, 0);
  EXPECT_EQ(list.Key(at), std::to_string(static_cast<uint32_t>(info.Handle)));

  TTextList claimed;
  EXPECT_TRUE(IsTaskWindow(info.Handle, info.WndClass, claimed, Win32WindowApi()));
  EXPECT_FALSE(IsTaskWindow(info.Handle, info.WndClass, claimed, Win32WindowApi()));
  EXPECT_EQ(claimed.Key(0), std::to_string(child.Pid()));
}

TEST(WindowListWin, LeavesOutAHiddenWindow) {
  TChildProcess child(L"test_window.exe", L"--title \"隐藏的窗口\" --hidden");
  ASSERT_TRUE(child.Started());
  const HWND window = AnyWindowOf(child.Pid());
  ASSERT_NE(window, nullptr) << "the hidden window exists";
  TKeyedList<TWinInfo> list;
  GetWindowList(list, Win32WindowApi());
  EXPECT_EQ(list.IndexOf(HandleText(reinterpret_cast<uintptr_t>(window))), -1);
}

// A window of this process on a thread of its own, with the icons given.
// Wine answers icon queries and class icons only for windows of the asking
// process, so the icon sources are checked on such windows.
class TThreadWindow {
 public:
  TThreadWindow(HICON classIcon, HICON smallIcon, HICON bigIcon, bool block)
      : release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    static int serial = 0;
    className_ = L"TmThreadWindow" + std::to_wstring(++serial);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([=, this] {
      WNDCLASSEXW windowClass{};
      windowClass.cbSize = sizeof windowClass;
      windowClass.lpfnWndProc = WindowProc;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.hIcon = classIcon;
      windowClass.lpszClassName = className_.c_str();
      RegisterClassExW(&windowClass);
      window_ = CreateWindowExW(0, className_.c_str(), L"thread window", WS_OVERLAPPEDWINDOW, 0, 0,
                                200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
      if (smallIcon) SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
      if (bigIcon) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
      SetEvent(ready);
      if (block) WaitForSingleObject(release_, INFINITE);  // answers nothing meanwhile
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
      UnregisterClassW(className_.c_str(), GetModuleHandleW(nullptr));
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
  }
  ~TThreadWindow() {
    SetEvent(release_);
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    thread_.join();
    CloseHandle(release_);
  }
  TThreadWindow(const TThreadWindow&) = delete;
  TThreadWindow& operator=(const TThreadWindow&) = delete;

  uintptr_t Handle() const { return reinterpret_cast<uintptr_t>(window_); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
      PostQuitMessage(0);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  HANDLE release_;
  std::wstring className_;
  HWND window_ = nullptr;
  std::thread thread_;
};

TEST(WindowIconWin, SmallThenBigThenClassIcon) {
  const HICON small = LoadIconW(nullptr, IDI_WARNING);
  const HICON big = LoadIconW(nullptr, IDI_ERROR);
  const HICON cls = LoadIconW(nullptr, IDI_INFORMATION);
  ASSERT_TRUE(small && big && cls);
  struct TCase {
    const char* What;
    HICON Class, Small, Big, Expected;
  };
  const TCase cases[] = {
      {"all three", cls, small, big, small},
      {"big and class", cls, nullptr, big, big},
      {"class only", cls, nullptr, nullptr, cls},
      {"none", nullptr, nullptr, nullptr, nullptr},
  };
  for (const TCase& c : cases) {
    TThreadWindow window(c.Class, c.Small, c.Big, false);
    ASSERT_NE(window.Handle(), 0u) << c.What;
    EXPECT_EQ(GetWindowIcon(window.Handle(), Win32WindowApi()), reinterpret_cast<uintptr_t>(c.Expected))
        << c.What;
  }
}

TEST(WindowIconWin, BlockedThreadCostsNoMoreThanTheTimeOuts) {
  const HICON small = LoadIconW(nullptr, IDI_WARNING);
  const HICON cls = LoadIconW(nullptr, IDI_INFORMATION);
  TThreadWindow window(cls, small, nullptr, true);
  ASSERT_NE(window.Handle(), 0u);

  const auto start = std::chrono::steady_clock::now();
  const uintptr_t icon = GetWindowIcon(window.Handle(), Win32WindowApi());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::seconds(2));
  // The small icon is set but was never answered: the class icon stands in.
  EXPECT_EQ(icon, reinterpret_cast<uintptr_t>(cls));
}

TEST(WindowListWin, BlockedWindowOfAnotherProcessIsListedAndDoesNotHoldTheIconLookup) {
  TChildProcess child(L"test_window.exe", L"--title \"不响应\" --icon warning --block");
  ASSERT_TRUE(child.Started());
  TWinInfo info;
  ASSERT_TRUE(FindListedWindow(child.Pid(), info));
  EXPECT_EQ(info.Caption, "不响应");

  const auto start = std::chrono::steady_clock::now();
  GetWindowIcon(info.Handle, Win32WindowApi());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace taskmgr
