#include "ui/list_view.h"

#include <commctrl.h>

#include <stdexcept>

#include "ui/image_list.h"
#include "ui/text.h"

namespace taskmgr::ui {

void TListView::Create(TControl& parent, const TRect96& bounds) {
  CreateSystem(parent, WC_LISTVIEWW,
               WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                   LVS_SHAREIMAGELISTS,
               WS_EX_CLIENTEDGE, bounds, "");
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
}

void TListView::AddColumn(std::string_view caption, int width96, TColumnAlign align) {
  std::wstring text = Widen(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  column.fmt = align == TColumnAlign::Right    ? LVCFMT_RIGHT
               : align == TColumnAlign::Center ? LVCFMT_CENTER
                                               : LVCFMT_LEFT;
  column.cx = Scale(width96);
  column.pszText = text.data();
  column.iSubItem = columns_;
  if (SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(columns_),
                   reinterpret_cast<LPARAM>(&column)) < 0)
    throw std::runtime_error("adding a list column failed");
  ++columns_;
}

void TListView::SetSmallImages(TImageList* images) {
  SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL,
               reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

TListView::TRow& TListView::RowAt(int row) {
  if (row < 0 || row >= RowCount()) throw std::out_of_range("list row index out of range");
  return rows_[static_cast<size_t>(row)];
}

const TListView::TRow& TListView::RowAt(int row) const {
  if (row < 0 || row >= RowCount()) throw std::out_of_range("list row index out of range");
  return rows_[static_cast<size_t>(row)];
}

void TListView::BeforeChange() {
  if (updateCount_ > 0 && !redrawHeld_ && Handle()) {
    SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    redrawHeld_ = true;
  }
}

void TListView::WriteText(int row, int column, const std::string& text) {
  if (!Handle()) return;
  BeforeChange();
  std::wstring wide = Widen(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int TListView::AppendRow() {
  const int row = RowCount();
  if (Handle()) {
    BeforeChange();
    wchar_t empty[] = L"";
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = row;
    item.pszText = empty;
    item.iImage = I_IMAGENONE;
    item.lParam = 0;
    if (SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) != row)
      throw std::runtime_error("adding a list row failed");
  }
  rows_.emplace_back();
  return row;
}

void TListView::DeleteRow(int row) {
  RowAt(row);
  if (Handle()) {
    BeforeChange();
    SendMessageW(Handle(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
  }
  rows_.erase(rows_.begin() + row);
}

void TListView::Clear() {
  if (rows_.empty()) return;
  if (Handle()) {
    BeforeChange();
    SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0);
  }
  rows_.clear();
}

const std::string& TListView::Caption(int row) const { return RowAt(row).caption; }

void TListView::SetCaption(int row, std::string_view text) {
  TRow& r = RowAt(row);
  if (r.caption == text) return;
  r.caption = std::string(text);
  WriteText(row, 0, r.caption);
}

int TListView::SubItemCount(int row) const { return static_cast<int>(RowAt(row).subItems.size()); }

const std::string& TListView::SubItem(int row, int index) const {
  const TRow& r = RowAt(row);
  if (index < 0 || index >= static_cast<int>(r.subItems.size()))
    throw std::out_of_range("list sub-item index out of range");
  return r.subItems[static_cast<size_t>(index)];
}

void TListView::SetSubItem(int row, int index, std::string_view text) {
  TRow& r = RowAt(row);
  if (index < 0 || index >= static_cast<int>(r.subItems.size()))
    throw std::out_of_range("list sub-item index out of range");
  std::string& current = r.subItems[static_cast<size_t>(index)];
  if (current == text) return;
  current = std::string(text);
  WriteText(row, index + 1, current);
}

void TListView::AppendSubItem(int row, std::string_view text) {
  TRow& r = RowAt(row);
  r.subItems.emplace_back(text);
  // A new row's cells start empty in the control.
  if (!text.empty()) WriteText(row, static_cast<int>(r.subItems.size()), r.subItems.back());
}

int TListView::ImageIndex(int row) const { return RowAt(row).image; }

void TListView::SetImageIndex(int row, int image) {
  TRow& r = RowAt(row);
  if (image < 0) image = -1;
  if (r.image == image) return;
  r.image = image;
  if (!Handle()) return;
  BeforeChange();
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  // -1 would be I_IMAGECALLBACK to the control.
  item.iImage = image < 0 ? I_IMAGENONE : image;
  SendMessageW(Handle(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void* TListView::Data(int row) const { return RowAt(row).data.get(); }

void TListView::SetData(int row, TRowData data) {
  TRow& r = RowAt(row);
  // The row's previous data goes now. The data lives here only: the control
  // never needs it, so a row given a fresh record costs no message.
  r.data = std::move(data);
}

int TListView::Selected() const {
  if (!Handle()) return -1;
  return static_cast<int>(SendMessageW(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TListView::SetSelected(int row) {
  if (!Handle()) return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  if (row < 0 || row >= RowCount()) return;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  SendMessageW(Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void TListView::BeginUpdate() { ++updateCount_; }

void TListView::EndUpdate() {
  if (updateCount_ == 0 || --updateCount_ > 0) return;
  if (!redrawHeld_) return;
  redrawHeld_ = false;
  if (!Handle()) return;
  SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(Handle(), nullptr, TRUE);
}

}  // namespace taskmgr::ui

