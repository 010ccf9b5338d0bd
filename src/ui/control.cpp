#include "ui/control.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "ui/application.h"
#include "ui/text.h"
#include "ui/timer.h"

namespace taskmgr::ui {
namespace {

constexpr wchar_t kClassName[] = L"TaskmgrUiWindow";
// The object pointer on each of our windows. A property rather than the user
// data slot, so a window someone else made can never be taken for ours.
constexpr wchar_t kObjectProp[] = L"TaskmgrUiObject";
constexpr UINT_PTR kSubclassId = 1;

void RegisterOwnClass(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  if (!registered) throw std::runtime_error("RegisterClassEx failed");
}

// Child control identifiers; kept clear of IDOK and IDCANCEL, which the
// dialog keyboard handling treats specially.
UINT_PTR NextControlId() {
  static UINT_PTR next = 1000;
  return next++;
}

}  // namespace

int Scale(int px96) { return MulDiv(px96, Application().Dpi(), 96); }

TControl::~TControl() {
  for (TTimer* timer : timers_) timer->OwnerGone();
  timers_.clear();
  for (TControl* child : children_) child->parent_ = nullptr;
  children_.clear();
  Unadopt();
  DestroyHandle();
}

void TControl::Unadopt() {
  if (!parent_) return;
  auto& siblings = parent_->children_;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  parent_ = nullptr;
}

void TControl::Adopt(TControl* parent, const TRect96& bounds) {
  if (handle_) throw std::logic_error("the control already has a window");
  design_ = bounds;
  parent_ = parent;
  if (parent) {
    parent->children_.push_back(this);
    doubleBuffered_ = parent->doubleBuffered_;
  }
}

void TControl::CreateOwn(TControl* parent, DWORD style, DWORD exStyle, const TRect96& bounds,
                         std::string_view text, HWND owner) {
  RegisterOwnClass(&TControl::OwnProc);
  if (parent && !parent->handle_) throw std::logic_error("the parent has no window");
  Adopt(parent, bounds);
  const std::wstring wideText = Widen(text);
  HWND parentHandle = owner;
  HMENU id = nullptr;
  if (parent) {
    style |= WS_CHILD;
    parentHandle = parent->handle_;
    id = reinterpret_cast<HMENU>(NextControlId());
  }
  HWND handle = CreateWindowExW(exStyle, kClassName, wideText.c_str(), style, Scale(bounds.Left),
                                Scale(bounds.Top), Scale(bounds.Width), Scale(bounds.Height),
                                parentHandle, id, GetModuleHandleW(nullptr), this);
  if (!handle) {
    Unadopt();
    throw std::runtime_error("CreateWindowEx failed");
  }
  if (parent) parent->LayoutChildren();
}

void TControl::CreateSystem(TControl& parent, const wchar_t* className, DWORD style,
                            DWORD exStyle, const TRect96& bounds, std::string_view text) {
  if (!parent.handle_) throw std::logic_error("the parent has no window");
  Adopt(&parent, bounds);
  const std::wstring wideText = Widen(text);
  HWND handle = CreateWindowExW(exStyle, className, wideText.c_str(), style | WS_CHILD,
                                Scale(bounds.Left), Scale(bounds.Top), Scale(bounds.Width),
                                Scale(bounds.Height), parent.handle_,
                                reinterpret_cast<HMENU>(NextControlId()),
                                GetModuleHandleW(nullptr), nullptr);
  if (!handle || !SetWindowSubclass(handle, &TControl::SubclassProc, kSubclassId,
                                    reinterpret_cast<DWORD_PTR>(this))) {
    if (handle) DestroyWindow(handle);
    Unadopt();
    throw std::runtime_error("creating a system control failed");
  }
  subclassed_ = true;
  Attach(handle);
  SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(Application().Font()), FALSE);
  parent.LayoutChildren();
}

void TControl::Attach(HWND handle) {
  handle_ = handle;
  SetPropW(handle, kObjectProp, this);
}

void TControl::Detach() {
  if (!handle_) return;
  RemovePropW(handle_, kObjectProp);
  if (subclassed_) RemoveWindowSubclass(handle_, &TControl::SubclassProc, kSubclassId);
  subclassed_ = false;
  handle_ = nullptr;
}

void TControl::DestroyHandle() {
  HWND handle = handle_;
  if (!handle) return;
  Detach();
  DestroyWindow(handle);
}

TControl* TControl::FromHandle(HWND handle) {
  if (!handle) return nullptr;
  DWORD pid = 0;
  GetWindowThreadProcessId(handle, &pid);
  if (pid != GetCurrentProcessId()) return nullptr;
  return static_cast<TControl*>(GetPropW(handle, kObjectProp));
}

LRESULT CALLBACK TControl::OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    if (auto* self = static_cast<TControl*>(create->lpCreateParams)) self->Attach(hwnd);
  }
  TControl* self = static_cast<TControl*>(GetPropW(hwnd, kObjectProp));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  const LRESULT result = self->Dispatch(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) self->Detach();
  return result;
}

LRESULT CALLBACK TControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TControl*>(data);
  if (!self || self->handle_ != hwnd) return DefSubclassProc(hwnd, msg, wParam, lParam);
  const LRESULT result = self->Dispatch(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) self->Detach();
  return result;
}

LRESULT TControl::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  std::string error = "未知错误";
  try {
    return WndProc(msg, wParam, lParam);
  } catch (const std::exception& e) {
    try {
      error = e.what();
    } catch (...) {
    }
  } catch (...) {
  }
  // Shown after the handler has unwound, so the box's own message loop does
  // not run inside a catch block.
  Application().ShowException(error);
  return 0;
}

