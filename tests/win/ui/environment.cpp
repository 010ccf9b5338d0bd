// Every test of this program runs with the application object initialised.
#include <gtest/gtest.h>

#include "ui/application.h"

namespace {

class UiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    taskmgr::ui::Application().SetTitle("界面测试");
    taskmgr::ui::Application().Initialize();
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new UiEnvironment);

}  // namespace
