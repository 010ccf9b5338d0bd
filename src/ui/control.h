#pragma once
// The base of every window the ui layer makes.
//
// One dispatch path: a window of our own class is tied to its object at
// WM_NCCREATE, a system control (button, list view...) right after creation
// through a comctl32 subclass; both end in the virtual WndProc below, inside
// a boundary that lets no exception out and hands it to the application's
// error box. WM_COMMAND and WM_NOTIFY that a child sends to its parent are
// handed back to the child's own object (HandleCommand / HandleNotify).
//
// Every object owns its window: the destructor destroys it if it still
// exists. A window destroyed with its parent first just leaves the object
// empty.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace taskmgr::ui {

class TTimer;

// Positions and sizes are given in pixels at 96 dots per inch and scaled to
// the screen's resolution.
struct TRect96 {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct TSize96 {
  int Width = 0;
  int Height = 0;
};

// Anchored edges keep their distance to the same edge of the parent when the
// parent changes size.
enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

enum class TAlign {
  None,    // placed by bounds and anchors
  Bottom,  // along the bottom edge, full width, at its own height
  Client,  // the area the bottom-aligned controls leave
};

// 96-dpi pixels to device pixels.
int Scale(int px96);

class TControl {
 public:
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;
  virtual ~TControl();

  HWND Handle() const { return handle_; }
  TControl* Parent() const { return parent_; }
  const std::vector<TControl*>& Children() const { return children_; }

  std::string Text() const;
  void SetText(std::string_view text);

  // In the parent's client coordinates (screen coordinates for a top-level
  // window), device pixels.
  RECT BoundsRect() const;
  SIZE ClientSize() const;
  // Moves the window (device pixels, parent's client coordinates).
  virtual void SetBoundsPx(const RECT& rect);

  unsigned Anchors() const { return anchors_; }
  void SetAnchors(unsigned anchors);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);

  bool Visible() const;
  void SetVisible(bool visible);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  void SetFocus();

  // Paints the control now instead of at the next paint cycle.
  void Repaint();
  void Invalidate();

  // Painting through an off-screen bitmap, for the controls that paint
  // themselves; SetDoubleBuffered passes the setting on to the children.
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool on);

  // The object behind a window the ui layer made; null for any other window.
  static TControl* FromHandle(HWND handle);

 protected:
  TControl() = default;

  // A window of our own class. `parent` null makes a top-level window owned
  // by `owner` (may be null).
  void CreateOwn(TControl* parent, DWORD style, DWORD exStyle, const TRect96& bounds,
                 std::string_view text, HWND owner = nullptr);
  // A window of a system class, made a child of `parent`.
  void CreateSystem(TControl& parent, const wchar_t* className, DWORD style, DWORD exStyle,
                    const TRect96& bounds, std::string_view text);
  // Destroys the window without letting it reach this object any more.
  void DestroyHandle();

  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The class's own procedure (DefWindowProc, or the system control's).
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

  // Notifications this control sent to its parent.
  virtual void HandleCommand(WORD code);
  virtual LRESULT HandleNotify(NMHDR& header);
  // WM_COMMAND without a control: a menu item or an accelerator.
  virtual void HandleMenuCommand(WORD id);

  // Places the children in the client area; runs whenever it changes size.
  virtual void LayoutChildren();
  // The height a bottom-aligned control takes.
  virtual int PreferredHeight();

  // The client size the children's bounds were laid out for.
  TSize96 designClient_;

 private:
  friend class TTimer;

  static LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR data);
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
  void Attach(HWND handle);
  void Detach();
  void Adopt(TControl* parent, const TRect96& bounds);
  void Unadopt();
  RECT AnchoredRect(SIZE parentClient) const;

  HWND handle_ = nullptr;
  bool subclassed_ = false;
  bool doubleBuffered_ = false;
  TControl* parent_ = nullptr;
  std::vector<TControl*> children_;
  std::vector<TTimer*> timers_;
  TRect96 design_;
  unsigned anchors_ = akLeft | akTop;
  TAlign align_ = TAlign::None;
};

// Paints through a memory bitmap when `buffered`, straight to the screen
// otherwise; the bitmap is copied out when the object goes.
class TPaintDC {
 public:
  TPaintDC(HWND handle, bool buffered);
  ~TPaintDC();
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  HDC DC() const { return memDc_ ? memDc_ : paint_.hdc; }
  const RECT& Client() const { return client_; }

 private:
  HWND handle_;
  PAINTSTRUCT paint_{};
  RECT client_{};
  HDC memDc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
};

}  // namespace taskmgr::ui
