#pragma once
// A tab control whose pages are windows of their own, laid over its display
// area; only the active page is visible.
#include <functional>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace taskmgr::ui {

class TTabSheet;

class TPageControl : public TControl {
 public:
  ~TPageControl() override;
  void Create(TControl& parent, const TRect96& bounds);

  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet& Page(int index) const { return *pages_.at(static_cast<size_t>(index)); }
  int ActivePageIndex() const { return active_; }
  void SetActivePage(int index);
  // The page area inside the tabs and the border (device pixels).
  RECT DisplayRect() const;

  std::function<void()> onChange;

 protected:
  LRESULT HandleNotify(NMHDR& header) override;
  void LayoutChildren() override;

 private:
  friend class TTabSheet;
  void AddPage(TTabSheet& page, std::string_view caption);
  void RemovePage(TTabSheet& page);
  void ShowActive();

  std::vector<TTabSheet*> pages_;
  int active_ = -1;
};

// One page. Its children are laid out for `designClient`, the page's client
// size at 96 dpi; anchored children follow the page's actual size.
class TTabSheet : public TControl {
 public:
  ~TTabSheet() override;
  void Create(TPageControl& pages, std::string_view caption, TSize96 designClient);
  std::string Caption() const;

 private:
  friend class TPageControl;
  TPageControl* pages_ = nullptr;
};

}  // namespace taskmgr::ui
