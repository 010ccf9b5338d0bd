#include <gtest/gtest.h>

#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "perf/cpu_usage.h"
#include "perf/mem_info.h"
#include "shell/main_form.h"
#include "ui/application.h"
#include "win/shell/shell_test_support.h"
#include "win/ui/ui_test_support.h"

namespace taskmgr {
namespace {

using taskmgr::testing::DepsWith;
using taskmgr::testing::MessageBoxText;
using taskmgr::testing::SamplerLog;
using taskmgr::testing::StillSampler;
using taskmgr::testing::ThreadDialogs;
using taskmgr::testing::WindowText;

constexpr uint64_t kMiB = 1024 * 1024;

void SetSamples(int32_t cpu, uint64_t total, uint64_t avail, uint64_t commit) {
  CpuUsage.store(cpu);
  MemoryStatus status = MemStatus.Load();
  status.TotalPhys = total;
  status.AvailPhys = avail;
  status.TotalPageFile = commit;
  MemStatus.Store(status);
}

void Click(TMainForm& form, ui::TMenuItem& item) {
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(item.Command(), 0), 0);
}

class RefreshTest : public ::testing::Test {
 protected:
  RefreshTest() {
    SetSamples(0, 0, 0, 0);
    TMainFormDeps deps = DepsWith<StillSampler>(log);
    deps.TickProbe = [this] {
      ++ticks;
      if (probe) probe();
    };
    form = std::make_unique<TMainForm>(std::move(deps));
  }

  void PumpUntilTicks(int count, DWORD limitMs = 3000) {
    const int target = ticks + count;
    ui::Application().ProcessMessagesFor(limitMs, [&] { return ticks >= target; });
  }

