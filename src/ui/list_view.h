#pragma once
// A report list view: single selection, whole-row selection, selection kept
// visible without focus.
//
// Every row is mirrored here (caption, sub-item texts, image, data), so
// reading a row never asks the control, and a write reaches the control only
// when it changes something. An update bracket holds back redrawing from the
// first real change to its end and then repaints once; a bracket in which
// nothing changed sends the control nothing at all.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace taskmgr::ui {

class TImageList;

enum class TColumnAlign { Left, Right, Center };

// A row's data, released by its deleter when the row goes or gets new data.
using TRowData = std::unique_ptr<void, void (*)(void*)>;
inline void KeepRowData(void*) {}

template <class T>
TRowData OwnRowData(std::unique_ptr<T> data) {
  return TRowData(data.release(), [](void* p) { delete static_cast<T*>(p); });
}

class TListView : public TControl {
 public:
  void Create(TControl& parent, const TRect96& bounds);

  void AddColumn(std::string_view caption, int width96, TColumnAlign align = TColumnAlign::Left);
  int ColumnCount() const { return columns_; }
  // Borrowed: the image list must outlive the rows' use of it.
  void SetSmallImages(TImageList* images);

  int RowCount() const { return static_cast<int>(rows_.size()); }
  // Appends an empty row (no sub-items, no image, no data); its position.
  int AppendRow();
  // Later rows move up by one; the row's data is released.
  void DeleteRow(int row);
  void Clear();

  const std::string& Caption(int row) const;
  void SetCaption(int row, std::string_view text);
  int SubItemCount(int row) const;
  const std::string& SubItem(int row, int index) const;
  void SetSubItem(int row, int index, std::string_view text);
  void AppendSubItem(int row, std::string_view text);
  // -1: no image.
  int ImageIndex(int row) const;
  void SetImageIndex(int row, int image);
  void* Data(int row) const;
  void SetData(int row, TRowData data);
  void SetData(int row, void* borrowed) { SetData(row, TRowData(borrowed, &KeepRowData)); }

  // -1 when no row is selected.
  int Selected() const;
  void SetSelected(int row);

  void BeginUpdate();
  void EndUpdate();

 private:
  struct TRow {
    std::string caption;
    std::vector<std::string> subItems;
    int image = -1;
    TRowData data{nullptr, &KeepRowData};
  };

  TRow& RowAt(int row);
  const TRow& RowAt(int row) const;
  void BeforeChange();
  void WriteText(int row, int column, const std::string& text);

  std::vector<TRow> rows_;
  int columns_ = 0;
  int updateCount_ = 0;
  bool redrawHeld_ = false;
};

}  // namespace taskmgr::ui
