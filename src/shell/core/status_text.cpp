#include "shell/core/status_text.h"

namespace taskmgr {

uint64_t BytesToK(uint64_t bytes) {
  const uint64_t whole = bytes / 1024;
  const uint64_t rest = bytes % 1024;
  if (rest > 512 || (rest == 512 && (whole & 1) != 0)) return whole + 1;
  return whole;
}

std::string CpuStatusText(int32_t cpuUsage) {
  return "CPU 使用：" + std::to_string(cpuUsage) + "%";
}

std::string MemStatusText(const MemoryStatus& status) {
  const uint64_t used =
      status.TotalPhys >= status.AvailPhys ? status.TotalPhys - status.AvailPhys : 0;
  return "内存使用：" + std::to_string(BytesToK(used)) + "/" +
         std::to_string(BytesToK(status.TotalPageFile));
}

}  // namespace taskmgr
