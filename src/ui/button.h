#pragma once
#include <functional>
#include <string_view>

#include "ui/control.h"

namespace taskmgr::ui {

// A push button; a tab stop.
class TButton : public TControl {
 public:
  void Create(TControl& parent, const TRect96& bounds, std::string_view caption);
  // As if the user clicked it.
  void Click();
  std::function<void()> onClick;

 protected:
  void HandleCommand(WORD code) override;
};

}  // namespace taskmgr::ui
