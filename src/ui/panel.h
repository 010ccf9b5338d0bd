#pragma once
// Containers that paint themselves: a bevelled panel and a group box.
#include <string_view>

#include "ui/control.h"

namespace taskmgr::ui {

enum class TBevel { None, Lowered, Raised };

class TPanel : public TControl {
 public:
  // Each bevel is one pixel wide, the outer one drawn first.
  void Create(TControl& parent, const TRect96& bounds, TBevel outer = TBevel::Raised,
              TBevel inner = TBevel::None);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  TBevel outer_ = TBevel::Raised;
  TBevel inner_ = TBevel::None;
};

class TGroupBox : public TControl {
 public:
  void Create(TControl& parent, const TRect96& bounds, std::string_view caption);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();
};

}  // namespace taskmgr::ui
