#pragma once
// Drives another process's windows from outside, the way an accessibility
// or test-automation tool does: list views, status bar and tab control are
// read through buffers placed in the target process, buttons and menu
// commands are posted, message boxes answered.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "ui/text.h"

namespace e2e {

using taskmgr::ui::Narrow;
using taskmgr::ui::Widen;

// A process started by a test; ended (and waited for) when destroyed, so a
// failing test leaves nothing running.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const std::wstring& exe, const std::wstring& args);
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ~ChildProcess();
  bool Started() const { return info_.hProcess != nullptr; }
  DWORD Pid() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }
  // True when the process has ended within the time-out; its exit code is
  // stored in `exitCode`.
  bool WaitExit(std::chrono::milliseconds timeout, DWORD* exitCode = nullptr);
  bool Running() const;
  void Kill();

 private:
  PROCESS_INFORMATION info_{};
};

// The folder of the running test program (where taskmgr.exe and the helper
// programs are built).
std::wstring ProgramDir();

// Polls `condition` every 50 ms until it holds or the time-out passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// First visible top-level window of `pid` (any pid when 0) whose caption
// equals `caption`.
HWND FindTopWindow(DWORD pid, const std::wstring& caption);
// First descendant of `parent` with the class and, when not empty, the text.
HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text = L"");
std::wstring WindowText(HWND window);

// Memory in the process that owns a window, for messages whose lParam
// points at a structure or buffer.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size);
  ~RemoteBuffer();
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  void* Address() const { return address_; }
  bool Write(const void* data, size_t size, size_t offset = 0);
  bool Read(void* data, size_t size, size_t offset = 0) const;
  bool Valid() const { return address_ != nullptr; }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_ = 0;
};

// All cells of a report list view, row by row (column 0 first).
std::vector<std::vector<std::string>> ReadListView(HWND list);
int ListViewSelected(HWND list);
bool ListViewSelect(HWND list, int row);

std::string ReadStatusPanel(HWND statusBar, int panel);
int StatusPanelCount(HWND statusBar);
std::vector<std::string> ReadTabCaptions(HWND tabs);

// Presses a button the way its parent sees a click, without waiting for the
// handler (which may open a modal box).
void PostClick(HWND button);
// Posts a menu command to a window.
void PostCommand(HWND window, UINT id);

// A message box of `pid` with the caption, or null.
HWND FindMessageBox(DWORD pid, const std::wstring& caption);
// The text of the box's message.
std::wstring MessageBoxText(HWND box);
// Answers the box with IDYES, IDNO, IDOK...
void AnswerMessageBox(HWND box, int id);

}  // namespace e2e
