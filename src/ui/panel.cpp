#include "ui/panel.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "ui/application.h"
#include "ui/text.h"

namespace taskmgr::ui {
namespace {

void DrawBevel(HDC dc, RECT& rect, TBevel bevel) {
  if (bevel == TBevel::None) return;
  DrawEdge(dc, &rect, bevel == TBevel::Lowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  InflateRect(&rect, -1, -1);
}

}  // namespace

void TPanel::Create(TControl& parent, const TRect96& bounds, TBevel outer, TBevel inner) {
  outer_ = outer;
  inner_ = inner;
  designClient_ = {bounds.Width, bounds.Height};
  CreateOwn(&parent, WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, bounds, "");
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      TPaintDC paint(Handle(), DoubleBuffered());
      RECT rect = paint.Client();
      FillRect(paint.DC(), &rect, GetSysColorBrush(COLOR_BTNFACE));
      DrawBevel(paint.DC(), rect, outer_);
      DrawBevel(paint.DC(), rect, inner_);
      return 0;
    }
    default:
      return TControl::WndProc(msg, wParam, lParam);
  }
}

void TGroupBox::Create(TControl& parent, const TRect96& bounds, std::string_view caption) {
  designClient_ = {bounds.Width, bounds.Height};
  CreateOwn(&parent, WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, bounds,
            caption);
}

LRESULT TGroupBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = TControl::WndProc(msg, wParam, lParam);
      Invalidate();
      return result;
    }
    default:
      return TControl::WndProc(msg, wParam, lParam);
  }
}

void TGroupBox::Paint() {
  TPaintDC paint(Handle(), DoubleBuffered());
  HDC dc = paint.DC();
  RECT client = paint.Client();
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

  HGDIOBJ oldFont = SelectObject(dc, Application().Font());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const std::wstring caption = Widen(Text());
  SIZE extent{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);

  // The frame runs through the middle of the caption line.
  RECT frame = client;
  frame.top = metrics.tmHeight / 2;
  HTHEME theme = IsThemeActive() ? OpenThemeData(Handle(), L"BUTTON") : nullptr;
  if (theme) {
    DrawThemeBackground(theme, dc, BP_GROUPBOX, GBS_NORMAL, &frame, nullptr);
    CloseThemeData(theme);
  } else {
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  }

  if (!caption.empty()) {
    const int left = Scale(8);
    RECT textRect{left - 2, 0, left + extent.cx + 2, metrics.tmHeight};
    FillRect(dc, &textRect, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    TextOutW(dc, left, 0, caption.c_str(), static_cast<int>(caption.size()));
  }
  SelectObject(dc, oldFont);
}

}  // namespace taskmgr::ui
