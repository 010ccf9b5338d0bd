#pragma once
// A helper program started by a test and ended with it, also when the test
// fails half-way.
#include <windows.h>

#include <string>

namespace taskmgr::testing {

inline std::wstring TestProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

class TChildProcess {
 public:
  TChildProcess(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + TestProgramFolder() + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &info_)) {
      CloseHandle(info_.hThread);
      info_.hThread = nullptr;
    }
  }
  ~TChildProcess() {
    if (info_.hProcess == nullptr) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
  }
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  bool Started() const { return info_.hProcess != nullptr; }
  DWORD Pid() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }

  // The exit code, or STILL_ACTIVE if it has not ended within `ms`.
  DWORD WaitForExit(DWORD ms) const {
    WaitForSingleObject(info_.hProcess, ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_{};
};

}  // namespace taskmgr::testing
