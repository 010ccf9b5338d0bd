#include "procinfo/proc_services.h"

namespace taskmgr {
namespace {

class TNoProcessApi final : public IProcessApi {
 public:
  unsigned PointerSize() const override { return sizeof(void*); }
  TProcessQuery QueryProcessInformation(void*, uint32_t, uint32_t& returnedLength) override {
    returnedLength = 0;
    return TProcessQuery::Failed;
  }
  uintptr_t OpenProcess(uint32_t, int32_t) override { return 0; }
  bool TerminateProcess(uintptr_t, uint32_t) override { return false; }
  bool ReadWorkingSet(uintptr_t, uint64_t&) override { return false; }
  void CloseHandle(uintptr_t) override {}
};

class TNoTokenApi final : public ITokenApi {
 public:
  uintptr_t OpenOwnProcessToken(uint32_t) override { return 0; }
  bool LookupPrivilege(const std::string&, TLuid&) override { return false; }
  uint32_t AdjustTokenPrivileges(uintptr_t, TLuid, uint32_t) override { return 1; }
  void CloseHandle(uintptr_t) override {}
};

class TNoWindowApi final : public IWindowApi {
 public:
  void EnumTopLevelWindows(const std::function<bool(uintptr_t)>&) override {}
  uint32_t ReadWindowStyle(uintptr_t) override { return 0; }
  int ReadClassName(uintptr_t, char16_t*, int) override { return 0; }
  int ReadWindowText(uintptr_t, char16_t*, int) override { return 0; }
  uintptr_t ReadClassIcon(uintptr_t) override { return 0; }
  uint32_t ReadWindowProcessId(uintptr_t) override { return 0; }
  bool SendMessageWithTimeout(uintptr_t, uint32_t, uintptr_t, intptr_t, uint32_t, uint32_t,
                          uintptr_t& result) override {
    result = 0;
    return false;
  }
};

TNoProcessApi noProcessApi;
TNoTokenApi noTokenApi;
TNoWindowApi noWindowApi;

IProcessApi* processApi = &noProcessApi;
ITokenApi* tokenApi = &noTokenApi;
IWindowApi* windowApi = &noWindowApi;

}  // namespace

void InstallProcServices(IProcessApi& process, ITokenApi& token, IWindowApi& window) {
  processApi = &process;
  tokenApi = &token;
  windowApi = &window;
}

IProcessApi& ProcessApi() { return *processApi; }
ITokenApi& TokenApi() { return *tokenApi; }
IWindowApi& WindowApi() { return *windowApi; }

}  // namespace taskmgr
