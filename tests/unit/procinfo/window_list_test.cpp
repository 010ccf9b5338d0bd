#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_window_api.h"
#include "procinfo/list_texts.h"
#include "procinfo/window_list.h"

// GCC 12 asks for every member of a designated initializer.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

namespace taskmgr {
namespace {

using fakes::FakeWindowApi;
using fakes::TFakeWindow;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct TEntry {
  std::string Key;
  std::string Caption;
  std::string WndClass;
  uintptr_t Icon;
  bool operator==(const TEntry&) const = default;
};

void PrintTo(const TEntry& e, std::ostream* os) {
  *os << "{" << e.Key << ", \"" << e.Caption << "\", " << e.WndClass << ", " << e.Icon << "}";
}

std::vector<TEntry> Entries(const TKeyedList<TWinInfo>& list) {
  std::vector<TEntry> entries;
  for (int i = 0; i < list.Count(); ++i) {
    const TWinInfo* w = list.Object(i);
    EXPECT_EQ(list.Key(i), HandleText(w->Handle));
    entries.push_back({list.Key(i), w->Caption, w->WndClass, w->Icon});
  }
  return entries;
}

std::vector<std::string> Keys(const TKeyedList<TWinInfo>& list) {
  std::vector<std::string> keys;
  for (int i = 0; i < list.Count(); ++i) keys.push_back(list.Key(i));
  return keys;
}

TEST(GetWindowList, KeepsVisibleWindowsWithANonBlankTitleInEnumerationOrder) {
  FakeWindowApi api;
  api.Windows = {
      {.Handle = 0x300, .Title = u"Untitled - Notepad", .ClassIcon = 0x51},
      {.Handle = 0x100, .Style = 0, .Title = u"hidden with a title"},
      {.Handle = 0x200, .Title = u""},
      {.Handle = 0x210, .Title = u"  \t\r\n\x01\x1F "},
      {.Handle = 0x220, .ClassName = u"Shell_TrayWnd", .Title = u"  padded  "},
      {.Handle = 0x230, .ClassName = u"窗口类", .Title = u"中文标题"},
      {.Handle = 0x240, .Title = u"\u00A0"},  // no-break space is not blank
      {.Handle = 0x250, .Style = 0x14CF0000, .Title = u"visible among other bits"},
  };
  TKeyedList<TWinInfo> list;
  GetWindowList(list, api);
  EXPECT_THAT(Entries(list),
              ElementsAre(TEntry{"768", "Untitled - Notepad", "Notepad", 0x51},
                          TEntry{"544", "  padded  ", "Shell_TrayWnd", 0},
                          TEntry{"560", "中文标题", "窗口类", 0},
                          TEntry{"576", "\xC2\xA0", "Notepad", 0},
                          TEntry{"592", "visible among other bits", "Notepad", 0}));
  EXPECT_EQ(api.Visited, 8) << "the enumeration always runs to its end";
  EXPECT_EQ(list.Object(0)->Handle, 0x300u);
}

TEST(GetWindowList, TitlesAndClassNamesAreCutTo99Units) {
  FakeWindowApi api;
  const std::u16string longTitle(150, u'题');
  const std::u16string longClass(120, u'C');
  // A surrogate pair split by the cut leaves a lone half, which reads as U+FFFD.
  const std::u16string splitPair = std::u16string(98, u'a') + u"\U0001F600";
  api.Windows = {{.Handle = 1, .ClassName = longClass, .Title = longTitle},
                 {.Handle = 2, .Title = splitPair}};
  TKeyedList<TWinInfo> list;
  GetWindowList(list, api);
  ASSERT_EQ(list.Count(), 2);

  std::string title99;
  for (int i = 0; i < 99; ++i) title99 += "题";
  EXPECT_EQ(list.Object(0)->Caption, title99);
  EXPECT_EQ(list.Object(0)->WndClass, std::string(99, 'C'));
  EXPECT_EQ(list.Object(1)->Caption, std::string(98, 'a') + "\xEF\xBF\xBD");
  EXPECT_THAT(api.ClassNameSizes, ElementsAre(100, 100));
  EXPECT_THAT(api.TextSizes, ElementsAre(100, 100));
}

TEST(GetWindowList, WindowGoneDuringTheReadsLeavesNothingBehind) {
  FakeWindowApi api;
  api.Windows = {{.Handle = 5, .Title = u"still titled", .ClassNameFails = true}};
  TKeyedList<TWinInfo> list;
  EXPECT_TRUE(EnumWindowsProc(5, list, api));
  EXPECT_TRUE(EnumWindowsProc(6, list, api)) << "a window that no longer exists";
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Object(0)->WndClass, "");
  EXPECT_EQ(list.Object(0)->Caption, "still titled");
}

TEST(GetWindowList, HandleWithTheTopBitSetIsKeyedWithoutSign) {
  FakeWindowApi api;
  const auto handle = static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int32_t>(0x80001234)));
  api.Windows = {{.Handle = handle, .Title = u"high"}};
  TKeyedList<TWinInfo> list;
  GetWindowList(list, api);
  EXPECT_THAT(Keys(list), ElementsAre("2147488308"));
  EXPECT_EQ(list.Object(0)->Handle, handle);
  EXPECT_EQ(list.IndexOf(HandleText(handle)), 0);
}

