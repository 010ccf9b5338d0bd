#pragma once

namespace taskmgr {

// Hands the Win32 implementations to the samplers and the process and window
// operations. Once, at start, before any of them is used.
void InstallWin32Services();

}  // namespace taskmgr
