#include "procinfo/task_list_sync.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/memory_image_sink.h"
#include "fakes/memory_row_model.h"
#include "procinfo/list_texts.h"

namespace taskmgr {
namespace {

using fakes::TMemoryImageSink;
using fakes::TMemoryRowModel;
using Texts = std::vector<std::string>;
using Handles = std::vector<uintptr_t>;

const std::string kRunning(kRunningText);

struct TFakeWindow {
  uintptr_t handle;
  uint32_t pid;
  std::string wndClass;
  std::string title;
  uintptr_t icon = 0;
  bool listed = true;  // visible with a title
  bool exists = true;
};

// A desktop in enumeration order (topmost first), with the task-window rules:
// "Progman" never, "IEFrame" and "CabinetWClass" always without claiming,
// otherwise one window per process; a window that no longer exists is
// accepted without a claim.
struct TFakeDesktop {
  std::vector<TFakeWindow> windows;
  Handles asked;  // the filter's questions, in order
  uintptr_t failIconOf = 0;

  TFakeWindow& Get(uintptr_t handle) {
    for (auto& w : windows)
      if (w.handle == handle) return w;
    throw std::logic_error("no such window");
  }

  TWindowListFiller Filler() {
    return [this](TKeyedList<TWinInfo>& list) {
      for (const auto& w : windows) {
        if (!w.exists || !w.listed) continue;
        auto info = std::make_unique<TWinInfo>();
        info->Icon = w.icon;
        info->Caption = w.title;
        info->WndClass = w.wndClass;
        info->Handle = w.handle;
        list.Add(HandleText(w.handle), std::move(info));
      }
    };
  }

  TTaskWindowFilter Filter() {
    return [this](uintptr_t handle, const std::string& wndClass, TTextList& claimed) {
      asked.push_back(handle);
      if (wndClass == "Progman") return false;
      if (wndClass == "IEFrame" || wndClass == "CabinetWClass") return true;
      const TFakeWindow& w = Get(handle);
      if (!w.exists) return true;
      const std::string pid = std::to_string(w.pid);
      if (claimed.IndexOf(pid) >= 0) return false;
      claimed.Add(pid);
      return true;
    };
  }

