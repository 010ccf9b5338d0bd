#pragma once
// The system services behind the program-wide process and window operations.
// The shell installs the real ones at start-up; until then a query finds
// nothing and an action does nothing.
#include "os/process_api.h"
#include "os/token_api.h"
#include "os/window_api.h"

namespace taskmgr {

// The services must outlive every later call; installing is not
// synchronised, so do it before the operations are first used.
void InstallProcServices(IProcessApi& process, ITokenApi& token, IWindowApi& window);

IProcessApi& ProcessApi();
ITokenApi& TokenApi();
IWindowApi& WindowApi();

}  // namespace taskmgr
