#include "shell/services.h"

#include "os/win32/services.h"
#include "os/win32/system_info_win32.h"
#include "perf/cpu_usage.h"
#include "procinfo/proc_services.h"

namespace taskmgr {

void InstallWin32Services() {
  InstallSystemInfo(&Win32SystemInfo());
  InstallProcServices(Win32ProcessApi(), Win32TokenApi(), Win32WindowApi());
}

}  // namespace taskmgr
