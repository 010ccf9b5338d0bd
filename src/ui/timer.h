#pragma once
// A window timer: ticks arrive as WM_TIMER on the owner's window and call
// onTimer. Armed while enabled with an interval above 0; any change of either
// starts the countdown afresh.
#include <windows.h>

#include <cstdint>
#include <functional>

namespace taskmgr::ui {

class TControl;

class TTimer {
 public:
  TTimer() = default;
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;
  ~TTimer();

  // Enabled, 1000 ms: ticking from now on.
  void Create(TControl& owner);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t milliseconds);
  // Whether a Win32 timer is set right now.
  bool Armed() const { return armed_; }

  std::function<void()> onTimer;

 private:
  friend class TControl;
  UINT_PTR Id() const { return id_; }
  void Fire();
  void OwnerGone();
  void Update();

  TControl* owner_ = nullptr;
  UINT_PTR id_ = 0;
  bool enabled_ = true;
  uint32_t interval_ = 1000;
  bool armed_ = false;
};

}  // namespace taskmgr::ui