// Each step asks the filter about one window; the claimed list carries over
// from step to step as within one refresh.
TEST(IsTaskWindow, OneClaimPerProcessWithBrowserAndFolderWindowsExempt) {
  struct TStep {
    uintptr_t Window;
    std::string Class;
    bool Expected;
  };
  struct TCase {
    const char* What;
    std::vector<TStep> Steps;
    std::vector<std::string> Claimed;
  };
  // Windows 1..6 belong to process 100, 7 and 8 to process 200, 9 is gone.
  const TCase cases[] = {
      {"first window of a process claims it",
       {{1, "Notepad", true}, {2, "Notepad", false}, {7, "Notepad", true}},
       {"100", "200"}},
      {"desktop refused without claiming",
       {{1, "Progman", false}, {2, "Notepad", true}},
       {"100"}},
      {"folder windows all accepted, claim nothing",
       {{1, "CabinetWClass", true}, {2, "CabinetWClass", true}, {3, "CabinetWClass", true},
        {4, "ExploreWClass", true}, {5, "ExploreWClass", false}},
       {"100"}},
      {"browser window after the claim still accepted",
       {{1, "Notepad", true}, {2, "IEFrame", true}, {3, "IEFrame", true}},
       {"100"}},
      {"letter case counts",
       {{1, "progman", true}, {2, "cabinetwclass", false}, {7, "IEFRAME", true},
        {8, "ieframe", false}},
       {"100", "200"}},
      {"a window gone is accepted without a claim",
       {{9, "Notepad", true}, {9, "Notepad", true}, {1, "Notepad", true}},
       {"100"}},
  };
  for (const TCase& c : cases) {
    FakeWindowApi api;
    for (uintptr_t w = 1; w <= 6; ++w) api.Windows.push_back({.Handle = w, .Pid = 100});
    api.Windows.push_back({.Handle = 7, .Pid = 200});
    api.Windows.push_back({.Handle = 8, .Pid = 200});
    TTextList claimed;
    for (const TStep& s : c.Steps)
      EXPECT_EQ(IsTaskWindow(s.Window, s.Class, claimed, api), s.Expected)
          << c.What << ": window " << s.Window << " " << s.Class;
    std::vector<std::string> keys;
    for (int i = 0; i < claimed.Count(); ++i) keys.push_back(claimed.Key(i));
    EXPECT_EQ(keys, c.Claimed) << c.What;
  }
}

TEST(IsTaskWindow, ProcessIdsAreClaimedAsUnsignedDecimal) {
  FakeWindowApi api;
  api.Windows = {{.Handle = 1, .Pid = 0x80000004u}};
  TTextList claimed;
  EXPECT_TRUE(IsTaskWindow(1, "Notepad", claimed, api));
  EXPECT_EQ(claimed.Key(0), "2147483652");
}

TEST(GetWindowIcon, SmallThenBigThenClassIconAndATimeOutCountsAsNone) {
  struct TCase {
    const char* What;
    TFakeWindow Window;
    uintptr_t Expected;
    std::vector<uintptr_t> Asked;  // WM_GETICON wParams in order
  };
  const TCase cases[] = {
      {"small icon", {.SmallIcon = 0x11, .BigIcon = 0x22, .ClassIcon = 0x33}, 0x11, {0}},
      {"big icon only", {.BigIcon = 0x22, .ClassIcon = 0x33}, 0x22, {0, 1}},
      {"class icon only", {.ClassIcon = 0x33}, 0x33, {0, 1}},
      {"no icon at all", {}, 0, {0, 1}},
      {"small query times out", {.SmallIcon = 0x11, .BigIcon = 0x22, .SmallTimesOut = true},
       0x22, {0, 1}},
      {"hung window", {.SmallIcon = 0x11, .BigIcon = 0x22, .ClassIcon = 0x33,
                       .SmallTimesOut = true, .BigTimesOut = true},
       0x33, {0, 1}},
  };
  for (const TCase& c : cases) {
    FakeWindowApi api;
    TFakeWindow w = c.Window;
    w.Handle = 0x4242;
    api.Windows = {w};
    EXPECT_EQ(GetWindowIcon(0x4242, api), c.Expected) << c.What;
    std::vector<uintptr_t> asked;
    for (const auto& s : api.Sent) {
      asked.push_back(s.WParam);
      EXPECT_EQ(s.Window, 0x4242u);
      EXPECT_EQ(s.Message, 0x7Fu);
      EXPECT_EQ(s.LParam, 0);
      EXPECT_NE(s.Flags & kSmtoAbortIfHung, 0u) << c.What;
      EXPECT_GE(s.TimeoutMs, 100u) << c.What;
      EXPECT_LE(s.TimeoutMs, 200u) << c.What;
    }
    EXPECT_EQ(asked, c.Asked) << c.What;
  }
}

TEST(GetWindowProcessId, ZeroForAWindowThatIsGone) {
  FakeWindowApi api;
  api.Windows = {{.Handle = 3, .Pid = 4711}};
  EXPECT_EQ(GetWindowProcessId(3, api), 4711u);
  EXPECT_EQ(GetWindowProcessId(4, api), 0u);
}

}  // namespace
}  // namespace taskmgr
