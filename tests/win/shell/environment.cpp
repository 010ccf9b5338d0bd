// The application object as the program's entry sets it up.
#include <gtest/gtest.h>

#include "shell/main_form.h"
#include "shell/services.h"
#include "ui/application.h"

namespace {

class ShellEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    taskmgr::InstallWin32Services();
    taskmgr::ui::Application().SetTitle(taskmgr::kApplicationTitle);
    taskmgr::ui::Application().Initialize();
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ShellEnvironment);

}  // namespace
