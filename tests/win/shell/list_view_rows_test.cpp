// The list refreshes running on the real list views through the adapters.
#include "shell/list_view_rows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "procinfo/process_list_sync.h"
#include "procinfo/task_list_sync.h"
#include "shell/main_form.h"
#include "win/shell/shell_test_support.h"
#include "win/ui/ui_test_support.h"

namespace taskmgr {
namespace {

using taskmgr::testing::ControlCellText;
using taskmgr::testing::ControlItem;
using taskmgr::testing::ControlRowCount;
using taskmgr::testing::DepsWith;
using taskmgr::testing::MessageCounter;
using taskmgr::testing::SamplerLog;
using taskmgr::testing::StillSampler;

class ListViewRowsTest : public ::testing::Test {
 protected:
  SamplerLog log;
  TMainForm form{DepsWith<StillSampler>(log)};
};

TEST_F(ListViewRowsTest, ProcessRefreshesUpdateInPlaceAndQuietly) {
  std::vector<TProcInfo> processes = {
      {"System Idle", 0, 16, 0.0}, {"a.exe", 4, 100, 59.0 / 86400}, {"b.exe", 8, 200, 0.0}};
  std::string status;
  TListViewRows rows(form.procListView);
  auto refresh = [&] {
    RefreshProcessRows(
        [&](TKeyedList<TProcInfo>& list) {
          for (const TProcInfo& p : processes)
            list.Add(std::to_string(p.PID), std::make_unique<TProcInfo>(p));
        },
        [&](const std::string& text) { form.StatusBar.SetPanelText(0, text); }, rows, ":");
  };
  refresh();
  ASSERT_EQ(form.procListView.RowCount(), 3);
  EXPECT_EQ(form.StatusBar.PanelText(0), "进程数：3");
  EXPECT_EQ(ControlCellText(form.procListView.Handle(), 1, 0), "a.exe");
  EXPECT_EQ(ControlCellText(form.procListView.Handle(), 1, 3), "00:00:59");
  EXPECT_EQ(ControlCellText(form.procListView.Handle(), 0, 4), "16 K");
  form.procListView.SetSelected(2);

  // The same snapshot again: nothing reaches the control.
  MessageCounter counter(form.procListView.Handle());
  refresh();
  EXPECT_EQ(counter.Count(LVM_SETITEMTEXTW), 0);
  EXPECT_EQ(counter.Count(LVM_INSERTITEMW), 0);
  EXPECT_EQ(counter.Count(WM_SETREDRAW), 0);

  // One process gone, one new, one changed: the selected row stays selected.
  processes.erase(processes.begin() + 1);
  processes[1].MemUsage = 300;
  processes.push_back({"c.exe", 2, 50, 0.0});
  refresh();
  ASSERT_EQ(ControlRowCount(form.procListView.Handle()), 3);
  EXPECT_EQ(ControlCellText(form.procListView.Handle(), 1, 0), "b.exe");
  EXPECT_EQ(ControlCellText(form.procListView.Handle(), 1, 4), "300 K");
  EXPECT_EQ(ControlCellText(form.procListView.Handle(), 2, 1), "2");
  EXPECT_EQ(form.procListView.Selected(), 1);
  EXPECT_EQ(counter.Count(WM_SETREDRAW), 2) << "one bracket, one repaint";
}

TEST_F(ListViewRowsTest, TaskRowsOwnTheirRecordsAndShowTheirIcons) {
  HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  struct Window {
    uintptr_t handle;
    const char* title;
    bool hasIcon;
  };
  std::vector<Window> windows = {{101, "记事本", true}, {102, "无图标窗口", false}};
  TTaskListViewRows rows(form.TaskListView);
  TImageListSink images(form.ImageList);
  auto refresh = [&] {
    RefreshTaskRows(
        [&](TKeyedList<TWinInfo>& list) {
          for (const Window& w : windows) {
            auto record = std::make_unique<TWinInfo>();
            record->Handle = w.handle;
            record->Caption = w.title;
            record->WndClass = "Test";
            list.Add(std::to_string(w.handle), std::move(record));
          }
        },
        [](uintptr_t, const std::string&, TTextList&) { return true; },
        [&](uintptr_t handle) -> uintptr_t {
          for (const Window& w : windows)
            if (w.handle == handle && w.hasIcon) return reinterpret_cast<uintptr_t>(icon);
          return 0;
        },
        rows, images);
  };
  refresh();
  ASSERT_EQ(form.TaskListView.RowCount(), 2);
  EXPECT_EQ(form.ImageList.Count(), 1);
  EXPECT_EQ(form.TaskListView.ImageIndex(0), 0);
  EXPECT_EQ(form.TaskListView.ImageIndex(1), -1);
  EXPECT_EQ(ControlItem(form.TaskListView.Handle(), 1).iImage, I_IMAGENONE);
  EXPECT_EQ(ControlCellText(form.TaskListView.Handle(), 0, 0), "记事本");
  EXPECT_EQ(ControlCellText(form.TaskListView.Handle(), 0, 1), "正在运行");
  ASSERT_NE(rows.Data(1), nullptr);
  EXPECT_EQ(rows.Data(1)->Handle, 102u);

  windows[0].title = "记事本 - 新标题";
  windows.erase(windows.begin() + 1);
  refresh();
  ASSERT_EQ(form.TaskListView.RowCount(), 1);
  EXPECT_EQ(ControlCellText(form.TaskListView.Handle(), 0, 0), "记事本 - 新标题");
  EXPECT_EQ(rows.Data(0)->Caption, "记事本 - 新标题");
  EXPECT_EQ(form.ImageList.Count(), 1) << "the images are rebuilt on every refresh";
}

// The image list as a refresh leaves it: position k holds the k-th icon
// added, whatever the previous refresh held, and nothing more.
TEST_F(ListViewRowsTest, ImageSinkRefillsPositionsInOrderAndDropsTheRest) {
  HICON a = LoadIconW(nullptr, IDI_APPLICATION);
  HICON b = LoadIconW(nullptr, IDI_WARNING);
  HICON c = LoadIconW(nullptr, IDI_ERROR);
  ui::TImageList scratchImages;
  scratchImages.Create();
  auto refill = [&](std::initializer_list<HICON> icons) {
    TImageListSink images(form.ImageList);
    images.Clear();
    std::vector<int> positions;
    for (HICON icon : icons) positions.push_back(images.AddIcon(reinterpret_cast<uintptr_t>(icon)));
    return positions;
  };
  auto same = [&](int index, HICON icon) {
    // Compare what the list draws with the icon drawn directly.
    auto pixels = [](auto draw) {
      HDC screen = GetDC(nullptr);
      HDC dc = CreateCompatibleDC(screen);
      HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
      HGDIOBJ old = SelectObject(dc, bitmap);
      RECT all{0, 0, 16, 16};
      FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      draw(dc);
      std::vector<COLORREF> out;
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) out.push_back(GetPixel(dc, x, y));
      SelectObject(dc, old);
      DeleteObject(bitmap);
      DeleteDC(dc);
      ReleaseDC(nullptr, screen);
      return out;
    };
    TImageListSink scratch(scratchImages);
    scratch.Clear();
    scratch.AddIcon(reinterpret_cast<uintptr_t>(icon));
    return pixels([&](HDC dc) { ImageList_Draw(form.ImageList.Handle(), index, dc, 0, 0, ILD_NORMAL); }) ==
           pixels([&](HDC dc) { ImageList_Draw(scratchImages.Handle(), 0, dc, 0, 0, ILD_NORMAL); });
  };

  EXPECT_EQ(refill({a, nullptr, b, c}), (std::vector<int>{0, -1, 1, 2}));
  EXPECT_EQ(form.ImageList.Count(), 3);
  EXPECT_EQ(refill({c, a}), (std::vector<int>{0, 1}));
  ASSERT_EQ(form.ImageList.Count(), 2);
  EXPECT_TRUE(same(0, c));
  EXPECT_TRUE(same(1, a));
  EXPECT_EQ(refill({}), std::vector<int>{});
  EXPECT_EQ(form.ImageList.Count(), 0);
}

}  // namespace
}  // namespace taskmgr
