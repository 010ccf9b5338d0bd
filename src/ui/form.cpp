#include "ui/form.h"

#include "ui/application.h"
#include "ui/menu.h"

namespace taskmgr::ui {

TForm::~TForm() {
  if (menu_) menu_->form_ = nullptr;
  Application().FormDestroyed(*this);
}

void TForm::Create(std::string_view caption, TSize96 clientSize, const TFormOptions& options) {
  options_ = options;
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  style |= options.Resizable ? WS_THICKFRAME : WS_BORDER;
  if (options.MaximizeBox) style |= WS_MAXIMIZEBOX;
  designClient_ = clientSize;
  CreateOwn(nullptr, style, WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE,
            {0, 0, clientSize.Width, clientSize.Height}, caption, Application().Handle());
  if (HICON icon = Application().Icon()) {
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  SetClientSize96(clientSize);
  Application().FormCreated(*this);
}

void TForm::SetMenu(TMainMenu& menu) {
  if (!Handle()) return;
  if (menu_) menu_->form_ = nullptr;
  menu_ = &menu;
  menu.form_ = this;
  ::SetMenu(Handle(), menu.Handle());
  SetClientSize96(designClient_);
}

void TForm::SetClientSize96(TSize96 size) {
  HWND handle = Handle();
  if (!handle) return;
  const int width = Scale(size.Width);
  const int height = Scale(size.Height);
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_STYLE)),
                     GetMenu(handle) != nullptr,
                     static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_EXSTYLE)));
  int outerWidth = frame.right - frame.left;
  int outerHeight = frame.bottom - frame.top;
  SetWindowPos(handle, nullptr, 0, 0, outerWidth, outerHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar that wraps onto a second line takes more than the estimate.
  RECT client{};
  GetClientRect(handle, &client);
  if (client.right != width || client.bottom != height) {
    outerWidth += width - client.right;
    outerHeight += height - client.bottom;
    SetWindowPos(handle, nullptr, 0, 0, outerWidth, outerHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TForm::Show() {
  if (!Handle()) return;
  showing_ = true;
  ShowWindow(Handle(), SW_SHOWNORMAL);
  showing_ = false;
}

void TForm::Hide() {
  if (Handle()) ShowWindow(Handle(), SW_HIDE);
}

void TForm::Close() {
  if (Handle()) SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

bool TForm::StayOnTop() const {
  return Handle() && (GetWindowLongPtrW(Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void TForm::SetStayOnTop(bool on) {
  HWND handle = Handle();
  if (!handle) return;
  constexpr UINT kFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  if (on) {
    SetWindowPos(handle, HWND_TOPMOST, 0, 0, 0, 0, kFlags);
    return;
  }
  HWND owner = GetWindow(handle, GW_OWNER);
  if (owner && (GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST))
    SetWindowPos(owner, HWND_NOTOPMOST, 0, 0, 0, 0, kFlags);
  SetWindowPos(handle, HWND_NOTOPMOST, 0, 0, 0, 0, kFlags);
  if (owner && StayOnTop()) {
    // Wine keeps an owned window just above its owner and so refuses to
    // leave the topmost band while the owner lies right below it: move the
    // (invisible) owner out of the way, then bring the form back up.
    SetWindowPos(owner, HWND_BOTTOM, 0, 0, 0, 0, kFlags);
    SetWindowPos(handle, HWND_NOTOPMOST, 0, 0, 0, 0, kFlags);
    SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, kFlags);
  }
}

void TForm::CenterOnDesktop() {
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT window{};
  GetWindowRect(Handle(), &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::RestoreFocus() {
  HWND handle = Handle();
  if (lastFocus_ && IsWindow(lastFocus_) && IsChild(handle, lastFocus_) &&
      IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
    ::SetFocus(lastFocus_);
    return;
  }
  if (HWND first = GetNextDlgTabItem(handle, nullptr, FALSE)) ::SetFocus(first);
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SHOWWINDOW:
      // Only a Show call counts: the system also shows the window again
      // when its owner is restored.
      if (wParam && showing_) {
        if (!shown_) {
          shown_ = true;
          if (options_.DesktopCenter) CenterOnDesktop();
        }
        if (onShow) onShow();
      }
      break;
    case WM_CLOSE:
      if (onClose) onClose();
      DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      if (Application().MainForm() == this) Application().MainFormDestroying();
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE && Application().MainForm() == this) {
        Application().Minimize();
        return 0;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
      } else if (!HIWORD(wParam)) {
        RestoreFocus();
        return 0;
      }
      break;
    default:
      break;
  }
  return TControl::WndProc(msg, wParam, lParam);
}

void TForm::HandleMenuCommand(WORD id) {
  if (!menu_) return;
  if (TMenuItem* item = menu_->FindCommand(id)) item->Click();
}

}  // namespace taskmgr::ui
