#include "shell/core/speed_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace taskmgr {
namespace {

class FakeTimer : public IRefreshTimer {
 public:
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool on) override {
    enabled = on;
    log.push_back(on ? "start" : "stop");
  }
  void SetInterval(uint32_t ms) override {
    interval = ms;
    log.push_back("interval " + std::to_string(ms));
  }
  bool enabled = true;
  uint32_t interval = 1000;
  std::vector<std::string> log;
};

class FakeItem : public ISpeedItem {
 public:
  FakeItem(const char* n, int32_t t, bool c = false) : name(n), tag(t), checked(c) {}
  int32_t Tag() const override { return tag; }
  void SetChecked(bool c) override { checked = c; }
  std::string name;
  int32_t tag;
  bool checked;
};

// The window's speed menu at start: Running(1000), N5 ticked.
struct Menu {
  FakeItem H2{"H2", 500}, N5{"N5", 1000, true}, N6{"N6", 2000}, N8{"N8", 0};
  FakeTimer timer;
  SpeedMenuItems items{H2, N5, N6, N8};

  FakeItem& ByName(const std::string& name) {
    for (FakeItem* item : {&H2, &N5, &N6, &N8})
      if (item->name == name) return *item;
    throw std::invalid_argument(name);
  }
  void Click(const std::string& name) {
    SpeedMenuClick(items, ByName(name), timer,
                   [this](uint16_t ms) { RestartRefreshTimer(timer, ms); });
  }
  std::string Ticked() const {
    std::string ticked;
    for (const FakeItem* item : {&H2, &N5, &N6, &N8})
      if (item->checked) ticked += (ticked.empty() ? "" : ",") + item->name;
    return ticked;
  }
};

TEST(SpeedMenu, Transitions) {
  struct Case {
    std::vector<std::string> clicks;
    bool running;
    uint32_t interval;
    const char* ticked;
  };
  const Case cases[] = {
      {{"H2"}, true, 500, "H2"},
      {{"N6"}, true, 2000, "N6"},
      {{"N5"}, true, 1000, "N5"},              // the item already ticked stays ticked
      {{"N8"}, false, 1000, "N8"},             // paused, interval kept
      {{"N8", "N8"}, true, 1000, ""},          // running again, unmarked
      {{"N8", "N6"}, true, 2000, "N6"},        // a speed ends the pause
      {{"H2", "N8"}, false, 500, "N8"},
      {{"H2", "N8", "N8"}, true, 500, ""},     // the interval of before the pause
      {{"N8", "N8", "N8"}, false, 1000, "N8"},
      {{"N6", "N8", "N8", "H2"}, true, 500, "H2"},
  };
  for (const Case& c : cases) {
    Menu menu;
    std::string trace;
    for (const std::string& click : c.clicks) {
      menu.Click(click);
      trace += click + " ";
    }
    EXPECT_EQ(menu.timer.enabled, c.running) << trace;
    EXPECT_EQ(menu.timer.interval, c.interval) << trace;
    EXPECT_EQ(menu.Ticked(), c.ticked) << trace;
  }
}

TEST(SpeedMenu, SpeedClickRestartsTheCountdownEvenAtTheSameSpeed) {
  Menu menu;
  menu.Click("N5");
  EXPECT_EQ(menu.timer.log, (std::vector<std::string>{"stop", "interval 1000", "start"}));
}

TEST(SpeedMenu, PauseTogglesOnlyTheTimer) {
  Menu menu;
  menu.Click("N8");
  menu.Click("N8");
  EXPECT_EQ(menu.timer.log, (std::vector<std::string>{"stop", "start"}));
}

TEST(SpeedMenu, IntervalIsTheTagsLow16Bits) {
  Menu menu;
  menu.H2.tag = 0x10000 + 500;
  std::vector<uint16_t> asked;
  SpeedMenuClick(menu.items, menu.H2, menu.timer, [&](uint16_t ms) { asked.push_back(ms); });
  EXPECT_EQ(asked, (std::vector<uint16_t>{500}));
  EXPECT_TRUE(menu.H2.checked);
}

}  // namespace
}  // namespace taskmgr
