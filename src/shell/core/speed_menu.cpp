#include "shell/core/speed_menu.h"

namespace taskmgr {

void RestartRefreshTimer(IRefreshTimer& timer, uint16_t milliseconds) {
  timer.SetEnabled(false);
  timer.SetInterval(milliseconds);
  timer.SetEnabled(true);
}

void SpeedMenuClick(const SpeedMenuItems& items, ISpeedItem& sender, IRefreshTimer& timer,
                    const std::function<void(uint16_t)>& setRefreshInterval) {
  items.High.SetChecked(false);
  items.Normal.SetChecked(false);
  items.Low.SetChecked(false);
  items.Pause.SetChecked(false);
  if (&sender == &items.Pause) {
    timer.SetEnabled(!timer.Enabled());
    items.Pause.SetChecked(!timer.Enabled());
    return;
  }
  setRefreshInterval(static_cast<uint16_t>(static_cast<uint32_t>(sender.Tag()) & 0xFFFFu));
  sender.SetChecked(true);
}

}  // namespace taskmgr
