#include "ui/application.h"

#include <commctrl.h>

#include <exception>
#include <stdexcept>

#include "ui/form.h"
#include "ui/text.h"

namespace taskmgr::ui {
namespace {

constexpr wchar_t kTaskbarClass[] = L"TaskmgrUiApplication";
constexpr UINT kActivateMainForm = WM_APP + 1;

bool IsMinimizedCommand(int showCommand) {
  return showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE ||
         showCommand == SW_SHOWMINNOACTIVE || showCommand == SW_FORCEMINIMIZE;
}

}  // namespace

TApplication& Application() {
  static TApplication application;
  return application;
}

TApplication::~TApplication() {
  if (handle_) DestroyWindow(handle_);
  if (font_) DeleteObject(font_);
}

void TApplication::Initialize() {
  if (initialized_) return;
  initialized_ = true;

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                   ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
  InitCommonControlsEx(&controls);

  if (HDC screen = GetDC(nullptr)) {
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  if (dpi_ <= 0) dpi_ = 96;

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    font_ = CreateFontIndirectW(&metrics.lfMessageFont);
  if (!font_) {
    LOGFONTW fallback{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(fallback), &fallback);
    font_ = CreateFontIndirectW(&fallback);
  }

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &TApplication::TaskbarProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kTaskbarClass;
  RegisterClassExW(&wc);
  // A zero-size window: only its taskbar entry is ever seen.
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
  handle_ = CreateWindowExW(0, kTaskbarClass, Widen(title_).c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            x, y, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!handle_) throw std::runtime_error("creating the application window failed");
  if (icon_) SetIcon(icon_);
}

void TApplication::SetTitle(std::string_view title) {
  title_ = std::string(title);
  if (handle_) SetWindowTextW(handle_, Widen(title_).c_str());
}

void TApplication::SetIcon(HICON icon) {
  icon_ = icon;
  if (!handle_ || !icon) return;
  SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

int TApplication::StartupShowCommand() {
  STARTUPINFOW info{};
  info.cb = sizeof(info);
  GetStartupInfoW(&info);
  return (info.dwFlags & STARTF_USESHOWWINDOW) ? info.wShowWindow : SW_SHOWNORMAL;
}

int TApplication::Run() { return Run(StartupShowCommand()); }

int TApplication::Run(int showCommand) {
  running_ = true;
  terminated_ = false;
  ShowMainForm(showCommand);
  MSG msg{};
  while (mainForm_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!PreTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  running_ = false;
  terminated_ = true;
  return 0;
}

void TApplication::ShowMainForm(int showCommand) {
  if (!mainForm_ || !handle_) return;
  if (IsMinimizedCommand(showCommand)) {
    // The form stays hidden until the user restores the taskbar entry.
    ShowWindow(handle_, SW_SHOWMINNOACTIVE);
    return;
  }
  ShowWindow(handle_, SW_SHOWNOACTIVATE);
  mainForm_->Show();
  SetForegroundWindow(mainForm_->Handle());
}

void TApplication::Minimize() {
  if (!handle_) return;
  // Not every system hides a minimised window's owned windows by itself.
  ShowOwnedPopups(handle_, FALSE);
  ShowWindow(handle_, SW_MINIMIZE);
}

void TApplication::Restore() {
  if (handle_) SendMessageW(handle_, WM_SYSCOMMAND, SC_RESTORE, 0);
}

bool TApplication::Minimized() const { return handle_ && IsIconic(handle_); }

void TApplication::ActivateMainForm() {
  if (!mainForm_ || !mainForm_->Handle() || !IsWindowVisible(mainForm_->Handle())) return;
  HWND target = mainForm_->Handle();
  if (!IsWindowEnabled(target)) target = GetLastActivePopup(target);
  SetActiveWindow(target);
}

LRESULT CALLBACK TApplication::TaskbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TApplication& app = Application();
  if (app.handle_ != hwnd) return DefWindowProcW(hwnd, msg, wParam, lParam);
  std::string error = "未知错误";
  try {
    return app.HandleTaskbarMessage(msg, wParam, lParam);
  } catch (const std::exception& e) {
    try {
      error = e.what();
    } catch (...) {
    }
  } catch (...) {
  }
  app.ShowException(error);
  return 0;
}

LRESULT TApplication::HandleTaskbarMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      if (mainForm_) mainForm_->Close();
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        Minimize();
        return 0;
      }
      if ((wParam & 0xFFF0) == SC_RESTORE) {
        const LRESULT result = DefWindowProcW(handle_, msg, wParam, lParam);
        // Restoring the owner brings back the form it hid; a form that was
        // never shown (started minimised) is shown for the first time here.
        ShowOwnedPopups(handle_, TRUE);
        if (mainForm_ && !mainForm_->HasBeenShown()) mainForm_->Show();
        ActivateMainForm();
        return result;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam))
        PostMessageW(handle_, kActivateMainForm, 0, 0);
      break;
    case kActivateMainForm:
      ActivateMainForm();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(handle_, msg, wParam, lParam);
}

bool TApplication::PreTranslate(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  // Tab order, mnemonics and arrow keys inside our forms.
  if (root && dynamic_cast<TForm*>(TControl::FromHandle(root)))
    return IsDialogMessageW(root, &msg) != FALSE;
  return false;
}

bool TApplication::ProcessMessages() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      return false;
    }
    if (!PreTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

void TApplication::ProcessMessagesFor(DWORD milliseconds, const std::function<bool()>& done) {
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (;;) {
    ProcessMessages();
    if (done && done()) return;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
  }
}

HWND TApplication::BoxOwner() const {
  if (mainForm_ && mainForm_->Handle() && IsWindowVisible(mainForm_->Handle()))
    return mainForm_->Handle();
  return handle_;
}

int TApplication::ShowMessageBox(std::string_view text, std::string_view caption, UINT flags) {
  return MessageBoxW(BoxOwner(), Widen(text).c_str(), Widen(caption).c_str(), flags);
}

void TApplication::ShowException(std::string_view message) noexcept {
  if (errorBoxOpen_) return;
  errorBoxOpen_ = true;
  try {
    const std::string text(message);
    if (ErrorPresenter)
      ErrorPresenter(text, title_);
    else
      ShowMessageBox(text, title_, MB_OK | MB_ICONERROR);
  } catch (...) {
  }
  errorBoxOpen_ = false;
}

void TApplication::FormCreated(TForm& form) {
  if (mainForm_) return;
  mainForm_ = &form;
  terminated_ = false;
}

void TApplication::FormDestroyed(TForm& form) {
  if (mainForm_ == &form) mainForm_ = nullptr;
}

void TApplication::MainFormDestroying() {
  if (running_) PostQuitMessage(0);
}

}  // namespace taskmgr::ui
