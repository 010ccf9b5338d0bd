#pragma once
// An in-memory report list for the list refreshes. Index errors throw, as the
// real list view's do; every change can be logged, and one chosen change can
// be made to fail, so that tests see exactly what a refresh left behind.
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "procinfo/row_model.h"

namespace taskmgr::fakes {

struct TMemoryRow {
  std::string caption;
  std::vector<std::string> subItems;
  int image = -1;
  std::unique_ptr<TWinInfo> data;
};

class TMemoryRowModel : public ITaskRowModel {
 public:
  std::vector<TMemoryRow> rows;
  // The selected row follows its row when rows before it go, and is lost
  // (-1) when its own row goes, as in a list view.
  int selected = -1;

  int begins = 0;
  int ends = 0;
  int depth = 0;
  bool changedOutsideUpdate = false;

  bool keepLog = true;
  std::vector<std::string> log;  // changes and brackets, in order
  int changes = 0;               // row changes made (failed one included)
  int failAtChange = -1;         // this row change throws instead of happening

  // Rows built directly, as an earlier run would have left them.
  int Add(std::string caption, std::vector<std::string> subItems, int image = -1,
          std::unique_ptr<TWinInfo> data = nullptr) {
    rows.push_back({std::move(caption), std::move(subItems), image, std::move(data)});
    return static_cast<int>(rows.size()) - 1;
  }

  // ---- IRowModel
  int RowCount() const override { return static_cast<int>(rows.size()); }

  void DeleteRow(int row) override {
    Check(row);
    Change("delete", row, {});
    rows.erase(rows.begin() + row);
    if (selected == row)
      selected = -1;
    else if (selected > row)
      --selected;
  }

  int AppendRow() override {
    Change("append", RowCount(), {});
    rows.emplace_back();
    return RowCount() - 1;
  }

  std::string Caption(int row) const override { return rows.at(row).caption; }

  void SetCaption(int row, std::string_view text) override {
    Change("caption", row, text);
    rows.at(row).caption = text;
  }

  int SubItemCount(int row) const override {
    return static_cast<int>(rows.at(row).subItems.size());
  }

  std::string SubItem(int row, int index) const override {
    return rows.at(row).subItems.at(index);
  }

  void SetSubItem(int row, int index, std::string_view text) override {
    Change("sub", row, text, index);
    rows.at(row).subItems.at(index) = text;
  }

  void AppendSubItem(int row, std::string_view text) override {
    Change("add-sub", row, text);
    rows.at(row).subItems.emplace_back(text);
  }

  void SetImageIndex(int row, int image) override {
    Change("image", row, keepLog ? std::to_string(image) : std::string());
    rows.at(row).image = image;
  }

  void BeginUpdate() override {
    ++begins;
    ++depth;
    if (keepLog) log.push_back("begin");
  }

  void EndUpdate() override {
    ++ends;
    --depth;
    if (keepLog) log.push_back("end");
  }

  // ---- ITaskRowModel
  TWinInfo* Data(int row) const override { return rows.at(row).data.get(); }

  void SetData(int row, std::unique_ptr<TWinInfo> record) override {
    Change("data", row, !keepLog ? "" : record ? std::to_string(record->Handle) : "null");
    rows.at(row).data = std::move(record);
  }

  // ---- views for tests
  std::vector<std::string> Captions() const {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.caption);
    return out;
  }
  // Sub-item `index` of every row ("" where the row has none).
  std::vector<std::string> Column(int index) const {
    std::vector<std::string> out;
    for (const auto& r : rows)
      out.push_back(index < static_cast<int>(r.subItems.size()) ? r.subItems[index] : "");
    return out;
  }
  std::vector<int> Images() const {
    std::vector<int> out;
    for (const auto& r : rows) out.push_back(r.image);
    return out;
  }

 private:
  int Check(int row) const {
    if (row < 0 || row >= RowCount()) throw std::out_of_range("row index");
    return row;
  }

  void Change(std::string_view op, int row, std::string_view text, int index = -1) {
    if (depth <= 0) changedOutsideUpdate = true;
    if (changes++ == failAtChange) throw std::runtime_error("row change failed");
    if (keepLog) {
      std::string entry(op);
      if (index >= 0) entry += std::to_string(index);
      entry += ' ';
      entry += std::to_string(row);
      entry += ' ';
      entry += text;
      log.push_back(std::move(entry));
    }
  }
};

}  // namespace taskmgr::fakes
