#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "os/win32/services.h"
#include "procinfo/proc_services.h"
#include "procinfo/process_control.h"
#include "procinfo/process_snapshot.h"
#include "win/procinfo/child_process.h"

namespace taskmgr {
namespace {

using testing::TChildProcess;

std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

TEST(ProcessSnapshotWin, HoldsThisProcessWithItsImageNameAndWorkingSet) {
  TKeyedList<TProcInfo> list;
  GetProcessList(list, Win32ProcessApi());
  ASSERT_GT(list.Count(), 1);

  const int32_t self = static_cast<int32_t>(GetCurrentProcessId());
  const int at = list.IndexOf(std::to_string(self));
  ASSERT_GE(at, 0);
  const TProcInfo* info = list.Object(at);
  EXPECT_EQ(info->PID, self);
  EXPECT_EQ(LowerAscii(info->Name), "win_procinfo.exe");
  EXPECT_GT(info->MemUsage, 0u);
  EXPECT_GE(info->CpuTime, 0.0);

  std::set<std::string> keys;
  for (int i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list.Key(i), std::to_string(list.Object(i)->PID));
    EXPECT_FALSE(list.Object(i)->Name.empty());
    keys.insert(list.Key(i));
  }
  EXPECT_EQ(keys.size(), static_cast<std::size_t>(list.Count())) << "one pair per process";
}

TEST(ProcessSnapshotWin, SeesAChildStartedJustBefore) {
  TChildProcess waiter(L"test_waiter.exe", L"");
  ASSERT_TRUE(waiter.Started());
  TKeyedList<TProcInfo> list;
  GetProcessList(list, Win32ProcessApi());
  const int at = list.IndexOf(std::to_string(waiter.Pid()));
  ASSERT_GE(at, 0);
  EXPECT_EQ(LowerAscii(list.Object(at)->Name), "test_waiter.exe");
}

TEST(ProcessSnapshotWin, WorkingSetOfThisProcessAndOfNone) {
  EXPECT_GT(GetProcessWorkingSet(static_cast<int32_t>(GetCurrentProcessId()), Win32ProcessApi()),
            0u);
  EXPECT_EQ(GetProcessWorkingSet(0, Win32ProcessApi()), 0u);
}

TEST(KillProcessWin, EndsAChildWithExitCodeZero) {
  TChildProcess waiter(L"test_waiter.exe", L"");
  ASSERT_TRUE(waiter.Started());
  EXPECT_EQ(waiter.WaitForExit(0), STILL_ACTIVE);
  KillProcess(static_cast<int32_t>(waiter.Pid()), Win32ProcessApi());
  EXPECT_EQ(waiter.WaitForExit(5000), 0u);
}

TEST(KillProcessWin, AProcessThatHasEndedStaysAsItEnded) {
  TChildProcess waiter(L"test_waiter.exe", L"");
  ASSERT_TRUE(waiter.Started());
  TerminateProcess(waiter.Handle(), 7);
  ASSERT_EQ(waiter.WaitForExit(5000), 7u);
  KillProcess(static_cast<int32_t>(waiter.Pid()), Win32ProcessApi());
  EXPECT_EQ(waiter.WaitForExit(0), 7u);
}

bool DebugPrivilegeEnabled() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  LUID debug{};
  LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &debug);
  DWORD size = 0;
  GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::string buffer(size, '\0');
  bool enabled = false;
  if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
      const auto& p = privileges->Privileges[i];
      if (p.Luid.LowPart == debug.LowPart && p.Luid.HighPart == debug.HighPart)
        enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
  }
  CloseHandle(token);
  return enabled;
}

TEST(EnableDebugPrivilegeWin, ResultTellsWhetherTheTokenNowHasItEnabled) {
  const bool result = EnableDebugPrivilege(Win32TokenApi());
  EXPECT_EQ(result, DebugPrivilegeEnabled());
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
  EXPECT_FALSE(SetPrivilege(reinterpret_cast<uintptr_t>(token), "SeNoSuchPrivilege", true,
                            Win32TokenApi()));
  CloseHandle(token);
}

TEST(ProcServicesWin, InstalledWin32ServicesServeTheProgramWideForms) {
  InstallProcServices(Win32ProcessApi(), Win32TokenApi(), Win32WindowApi());
  TKeyedList<TProcInfo> first;
  GetProcessList(first);
  EXPECT_GE(first.IndexOf(std::to_string(GetCurrentProcessId())), 0);
  TKeyedList<TProcInfo> second;
  GetProcessList(second);
  EXPECT_GE(second.IndexOf(std::to_string(GetCurrentProcessId())), 0);
}

}  // namespace
}  // namespace taskmgr
