#pragma once
// What the window enumeration, the task-window filter and the icon lookup
// need from the system. Windows and icons are opaque handle values.
#include <cstdint>
#include <functional>

namespace taskmgr {

inline constexpr uint32_t kWsVisible = 0x10000000;
inline constexpr uint32_t kWmGetIcon = 0x007F;
inline constexpr uintptr_t kIconSmall = 0;
inline constexpr uintptr_t kIconBig = 1;
inline constexpr uint32_t kSmtoBlock = 0x0001;
inline constexpr uint32_t kSmtoAbortIfHung = 0x0002;

class IWindowApi {
 public:
  virtual ~IWindowApi() = default;
  // Calls `visit` once for each top-level window, on the calling thread,
  // until it returns false. An exception thrown by `visit` ends the
  // enumeration and reaches the caller.
  virtual void EnumTopLevelWindows(const std::function<bool(uintptr_t window)>& visit) = 0;
  // The style bits; 0 for a window that no longer exists.
  virtual uint32_t ReadWindowStyle(uintptr_t window) = 0;
  // As the W calls: write at most size - 1 UTF-16 units and a zero, return
  // the units written; 0 and possibly nothing written on failure.
  virtual int ReadClassName(uintptr_t window, char16_t* buffer, int size) = 0;
  virtual int ReadWindowText(uintptr_t window, char16_t* buffer, int size) = 0;
  // The class icon (GCL_HICON), or 0.
  virtual uintptr_t ReadClassIcon(uintptr_t window) = 0;
  // The owner process, or 0 when the window no longer exists.
  virtual uint32_t ReadWindowProcessId(uintptr_t window) = 0;
  // SendMessageTimeout: false when the window did not answer in time (or is
  // hung, or gone); `result` holds the answer otherwise.
  virtual bool SendMessageWithTimeout(uintptr_t window, uint32_t message, uintptr_t wParam,
                                      intptr_t lParam, uint32_t flags, uint32_t timeoutMs,
                                      uintptr_t& result) = 0;
};

}  // namespace taskmgr