  SamplerLog log;
  int ticks = 0;
  std::function<void()> probe;
  std::unique_ptr<TMainForm> form;
};

TEST_F(RefreshTest, TicksBeforeTheFirstShowingLeaveTheGraphPanelsEmpty) {
  form->SetRefreshInterval(30);
  SetSamples(42, 500 * kMiB, 200 * kMiB, 1024 * kMiB);
  PumpUntilTicks(3);
  EXPECT_GE(ticks, 3) << "the timer ticks from the moment the window exists";
  EXPECT_FALSE(form->HasBeenShown());
  EXPECT_EQ(form->CpuGraph(), nullptr);
  EXPECT_EQ(form->StatusBar.PanelText(1), "");
  EXPECT_EQ(form->StatusBar.PanelText(2), "");
  EXPECT_EQ(form->CpuImg.PictureWidth(), 0);
  EXPECT_EQ(log.created, 0);
}

TEST_F(RefreshTest, TicksAfterTheFirstShowingCopyFramesAndWriteTheStatus) {
  MemStatus.SetLength(0);
  form->Show();
  ASSERT_EQ(log.created, 1);
  ASSERT_NE(form->CpuGraph(), nullptr);
  EXPECT_EQ(MemStatus.Load().dwLength, 32u);
  EXPECT_TRUE(form->DoubleBuffered());
  // The images show the first grid at once, at the images' own size.
  TUseage& cpu = *form->CpuGraph();
  TUseage& mem = *form->MemGraph();
  EXPECT_EQ(cpu.Width(), form->CpuImg.ClientSize().cx);
  EXPECT_EQ(cpu.Height(), form->CpuImg.ClientSize().cy);
  EXPECT_EQ(form->CpuImg.PictureWidth(), cpu.Width());
  for (int y = 0; y < cpu.Height(); ++y)
    for (int x = 0; x < cpu.Width(); ++x)
      ASSERT_EQ(form->CpuImg.PicturePixel(x, y), cpu.Pixel(x, y)) << x << "," << y;

  // Before the sampler's first sample.
  form->TimerTimer();
  EXPECT_EQ(form->StatusBar.PanelText(1), "CPU 使用：0%");
  EXPECT_EQ(form->StatusBar.PanelText(2), "内存使用：0/0");

  // A frame the sampler finished, and its samples.
  {
    std::lock_guard lock(cpu.FrameLock());
    cpu.SetPenColor(0x58FF35);
    cpu.DrawSegment(10, 40, 11, 40);
  }
  {
    std::lock_guard lock(mem.FrameLock());
    mem.SetPenColor(0x58FFFF);
    mem.DrawSegment(200, 5, 201, 5);
  }
  SetSamples(-1, 500 * kMiB, 200 * kMiB, 1024 * kMiB);
  form->TimerTimer();
  EXPECT_EQ(form->CpuImg.PicturePixel(10, 40), 0x58FF35u);
  EXPECT_EQ(form->memImg.PicturePixel(200, 5), 0x58FFFFu);
  EXPECT_EQ(form->CpuImg.PicturePixel(200, 5), cpu.Pixel(200, 5)) << "each image its own graph";
  EXPECT_EQ(form->StatusBar.PanelText(1), "CPU 使用：-1%");
  EXPECT_EQ(form->StatusBar.PanelText(2), "内存使用：307200/1048576");

  // Showing again repeats nothing.
  form->Hide();
  form->Show();
  EXPECT_EQ(log.created, 1);
  EXPECT_EQ(form->CpuGraph(), &cpu);
}

TEST_F(RefreshTest, PauseAndResumeThroughTheSpeedMenu) {
  form->SetRefreshInterval(30);
  PumpUntilTicks(2);

  Click(*form, form->N8);
  EXPECT_FALSE(form->Timer.Enabled());
  EXPECT_TRUE(form->N8.Checked());
  EXPECT_FALSE(form->N5.Checked());
  const int paused = ticks;
  ui::Application().ProcessMessagesFor(200);
  EXPECT_EQ(ticks, paused) << "no ticks while paused";

  Click(*form, form->N8);
  EXPECT_TRUE(form->Timer.Enabled());
  EXPECT_EQ(form->Timer.Interval(), 30u) << "the interval of before the pause";
  for (ui::TMenuItem* item : {&form->H2, &form->N5, &form->N6, &form->N8})
    EXPECT_FALSE(item->Checked()) << item->Caption();
  PumpUntilTicks(2);
  EXPECT_GE(ticks, paused + 2);

  Click(*form, form->N8);
  Click(*form, form->N6);
  EXPECT_TRUE(form->Timer.Enabled());
  EXPECT_EQ(form->Timer.Interval(), 2000u);
  EXPECT_TRUE(form->N6.Checked());
  EXPECT_FALSE(form->N8.Checked());
  Click(*form, form->H2);
  EXPECT_EQ(form->Timer.Interval(), 500u);
  EXPECT_TRUE(form->H2.Checked());
  EXPECT_FALSE(form->N6.Checked());
}

// A tick that fails every time: one error box, ticks go on under it and
// after it.
TEST_F(RefreshTest, AnErrorInATickShowsOneBoxAndTheTimerGoesOn) {
  form->Show();
  form->SetRefreshInterval(30);
  int underBox = 0;
  size_t mostBoxes = 0;
  std::string text, caption;
  bool failing = true;
  probe = [&] {
    const std::vector<HWND> boxes = ThreadDialogs();
    mostBoxes = std::max(mostBoxes, boxes.size());
    if (!boxes.empty()) {
      ++underBox;
      text = MessageBoxText(boxes.front());
      caption = WindowText(boxes.front());
      if (underBox == 5) {
        failing = false;
        PostMessageW(boxes.front(), WM_COMMAND, IDOK, 0);
      }
    }
    if (failing) throw std::runtime_error("进程列表刷新失败");
  };
  ui::Application().ProcessMessagesFor(5000, [&] { return !failing && ThreadDialogs().empty(); });
  const int after = ticks;
  PumpUntilTicks(3);

  EXPECT_EQ(mostBoxes, 1u);
  EXPECT_GE(underBox, 5);
  EXPECT_EQ(text, "进程列表刷新失败");
  EXPECT_EQ(caption, "Zorvik高高仿真windows任务管理器");
  EXPECT_GE(ticks, after + 3);
  EXPECT_TRUE(form->Timer.Enabled());
  EXPECT_TRUE(ThreadDialogs().empty());
}

}  // namespace
}  // namespace taskmgr
