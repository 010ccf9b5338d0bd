#include "ui/menu.h"

#include <algorithm>
#include <stdexcept>

#include "ui/form.h"
#include "ui/text.h"

namespace taskmgr::ui {

TMenuItem::~TMenuItem() {
  if (menu_) menu_->Forget(*this);
}

void TMenuItem::Create(TMainMenu& menu, std::string_view caption, int32_t tag, bool checked) {
  if (!menu.handle_) throw std::logic_error("the menu has not been created");
  Insert(menu, nullptr, menu.handle_, caption, tag, checked);
  menu.items_.push_back(this);
  menu.Redraw();
}

void TMenuItem::Create(TMenuItem& parent, std::string_view caption, int32_t tag, bool checked) {
  if (!parent.menu_) throw std::logic_error("the parent item has not been created");
  Insert(*parent.menu_, &parent, parent.EnsureSubMenu(), caption, tag, checked);
  parent.items_.push_back(this);
}

void TMenuItem::Insert(TMainMenu& menu, TMenuItem* parent, HMENU into, std::string_view caption,
                       int32_t tag, bool checked) {
  if (menu_) throw std::logic_error("the menu item has been created already");
  std::wstring text = Widen(caption);
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
  info.fType = MFT_STRING;
  info.fState = checked ? MFS_CHECKED : MFS_UNCHECKED;
  info.wID = menu.nextId_;
  info.dwTypeData = text.data();
  const int position = GetMenuItemCount(into);
  if (position < 0 || !InsertMenuItemW(into, static_cast<UINT>(position), TRUE, &info))
    throw std::runtime_error("InsertMenuItem failed");
  id_ = menu.nextId_++;
  menu_ = &menu;
  parent_ = parent;
  container_ = into;
  position_ = position;
  caption_ = std::string(caption);
  tag_ = tag;
  checked_ = checked;
  menu.all_.push_back(this);
}

HMENU TMenuItem::EnsureSubMenu() {
  if (subMenu_) return subMenu_;
  HMENU sub = CreatePopupMenu();
  if (!sub) throw std::runtime_error("CreatePopupMenu failed");
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_SUBMENU;
  info.hSubMenu = sub;
  if (!SetMenuItemInfoW(container_, static_cast<UINT>(position_), TRUE, &info)) {
    DestroyMenu(sub);
    throw std::runtime_error("SetMenuItemInfo failed");
  }
  subMenu_ = sub;
  if (menu_) menu_->Redraw();
  return sub;
}

void TMenuItem::SetChecked(bool checked) {
  checked_ = checked;
  if (container_)
    CheckMenuItem(container_, static_cast<UINT>(position_),
                  MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TMenuItem::Click() {
  if (onClick) onClick(*this);
}

TMainMenu::~TMainMenu() {
  for (TMenuItem* item : all_) {
    item->menu_ = nullptr;
    item->parent_ = nullptr;
    item->items_.clear();
    item->container_ = nullptr;
  }
  if (form_) {
    if (form_->Handle() && GetMenu(form_->Handle()) == handle_) SetMenu(form_->Handle(), nullptr);
    form_->menu_ = nullptr;
  }
  // Destroys the submenus with it.
  if (handle_ && IsMenu(handle_)) DestroyMenu(handle_);
}

void TMainMenu::Create() {
  if (handle_) throw std::logic_error("the menu has been created already");
  handle_ = CreateMenu();
  if (!handle_) throw std::runtime_error("CreateMenu failed");
}

TMenuItem* TMainMenu::FindCommand(UINT id) const {
  for (TMenuItem* item : all_)
    if (item->id_ == id) return item;
  return nullptr;
}

void TMainMenu::Forget(TMenuItem& item) {
  all_.erase(std::remove(all_.begin(), all_.end(), &item), all_.end());
  items_.erase(std::remove(items_.begin(), items_.end(), &item), items_.end());
  if (item.parent_) {
    auto& siblings = item.parent_->items_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), &item), siblings.end());
  }
  for (TMenuItem* child : item.items_) child->parent_ = nullptr;
}

void TMainMenu::Redraw() {
  if (form_ && form_->Handle()) DrawMenuBar(form_->Handle());
}

}  // namespace taskmgr::ui
