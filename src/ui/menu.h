#pragma once
// The main menu bar and its items. Captions mark their accelerator with '&';
// a number that belongs to an item lives in its Tag.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace taskmgr::ui {

class TForm;
class TMainMenu;

class TMenuItem {
 public:
  TMenuItem() = default;
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;
  ~TMenuItem();

  // An item of the menu bar, or of `parent`'s submenu (which it then gets).
  void Create(TMainMenu& menu, std::string_view caption, int32_t tag = 0, bool checked = false);
  void Create(TMenuItem& parent, std::string_view caption, int32_t tag = 0, bool checked = false);

  const std::string& Caption() const { return caption_; }
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t tag) { tag_ = tag; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

  TMenuItem* Parent() const { return parent_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem& Item(int index) const { return *items_.at(static_cast<size_t>(index)); }
  // The command identifier in WM_COMMAND; the submenu, if the item has one.
  UINT Command() const { return id_; }
  HMENU SubMenu() const { return subMenu_; }

  // What a click on the item does.
  void Click();
  std::function<void(TMenuItem& sender)> onClick;

 private:
  friend class TMainMenu;
  void Insert(TMainMenu& menu, TMenuItem* parent, HMENU into, std::string_view caption,
              int32_t tag, bool checked);
  HMENU EnsureSubMenu();

  TMainMenu* menu_ = nullptr;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
  HMENU container_ = nullptr;  // the menu the item stands in
  int position_ = 0;
  HMENU subMenu_ = nullptr;
  UINT id_ = 0;
  std::string caption_;
  int32_t tag_ = 0;
  bool checked_ = false;
};

class TMainMenu {
 public:
  TMainMenu() = default;
  TMainMenu(const TMainMenu&) = delete;
  TMainMenu& operator=(const TMainMenu&) = delete;
  ~TMainMenu();

  void Create();
  HMENU Handle() const { return handle_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem& Item(int index) const { return *items_.at(static_cast<size_t>(index)); }
  TMenuItem* FindCommand(UINT id) const;

 private:
  friend class TMenuItem;
  friend class TForm;
  void Forget(TMenuItem& item);
  void Redraw();

  HMENU handle_ = nullptr;
  TForm* form_ = nullptr;
  std::vector<TMenuItem*> items_;
  std::vector<TMenuItem*> all_;
  UINT nextId_ = 100;
};

}  // namespace taskmgr::ui
