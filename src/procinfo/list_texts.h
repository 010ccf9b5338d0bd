#pragma once
// The texts the two lists show and match on. Keys are plain decimal texts:
// the snapshot and the window enumeration must write them with these same
// functions, or rows stop finding their process or window.
#include <cstdint>
#include <string>
#include <string_view>

namespace taskmgr {

// Signed decimal, no leading zeros, no separators ("-5", "0", "4294").
std::string PidText(int32_t pid);

// Unsigned decimal of the low 32 bits: window handles are 32-bit values
// even in 64-bit processes, and a sign-extended one must key the same way.
std::string HandleText(uintptr_t handle);

// `cpuTime` is whole seconds / 86400, shown as a time of day "hh:nn:ss"
// with the user's time separator; whole days are dropped.
std::string CpuTimeText(double cpuTime, std::string_view timeSeparator);

// Working set in K: "123456 K".
std::string MemUsageText(uint32_t memUsage);

// Status panel 0: "进程数：23".
std::string ProcessCountText(int count);

// Sub-item 0 of every applications row.
inline constexpr std::string_view kRunningText = "正在运行";

}  // namespace taskmgr
