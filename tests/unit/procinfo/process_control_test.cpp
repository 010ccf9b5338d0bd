#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_process_api.h"
#include "fakes/fake_token_api.h"
#include "procinfo/process_control.h"

namespace taskmgr {
namespace {

using fakes::FakeProcessApi;
using fakes::FakeTokenApi;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(KillProcess, OpensForTerminationEndsWithCodeZeroAndCloses) {
  struct TCase {
    const char* What;
    int32_t Pid;
    bool Exists;
    bool TerminateSucceeds;
    std::vector<std::string> Log;
  };
  const TCase cases[] = {
      {"PID 0 makes no call", 0, true, true, {}},
      {"running process", 1234, true, true,
       {"OpenProcess(0x401, 1234) -> 0x100", "TerminateProcess(0x100, 0)", "CloseHandle(0x100)"}},
      {"termination refused", 1234, true, false,
       {"OpenProcess(0x401, 1234) -> 0x100", "TerminateProcess(0x100, 0)", "CloseHandle(0x100)"}},
      {"process gone or not openable", 1234, false, true, {"OpenProcess(0x401, 1234) -> 0x0"}},
  };
  for (const TCase& c : cases) {
    FakeProcessApi api;
    if (c.Exists) api.WorkingSets[c.Pid] = 0;
    api.TerminateSucceeds = c.TerminateSucceeds;
    KillProcess(c.Pid, api);
    EXPECT_EQ(api.Log, c.Log) << c.What;
    EXPECT_THAT(api.OpenHandles, IsEmpty()) << c.What;
  }
}

TEST(SetPrivilege, TrueOnlyWhenTheAdjustmentLeavesNoError) {
  struct TCase {
    const char* What;
    std::string Name;
    bool Enable;
    uint32_t LastError;
    bool Expected;
    std::vector<std::string> Log;
  };
  const TCase cases[] = {
      {"enabled", "SeDebugPrivilege", true, 0, true,
       {"LookupPrivilege(SeDebugPrivilege)", "AdjustTokenPrivileges(0x2c, 20:0, 0x2)"}},
      {"disabled", "SeShutdownPrivilege", false, 0, true,
       {"LookupPrivilege(SeShutdownPrivilege)", "AdjustTokenPrivileges(0x2c, 19:0, 0x0)"}},
      {"token lacks the privilege", "SeDebugPrivilege", true, 1300, false,
       {"LookupPrivilege(SeDebugPrivilege)", "AdjustTokenPrivileges(0x2c, 20:0, 0x2)"}},
      {"unknown privilege leaves the token alone", "SeNoSuchPrivilege", true, 0, false,
       {"LookupPrivilege(SeNoSuchPrivilege)"}},
  };
  for (const TCase& c : cases) {
    FakeTokenApi api;
    api.AdjustLastError = c.LastError;
    EXPECT_EQ(SetPrivilege(0x2C, c.Name, c.Enable, api), c.Expected) << c.What;
    EXPECT_EQ(api.Log, c.Log) << c.What;
  }
}

TEST(EnableDebugPrivilege, AdjustsOwnTokenOpenedForAdjustOnlyAndClosesIt) {
  FakeTokenApi api;
  EXPECT_TRUE(EnableDebugPrivilege(api));
  EXPECT_THAT(api.Log, ElementsAre("OpenOwnProcessToken(0x20) -> 0x2c",
                                   "LookupPrivilege(SeDebugPrivilege)",
                                   "AdjustTokenPrivileges(0x2c, 20:0, 0x2)", "CloseHandle(0x2c)"));
}

TEST(EnableDebugPrivilege, UserWithoutThePrivilegeGetsFalseAndTheTokenIsClosed) {
  FakeTokenApi api;
  api.AdjustLastError = 1300;
  EXPECT_FALSE(EnableDebugPrivilege(api));
  EXPECT_EQ(api.Log.back(), "CloseHandle(0x2c)");
}

TEST(EnableDebugPrivilege, TokenThatCannotBeOpenedGivesFalseAndNothingMore) {
  FakeTokenApi api;
  api.TokenOpens = false;
  EXPECT_FALSE(EnableDebugPrivilege(api));
  EXPECT_THAT(api.Log, ElementsAre("OpenOwnProcessToken(0x20) -> 0x0"));
}

}  // namespace
}  // namespace taskmgr
