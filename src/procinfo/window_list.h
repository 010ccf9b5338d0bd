#pragma once
// The desktop's visible, titled top-level windows; the filter that decides
// which of them get a row on the Applications tab; the icon a row shows.
#include <cstdint>
#include <string>

#include "os/window_api.h"
#include "procinfo/keyed_list.h"
#include "procinfo/win_info.h"

namespace taskmgr {

// Titles and class names are read into buffers of this many UTF-16 units,
// so they are cut to one less.
inline constexpr int kWindowTextBufferUnits = 100;
// A window that does not answer an icon query within this time is taken to
// have no icon from that query.
inline constexpr uint32_t kIconQueryTimeoutMs = 100;
inline constexpr uint32_t kIconQueryFlags = kSmtoAbortIfHung | kSmtoBlock;

// The enumeration callback: appends the window, keyed by HandleText, if it is
// visible and its title is not blank. Always asks for the enumeration to go on.
bool EnumWindowsProc(uintptr_t window, TKeyedList<TWinInfo>& list, IWindowApi& api);

// Appends the windows that pass the enumeration filter, in enumeration order.
void GetWindowList(TKeyedList<TWinInfo>& list, IWindowApi& api);
void GetWindowList(TKeyedList<TWinInfo>& list);

// True when the window gets a row in this refresh; `claimed` holds the
// processes that already have one. A window that no longer exists is
// accepted without claiming anything, so its row goes.
bool IsTaskWindow(uintptr_t window, const std::string& wndClass, TTextList& claimed,
                  IWindowApi& api);
bool IsTaskWindow(uintptr_t window, const std::string& wndClass, TTextList& claimed);

// The small icon, else the big one, else the class icon, else 0. The handle
// is borrowed from the window or its class.
uintptr_t GetWindowIcon(uintptr_t window, IWindowApi& api);
uintptr_t GetWindowIcon(uintptr_t window);

// The process that owns the window; 0 when the window is gone.
uint32_t GetWindowProcessId(uintptr_t window, IWindowApi& api);
uint32_t GetWindowProcessId(uintptr_t window);

}  // namespace taskmgr
