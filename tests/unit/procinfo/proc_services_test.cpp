#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_process_api.h"
#include "fakes/fake_token_api.h"
#include "fakes/fake_window_api.h"
#include "procinfo/proc_services.h"
#include "procinfo/process_control.h"
#include "procinfo/process_snapshot.h"
#include "procinfo/window_list.h"

// GCC 12 asks for every member of a designated initializer.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

namespace taskmgr {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

// The one test in this program that installs services: they stay installed
// for the rest of the run, so they live as long as the program.
TEST(ProcServices, ProgramWideFormsFindNothingUntilServicesAreInstalled) {
  TKeyedList<TProcInfo> processes;
  GetProcessList(processes);
  TKeyedList<TWinInfo> windows;
  GetWindowList(windows);
  EXPECT_EQ(processes.Count(), 0);
  EXPECT_EQ(windows.Count(), 0);
  EXPECT_FALSE(EnableDebugPrivilege());
  EXPECT_EQ(GetProcessWorkingSet(4), 0u);

  static fakes::FakeProcessApi processApi;
  static fakes::FakeTokenApi tokenApi;
  static fakes::FakeWindowApi windowApi;
  processApi.Processes = {{.Pid = 4, .Name = u"System"}};
  processApi.WorkingSets = {{4, 4096}, {8, 0}};
  windowApi.Windows = {{.Handle = 0x30, .Title = u"标题", .Pid = 8, .SmallIcon = 0x77}};
  InstallProcServices(processApi, tokenApi, windowApi);

  GetProcessList(processes);
  ASSERT_EQ(processes.Count(), 1);
  EXPECT_EQ(processes.Object(0)->MemUsage, 4u);
  EXPECT_EQ(GetProcessWorkingSet(4), 4096u);
  GetWindowList(windows);
  ASSERT_EQ(windows.Count(), 1);
  TTextList claimed;
  EXPECT_TRUE(IsTaskWindow(0x30, "Notepad", claimed));
  EXPECT_FALSE(IsTaskWindow(0x30, "Notepad", claimed));
  EXPECT_EQ(GetWindowIcon(0x30), 0x77u);
  EXPECT_EQ(GetWindowProcessId(0x30), 8u);
  EXPECT_TRUE(EnableDebugPrivilege());
  EXPECT_TRUE(SetPrivilege(0x2C, "SeDebugPrivilege", true));
  processApi.Log.clear();
  KillProcess(GetWindowProcessId(0x30));
  EXPECT_THAT(processApi.Log, ElementsAre(StartsWith("OpenProcess(0x401, 8) -> 0x1"),
                                          StartsWith("TerminateProcess(0x1"),
                                          StartsWith("CloseHandle(0x1")));
  EXPECT_TRUE(processApi.OpenHandles.empty());
}

}  // namespace
}  // namespace taskmgr
