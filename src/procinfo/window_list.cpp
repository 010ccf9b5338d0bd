#include "procinfo/window_list.h"

#include <memory>
#include <string_view>

#include "procinfo/list_texts.h"
#include "procinfo/proc_services.h"
#include "procinfo/utf16.h"

namespace taskmgr {
namespace {

bool IsBlankUnit(char16_t unit) { return unit <= 32; }

bool IsBlank(std::u16string_view text) {
  for (char16_t unit : text)
    if (!IsBlankUnit(unit)) return false;
  return true;
}

}  // namespace

bool EnumWindowsProc(uintptr_t window, TKeyedList<TWinInfo>& list, IWindowApi& api) {
  if ((api.ReadWindowStyle(window) & kWsVisible) == 0) return true;

  // One unit more than offered keeps a terminating zero whatever is written;
  // a window gone before the reads leaves them empty.
  char16_t className[kWindowTextBufferUnits + 1] = {};
  char16_t title[kWindowTextBufferUnits + 1] = {};
  api.ReadClassName(window, className, kWindowTextBufferUnits);
  api.ReadWindowText(window, title, kWindowTextBufferUnits);

  const std::u16string_view titleText(title);
  if (IsBlank(titleText)) return true;

  auto info = std::make_unique<TWinInfo>();
  info->Icon = api.ReadClassIcon(window);
  info->Caption = Utf16ToUtf8(titleText);
  info->WndClass = Utf16ToUtf8(std::u16string_view(className));
  info->Handle = window;
  list.Add(HandleText(window), std::move(info));
  return true;
}

void GetWindowList(TKeyedList<TWinInfo>& list, IWindowApi& api) {
  api.EnumTopLevelWindows([&](uintptr_t window) { return EnumWindowsProc(window, list, api); });
}

void GetWindowList(TKeyedList<TWinInfo>& list) { GetWindowList(list, WindowApi()); }

bool IsTaskWindow(uintptr_t window, const std::string& wndClass, TTextList& claimed,
                  IWindowApi& api) {
  if (wndClass == "Progman") return false;
  // Folder and browser windows each get a row and claim nothing.
  if (wndClass == "IEFrame" || wndClass == "CabinetWClass") return true;
  const uint32_t pid = api.ReadWindowProcessId(window);
  if (pid == 0) return true;
  std::string key = std::to_string(pid);
  if (claimed.IndexOf(key) >= 0) return false;
  claimed.Add(std::move(key));
  return true;
}

bool IsTaskWindow(uintptr_t window, const std::string& wndClass, TTextList& claimed) {
  return IsTaskWindow(window, wndClass, claimed, WindowApi());
}

uintptr_t GetWindowIcon(uintptr_t window, IWindowApi& api) {
  // A hung window must not hold up the refresh: a query it does not answer
  // in time counts as no icon and the next source is tried.
  for (uintptr_t which : {kIconSmall, kIconBig}) {
    uintptr_t icon = 0;
    if (api.SendMessageWithTimeout(window, kWmGetIcon, which, 0, kIconQueryFlags,
                               kIconQueryTimeoutMs, icon) &&
        icon != 0)
      return icon;
  }
  return api.ReadClassIcon(window);
}

uintptr_t GetWindowIcon(uintptr_t window) { return GetWindowIcon(window, WindowApi()); }

uint32_t GetWindowProcessId(uintptr_t window, IWindowApi& api) {
  return api.ReadWindowProcessId(window);
}

uint32_t GetWindowProcessId(uintptr_t window) { return GetWindowProcessId(window, WindowApi()); }

}  // namespace taskmgr
