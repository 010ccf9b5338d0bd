#pragma once
// The list refreshes' row and image interfaces over the ui list view and
// image list.
#include <memory>
#include <string>
#include <string_view>

#include "procinfo/row_model.h"
#include "procinfo/win_info.h"
#include "ui/image_list.h"
#include "ui/list_view.h"

namespace taskmgr {

template <class Model>
class TListViewRowsOf : public Model {
 public:
  explicit TListViewRowsOf(ui::TListView& view) : view_(view) {}

  int RowCount() const override { return view_.RowCount(); }
  void DeleteRow(int row) override { view_.DeleteRow(row); }
  int AppendRow() override { return view_.AppendRow(); }
  std::string Caption(int row) const override { return view_.Caption(row); }
  void SetCaption(int row, std::string_view text) override { view_.SetCaption(row, text); }
  int SubItemCount(int row) const override { return view_.SubItemCount(row); }
  std::string SubItem(int row, int index) const override { return view_.SubItem(row, index); }
  void SetSubItem(int row, int index, std::string_view text) override {
    view_.SetSubItem(row, index, text);
  }
  void AppendSubItem(int row, std::string_view text) override { view_.AppendSubItem(row, text); }
  void SetImageIndex(int row, int image) override { view_.SetImageIndex(row, image); }
  void BeginUpdate() override { view_.BeginUpdate(); }
  void EndUpdate() override { view_.EndUpdate(); }

 protected:
  ui::TListView& view_;
};

// The processes list.
using TListViewRows = TListViewRowsOf<IRowModel>;

// The applications list: each row owns its window record, released when the
// row goes or takes a newer one. Every row's data must have come through
// SetData here.
class TTaskListViewRows : public TListViewRowsOf<ITaskRowModel> {
 public:
  using TListViewRowsOf::TListViewRowsOf;
  TWinInfo* Data(int row) const override { return static_cast<TWinInfo*>(view_.Data(row)); }
  void SetData(int row, std::unique_ptr<TWinInfo> record) override {
    view_.SetData(row, ui::OwnRowData(std::move(record)));
  }
};

// Emptied and refilled on every refresh, as far as anyone can see: the
// k-th icon added goes to position k. Images already holding that icon are
// kept rather than copied again (a copy costs about a millisecond under
// Wine), and what the refresh did not refill goes at Finish.
class TImageListSink : public IImageSink {
 public:
  explicit TImageListSink(ui::TImageList& images) : images_(images) {}
  ~TImageListSink() override { Finish(); }
  void Clear() override { next_ = 0; }
  int AddIcon(uintptr_t icon) override {
    if (images_.PutIcon(next_, reinterpret_cast<HICON>(icon)) < 0) return -1;
    return next_++;
  }
  void Finish() { images_.Truncate(next_); }

 private:
  ui::TImageList& images_;
  int next_ = 0;
};

}  // namespace taskmgr