  TIconLookup Icons() {
    return [this](uintptr_t handle) {
      if (handle == failIconOf) throw std::runtime_error("icon");
      return Get(handle).icon;
    };
  }
};

void Refresh(TMemoryRowModel& model, TMemoryImageSink& images, TFakeDesktop& desktop) {
  desktop.asked.clear();
  RefreshTaskRows(desktop.Filler(), desktop.Filter(), desktop.Icons(), model, images);
}

Handles RowHandles(const TMemoryRowModel& model) {
  Handles out;
  for (const auto& r : model.rows) out.push_back(r.data ? r.data->Handle : 0);
  return out;
}

std::unique_ptr<TWinInfo> Record(uintptr_t handle, std::string wndClass) {
  auto info = std::make_unique<TWinInfo>();
  info->Handle = handle;
  info->WndClass = std::move(wndClass);
  return info;
}

TEST(TaskRows, FirstRefreshAppendsAcceptedWindowsInEnumerationOrder) {
  TFakeDesktop desktop;
  desktop.windows = {
      {0x10, 1, "Notepad", "a.txt - Notepad", 0x100},
      {0x20, 2, "Progman", "Program Manager", 0x200},
      {0x30, 1, "Notepad", "b.txt - Notepad", 0x300},  // its process already has a row
      {0x40, 3, "CabinetWClass", "Documents", 0},      // no icon at all
      {0x50, 3, "CabinetWClass", "Pictures", 0x500},
      {0x60, 4, "Hidden", "Hidden", 0x600, false},
      {0x70, 3, "Other", "  padded title ", 0x700},    // folder windows claimed nothing
  };
  TMemoryRowModel model;
  TMemoryImageSink images;
  Refresh(model, images, desktop);

  EXPECT_EQ(RowHandles(model), (Handles{0x10, 0x40, 0x50, 0x70}));
  EXPECT_EQ(model.Captions(), (Texts{"a.txt - Notepad", "Documents", "Pictures", "  padded title "}));
  EXPECT_EQ(model.Column(0), Texts(4, kRunning));
  for (const auto& row : model.rows) EXPECT_EQ(row.subItems.size(), 1u);
  // A window without an icon adds no image and does not shift the others.
  EXPECT_EQ(model.Images(), (std::vector<int>{0, -1, 1, 2}));
  EXPECT_EQ(images.icons, (Handles{0x100, 0x500, 0x700}));
  EXPECT_EQ(desktop.asked, (Handles{0x10, 0x20, 0x30, 0x40, 0x50, 0x70}));
  EXPECT_EQ(model.begins, 1);
  EXPECT_EQ(model.ends, 1);
  EXPECT_FALSE(model.changedOutsideUpdate);
}

TEST(TaskRows, RowsKeepTheirPlaceAndVanishedWindowsLoseTheirRows) {
  TFakeDesktop desktop;
  for (uintptr_t i = 1; i <= 5; ++i)
    desktop.windows.push_back({i * 16, static_cast<uint32_t>(i), "App", "title " + std::to_string(i),
                               0x1000 + i});
  TMemoryRowModel model;
  TMemoryImageSink images;
  Refresh(model, images, desktop);
  model.selected = 3;  // window 4
  const TWinInfo* oldRecord = model.Data(3);

  desktop.Get(2 * 16).listed = false;  // turned invisible
  desktop.Get(3 * 16).exists = false;  // destroyed
  desktop.Get(4 * 16).title = "renamed";
  std::rotate(desktop.windows.begin(), desktop.windows.begin() + 3, desktop.windows.end());
  desktop.windows.insert(desktop.windows.begin(), {0x99, 9, "App", "new on top", 0x1099});
  Refresh(model, images, desktop);

  // Every row present at the start is asked about once, in row order, then
  // the one new window.
  EXPECT_EQ(desktop.asked, (Handles{16, 32, 48, 64, 80, 0x99}));
  EXPECT_EQ(RowHandles(model), (Handles{16, 64, 80, 0x99}));
  EXPECT_EQ(model.Captions(), (Texts{"title 1", "renamed", "title 5", "new on top"}));
  EXPECT_EQ(model.selected, 1);
  EXPECT_NE(model.Data(1), oldRecord);  // the row took this refresh's record
  // Images are rebuilt in the order rows were updated, then appended.
  EXPECT_EQ(images.clears, 2);
  EXPECT_EQ(images.icons, (Handles{0x1001, 0x1004, 0x1005, 0x1099}));
  EXPECT_EQ(model.Images(), (std::vector<int>{0, 1, 2, 3}));

  // Back again: appended at the end.
  desktop.Get(2 * 16).listed = true;
  Refresh(model, images, desktop);
  EXPECT_EQ(RowHandles(model), (Handles{16, 64, 80, 0x99, 32}));
}

TEST(TaskRows, WhenEveryWindowIsGoneEveryRowGoes) {
  TFakeDesktop desktop;
  desktop.windows = {{1, 1, "A", "a"}, {2, 2, "B", "b"}, {3, 3, "C", "c"}};
  TMemoryRowModel model;
  TMemoryImageSink images;
  Refresh(model, images, desktop);
  for (auto& w : desktop.windows) w.listed = false;
  Refresh(model, images, desktop);
  EXPECT_EQ(model.RowCount(), 0);
  EXPECT_TRUE(images.icons.empty());
}

TEST(TaskRows, ExistingRowsClaimTheirProcessBeforeNewWindows) {
  TFakeDesktop desktop;
  desktop.windows = {{0x20, 7, "Main", "main window"}};
  TMemoryRowModel model;
  TMemoryImageSink images;
  Refresh(model, images, desktop);

  // A second window of the same process, above the first.
  desktop.windows.insert(desktop.windows.begin(), {0x10, 7, "Main", "dialog"});
  Refresh(model, images, desktop);
  EXPECT_EQ(RowHandles(model), (Handles{0x20}));
  EXPECT_EQ(desktop.asked, (Handles{0x20, 0x10}));

  // The row's window turns invisible: its visit still claims the process,
  // so the other window waits for the next refresh.
  desktop.Get(0x20).listed = false;
  Refresh(model, images, desktop);
  EXPECT_EQ(model.RowCount(), 0);
  Refresh(model, images, desktop);
  EXPECT_EQ(RowHandles(model), (Handles{0x10}));
}

TEST(TaskRows, ADestroyedWindowClaimsNothingSoItsProcessGetsANewRowAtOnce) {
  TFakeDesktop desktop;
  desktop.windows = {{0x20, 7, "Main", "main window"}, {0x30, 8, "Other", "other"}};
  TMemoryRowModel model;
  TMemoryImageSink images;
  Refresh(model, images, desktop);

  desktop.windows.push_back({0x10, 7, "Main", "second window"});
  desktop.Get(0x20).exists = false;
  Refresh(model, images, desktop);
  EXPECT_EQ(RowHandles(model), (Handles{0x30, 0x10}));
}

TEST(TaskRows, ARefusedRowIsLeftExactlyAsItWas) {
  TFakeDesktop desktop;
  desktop.windows = {{0x10, 5, "Main", "first, new title", 0x111},
                     {0x20, 5, "Main", "second, new title", 0x222}};
  TMemoryRowModel model;
  model.Add("first", {kRunning}, 4, Record(0x10, "Main"));
  model.Add("second", {kRunning}, 6, Record(0x20, "Main"));
  const TWinInfo* second = model.Data(1);
  TMemoryImageSink images;
  Refresh(model, images, desktop);

  EXPECT_EQ(model.Captions(), (Texts{"first, new title", "second"}));
  EXPECT_EQ(model.Images(), (std::vector<int>{0, 6}));
  EXPECT_EQ(model.Data(1), second);
  EXPECT_EQ(images.icons, (Handles{0x111}));
  // The refused window's fresh record got no row either.
  EXPECT_EQ(desktop.asked, (Handles{0x10, 0x20, 0x20}));
}

TEST(TaskRows, AHandleWithTheTopBitSetKeepsItsRow) {
  TFakeDesktop desktop;
  desktop.windows = {{0x80000010u, 1, "A", "high"}, {0xFFFFFFF0u, 2, "B", "higher"}};
  TMemoryRowModel model;
  TMemoryImageSink images;
  Refresh(model, images, desktop);
  desktop.Get(0x80000010u).title = "high, renamed";
  model.log.clear();
  Refresh(model, images, desktop);
  EXPECT_EQ(RowHandles(model), (Handles{0x80000010u, 0xFFFFFFF0u}));
  EXPECT_EQ(model.Caption(0), "high, renamed");
  for (const auto& entry : model.log) {
    EXPECT_EQ(entry.rfind("delete", 0), std::string::npos) << entry;
    EXPECT_EQ(entry.rfind("append", 0), std::string::npos) << entry;
  }
}

TEST(TaskRows, RowsWithoutARecordOrStatusAreMended) {
  TFakeDesktop desktop;
  desktop.windows = {{0x10, 1, "A", "a"}};
  TMemoryRowModel model;
  model.Add("left by a failure", {});  // no record
  model.Add("no status yet", {}, -1, Record(0x10, "A"));
  TMemoryImageSink images;
  Refresh(model, images, desktop);
  EXPECT_EQ(RowHandles(model), (Handles{0x10}));
  EXPECT_EQ(model.Captions(), (Texts{"a"}));
  EXPECT_EQ(model.Column(0), (Texts{kRunning}));
}

// ---- failures

TEST(TaskRows, AFailingEnumerationChangesNothing) {
  TFakeDesktop desktop;
  desktop.windows = {{0x10, 1, "A", "a"}, {0x20, 2, "B", "b"}};
  TMemoryRowModel model;
  TMemoryImageSink images;
  Refresh(model, images, desktop);
  model.begins = model.ends = model.changes = 0;
  images.clears = 0;

  auto fill = desktop.Filler();
  const TWindowListFiller throwing = [&](TKeyedList<TWinInfo>& list) {
    fill(list);  // records already in the list
    throw std::runtime_error("enumeration");
  };
  EXPECT_THROW(RefreshTaskRows(throwing, desktop.Filter(), desktop.Icons(), model, images),
               std::runtime_error);
  EXPECT_EQ(images.clears, 0);
  EXPECT_EQ(model.begins, 0);
  EXPECT_EQ(model.changes, 0);
  EXPECT_EQ(RowHandles(model), (Handles{0x10, 0x20}));
}

TEST(TaskRows, AFailingIconLookupKeepsWhatWasDoneAndClosesTheBracket) {
  struct {
    const char* what;
    uintptr_t failIconOf;
    Handles rows;
  } cases[] = {
      {"existing row", 0x20, {0x10, 0x20}},
      {"new window", 0x40, {0x10, 0x20, 0x30}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TFakeDesktop desktop;
    desktop.windows = {{0x10, 1, "A", "a"}, {0x20, 2, "B", "b"}};
    TMemoryRowModel model;
    TMemoryImageSink images;
    Refresh(model, images, desktop);
    desktop.Get(0x10).title = "a2";
    desktop.windows.push_back({0x30, 3, "C", "c"});
    desktop.windows.push_back({0x40, 4, "D", "d"});
    desktop.failIconOf = c.failIconOf;
    EXPECT_THROW(Refresh(model, images, desktop), std::runtime_error);
    EXPECT_EQ(RowHandles(model), c.rows);
    EXPECT_EQ(model.Caption(0), "a2");
    EXPECT_EQ(model.depth, 0);
    EXPECT_EQ(model.ends, 2);
  }
}

// Whichever row change fails, the changes before it stay, nothing after it
// happens, the bracket is closed and the error reaches the caller. Records
// in flight and those left in the window list are freed (checked by the
// sanitizer build).
TEST(TaskRows, AFailingRowChangeKeepsWhatWasWrittenAndClosesTheBracket) {
  auto setUp = [](TFakeDesktop& desktop, TMemoryRowModel& model) {
    desktop.windows = {{0x10, 1, "A", "a", 0x1}, {0x20, 2, "B", "b", 0x2},
                       {0x30, 3, "C", "c", 0x3}};
    TMemoryImageSink images;
    Refresh(model, images, desktop);
    desktop.Get(0x20).listed = false;
    desktop.Get(0x30).title = "c2";
    desktop.windows.push_back({0x40, 4, "D", "d", 0x4});
    desktop.windows.push_back({0x50, 5, "E", "e", 0x5});
    model.log.clear();
    model.changes = 0;
  };
  TFakeDesktop goodDesktop;
  TMemoryRowModel good;
  setUp(goodDesktop, good);
  TMemoryImageSink goodImages;
  Refresh(good, goodImages, goodDesktop);
  const int total = good.changes;
  ASSERT_GT(total, 10);

  for (int failAt = 0; failAt < total; ++failAt) {
    SCOPED_TRACE("failing change " + std::to_string(failAt));
    TFakeDesktop desktop;
    TMemoryRowModel model;
    setUp(desktop, model);
    model.failAtChange = failAt;
    TMemoryImageSink images;
    EXPECT_THROW(Refresh(model, images, desktop), std::runtime_error);
    std::vector<std::string> expected(good.log.begin(), good.log.begin() + 1 + failAt);
    expected.push_back("end");
    EXPECT_EQ(model.log, expected);
    EXPECT_EQ(model.depth, 0);
  }
}

}  // namespace
}  // namespace taskmgr
