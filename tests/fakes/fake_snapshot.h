#pragma once
// Process snapshots made up for the list refreshes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "procinfo/keyed_list.h"
#include "procinfo/list_texts.h"
#include "procinfo/proc_info.h"

namespace taskmgr::fakes {

struct TProc {
  int32_t pid;
  std::string name;
  long long cpuSeconds = 0;
  uint32_t mem = 0;
};

// Appends one pair per process, keyed as the real snapshot keys them.
inline void FillSnapshot(const std::vector<TProc>& procs, TKeyedList<TProcInfo>& list) {
  for (const TProc& p : procs) {
    auto info = std::make_unique<TProcInfo>();
    info->Name = p.name;
    info->PID = p.pid;
    info->MemUsage = p.mem;
    info->CpuTime = static_cast<double>(p.cpuSeconds) / 86400.0;
    list.Add(PidText(p.pid), std::move(info));
  }
}

}  // namespace taskmgr::fakes
