#pragma once
// The CPU and memory texts of status panels 1 and 2.
#include <cstdint>
#include <string>

#include "perf/mem_info.h"

namespace taskmgr {

// Bytes to K (1024 bytes), rounded to the nearest whole number with ties to
// even; exact for every 64-bit count.
uint64_t BytesToK(uint64_t bytes);

// "CPU 使用：%d%%"
std::string CpuStatusText(int32_t cpuUsage);

// "内存使用：%d/%d": physical memory in use, then the commit limit, in K.
// Available memory above the total (a torn or odd report) counts as nothing
// in use rather than wrapping round to a huge figure.
std::string MemStatusText(const MemoryStatus& status);

}  // namespace taskmgr
