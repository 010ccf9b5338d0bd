#include "ui/page_control.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/text.h"

namespace taskmgr::ui {

TPageControl::~TPageControl() {
  for (TTabSheet* page : pages_) page->pages_ = nullptr;
}

void TPageControl::Create(TControl& parent, const TRect96& bounds) {
  CreateSystem(parent, WC_TABCONTROLW, WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
               WS_EX_CONTROLPARENT, bounds, "");
}

RECT TPageControl::DisplayRect() const {
  RECT rect{};
  if (!Handle()) return rect;
  GetClientRect(Handle(), &rect);
  TabCtrl_AdjustRect(Handle(), FALSE, &rect);
  return rect;
}

void TPageControl::LayoutChildren() {
  const RECT area = DisplayRect();
  for (TTabSheet* page : pages_) page->SetBoundsPx(area);
}

void TPageControl::AddPage(TTabSheet& page, std::string_view caption) {
  std::wstring text = Widen(caption);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  const int index = static_cast<int>(pages_.size());
  SendMessageW(Handle(), TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  pages_.push_back(&page);
  // Adding a tab can change the height of the tab row.
  LayoutChildren();
  if (active_ < 0) SetActivePage(0);
}

void TPageControl::RemovePage(TTabSheet& page) {
  const auto it = std::find(pages_.begin(), pages_.end(), &page);
  if (it == pages_.end()) return;
  const int index = static_cast<int>(it - pages_.begin());
  pages_.erase(it);
  if (Handle()) SendMessageW(Handle(), TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
  if (active_ >= PageCount()) active_ = PageCount() - 1;
  if (Handle()) SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(active_), 0);
  ShowActive();
}

void TPageControl::SetActivePage(int index) {
  if (index < 0 || index >= PageCount()) return;
  active_ = index;
  SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  ShowActive();
}

void TPageControl::ShowActive() {
  // Show the new page before hiding the old, so nothing behind flashes.
  if (active_ >= 0) {
    TTabSheet& page = *pages_[static_cast<size_t>(active_)];
    SetWindowPos(page.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  }
  for (int i = 0; i < PageCount(); ++i)
    if (i != active_) pages_[static_cast<size_t>(i)]->SetVisible(false);
}

LRESULT TPageControl::HandleNotify(NMHDR& header) {
  if (header.code == TCN_SELCHANGE) {
    active_ = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
    ShowActive();
    if (onChange) onChange();
  }
  return 0;
}

TTabSheet::~TTabSheet() {
  if (pages_) pages_->RemovePage(*this);
}

void TTabSheet::Create(TPageControl& pages, std::string_view caption, TSize96 designClient) {
  designClient_ = designClient;
  CreateOwn(&pages, WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT,
            {0, 0, designClient.Width, designClient.Height}, caption);
  pages_ = &pages;
  pages.AddPage(*this, caption);
}

std::string TTabSheet::Caption() const { return Text(); }

}  // namespace taskmgr::ui
