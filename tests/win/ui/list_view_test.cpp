#include "ui/list_view.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/application.h"
#include "ui/form.h"
#include "ui/image_list.h"
#include "win/ui/ui_test_support.h"

namespace taskmgr::ui {
namespace {

using taskmgr::testing::ControlCellText;
using taskmgr::testing::ControlItem;
using taskmgr::testing::ControlRowCount;
using taskmgr::testing::MessageCounter;

class ListViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.Create("列表", {400, 300});
    list.Create(form, {10, 10, 380, 280});
    list.AddColumn("名称", 100);
    list.AddColumn("PID", 50, TColumnAlign::Right);
    list.AddColumn("内存", 80, TColumnAlign::Right);
    form.Show();
  }

  int AddRow(const std::string& caption, const std::string& pid, const std::string& mem) {
    const int row = list.AppendRow();
    list.SetCaption(row, caption);
    list.AppendSubItem(row, pid);
    list.AppendSubItem(row, mem);
    return row;
  }

  // Every cell and image of the shadow is what the control holds (the data
  // pointers live in the shadow only).
  void ExpectControlMatchesShadow() {
    ASSERT_EQ(ControlRowCount(list.Handle()), list.RowCount());
    for (int row = 0; row < list.RowCount(); ++row) {
      EXPECT_EQ(ControlCellText(list.Handle(), row, 0), list.Caption(row)) << "row " << row;
      for (int i = 0; i < list.SubItemCount(row); ++i)
        EXPECT_EQ(ControlCellText(list.Handle(), row, i + 1), list.SubItem(row, i))
            << "row " << row << " sub-item " << i;
      const LVITEMW item = ControlItem(list.Handle(), row);
      EXPECT_EQ(item.iImage, list.ImageIndex(row) < 0 ? I_IMAGENONE : list.ImageIndex(row));
    }
  }

  TForm form;
  TListView list;
};

TEST_F(ListViewTest, SteadyRefreshSendsTheControlNothing) {
  list.BeginUpdate();
  for (int i = 0; i < 20; ++i) AddRow("进程" + std::to_string(i), std::to_string(100 + i), "1024 K");
  list.EndUpdate();
  Application().ProcessMessagesFor(100);  // painted: nothing left to repaint
  ASSERT_FALSE(GetUpdateRect(list.Handle(), nullptr, FALSE));

  MessageCounter counter(list.Handle());
  list.BeginUpdate();
  for (int i = 0; i < 20; ++i) {
    list.SetCaption(i, "进程" + std::to_string(i));
    list.SetSubItem(i, 0, std::to_string(100 + i));
    list.SetSubItem(i, 1, "1024 K");
    list.SetImageIndex(i, -1);
  }
  list.EndUpdate();
  EXPECT_EQ(counter.Count(LVM_SETITEMTEXTW), 0);
  EXPECT_EQ(counter.Count(LVM_SETITEMW), 0);
  EXPECT_EQ(counter.Count(WM_SETREDRAW), 0);
  EXPECT_FALSE(GetUpdateRect(list.Handle(), nullptr, FALSE));

  // One changed cell: one write, redraw held back once and released once.
  list.BeginUpdate();
  list.SetSubItem(7, 1, "2048 K");
  list.SetSubItem(7, 1, "2048 K");
  list.EndUpdate();
  EXPECT_EQ(counter.Count(LVM_SETITEMTEXTW), 1);
  EXPECT_EQ(counter.Count(WM_SETREDRAW), 2);
  EXPECT_TRUE(GetUpdateRect(list.Handle(), nullptr, FALSE));
  EXPECT_EQ(ControlCellText(list.Handle(), 7, 2), "2048 K");
}

