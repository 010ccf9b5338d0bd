#include "procinfo/list_texts.h"

#include <cmath>

namespace taskmgr {

namespace {

constexpr double kMsPerDay = 86400000.0;

void AppendTwoDigits(std::string& out, int value) {
  out.push_back(static_cast<char>('0' + value / 10));
  out.push_back(static_cast<char>('0' + value % 10));
}

}  // namespace

std::string PidText(int32_t pid) { return std::to_string(pid); }

std::string HandleText(uintptr_t handle) {
  return std::to_string(static_cast<uint32_t>(handle));
}

std::string CpuTimeText(double cpuTime, std::string_view timeSeparator) {
  // Milliseconds of the day, rounded to the nearest (ties to even), as a
  // time-of-day formatter sees a day fraction; the rounding gives the whole
  // seconds back exactly.
  double ms = std::isfinite(cpuTime) ? std::nearbyint(std::fabs(cpuTime) * kMsPerDay) : 0.0;
  ms = std::fmod(ms, kMsPerDay);
  if (!(ms >= 0.0 && ms < kMsPerDay)) ms = 0.0;
  const int seconds = static_cast<int>(static_cast<int64_t>(ms) / 1000);

  std::string text;
  text.reserve(6 + 2 * timeSeparator.size());
  AppendTwoDigits(text, seconds / 3600);
  text.append(timeSeparator);
  AppendTwoDigits(text, seconds / 60 % 60);
  text.append(timeSeparator);
  AppendTwoDigits(text, seconds % 60);
  return text;
}

std::string MemUsageText(uint32_t memUsage) { return std::to_string(memUsage) + " K"; }

std::string ProcessCountText(int count) { return "进程数：" + std::to_string(count); }

}  // namespace taskmgr
