// The program entry: the application object, the main window, the event loop.
#include <windows.h>

#include <exception>
#include <string>

#include "shell/main_form.h"
#include "shell/services.h"
#include "ui/application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using taskmgr::ui::Application;
  try {
    taskmgr::InstallWin32Services();
    Application().SetTitle(taskmgr::kApplicationTitle);
    Application().SetIcon(LoadIconW(instance, MAKEINTRESOURCEW(1)));
    Application().Initialize();
    taskmgr::TMainForm mainForm;
    return Application().Run();
  } catch (const std::exception& e) {
    // Only the building of the window can get here: handlers report their
    // own errors and the program goes on.
    Application().ShowException(e.what());
    return 1;
  }
}
