#include "ui/timer.h"

#include <algorithm>
#include <stdexcept>

#include "ui/control.h"

namespace taskmgr::ui {
namespace {

// Above the identifiers the common controls use for their own timers.
UINT_PTR NextTimerId() {
  static UINT_PTR next = 0x7A00;
  return next++;
}

}  // namespace

TTimer::~TTimer() {
  if (!owner_) return;
  if (armed_ && owner_->Handle()) KillTimer(owner_->Handle(), id_);
  auto& timers = owner_->timers_;
  timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void TTimer::Create(TControl& owner) {
  if (owner_) throw std::logic_error("the timer already has an owner");
  if (!owner.Handle()) throw std::logic_error("the timer's owner has no window");
  owner_ = &owner;
  id_ = NextTimerId();
  owner.timers_.push_back(this);
  Update();
}

void TTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(uint32_t milliseconds) {
  interval_ = milliseconds;
  Update();
}

void TTimer::Update() {
  if (!owner_ || !owner_->Handle()) {
    armed_ = false;
    return;
  }
  if (armed_) KillTimer(owner_->Handle(), id_);
  armed_ = enabled_ && interval_ > 0 &&
           SetTimer(owner_->Handle(), id_, interval_, nullptr) != 0;
}

void TTimer::Fire() {
  if (enabled_ && onTimer) onTimer();
}

void TTimer::OwnerGone() {
  owner_ = nullptr;
  armed_ = false;
}

}  // namespace taskmgr::ui