TEST_F(ListViewTest, RowOperationsKeepShadowAndControlTogether) {
  TImageList images;
  images.Create();
  list.SetSmallImages(&images);
  int markers[6] = {};
  list.BeginUpdate();
  for (int i = 0; i < 6; ++i) {
    AddRow("行" + std::to_string(i), std::to_string(i), "");
    list.SetData(i, &markers[i]);
    list.SetImageIndex(i, i % 2 == 0 ? i : -1);
  }
  // First, middle and last rows go; later rows move up.
  list.DeleteRow(5);
  list.DeleteRow(2);
  list.DeleteRow(0);
  AddRow("新行", "99", "5 K");
  list.SetSubItem(0, 1, "8 K");
  list.SetImageIndex(1, 3);
  list.SetImageIndex(2, -7);  // any negative index means no image
  list.EndUpdate();

  ASSERT_EQ(list.RowCount(), 4);
  EXPECT_EQ(list.Caption(0), "行1");
  EXPECT_EQ(list.Caption(1), "行3");
  EXPECT_EQ(list.Caption(2), "行4");
  EXPECT_EQ(list.Caption(3), "新行");
  EXPECT_EQ(list.Data(1), &markers[3]);
  EXPECT_EQ(list.ImageIndex(2), -1);
  ExpectControlMatchesShadow();
}

TEST_F(ListViewTest, SelectionStaysWithItsRowThroughUpdates) {
  for (const char* name : {"a", "b", "c", "d"}) AddRow(name, name, "");
  list.SetSelected(2);
  ASSERT_EQ(list.Selected(), 2);

  list.BeginUpdate();
  list.DeleteRow(0);           // a row above the selection goes
  list.SetCaption(1, "c 改");  // the selected row is updated in place
  AddRow("e", "e", "");
  list.EndUpdate();
  ASSERT_EQ(list.Selected(), 1);
  EXPECT_EQ(list.SubItem(1, 0), "c");

  list.DeleteRow(1);  // the selected row goes: nothing else is selected
  EXPECT_EQ(list.Selected(), -1);
}

struct Tracked {
  explicit Tracked(std::vector<int>& log, int id) : log(log), id(id) {}
  ~Tracked() { log.push_back(id); }
  std::vector<int>& log;
  int id;
};

TEST_F(ListViewTest, RowsReleaseTheirDataWhenReplacedOrDeleted) {
  std::vector<int> released;
  {
    TListView owner;
    owner.Create(form, {0, 0, 100, 100});
    for (int i = 0; i < 3; ++i) {
      owner.AppendRow();
      owner.SetData(i, OwnRowData(std::make_unique<Tracked>(released, i)));
    }
    owner.SetData(1, OwnRowData(std::make_unique<Tracked>(released, 10)));
    EXPECT_EQ(released, (std::vector<int>{1}));
    EXPECT_EQ(static_cast<Tracked*>(owner.Data(1))->id, 10);
    owner.DeleteRow(0);
    EXPECT_EQ(released, (std::vector<int>{1, 0}));
  }
  EXPECT_EQ(released, (std::vector<int>{1, 0, 10, 2}));
}

TEST_F(ListViewTest, BadPositionsThrowInsteadOfTouchingMemory) {
  AddRow("a", "1", "");
  EXPECT_THROW(list.Caption(1), std::out_of_range);
  EXPECT_THROW(list.DeleteRow(-1), std::out_of_range);
  EXPECT_THROW(list.SetSubItem(0, 2, "x"), std::out_of_range);
  EXPECT_THROW(list.SubItem(0, -1), std::out_of_range);
  EXPECT_EQ(list.RowCount(), 1);
}

TEST_F(ListViewTest, ReportStyleAndColumns) {
  const LONG_PTR style = GetWindowLongPtrW(list.Handle(), GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
  EXPECT_FALSE(style & LVS_EDITLABELS);
  const DWORD extended = static_cast<DWORD>(SendMessageW(list.Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
  EXPECT_TRUE(extended & LVS_EX_DOUBLEBUFFER);

  wchar_t text[64] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.pszText = text;
  column.cchTextMax = 64;
  ASSERT_TRUE(SendMessageW(list.Handle(), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
  EXPECT_EQ(Narrow(text), "PID");
  EXPECT_EQ(column.cx, Scale(50));
  EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
}

}  // namespace
}  // namespace taskmgr::ui
