#pragma once
// The rows of a report list as the list refreshes see them. The real list
// view implements it in the shell; tests use an in-memory model.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "procinfo/win_info.h"

namespace taskmgr {

class IRowModel {
 public:
  virtual ~IRowModel() = default;
  virtual int RowCount() const = 0;
  // Later rows move up by one.
  virtual void DeleteRow(int row) = 0;
  // The new row comes last, with an empty caption, no sub-items and no image;
  // returns its position.
  virtual int AppendRow() = 0;
  virtual std::string Caption(int row) const = 0;
  virtual void SetCaption(int row, std::string_view text) = 0;
  virtual int SubItemCount(int row) const = 0;
  virtual std::string SubItem(int row, int index) const = 0;
  virtual void SetSubItem(int row, int index, std::string_view text) = 0;
  virtual void AppendSubItem(int row, std::string_view text) = 0;
  // -1: no image.
  virtual void SetImageIndex(int row, int image) = 0;
  // Changes between the two are shown together, with one repaint.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
};

// Rows that own a window record each (the applications list).
class ITaskRowModel : public IRowModel {
 public:
  virtual TWinInfo* Data(int row) const = 0;
  // The row takes `record` over; its previous record is released at once.
  virtual void SetData(int row, std::unique_ptr<TWinInfo> record) = 0;
};

// The small images of the applications list.
class IImageSink {
 public:
  virtual ~IImageSink() = default;
  virtual void Clear() = 0;
  // Stores a copy of the icon; returns its position, or -1 (and stores
  // nothing) for a null icon.
  virtual int AddIcon(uintptr_t icon) = 0;
};

}  // namespace taskmgr
