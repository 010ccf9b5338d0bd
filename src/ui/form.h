#pragma once
// A top-level window with a menu bar, owned by the application's taskbar
// window. Its children are laid out for the client size given at creation.
#include <functional>
#include <string_view>

#include "ui/control.h"

namespace taskmgr::ui {

class TMainMenu;

struct TFormOptions {
  bool MaximizeBox = true;
  bool Resizable = true;
  // Centred on the desktop's work area when first shown.
  bool DesktopCenter = true;
};

class TForm : public TControl {
 public:
  TForm() = default;
  ~TForm() override;

  void Create(std::string_view caption, TSize96 clientSize, const TFormOptions& options = {});

  void SetMenu(TMainMenu& menu);
  TMainMenu* Menu() const { return menu_; }
  void SetClientSize96(TSize96 size);

  void Show();
  void Hide();
  // Runs onClose, then destroys the window (which ends the event loop when
  // this is the main form).
  void Close();

  // Topmost or not, by changing the z-order band of this window: nothing is
  // re-created.
  bool StayOnTop() const;
  void SetStayOnTop(bool on);

  // Whether the window has been shown at least once.
  bool HasBeenShown() const { return shown_; }

  std::function<void()> onShow;
  std::function<void()> onClose;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void HandleMenuCommand(WORD id) override;

 private:
  friend class TMainMenu;
  void CenterOnDesktop();
  void RestoreFocus();

  TMainMenu* menu_ = nullptr;
  TFormOptions options_;
  bool shown_ = false;
  bool showing_ = false;
  HWND lastFocus_ = nullptr;
};

}  // namespace taskmgr::ui
