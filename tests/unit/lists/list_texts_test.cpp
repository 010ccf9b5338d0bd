#include "procinfo/list_texts.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <limits>
#include <string>

namespace taskmgr {
namespace {

// As the snapshot stores it.
double DayFraction(long long seconds) { return static_cast<double>(seconds) / 86400.0; }

struct TCpuCase {
  long long seconds;
  const char* separator;
  const char* expected;
};

TEST(CpuTimeText, ShowsTimeOfDayWithTheUsersSeparator) {
  const TCpuCase cases[] = {
      {0, ":", "00:00:00"},
      {59, ":", "00:00:59"},
      {60, ":", "00:01:00"},
      {3599, ":", "00:59:59"},
      {3600, ":", "01:00:00"},
      {86399, ":", "23:59:59"},
      {86400, ":", "00:00:00"},                       // whole days are not shown
      {86400 + 3600 + 60 + 1, ":", "01:01:01"},       // one day, 1 h, 1 min, 1 s
      {1000LL * 86400 + 45296, ":", "12:34:56"},
      {59, ".", "00.00.59"},
      {3723, "：", "01：02：03"},                      // separators need not be one byte
      {3723, "", "010203"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CpuTimeText(DayFraction(c.seconds), c.separator), c.expected)
        << c.seconds << " s, separator '" << c.separator << "'";
}

// The rounding to milliseconds must give back every whole second, on any
// day; truncating instead would show some seconds one lower.
TEST(CpuTimeText, EverySecondOfTheDayComesBackExactly) {
  for (long long day : {0LL, 1LL, 7LL, 365LL, 40000LL}) {
    for (long long s = 0; s < 86400; ++s) {
      char expected[32];
      std::snprintf(expected, sizeof expected, "%02lld:%02lld:%02lld", s / 3600, s / 60 % 60,
                    s % 60);
      const std::string text = CpuTimeText(DayFraction(day * 86400 + s), ":");
      if (text != expected) {
        ADD_FAILURE() << "day " << day << " second " << s << ": " << text << " != " << expected;
        return;
      }
    }
  }
}

TEST(CpuTimeText, NonsenseValuesStillGiveATime) {
  EXPECT_EQ(CpuTimeText(std::numeric_limits<double>::infinity(), ":"), "00:00:00");
  EXPECT_EQ(CpuTimeText(std::numeric_limits<double>::quiet_NaN(), ":"), "00:00:00");
  EXPECT_EQ(CpuTimeText(1e300, ":").size(), 8u);
}

TEST(MemUsageText, DecimalWithoutSeparatorsThenK) {
  EXPECT_EQ(MemUsageText(123456), "123456 K");
  EXPECT_EQ(MemUsageText(0), "0 K");
  EXPECT_EQ(MemUsageText(16), "16 K");
  EXPECT_EQ(MemUsageText(4294967295u), "4294967295 K");
}

TEST(KeyTexts, PidIsSignedDecimal) {
  EXPECT_EQ(PidText(0), "0");
  EXPECT_EQ(PidText(4), "4");
  EXPECT_EQ(PidText(10240), "10240");
  EXPECT_EQ(PidText(INT32_MAX), "2147483647");
  EXPECT_EQ(PidText(-1), "-1");
  EXPECT_EQ(PidText(INT32_MIN), "-2147483648");
}

TEST(KeyTexts, HandleIsUnsignedDecimalOfThe32BitValue) {
  EXPECT_EQ(HandleText(0), "0");
  EXPECT_EQ(HandleText(0x10010), "65552");
  EXPECT_EQ(HandleText(0x7FFFFFFF), "2147483647");
  EXPECT_EQ(HandleText(0x80000000u), "2147483648");
  EXPECT_EQ(HandleText(0xFFFFFFFFu), "4294967295");
  if constexpr (sizeof(uintptr_t) == 8) {
    // A handle sign-extended on its way from a 32-bit process.
    EXPECT_EQ(HandleText(static_cast<uintptr_t>(0xFFFFFFFF80001234ull)), "2147488308");
  }
}

TEST(ProcessCountText, FullWidthColon) {
  EXPECT_EQ(ProcessCountText(23), "进程数：23");
  EXPECT_EQ(ProcessCountText(0), "进程数：0");
}

}  // namespace
}  // namespace taskmgr
