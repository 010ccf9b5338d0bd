#pragma once
// The update-speed menu: three speeds and a pause, over the refresh timer and
// the tick marks of the four items.
//
//   Running(I), marked   -- the item whose tag is I is ticked
//   Paused               -- timer stopped, interval kept, the pause item ticked
//   Running(I), unmarked -- after a second pause click: nothing ticked
#include <cstdint>
#include <functional>

namespace taskmgr {

class IRefreshTimer {
 public:
  virtual ~IRefreshTimer() = default;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual void SetInterval(uint32_t milliseconds) = 0;
};

class ISpeedItem {
 public:
  virtual ~ISpeedItem() = default;
  virtual int32_t Tag() const = 0;
  virtual void SetChecked(bool checked) = 0;
};

struct SpeedMenuItems {
  ISpeedItem& High;    // tag 500
  ISpeedItem& Normal;  // tag 1000
  ISpeedItem& Low;     // tag 2000
  ISpeedItem& Pause;
};

// Stop, set the interval, start: the countdown begins afresh, also when the
// interval is the one in use, and a paused timer runs again.
void RestartRefreshTimer(IRefreshTimer& timer, uint16_t milliseconds);

// A click on one of the four items. A speed item hands its tag (low 16 bits)
// to `setRefreshInterval` and is ticked; the pause item toggles the timer and
// is ticked while the timer stands.
void SpeedMenuClick(const SpeedMenuItems& items, ISpeedItem& sender, IRefreshTimer& timer,
                    const std::function<void(uint16_t)>& setRefreshInterval);

}  // namespace taskmgr
