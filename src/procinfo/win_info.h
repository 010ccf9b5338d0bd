#pragma once
#include <cstdint>
#include <string>

namespace taskmgr {

// One top-level window. Handles are borrowed from the system, never closed.
struct TWinInfo {
  uintptr_t Icon = 0;    // class icon at enumeration time
  std::string Caption;   // UTF-8 title as read, untrimmed, at most 99 UTF-16 units
  std::string WndClass;  // UTF-8 class name, at most 99 UTF-16 units
  uintptr_t Handle = 0;  // the window
};

}  // namespace taskmgr
