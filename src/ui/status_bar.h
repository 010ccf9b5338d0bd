#pragma once
// A status bar along the bottom of its parent, with a size grip. Panel widths
// are fixed except the last, which always reaches the right edge.
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace taskmgr::ui {

class TStatusBar : public TControl {
 public:
  // `widths` at 96 dpi; the last one is only nominal.
  void Create(TControl& parent, const std::vector<int>& widths);

  int PanelCount() const { return static_cast<int>(texts_.size()); }
  const std::string& PanelText(int index) const { return texts_.at(static_cast<size_t>(index)); }
  void SetPanelText(int index, std::string_view text);
  // The panel's rectangle as the control reports it (device pixels).
  RECT PanelRect(int index) const;

  void SetBoundsPx(const RECT& rect) override;

 protected:
  int PreferredHeight() override;

 private:
  std::vector<std::string> texts_;
};

}  // namespace taskmgr::ui