LRESULT TControl::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!handle_) return 0;
  if (subclassed_) return DefSubclassProc(handle_, msg, wParam, lParam);
  return DefWindowProcW(handle_, msg, wParam, lParam);
}

LRESULT TControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (lParam) {
        TControl* child = FromHandle(reinterpret_cast<HWND>(lParam));
        if (child && child != this) {
          child->HandleCommand(HIWORD(wParam));
          return 0;
        }
      } else if (!subclassed_) {
        HandleMenuCommand(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      TControl* child = header ? FromHandle(header->hwndFrom) : nullptr;
      if (child && child != this) return child->HandleNotify(*header);
      break;
    }
    case WM_SIZE: {
      const LRESULT result = DefaultProc(msg, wParam, lParam);
      if (wParam != SIZE_MINIMIZED) LayoutChildren();
      return result;
    }
    case WM_TIMER:
      for (TTimer* timer : timers_) {
        if (timer->Id() == wParam) {
          timer->Fire();
          return 0;
        }
      }
      break;
    default:
      break;
  }
  return DefaultProc(msg, wParam, lParam);
}

void TControl::HandleCommand(WORD) {}
LRESULT TControl::HandleNotify(NMHDR&) { return 0; }
void TControl::HandleMenuCommand(WORD) {}

void TControl::LayoutChildren() {
  if (!handle_) return;
  RECT client{};
  GetClientRect(handle_, &client);
  RECT area = client;
  for (TControl* child : children_) {
    if (child->align_ != TAlign::Bottom || !child->handle_) continue;
    const int height = child->PreferredHeight();
    child->SetBoundsPx({area.left, area.bottom - height, area.right, area.bottom});
    area.bottom -= height;
  }
  for (TControl* child : children_) {
    if (child->align_ == TAlign::Client && child->handle_) child->SetBoundsPx(area);
  }
  const SIZE size{client.right - client.left, client.bottom - client.top};
  for (TControl* child : children_) {
    if (child->align_ == TAlign::None && child->handle_) child->SetBoundsPx(child->AnchoredRect(size));
  }
}

RECT TControl::AnchoredRect(SIZE parentClient) const {
  int left = Scale(design_.Left);
  int top = Scale(design_.Top);
  int width = Scale(design_.Width);
  int height = Scale(design_.Height);
  const TSize96 designParent = parent_ ? parent_->designClient_ : TSize96{};
  if (anchors_ & akRight) {
    const int gap = Scale(designParent.Width - design_.Left - design_.Width);
    if (anchors_ & akLeft)
      width = std::max(0, static_cast<int>(parentClient.cx) - left - gap);
    else
      left = parentClient.cx - gap - width;
  }
  if (anchors_ & akBottom) {
    const int gap = Scale(designParent.Height - design_.Top - design_.Height);
    if (anchors_ & akTop)
      height = std::max(0, static_cast<int>(parentClient.cy) - top - gap);
    else
      top = parentClient.cy - gap - height;
  }
  return {left, top, left + width, top + height};
}

int TControl::PreferredHeight() { return Scale(design_.Height); }

void TControl::SetBoundsPx(const RECT& rect) {
  if (!handle_) return;
  SetWindowPos(handle_, nullptr, rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::SetAnchors(unsigned anchors) {
  anchors_ = anchors;
  if (parent_) parent_->LayoutChildren();
}

void TControl::SetAlign(TAlign align) {
  align_ = align;
  if (parent_) parent_->LayoutChildren();
}

std::string TControl::Text() const {
  if (!handle_) return {};
  const int length = GetWindowTextLengthW(handle_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(handle_, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(0, copied)));
  return Narrow(text);
}

void TControl::SetText(std::string_view text) {
  if (handle_) SetWindowTextW(handle_, Widen(text).c_str());
}

RECT TControl::BoundsRect() const {
  RECT rect{};
  if (!handle_) return rect;
  GetWindowRect(handle_, &rect);
  if (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD)
    MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

SIZE TControl::ClientSize() const {
  RECT rect{};
  if (handle_) GetClientRect(handle_, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

bool TControl::Visible() const { return handle_ && IsWindowVisible(handle_); }

void TControl::SetVisible(bool visible) {
  if (handle_) ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

bool TControl::Enabled() const { return handle_ && IsWindowEnabled(handle_); }

void TControl::SetEnabled(bool enabled) {
  if (handle_) EnableWindow(handle_, enabled);
}

void TControl::SetFocus() {
  if (handle_) ::SetFocus(handle_);
}

void TControl::Repaint() {
  if (handle_) RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

void TControl::SetDoubleBuffered(bool on) {
  doubleBuffered_ = on;
  for (TControl* child : children_) child->SetDoubleBuffered(on);
}

TPaintDC::TPaintDC(HWND handle, bool buffered) : handle_(handle) {
  BeginPaint(handle, &paint_);
  GetClientRect(handle, &client_);
  if (!buffered || client_.right <= 0 || client_.bottom <= 0) return;
  memDc_ = CreateCompatibleDC(paint_.hdc);
  bitmap_ = memDc_ ? CreateCompatibleBitmap(paint_.hdc, client_.right, client_.bottom) : nullptr;
  if (!bitmap_) {
    if (memDc_) DeleteDC(memDc_);
    memDc_ = nullptr;
    return;
  }
  oldBitmap_ = SelectObject(memDc_, bitmap_);
}

TPaintDC::~TPaintDC() {
  if (memDc_) {
    BitBlt(paint_.hdc, 0, 0, client_.right, client_.bottom, memDc_, 0, 0, SRCCOPY);
    SelectObject(memDc_, oldBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(memDc_);
  }
  EndPaint(handle_, &paint_);
}

}  // namespace taskmgr::ui
