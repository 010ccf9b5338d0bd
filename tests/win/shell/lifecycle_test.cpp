#include <gtest/gtest.h>

#include <string>

#include "shell/main_form.h"
#include "ui/application.h"
#include "win/shell/shell_test_support.h"
#include "win/ui/ui_test_support.h"

namespace taskmgr {
namespace {

using taskmgr::testing::DepsWith;
using taskmgr::testing::ProgramFolder;
using taskmgr::testing::RecordingSampler;
using taskmgr::testing::SamplerLog;
using taskmgr::testing::SaveWindowBitmap;
using taskmgr::testing::StillSampler;

void Click(TMainForm& form, ui::TMenuItem& item) {
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(item.Command(), 0), 0);
}

TEST(Lifecycle, ExitStopsTheSamplerAtOnceAndFreesTheSurfaces) {
  SamplerLog log;
  TMainForm form(DepsWith<RecordingSampler>(log));
  form.Show();
  ASSERT_EQ(log.running, 1);
  // Into the sampler's one-second pause.
  ui::Application().ProcessMessagesFor(300);

  Click(form, form.X1);

  EXPECT_EQ(form.Handle(), nullptr) << "the window has closed";
  EXPECT_FALSE(form.Timer.Enabled());
  EXPECT_FALSE(form.SamplerRunning());
  EXPECT_EQ(form.CpuGraph(), nullptr);
  EXPECT_EQ(form.MemGraph(), nullptr);
  EXPECT_EQ(log.running, 0);
  EXPECT_TRUE(log.surfacesFreedAfterWait);
  // The pause ends when the window closes instead of running its second out.
  EXPECT_GE(log.stopTook.count(), 0);
  EXPECT_LT(log.stopTook.count(), 500);
}

TEST(Lifecycle, AlwaysOnTopTogglesWithoutASecondSampler) {
  SamplerLog log;
  TMainForm form(DepsWith<RecordingSampler>(log));
  form.Show();
  HWND window = form.Handle();
  TUseage* cpu = form.CpuGraph();

  Click(form, form.A1);
  EXPECT_TRUE(form.A1.Checked());
  EXPECT_TRUE(form.StayOnTop());
  Click(form, form.A1);
  EXPECT_FALSE(form.A1.Checked());
  EXPECT_FALSE(form.StayOnTop());

  EXPECT_EQ(form.Handle(), window) << "nothing was re-created";
  EXPECT_EQ(log.created, 1);
  EXPECT_EQ(log.running, 1);
  EXPECT_EQ(form.CpuGraph(), cpu);
  form.Close();
  EXPECT_EQ(log.running, 0);
}

TEST(Lifecycle, StartedMinimisedTicksFirstAndShowsAtTheRestore) {
  SamplerLog log;
  int ticks = 0;
  TMainFormDeps deps = DepsWith<StillSampler>(log);
  deps.TickProbe = [&] { ++ticks; };
  TMainForm form(std::move(deps));
  form.SetRefreshInterval(30);

  ui::Application().ShowMainForm(SW_SHOWMINNOACTIVE);
  ui::Application().ProcessMessagesFor(2000, [&] { return ticks >= 3; });
  EXPECT_GE(ticks, 3);
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  EXPECT_EQ(log.created, 0);
  EXPECT_EQ(form.StatusBar.PanelText(1), "");
  EXPECT_EQ(form.StatusBar.PanelText(2), "");

  ui::Application().Restore();
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_EQ(log.created, 1);
  const int restoredAt = ticks;
  ui::Application().ProcessMessagesFor(2000, [&] { return ticks > restoredAt; });
  EXPECT_EQ(form.StatusBar.PanelText(1).rfind("CPU 使用：", 0), 0u);
  EXPECT_EQ(form.StatusBar.PanelText(2).rfind("内存使用：", 0), 0u);
}

// Pictures of the window for a person to look at (screenshots/tab-N.bmp next
// to the test program), with the real sampler drawing.
TEST(Lifecycle, ScreenshotsOfEachTab) {
  SamplerLog log;
  TMainForm form(DepsWith<RecordingSampler>(log));
  form.Show();
  const std::wstring folder = ProgramFolder() + L"\\screenshots";
  CreateDirectoryW(folder.c_str(), nullptr);
  ui::Application().ProcessMessagesFor(2500);  // a few sampler passes
  for (int tab = 0; tab < form.PageControl1.PageCount(); ++tab) {
    form.PageControl1.SetActivePage(tab);
    ui::Application().ProcessMessagesFor(tab == 2 ? 1200 : 300);
    const std::wstring path = folder + L"\\tab-" + std::to_wstring(tab + 1) + L".bmp";
    EXPECT_TRUE(SaveWindowBitmap(form.Handle(), path)) << tab;
  }
  form.Close();
}

}  // namespace
}  // namespace taskmgr
