#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ui/application.h"
#include "ui/button.h"
#include "ui/form.h"
#include "ui/image.h"
#include "ui/image_list.h"
#include "ui/menu.h"
#include "ui/page_control.h"
#include "ui/panel.h"
#include "ui/status_bar.h"
#include "ui/timer.h"
#include "win/ui/ui_test_support.h"

namespace taskmgr::ui {
namespace {

using taskmgr::testing::WindowText;

RECT Rect(int left, int top, int width, int height) {
  return {Scale(left), Scale(top), Scale(left + width), Scale(top + height)};
}

void ExpectRect(const RECT& actual, const RECT& expected, const char* what) {
  EXPECT_EQ(actual.left, expected.left) << what;
  EXPECT_EQ(actual.top, expected.top) << what;
  EXPECT_EQ(actual.right, expected.right) << what;
  EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

TEST(Form, FrameCaptionAndClientSize) {
  TForm form;
  TFormOptions options;
  options.MaximizeBox = false;
  form.Create("窗口标题 Ünïcode", {426, 376}, options);
  EXPECT_EQ(form.Text(), "窗口标题 Ünïcode");
  const SIZE client = form.ClientSize();
  EXPECT_EQ(client.cx, Scale(426));
  EXPECT_EQ(client.cy, Scale(376));
  const LONG_PTR style = GetWindowLongPtrW(form.Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_SYSMENU);
  // Owned by the taskbar window, which carries the application title.
  EXPECT_EQ(GetWindow(form.Handle(), GW_OWNER), Application().Handle());
  EXPECT_EQ(WindowText(Application().Handle()), Application().Title());

  // A menu bar keeps the client size.
  TMainMenu menu;
  menu.Create();
  TMenuItem item;
  item.Create(menu, "文件(&F)");
  form.SetMenu(menu);
  EXPECT_EQ(form.ClientSize().cy, Scale(376));
}

TEST(Form, FirstShowingCentresOnTheWorkArea) {
  TForm form;
  form.Create("居中", {300, 200});
  int shows = 0;
  form.onShow = [&] { ++shows; };
  form.Show();
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const RECT window = form.BoundsRect();
  EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);
  EXPECT_EQ(shows, 1);
  EXPECT_TRUE(form.HasBeenShown());
}

TEST(Form, StayOnTopKeepsTheSameWindow) {
  TForm form;
  form.Create("置顶", {200, 100});
  form.Show();
  HWND before = form.Handle();
  form.SetStayOnTop(true);
  EXPECT_TRUE(form.StayOnTop());
  form.SetStayOnTop(false);
  EXPECT_FALSE(GetWindowLongPtrW(Application().Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(form.StayOnTop());
  EXPECT_EQ(form.Handle(), before);
}

TEST(Layout, AnchoredEdgesKeepTheirDistance) {
  TForm form;
  form.Create("锚定", {400, 300});
  TPanel all, corner, fixed, wide;
  all.Create(form, {10, 20, 300, 200});
  all.SetAnchors(akLeft | akTop | akRight | akBottom);
  corner.Create(form, {320, 260, 70, 30});
  corner.SetAnchors(akRight | akBottom);
  fixed.Create(form, {5, 240, 50, 40});
  wide.Create(form, {150, 5, 100, 10});  // 150 from the right edge
  wide.SetAnchors(akLeft | akRight);
  ExpectRect(all.BoundsRect(), Rect(10, 20, 300, 200), "all, as designed");

  RECT frame{};
  GetWindowRect(form.Handle(), &frame);
  const int dx = Scale(100), dy = Scale(60);
  SetWindowPos(form.Handle(), nullptr, 0, 0, frame.right - frame.left + dx,
               frame.bottom - frame.top + dy, SWP_NOMOVE | SWP_NOZORDER);
  RECT grown = Rect(10, 20, 300, 200);
  grown.right += dx;
  grown.bottom += dy;
  ExpectRect(all.BoundsRect(), grown, "all anchors: grows with the form");
  RECT moved = Rect(320, 260, 70, 30);
  OffsetRect(&moved, dx, dy);
  ExpectRect(corner.BoundsRect(), moved, "right and bottom: moves with the corner");
  ExpectRect(fixed.BoundsRect(), Rect(5, 240, 50, 40), "no anchors: stays");

  // Narrower than the anchored edges' distances add up to.
  SetWindowPos(form.Handle(), nullptr, 0, 0, Scale(250), frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_LT(form.ClientSize().cx, Scale(300));
  const RECT squeezed = wide.BoundsRect();
  EXPECT_EQ(squeezed.left, Scale(150));
  EXPECT_EQ(squeezed.right - squeezed.left, 0) << "never a negative size";
}

TEST(Layout, BottomAndClientAlignment) {
  TForm form;
  form.Create("对齐", {400, 300});
  TPanel body;
  body.Create(form, {0, 0, 400, 280});
  body.SetAlign(TAlign::Client);
  TStatusBar status;
  status.Create(form, {95, 120, 50});
  const SIZE client = form.ClientSize();
  const RECT bar = status.BoundsRect();
  const RECT rest = body.BoundsRect();
  EXPECT_EQ(bar.bottom, client.cy);
  EXPECT_EQ(bar.right - bar.left, client.cx);
  EXPECT_EQ(rest.top, 0);
  EXPECT_EQ(rest.bottom, bar.top);
  EXPECT_EQ(rest.right, client.cx);
}

TEST(StatusBar, PanelsAndTheirTexts) {
  TForm form;
  form.Create("状态栏", {426, 376});
  TStatusBar status;
  status.Create(form, {95, 120, 50});
  EXPECT_TRUE(GetWindowLongPtrW(status.Handle(), GWL_STYLE) & SBARS_SIZEGRIP);
  int edges[3] = {};
  ASSERT_EQ(SendMessageW(status.Handle(), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_EQ(edges[0], Scale(95));
  EXPECT_EQ(edges[1], Scale(95 + 120));
  EXPECT_EQ(edges[2], -1);  // the last panel reaches the right edge

  EXPECT_EQ(status.PanelText(1), "");
  status.SetPanelText(1, "CPU 使用：5%");
  EXPECT_EQ(status.PanelText(1), "CPU 使用：5%");
  wchar_t text[128] = {};
  SendMessageW(status.Handle(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(Narrow(text), "CPU 使用：5%");
  EXPECT_THROW(status.SetPanelText(3, "x"), std::out_of_range);
}

TEST(Menu, TreeTagsTicksAndClicks) {
  TForm form;
  form.Create("菜单", {300, 200});
  TMainMenu menu;
  menu.Create();
  TMenuItem view, speed, high, pause, home;
  view.Create(menu, "查看(&V)");
  speed.Create(view, "更新速度(&U)");
  high.Create(speed, "高(&H)", 500);
  pause.Create(speed, "暂停(&P)", 0, true);
  home.Create(menu, "主页");
  form.SetMenu(menu);

  HMENU bar = GetMenu(form.Handle());
  ASSERT_EQ(bar, menu.Handle());
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  EXPECT_EQ(GetSubMenu(bar, 0), view.SubMenu());
  EXPECT_EQ(GetSubMenu(bar, 1), nullptr);  // a command right on the bar
  HMENU speedMenu = GetSubMenu(view.SubMenu(), 0);
  ASSERT_EQ(speedMenu, speed.SubMenu());
  wchar_t caption[64] = {};
  GetMenuStringW(speedMenu, 0, caption, 64, MF_BYPOSITION);
  EXPECT_EQ(Narrow(caption), "高(&H)");
  EXPECT_EQ(GetMenuState(speedMenu, 1, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(high.Tag(), 500);

  high.SetChecked(true);
  pause.SetChecked(false);
  EXPECT_EQ(GetMenuState(speedMenu, 0, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(GetMenuState(speedMenu, 1, MF_BYPOSITION) & MF_CHECKED, 0u);

  std::vector<TMenuItem*> clicked;
  high.onClick = [&](TMenuItem& sender) { clicked.push_back(&sender); };
  home.onClick = [&](TMenuItem& sender) { clicked.push_back(&sender); };
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(high.Command(), 0), 0);
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(home.Command(), 0), 0);
  EXPECT_EQ(clicked, (std::vector<TMenuItem*>{&high, &home}));
}

TEST(Routing, NotificationsReachTheControlsOwnObject) {
  TForm form;
  form.Create("通知", {426, 376});
  TPageControl pages;
  pages.Create(form, {0, 0, 426, 357});
  TTabSheet first, second;
  first.Create(pages, "第一", {418, 329});
  second.Create(pages, "第二", {418, 329});
  TGroupBox group;
  group.Create(second, {10, 10, 200, 100}, "组");
  TButton button;
  button.Create(group, {10, 30, 80, 25}, "按钮(&B)");
  form.Show();

  EXPECT_TRUE(first.Visible());
  EXPECT_FALSE(second.Visible());

  // A click on the second tab: TCN_SELCHANGE goes to the form and back to
  // the page control.
  int changes = 0;
  pages.onChange = [&] { ++changes; };
  RECT tab{};
  SendMessageW(pages.Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
  const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  SendMessageW(pages.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(pages.Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(pages.ActivePageIndex(), 1);
  EXPECT_FALSE(first.Visible());
  EXPECT_TRUE(second.Visible());

  // BN_CLICKED goes to the group box, which hands it to the button.
  int clicks = 0;
  button.onClick = [&] { ++clicks; };
  button.Click();
  EXPECT_EQ(clicks, 1);

  // Pages fill the page control's display area.
  const RECT area = pages.DisplayRect();
  const RECT page = second.BoundsRect();
  EXPECT_EQ(page.left, area.left);
  EXPECT_EQ(page.bottom, area.bottom);
}

TEST(Errors, AHandlerErrorGoesToTheErrorBoxAndNotAcrossTheWindowProcedure) {
  TForm form;
  form.Create("错误", {200, 100});
  TButton button;
  button.Create(form, {10, 10, 80, 25}, "出错");
  button.onClick = [] { throw std::runtime_error("处理出错了"); };
  std::vector<std::string> shown;
  Application().ErrorPresenter = [&](const std::string& text, const std::string& caption) {
    shown.push_back(text + "|" + caption);
  };
  button.Click();
  button.Click();
  Application().ErrorPresenter = nullptr;
  EXPECT_EQ(shown, (std::vector<std::string>{"处理出错了|界面测试", "处理出错了|界面测试"}));
}

TEST(Image, ShowsACopyOfAnyStride) {
  TForm form;
  form.Create("图像", {200, 100});
  TPanel panel;
  panel.Create(form, {10, 10, 64, 40}, TBevel::Lowered, TBevel::Lowered);
  TImage image;
  image.Create(panel, {2, 2, 60, 36});
  form.Show();

  // 5 x 3 pixels, 20 bytes a row (more than the 15 needed).
  std::vector<uint8_t> bits(20 * 3, 0);
  auto put = [&](int x, int y, uint8_t b, uint8_t g, uint8_t r) {
    bits[static_cast<size_t>(y * 20 + x * 3)] = b;
    bits[static_cast<size_t>(y * 20 + x * 3 + 1)] = g;
    bits[static_cast<size_t>(y * 20 + x * 3 + 2)] = r;
  };
  put(0, 0, 0x11, 0x22, 0x33);
  put(4, 2, 0x58, 0xFF, 0x35);
  image.SetPicture(bits.data(), 5, 3, 20);
  bits.assign(bits.size(), 0xEE);  // the image keeps its own copy
  EXPECT_EQ(image.PictureStride(), 16);
  EXPECT_EQ(image.PicturePixel(0, 0), 0x112233u);
  EXPECT_EQ(image.PicturePixel(4, 2), 0x58FF35u);
  EXPECT_EQ(image.PicturePixel(1, 1), 0u);

  image.Repaint();
  HDC dc = GetDC(image.Handle());
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0x33, 0x22, 0x11));
  EXPECT_EQ(GetPixel(dc, 4, 2), RGB(0x35, 0xFF, 0x58));
  ReleaseDC(image.Handle(), dc);

  EXPECT_THROW(image.SetPicture(bits.data(), 5, 3, 14), std::invalid_argument);

  // A padded copy is taken over whole; the previous picture comes back.
  std::vector<uint8_t> padded(16 * 3, 0);
  padded[16 * 1 + 3 * 2 + 2] = 0x7F;  // red of (2, 1)
  image.TakePicture(padded, 5, 3);
  EXPECT_EQ(image.PicturePixel(2, 1), 0x00007Fu);
  EXPECT_EQ(image.PicturePixel(0, 0), 0u);
  ASSERT_EQ(padded.size(), 16u * 3);
  EXPECT_EQ(padded[0], 0x11) << "the previous picture's first pixel";
  std::vector<uint8_t> wrongSize(15 * 3);
  EXPECT_THROW(image.TakePicture(wrongSize, 5, 3), std::invalid_argument);
}

TEST(ImageList, StoresCopiesOfIcons) {
  TImageList images;
  images.Create(16, 16);
  EXPECT_EQ(images.AddIcon(nullptr), -1);
  EXPECT_EQ(images.Count(), 0);
  HICON icon = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(images.AddIcon(icon), 0);
  EXPECT_EQ(images.AddIcon(icon), 1);
  DestroyIcon(icon);  // the caller's handle goes; the list's copies stay
  EXPECT_EQ(images.Count(), 2);
  HICON copy = ImageList_GetIcon(images.Handle(), 1, ILD_NORMAL);
  EXPECT_NE(copy, nullptr);
  if (copy) DestroyIcon(copy);
  images.Clear();
  EXPECT_EQ(images.Count(), 0);
}

}  // namespace
}  // namespace taskmgr::ui
