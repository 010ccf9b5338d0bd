#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/command_ids.h"
#include "shell/main_form.h"
#include "ui/application.h"
#include "win/shell/shell_test_support.h"
#include "win/ui/ui_test_support.h"

namespace taskmgr {
namespace {

using taskmgr::testing::DepsWith;
using taskmgr::testing::SamplerLog;
using taskmgr::testing::StillSampler;
using taskmgr::testing::WindowText;
using ui::Scale;

class LayoutTest : public ::testing::Test {
 protected:
  SamplerLog log;
  TMainForm form{DepsWith<StillSampler>(log)};
};

TEST_F(LayoutTest, TitleCaptionAndFrame) {
  EXPECT_EQ(ui::Application().Title(), "Zorvik高高仿真windows任务管理器");
  EXPECT_EQ(WindowText(ui::Application().Handle()), "Zorvik高高仿真windows任务管理器");
  EXPECT_EQ(form.Text(), "Zorvik高仿真Windows 任务管理器");
  // The taskbar entry belongs to the title's window, which owns the form.
  EXPECT_EQ(GetWindow(form.Handle(), GW_OWNER), ui::Application().Handle());
  EXPECT_EQ(ui::Application().MainForm(), &form);

  const LONG_PTR style = GetWindowLongPtrW(form.Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_EQ(GetClassLongPtrW(form.Handle(), GCLP_HBRBACKGROUND),
            static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
  EXPECT_EQ(form.ClientSize().cx, Scale(426));
  EXPECT_EQ(form.ClientSize().cy, Scale(376));
  EXPECT_FALSE(form.DoubleBuffered()) << "turned on at the first showing";
  EXPECT_EQ(GetMenu(form.Handle()), form.MainMenu.Handle());
}

TEST_F(LayoutTest, ComponentBoundsWithinTheirParents) {
  struct Fixed {
    const char* name;
    ui::TControl& control;
    int left, top, width, height;
  };
  const Fixed fixed[] = {
      {"GroupBox1", form.GroupBox1, 120, 8, 283, 121},
      {"CpuPanel", form.CpuPanel, 12, 21, 260, 90},
      {"CpuImg", form.CpuImg, 2, 2, 256, 86},
      {"GroupBox2", form.GroupBox2, 120, 131, 284, 121},
      {"memPanel", form.memPanel, 12, 21, 260, 90},
      {"memImg", form.memImg, 2, 2, 256, 86},
  };
  for (const Fixed& c : fixed) {
    const RECT r = c.control.BoundsRect();
    EXPECT_EQ(r.left, Scale(c.left)) << c.name;
    EXPECT_EQ(r.top, Scale(c.top)) << c.name;
    EXPECT_EQ(r.right - r.left, Scale(c.width)) << c.name;
    EXPECT_EQ(r.bottom - r.top, Scale(c.height)) << c.name;
    EXPECT_EQ(c.control.Anchors(), ui::akLeft | ui::akTop) << c.name;
  }

  // Anchored to the page's right and bottom edges: the distances below are
  // those of the layout on a 418 x 343 page (buttons 7 pixels clear of it).
  struct Anchored {
    const char* name;
    ui::TControl& control;
    unsigned anchors;
    int left, top, width, height;  // -1: follows the page
    int rightGap, bottomGap;
  };
  const unsigned all = ui::akLeft | ui::akTop | ui::akRight | ui::akBottom;
  const unsigned corner = ui::akRight | ui::akBottom;
  const Anchored anchored[] = {
      {"TaskListView", form.TaskListView, all, 22, 24, -1, -1, 19, 38},
      {"Button1", form.Button1, corner, -1, -1, 89, 25, 192, 7},
      {"Button2", form.Button2, corner, -1, -1, 75, 25, 109, 7},
      {"Button3", form.Button3, corner, -1, -1, 87, 25, 16, 7},
      {"procListView", form.procListView, all, 24, 24, -1, -1, 17, 38},
      {"endProcBtn", form.endProcBtn, corner, -1, -1, 101, 25, 19, 8},
  };
  for (const Anchored& c : anchored) {
    const SIZE page = c.control.Parent()->ClientSize();
    const RECT r = c.control.BoundsRect();
    EXPECT_EQ(c.control.Anchors(), c.anchors) << c.name;
    if (c.left >= 0) {
      EXPECT_EQ(r.left, Scale(c.left)) << c.name;
    }
    if (c.top >= 0) {
      EXPECT_EQ(r.top, Scale(c.top)) << c.name;
    }
    if (c.width >= 0) {
      EXPECT_EQ(r.right - r.left, Scale(c.width)) << c.name;
    }
    if (c.height >= 0) {
      EXPECT_EQ(r.bottom - r.top, Scale(c.height)) << c.name;
    }
    EXPECT_EQ(page.cx - r.right, Scale(c.rightGap)) << c.name;
    EXPECT_EQ(page.cy - r.bottom, Scale(c.bottomGap)) << c.name;
    EXPECT_GE(r.top, 0) << c.name << " lies inside its page";
  }

  // The page control fills the client area above the status bar, which
  // runs along the bottom edge.
  const SIZE client = form.ClientSize();
  const RECT pages = form.PageControl1.BoundsRect();
  const RECT status = form.StatusBar.BoundsRect();
  EXPECT_EQ(pages.left, 0);
  EXPECT_EQ(pages.top, 0);
  EXPECT_EQ(pages.right, client.cx);
  EXPECT_EQ(pages.bottom, status.top);
  EXPECT_EQ(status.left, 0);
  EXPECT_EQ(status.right, client.cx);
  EXPECT_EQ(status.bottom, client.cy);
}

TEST_F(LayoutTest, TabsColumnsPanelsAndCaptions) {
  ASSERT_EQ(form.PageControl1.PageCount(), 3);
  EXPECT_EQ(form.TabSheet1.Caption(), "应用程序");
  EXPECT_EQ(form.TabSheet2.Caption(), "进程");
  EXPECT_EQ(form.TabSheet3.Caption(), "性能");
  EXPECT_EQ(form.PageControl1.ActivePageIndex(), 0);
  wchar_t tabText[32] = {};
  TCITEMW tab{};
  tab.mask = TCIF_TEXT;
  tab.pszText = tabText;
  tab.cchTextMax = 32;
  SendMessageW(form.PageControl1.Handle(), TCM_GETITEMW, 2, reinterpret_cast<LPARAM>(&tab));
  EXPECT_EQ(ui::Narrow(tabText), "性能");

  EXPECT_EQ(form.Button1.Text(), "结束任务(&E)");
  EXPECT_EQ(form.Button2.Text(), "切换至(&S)");
  EXPECT_EQ(form.Button3.Text(), "新任务(&N)...");
  EXPECT_EQ(form.endProcBtn.Text(), "结束进程(&E)");
  EXPECT_EQ(form.GroupBox1.Text(), "CPU 使用记录");
  EXPECT_EQ(form.GroupBox2.Text(), "内存使用记录");

  struct Column {
    ui::TListView& list;
    int index;
    const char* caption;
    int width;
    int format;
  };
  const Column columns[] = {
      {form.TaskListView, 0, "任务", 250, LVCFMT_LEFT},
      {form.TaskListView, 1, "状态", 100, LVCFMT_LEFT},
      {form.procListView, 0, "映像名称", 100, LVCFMT_LEFT},
      {form.procListView, 1, "PID", 50, LVCFMT_RIGHT},
      {form.procListView, 2, "CPU", 50, LVCFMT_RIGHT},
      {form.procListView, 3, "CPU时间", 70, LVCFMT_RIGHT},
      {form.procListView, 4, "内存使用", 100, LVCFMT_RIGHT},
  };
  EXPECT_EQ(form.TaskListView.ColumnCount(), 2);
  EXPECT_EQ(form.procListView.ColumnCount(), 5);
  for (const Column& c : columns) {
    wchar_t text[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = text;
    column.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(c.list.Handle(), LVM_GETCOLUMNW, static_cast<WPARAM>(c.index),
                             reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(ui::Narrow(text), c.caption);
    EXPECT_EQ(column.cx, Scale(c.width)) << c.caption;
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, c.format) << c.caption;
  }
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(
                SendMessageW(form.TaskListView.Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
            form.ImageList.Handle());
  EXPECT_EQ(SendMessageW(form.procListView.Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(form.ImageList.Handle(), &cx, &cy);
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 16);

  int edges[3] = {};
  ASSERT_EQ(SendMessageW(form.StatusBar.Handle(), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_EQ(edges[0], Scale(95));
  EXPECT_EQ(edges[1], Scale(95 + 120));
  EXPECT_EQ(edges[2], -1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(form.StatusBar.PanelText(i), "") << i;

  EXPECT_TRUE(form.Timer.Enabled());
  EXPECT_EQ(form.Timer.Interval(), 1000u);
  EXPECT_TRUE(form.Timer.Armed());
}

TEST_F(LayoutTest, MenuTree) {
  struct Item {
    ui::TMenuItem& item;
    const char* caption;
    ui::TMenuItem* parent;
    int32_t tag;
    bool checked;
  };
  const Item items[] = {
      {form.F1, "文件(&F)", nullptr, 0, false},
      {form.N1, "新任务(运行...)(&N)", &form.F1, 0, false},
      {form.X1, "退出任务管理器(&X)", &form.F1, 0, false},
      {form.N2, "选项(&Q)", nullptr, 0, false},
      {form.A1, "总在最前面(&A)", &form.N2, 0, false},
      {form.V1, "查看(&V)", nullptr, 0, false},
      {form.N4, "更新速度(&U)", &form.V1, 0, false},
      {form.H2, "高(&H)", &form.N4, 500, false},
      {form.N5, "标准(&N)", &form.N4, 1000, true},
      {form.N6, "低(&L)", &form.N4, 2000, false},
      {form.N8, "暂停(&P)", &form.N4, 0, false},
      {form.H1, "Zorvik主页", nullptr, 0, false},
  };
  for (const Item& c : items) {
    EXPECT_EQ(c.item.Caption(), c.caption);
    EXPECT_EQ(c.item.Parent(), c.parent) << c.caption;
    EXPECT_EQ(c.item.Tag(), c.tag) << c.caption;
    EXPECT_EQ(c.item.Checked(), c.checked) << c.caption;
  }

  // The same tree as the system's menus hold it.
  HMENU bar = GetMenu(form.Handle());
  ASSERT_EQ(GetMenuItemCount(bar), 4);
  const char* barCaptions[] = {"文件(&F)", "选项(&Q)", "查看(&V)", "Zorvik主页"};
  for (int i = 0; i < 4; ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(bar, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    EXPECT_EQ(ui::Narrow(text), barCaptions[i]);
  }
  EXPECT_EQ(GetSubMenu(bar, 3), nullptr) << "the homepage is a command on the bar";
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 0)), 2);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 1)), 1);
  HMENU speed = GetSubMenu(GetSubMenu(bar, 2), 0);
  ASSERT_NE(speed, nullptr);
  ASSERT_EQ(GetMenuItemCount(speed), 4);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ((GetMenuState(speed, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0, i == 1)
        << "only 标准 is ticked at start";
}

// Automation posts these identifiers; they must stay the items' own.
TEST_F(LayoutTest, MenuCommandsKeepTheirPublishedIdentifiers) {
  const std::pair<ui::TMenuItem&, uint16_t> items[] = {
      {form.N1, kCommandNewTask},     {form.X1, kCommandExit},
      {form.A1, kCommandAlwaysOnTop}, {form.H2, kCommandSpeedHigh},
      {form.N5, kCommandSpeedNormal}, {form.N6, kCommandSpeedLow},
      {form.N8, kCommandPause},       {form.H1, kCommandHomepage},
  };
  for (const auto& [item, id] : items) {
    EXPECT_EQ(item.Command(), id) << item.Caption();
    EXPECT_EQ(form.MainMenu.FindCommand(id), &item) << item.Caption();
  }
}

TEST_F(LayoutTest, ResizingMovesAnchoredControlsOnly) {
  form.Show();
  const RECT list = form.TaskListView.BoundsRect();
  const RECT button = form.Button3.BoundsRect();
  const RECT procList = form.procListView.BoundsRect();
  const RECT group = form.GroupBox2.BoundsRect();
  const RECT lastPanel = form.StatusBar.PanelRect(2);

  RECT frame{};
  GetWindowRect(form.Handle(), &frame);
  const int dx = Scale(120), dy = Scale(80);
  SetWindowPos(form.Handle(), nullptr, 0, 0, frame.right - frame.left + dx,
               frame.bottom - frame.top + dy, SWP_NOMOVE | SWP_NOZORDER);

  const RECT list2 = form.TaskListView.BoundsRect();
  EXPECT_EQ(list2.left, list.left);
  EXPECT_EQ(list2.top, list.top);
  EXPECT_EQ(list2.right - list.right, dx);
  EXPECT_EQ(list2.bottom - list.bottom, dy);
  const RECT procList2 = form.procListView.BoundsRect();
  EXPECT_EQ(procList2.right - procList.right, dx);
  EXPECT_EQ(procList2.bottom - procList.bottom, dy);
  const RECT button2 = form.Button3.BoundsRect();
  EXPECT_EQ(button2.left - button.left, dx);
  EXPECT_EQ(button2.top - button.top, dy);
  EXPECT_EQ(button2.right - button2.left, button.right - button.left);
  const RECT group2 = form.GroupBox2.BoundsRect();
  EXPECT_TRUE(EqualRect(&group2, &group)) << "the graphs keep their place and size";
  const RECT status = form.StatusBar.BoundsRect();
  EXPECT_EQ(status.bottom, form.ClientSize().cy);
  EXPECT_EQ(form.StatusBar.PanelRect(2).right - lastPanel.right, dx);
}

}  // namespace
}  // namespace taskmgr
