#include "perf/mem_info.h"

#include "perf/cpu_usage.h"

namespace taskmgr {

TMemStatus MemStatus;

void ReadMemStatus(ISystemInfo* system, TMemStatus& record) {
  if (system == nullptr) return;
  MemoryFigures figures;
  if (!system->QueryMemory(figures)) return;
  record.StoreFigures(figures);
}

void ReadMemStatus(TMemStatus& record) { ReadMemStatus(InstalledSystemInfo(), record); }

}  // namespace taskmgr
