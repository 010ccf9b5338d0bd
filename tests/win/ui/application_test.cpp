#include "ui/application.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ui/form.h"
#include "ui/timer.h"
#include "win/ui/ui_test_support.h"

namespace taskmgr::ui {
namespace {

using taskmgr::testing::MessageBoxText;
using taskmgr::testing::ThreadDialogs;
using taskmgr::testing::WindowText;

TEST(Timer, TicksWhileEnabledAndRestartsOnChange) {
  TForm form;
  form.Create("计时", {100, 100});
  TTimer timer;
  timer.Create(form);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_TRUE(timer.Armed());

  int ticks = 0;
  timer.onTimer = [&] { ++ticks; };
  timer.SetInterval(20);
  Application().ProcessMessagesFor(2000, [&] { return ticks >= 3; });
  EXPECT_GE(ticks, 3);

  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Armed());
  ticks = 0;
  Application().ProcessMessagesFor(150);
  EXPECT_EQ(ticks, 0);

  timer.SetInterval(0);
  timer.SetEnabled(true);
  EXPECT_FALSE(timer.Armed()) << "an interval of 0 never ticks";
}

// A timer keeps failing while its error box is open: the box is shown once,
// the ticks go on under it, and after OK the next failure shows it again.
TEST(ErrorBox, OneAtATimeWhileTheTimerKeepsTicking) {
  TForm form;
  form.Create("错误框", {200, 100});
  form.Show();
  TTimer timer;
  timer.Create(form);
  timer.SetInterval(20);

  int ticks = 0;
  int ticksUnderBox = 0;
  size_t mostBoxes = 0;
  std::string boxText, boxCaption;
  bool failing = true;
  timer.onTimer = [&] {
    ++ticks;
    const std::vector<HWND> boxes = ThreadDialogs();
    mostBoxes = std::max(mostBoxes, boxes.size());
    if (!boxes.empty()) {
      ++ticksUnderBox;
      boxText = MessageBoxText(boxes.front());
      boxCaption = WindowText(boxes.front());
      // Enough ticks have failed under the open box: press OK.
      if (ticksUnderBox == 5) PostMessageW(boxes.front(), WM_COMMAND, IDOK, 0);
      if (ticksUnderBox >= 5) failing = false;
    }
    if (failing) throw std::runtime_error("刷新失败");
  };
  Application().ProcessMessagesFor(5000, [&] { return !failing && ThreadDialogs().empty(); });
  const int ticksAfterBox = ticks;
  Application().ProcessMessagesFor(3000, [&] { return ticks >= ticksAfterBox + 3; });

  EXPECT_EQ(mostBoxes, 1u);
  EXPECT_GE(ticksUnderBox, 5);
  EXPECT_EQ(boxText, "刷新失败");
  EXPECT_EQ(boxCaption, Application().Title());
  EXPECT_GE(ticks, ticksAfterBox + 3) << "the timer ticks on after the box";
  EXPECT_TRUE(ThreadDialogs().empty());
  EXPECT_FALSE(Application().ErrorBoxOpen());
}

TEST(Application, StartedMinimisedShowsTheFormAtTheRestore) {
  TForm form;
  form.Create("最小化启动", {200, 100});
  ASSERT_EQ(Application().MainForm(), &form);
  int shows = 0;
  form.onShow = [&] { ++shows; };

  Application().ShowMainForm(SW_SHOWMINNOACTIVE);
  Application().ProcessMessagesFor(100);
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  EXPECT_FALSE(form.HasBeenShown());
  EXPECT_TRUE(Application().Minimized());
  EXPECT_EQ(shows, 0);

  Application().Restore();
  Application().ProcessMessagesFor(100);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_EQ(shows, 1);
  EXPECT_FALSE(Application().Minimized());

  // Minimising the form minimises the taskbar entry and hides the form;
  // restoring brings the same form back without a new first showing.
  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Application().ProcessMessagesFor(100);
  EXPECT_TRUE(Application().Minimized());
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  Application().Restore();
  Application().ProcessMessagesFor(100);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_EQ(shows, 1);
}

TEST(Application, ClosingTheMainFormEndsTheEventLoop) {
  TForm form;
  form.Create("主窗口", {200, 100});
  ASSERT_EQ(Application().MainForm(), &form);
  int closes = 0;
  form.onClose = [&] { ++closes; };
  // Close from inside the loop, as the user would.
  PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(Application().Run(SW_SHOWNORMAL), 0);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(form.Handle(), nullptr);
  EXPECT_TRUE(Application().Terminated());
}

}  // namespace
}  // namespace taskmgr::ui
