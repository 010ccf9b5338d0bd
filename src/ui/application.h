#pragma once
// The application object: common controls, the interface font, the event
// loop, the modal message box and the default error box.
//
// The program's taskbar entry belongs to a window of its own that carries the
// application title and owns the main form, so the title and the form's
// caption can differ. The first form made is the main form: closing it ends
// the event loop. Minimising the main form minimises the taskbar window,
// which hides the form with it; restoring brings it back (and shows it for
// the first time when the program started minimised).
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace taskmgr::ui {

class TForm;

class TApplication {
 public:
  TApplication() = default;
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;
  ~TApplication();

  // Common controls, screen resolution, font and the taskbar window. Later
  // calls do nothing.
  void Initialize();

  const std::string& Title() const { return title_; }
  void SetTitle(std::string_view title);
  // A borrowed icon for the taskbar window and every form.
  HICON Icon() const { return icon_; }
  void SetIcon(HICON icon);

  // The system's message font (it can show any script, unlike a fixed face).
  HFONT Font() const { return font_; }
  int Dpi() const { return dpi_; }
  HWND Handle() const { return handle_; }

  TForm* MainForm() const { return mainForm_; }

  // Shows the main form as the program was asked to start (minimised or
  // not), runs the event loop until the main form has closed and returns 0.
  int Run();
  int Run(int showCommand);
  // The first half of Run: shown, or only the taskbar entry minimised.
  void ShowMainForm(int showCommand);
  // How the program was asked to show its window (STARTUPINFO).
  static int StartupShowCommand();

  void Minimize();
  void Restore();
  bool Minimized() const;

  // Dispatches the messages waiting now; false once WM_QUIT was taken.
  bool ProcessMessages();
  // Dispatches messages for `milliseconds`, or until `done` returns true.
  void ProcessMessagesFor(DWORD milliseconds, const std::function<bool()>& done = {});
  bool Terminated() const { return terminated_; }

  // A modal box over the main form (which it disables while open); returns
  // the button pressed.
  int ShowMessageBox(std::string_view text, std::string_view caption, UINT flags);

  // The default error box: the message, the application title as caption,
  // an error icon and OK. One at a time: an error raised while the box is
  // open (a timer keeps ticking under it) is dropped, not stacked.
  void ShowException(std::string_view message) noexcept;
  bool ErrorBoxOpen() const { return errorBoxOpen_; }
  // Replaces the box (tests); called with the message and the caption.
  std::function<void(const std::string& message, const std::string& caption)> ErrorPresenter;

  // Used by TForm.
  void FormCreated(TForm& form);
  void FormDestroyed(TForm& form);
  void MainFormDestroying();

 private:
  static LRESULT CALLBACK TaskbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleTaskbarMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void ActivateMainForm();
  bool PreTranslate(MSG& msg);
  HWND BoxOwner() const;

  bool initialized_ = false;
  std::string title_;
  HICON icon_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  HWND handle_ = nullptr;
  TForm* mainForm_ = nullptr;
  bool running_ = false;
  bool terminated_ = false;
  bool errorBoxOpen_ = false;
};

// The one application object.
TApplication& Application();

}  // namespace taskmgr::ui
