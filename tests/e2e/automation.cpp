#include "automation.h"

#include <commctrl.h>

#include <thread>

namespace e2e {

ChildProcess::ChildProcess(const std::wstring& exe, const std::wstring& args) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!args.empty()) commandLine += L" " + args;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info_)) {
    info_ = {};
  }
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : info_(other.info_) { other.info_ = {}; }

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Kill();
    info_ = other.info_;
    other.info_ = {};
  }
  return *this;
}

ChildProcess::~ChildProcess() { Kill(); }

bool ChildProcess::WaitExit(std::chrono::milliseconds timeout, DWORD* exitCode) {
  if (!info_.hProcess) return true;
  if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
    return false;
  if (exitCode) GetExitCodeProcess(info_.hProcess, exitCode);
  return true;
}

bool ChildProcess::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void ChildProcess::Kill() {
  if (!info_.hProcess) return;
  if (Running()) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hProcess);
  CloseHandle(info_.hThread);
  info_ = {};
}

std::wstring ProgramDir() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[1024];
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, 2000, &length))
    return {};
  return std::wstring(buffer, length);
}

namespace {

struct TopSearch {
  DWORD pid;
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK FindTopProc(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TopSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search->pid && owner != search->pid) return TRUE;
  if (!IsWindowVisible(window)) return TRUE;
  if (WindowText(window) != *search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

struct ChildSearch {
  const std::wstring* className;
  const std::wstring* text;
  HWND found;
};

BOOL CALLBACK FindChildProc(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  wchar_t cls[256];
  GetClassNameW(window, cls, 256);
  if (_wcsicmp(cls, search->className->c_str()) != 0) return TRUE;
  if (!search->text->empty() && WindowText(window) != *search->text) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindTopWindow(DWORD pid, const std::wstring& caption) {
  TopSearch search{pid, &caption, nullptr};
  EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text) {
  ChildSearch search{&className, &text, nullptr};
  EnumChildWindows(parent, FindChildProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RemoteBuffer::RemoteBuffer(HWND window, size_t size) : size_(size) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                             PROCESS_QUERY_INFORMATION,
                         FALSE, pid);
  if (process_)
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer() {
  if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  if (process_) CloseHandle(process_);
}

bool RemoteBuffer::Write(const void* data, size_t size, size_t offset) {
  if (!address_ || offset + size > size_) return false;
  SIZE_T done = 0;
  return WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &done) &&
         done == size;
}

bool RemoteBuffer::Read(void* data, size_t size, size_t offset) const {
  if (!address_ || offset + size > size_) return false;
  SIZE_T done = 0;
  return ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &done) &&
         done == size;
}

namespace {

constexpr size_t kTextUnits = 1024;

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
    return -1;
  return static_cast<LRESULT>(result);
}

}  // namespace

std::vector<std::vector<std::string>> ReadListView(HWND list) {
  std::vector<std::vector<std::string>> rows;
  RemoteBuffer remote(list, sizeof(LVITEMW) + kTextUnits * sizeof(wchar_t));
  if (!remote.Valid()) return rows;
  auto header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
  int columns = header ? static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  if (columns < 1) columns = 1;
  int count = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
  auto* textAddress = static_cast<wchar_t*>(
      static_cast<void*>(static_cast<char*>(remote.Address()) + sizeof(LVITEMW)));
  for (int row = 0; row < count; ++row) {
    std::vector<std::string> cells;
    for (int column = 0; column < columns; ++column) {
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.iSubItem = column;
      item.pszText = textAddress;
      item.cchTextMax = static_cast<int>(kTextUnits);
      remote.Write(&item, sizeof item);
      LRESULT n = Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(remote.Address()));
      std::wstring text;
      if (n > 0) {
        text.resize(static_cast<size_t>(n));
        remote.Read(text.data(), static_cast<size_t>(n) * sizeof(wchar_t), sizeof(LVITEMW));
      }
      cells.push_back(Narrow(text));
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

int ListViewSelected(HWND list) {
  return static_cast<int>(Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool ListViewSelect(HWND list, int row) {
  RemoteBuffer remote(list, sizeof(LVITEMW));
  if (!remote.Valid()) return false;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  remote.Write(&item, sizeof item);
  return Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
              reinterpret_cast<LPARAM>(remote.Address())) == TRUE;
}

std::string ReadStatusPanel(HWND statusBar, int panel) {
  RemoteBuffer remote(statusBar, kTextUnits * sizeof(wchar_t));
  if (!remote.Valid()) return {};
  LRESULT result = Send(statusBar, SB_GETTEXTW, static_cast<WPARAM>(panel),
                        reinterpret_cast<LPARAM>(remote.Address()));
  if (result == -1) return {};
  size_t length = LOWORD(result);
  if (length >= kTextUnits) length = kTextUnits - 1;
  std::wstring text(length, L'\0');
  remote.Read(text.data(), length * sizeof(wchar_t));
  return Narrow(text);
}

int StatusPanelCount(HWND statusBar) {
  return static_cast<int>(Send(statusBar, SB_GETPARTS, 0, 0));
}

std::vector<std::string> ReadTabCaptions(HWND tabs) {
  std::vector<std::string> captions;
  RemoteBuffer remote(tabs, sizeof(TCITEMW) + kTextUnits * sizeof(wchar_t));
  if (!remote.Valid()) return captions;
  int count = static_cast<int>(Send(tabs, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = static_cast<wchar_t*>(
        static_cast<void*>(static_cast<char*>(remote.Address()) + sizeof(TCITEMW)));
    item.cchTextMax = static_cast<int>(kTextUnits);
    remote.Write(&item, sizeof item);
    std::wstring text;
    if (Send(tabs, TCM_GETITEMW, static_cast<WPARAM>(i),
             reinterpret_cast<LPARAM>(remote.Address())) > 0) {
      // The control may point pszText at its own copy; read whatever it left.
      TCITEMW back{};
      remote.Read(&back, sizeof back);
      std::vector<wchar_t> buffer(kTextUnits);
      if (back.pszText == item.pszText) {
        remote.Read(buffer.data(), kTextUnits * sizeof(wchar_t), sizeof(TCITEMW));
        text = buffer.data();
      }
    }
    captions.push_back(Narrow(text));
  }
  return captions;
}

void PostClick(HWND button) {
  HWND parent = GetParent(button);
  PostMessageW(parent, WM_COMMAND,
               MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(button)), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

void PostCommand(HWND window, UINT id) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
}

HWND FindMessageBox(DWORD pid, const std::wstring& caption) {
  return FindTopWindow(pid, caption);
}

namespace {

BOOL CALLBACK LongestStaticProc(HWND window, LPARAM param) {
  auto* best = reinterpret_cast<std::wstring*>(param);
  wchar_t cls[64];
  GetClassNameW(window, cls, 64);
  if (_wcsicmp(cls, L"Static") == 0) {
    std::wstring text = WindowText(window);
    if (text.size() > best->size()) *best = text;
  }
  return TRUE;
}

}  // namespace

std::wstring MessageBoxText(HWND box) {
  std::wstring text;
  EnumChildWindows(box, LongestStaticProc, reinterpret_cast<LPARAM>(&text));
  return text;
}

void AnswerMessageBox(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

}  // namespace e2e
