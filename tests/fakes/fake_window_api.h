#pragma once
// A window service over a table of windows in enumeration order.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "os/window_api.h"

namespace taskmgr::fakes {

struct TFakeWindow {
  uintptr_t Handle = 0;
  uint32_t Style = kWsVisible;
  std::u16string ClassName = u"Notepad";
  std::u16string Title;
  uint32_t Pid = 0;  // 0: the owner cannot be found (the window is gone)
  uintptr_t SmallIcon = 0;
  uintptr_t BigIcon = 0;
  uintptr_t ClassIcon = 0;
  bool SmallTimesOut = false;
  bool BigTimesOut = false;
  bool ClassNameFails = false;  // destroyed between the style and class reads
};

class FakeWindowApi final : public IWindowApi {
 public:
  std::vector<TFakeWindow> Windows;

  struct TSent {
    uintptr_t Window;
    uint32_t Message;
    uintptr_t WParam;
    intptr_t LParam;
    uint32_t Flags;
    uint32_t TimeoutMs;
  };
  std::vector<TSent> Sent;
  std::vector<int> ClassNameSizes;
  std::vector<int> TextSizes;

  const TFakeWindow* Find(uintptr_t handle) const {
    const auto it = std::find_if(Windows.begin(), Windows.end(),
                                 [&](const TFakeWindow& w) { return w.Handle == handle; });
    return it == Windows.end() ? nullptr : &*it;
  }

  void EnumTopLevelWindows(const std::function<bool(uintptr_t)>& visit) override {
    for (const auto& w : Windows) {
      const bool goOn = visit(w.Handle);
      ++Visited;
      if (!goOn) break;
    }
  }
  int Visited = 0;

  uint32_t ReadWindowStyle(uintptr_t window) override {
    const TFakeWindow* w = Find(window);
    return w ? w->Style : 0;
  }

  int ReadClassName(uintptr_t window, char16_t* buffer, int size) override {
    ClassNameSizes.push_back(size);
    const TFakeWindow* w = Find(window);
    if (!w || w->ClassNameFails) return 0;
    return Copy(w->ClassName, buffer, size);
  }

  int ReadWindowText(uintptr_t window, char16_t* buffer, int size) override {
    TextSizes.push_back(size);
    const TFakeWindow* w = Find(window);
    if (!w) return 0;
    return Copy(w->Title, buffer, size);
  }

  uintptr_t ReadClassIcon(uintptr_t window) override {
    const TFakeWindow* w = Find(window);
    return w ? w->ClassIcon : 0;
  }

  uint32_t ReadWindowProcessId(uintptr_t window) override {
    const TFakeWindow* w = Find(window);
    return w ? w->Pid : 0;
  }

  bool SendMessageWithTimeout(uintptr_t window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam, uint32_t flags, uint32_t timeoutMs,
                              uintptr_t& result) override {
    Sent.push_back({window, message, wParam, lParam, flags, timeoutMs});
    result = 0;
    const TFakeWindow* w = Find(window);
    if (!w || message != kWmGetIcon) return false;
    if (wParam == kIconSmall) {
      if (w->SmallTimesOut) return false;
      result = w->SmallIcon;
    } else if (wParam == kIconBig) {
      if (w->BigTimesOut) return false;
      result = w->BigIcon;
    }
    return true;
  }

 private:
  // As GetClassNameW / GetWindowTextW: at most size - 1 units and a zero.
  static int Copy(const std::u16string& text, char16_t* buffer, int size) {
    if (size <= 0) return 0;
    const int n = std::min(static_cast<int>(text.size()), size - 1);
    std::copy(text.begin(), text.begin() + n, buffer);
    buffer[n] = 0;
    return n;
  }
};

}  // namespace taskmgr::fakes
