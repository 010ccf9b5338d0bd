#include "ui/status_bar.h"

#include <commctrl.h>

#include <stdexcept>

#include "ui/text.h"

namespace taskmgr::ui {

void TStatusBar::Create(TControl& parent, const std::vector<int>& widths) {
  if (widths.empty()) throw std::invalid_argument("a status bar needs a panel");
  CreateSystem(parent, STATUSCLASSNAMEW, WS_VISIBLE | SBARS_SIZEGRIP, 0, {}, "");
  SetAlign(TAlign::Bottom);
  std::vector<int> edges;
  int right = 0;
  for (size_t i = 0; i + 1 < widths.size(); ++i) {
    right += Scale(widths[i]);
    edges.push_back(right);
  }
  edges.push_back(-1);
  SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  texts_.assign(widths.size(), std::string());
}

void TStatusBar::SetPanelText(int index, std::string_view text) {
  std::string& current = texts_.at(static_cast<size_t>(index));
  if (current == text) return;
  current = std::string(text);
  SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(Widen(current).c_str()));
}

RECT TStatusBar::PanelRect(int index) const {
  RECT rect{};
  if (Handle()) SendMessageW(Handle(), SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  return rect;
}

int TStatusBar::PreferredHeight() {
  if (!Handle()) return 0;
  SendMessageW(Handle(), WM_SIZE, 0, 0);
  RECT rect{};
  GetWindowRect(Handle(), &rect);
  return rect.bottom - rect.top;
}

void TStatusBar::SetBoundsPx(const RECT&) {
  // The control places itself along the parent's bottom edge.
  if (Handle()) SendMessageW(Handle(), WM_SIZE, 0, 0);
}

}  // namespace taskmgr::ui
