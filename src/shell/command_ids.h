#pragma once
// The WM_COMMAND identifiers of the menu items, fixed so that automation
// (and our end-to-end tests) can post them. The menu hands out identifiers
// from 100 in the order the items are built; a test holds the two together.
#include <cstdint>

namespace taskmgr {

inline constexpr uint16_t kCommandNewTask = 101;      // N1
inline constexpr uint16_t kCommandExit = 102;         // X1
inline constexpr uint16_t kCommandAlwaysOnTop = 104;  // A1
inline constexpr uint16_t kCommandSpeedHigh = 107;    // H2
inline constexpr uint16_t kCommandSpeedNormal = 108;  // N5
inline constexpr uint16_t kCommandSpeedLow = 109;     // N6
inline constexpr uint16_t kCommandPause = 110;        // N8
inline constexpr uint16_t kCommandHomepage = 111;     // H1

}  // namespace taskmgr
