#pragma once
// The real process, token and window services. The shell hands them to
// InstallProcServices at start-up.
#include "os/process_api.h"
#include "os/token_api.h"
#include "os/window_api.h"

namespace taskmgr {

IProcessApi& Win32ProcessApi();
ITokenApi& Win32TokenApi();
IWindowApi& Win32WindowApi();

}  // namespace taskmgr
