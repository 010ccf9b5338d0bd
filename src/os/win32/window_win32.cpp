#include <windows.h>

#include <exception>

#include "os/win32/services.h"

namespace taskmgr {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

struct TEnumContext {
  const std::function<bool(uintptr_t)>* visit;
  std::exception_ptr error;
};

// Exceptions must not unwind through the system's frames: keep the first
// one and end the enumeration.
BOOL CALLBACK EnumProc(HWND window, LPARAM parameter) {
  auto* context = reinterpret_cast<TEnumContext*>(parameter);
  try {
    return (*context->visit)(reinterpret_cast<uintptr_t>(window)) ? TRUE : FALSE;
  } catch (...) {
    context->error = std::current_exception();
    return FALSE;
  }
}

HWND AsWindow(uintptr_t window) { return reinterpret_cast<HWND>(window); }

class TWin32WindowApi final : public IWindowApi {
 public:
  void EnumTopLevelWindows(const std::function<bool(uintptr_t)>& visit) override {
    TEnumContext context{&visit, nullptr};
    ::EnumWindows(EnumProc, reinterpret_cast<LPARAM>(&context));
    if (context.error) std::rethrow_exception(context.error);
  }

  uint32_t ReadWindowStyle(uintptr_t window) override {
    return static_cast<uint32_t>(GetWindowLongW(AsWindow(window), GWL_STYLE));
  }

  int ReadClassName(uintptr_t window, char16_t* buffer, int size) override {
    return GetClassNameW(AsWindow(window), reinterpret_cast<wchar_t*>(buffer), size);
  }

  int ReadWindowText(uintptr_t window, char16_t* buffer, int size) override {
    return GetWindowTextW(AsWindow(window), reinterpret_cast<wchar_t*>(buffer), size);
  }

  uintptr_t ReadClassIcon(uintptr_t window) override {
    return static_cast<uintptr_t>(GetClassLongPtrW(AsWindow(window), GCLP_HICON));
  }

  uint32_t ReadWindowProcessId(uintptr_t window) override {
    DWORD pid = 0;
    if (GetWindowThreadProcessId(AsWindow(window), &pid) == 0) return 0;
    return pid;
  }

  bool SendMessageWithTimeout(uintptr_t window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam, uint32_t flags, uint32_t timeoutMs,
                              uintptr_t& result) override {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(AsWindow(window), message, wParam, lParam, flags, timeoutMs,
                            &answer) == 0) {
      result = 0;
      return false;
    }
    result = answer;
    return true;
  }
};

}  // namespace

IWindowApi& Win32WindowApi() {
  static TWin32WindowApi api;
  return api;
}

}  // namespace taskmgr
