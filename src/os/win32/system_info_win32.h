#pragma once
#include "os/system_info.h"

namespace taskmgr {

// The process-wide Win32 implementation (ntdll's query, GlobalMemoryStatusEx).
ISystemInfo& Win32SystemInfo();

}  // namespace taskmgr
