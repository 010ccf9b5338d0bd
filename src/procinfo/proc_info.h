#pragma once
#include <cstdint>
#include <string>

namespace taskmgr {

// One process of a snapshot.
struct TProcInfo {
  std::string Name;       // UTF-8 image name, "System Idle" for the nameless entry
  int32_t PID = 0;
  uint32_t MemUsage = 0;  // working set in K
  double CpuTime = 0.0;   // whole seconds of CPU time / 86400
};

}  // namespace taskmgr
