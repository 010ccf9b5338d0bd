#include "perf/set_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace taskmgr {
namespace {

using namespace std::chrono_literals;

// A pause the test opens one pass at a time.
struct Gate {
  std::mutex m;
  std::condition_variable cv;
  int entered = 0;
  int released = 0;

  void Pause() {
    std::unique_lock lock(m);
    const int me = ++entered;
    cv.notify_all();
    cv.wait(lock, [&] { return released >= me; });
  }
  void WaitEntered(int n) {
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return entered >= n; });
  }
  void Release() {
    std::lock_guard lock(m);
    ++released;
    cv.notify_all();
  }
};

struct Counting {
  std::atomic<int> cpuCalls{0};
  TMemStatus record;
  std::promise<void> secondCall;

  SamplerHooks Hooks(int32_t cpuValue = 50) {
    SamplerHooks hooks;
    hooks.CpuSample = [this, cpuValue] {
      if (++cpuCalls == 2) secondCall.set_value();
      return cpuValue;
    };
    hooks.ReadMemory = [](TMemStatus& r) { r.StoreFigures({100, 50, 100}); };
    hooks.Memory = &record;
    return hooks;
  }
};

// Runs `f` on another thread and tells whether it ended within `limit`.
template <typename F>
bool EndsWithin(std::chrono::seconds limit, F f) {
  auto done = std::async(std::launch::async, f);
  return done.wait_for(limit) == std::future_status::ready;
}

TEST(TSetThread, RunsOnePassPerPauseAndFreesSurfacesAtTheEnd) {
  Gate gate;
  Counting counting;
  SamplerHooks hooks = counting.Hooks();
  hooks.Pause = [&] { gate.Pause(); };
  TSetThread thread(hooks);
  thread.CpuGraph = std::make_unique<TUseage>(86, 32);
  thread.MemGraph = std::make_unique<TUseage>(86, 32);
  TUseage* cpu = thread.CpuGraph.get();
  EXPECT_EQ(counting.cpuCalls.load(), 0) << "created suspended";

  thread.Resume();
  gate.WaitEntered(1);
  EXPECT_EQ(counting.cpuCalls.load(), 2);
  EXPECT_EQ(counting.record.Load().TotalPhys, 100u);
  std::vector<uint8_t> frame;
  cpu->CopyFrame(frame);
  EXPECT_EQ(frame[0], 0x00);  // grid pixel (0, 0): blue 0, green 128, red 0
  EXPECT_EQ(frame[1], 0x80);
  gate.Release();
  gate.WaitEntered(2);
  EXPECT_EQ(counting.cpuCalls.load(), 3);

  thread.Terminate();
  EXPECT_TRUE(thread.Terminated());
  gate.Release();
  thread.WaitFor();
  EXPECT_EQ(counting.cpuCalls.load(), 3) << "no pass after the request";
  EXPECT_EQ(thread.CpuGraph, nullptr);
  EXPECT_EQ(thread.MemGraph, nullptr);
  EXPECT_EQ(thread.FatalError(), nullptr);
}

TEST(TSetThread, StopDuringPauseEndsAtOnce) {
  Counting counting;
  SamplerHooks hooks = counting.Hooks();
  hooks.PauseLength = 120s;  // a pause that is not cut short fails the check below
  TSetThread thread(hooks);
  thread.CpuGraph = std::make_unique<TUseage>(86, 256);
  thread.MemGraph = std::make_unique<TUseage>(86, 256);
  thread.Resume();
  counting.secondCall.get_future().wait();  // end of the first pass
  thread.Terminate();
  EXPECT_TRUE(EndsWithin(30s, [&] { thread.WaitFor(); }));
  EXPECT_EQ(counting.cpuCalls.load(), 2);
  EXPECT_EQ(thread.CpuGraph, nullptr);
  EXPECT_EQ(thread.MemGraph, nullptr);
}

TEST(TSetThread, DestructorStopsARunningThread) {
  Counting counting;
  SamplerHooks hooks = counting.Hooks();
  hooks.PauseLength = 120s;
  EXPECT_TRUE(EndsWithin(30s, [&] {
    TSetThread thread(hooks);
    thread.CpuGraph = std::make_unique<TUseage>(86, 256);
    thread.MemGraph = std::make_unique<TUseage>(86, 256);
    thread.Resume();
    counting.secondCall.get_future().wait();
  }));
}

// The flag is tested before the first pass too; the start steps still run.
TEST(TSetThread, TerminatedBeforeStartDrawsNothing) {
  Counting counting;
  TSetThread thread(counting.Hooks());
  thread.CpuGraph = std::make_unique<TUseage>(86, 256);
  thread.MemGraph = std::make_unique<TUseage>(86, 256);
  thread.Terminate();
  thread.Resume();
  thread.WaitFor();
  EXPECT_EQ(counting.cpuCalls.load(), 1);
  EXPECT_EQ(thread.CpuGraph, nullptr);
  EXPECT_EQ(thread.MemGraph, nullptr);
}

TEST(TSetThread, NeverStartedKeepsItsSurfaces) {
  Counting counting;
  TSetThread thread(counting.Hooks());
  thread.CpuGraph = std::make_unique<TUseage>(86, 256);
  thread.MemGraph = std::make_unique<TUseage>(86, 256);
  thread.WaitFor();  // returns at once
  EXPECT_NE(thread.CpuGraph, nullptr);
  EXPECT_EQ(counting.cpuCalls.load(), 0);
}

TEST(TSetThread, ErrorInBodyEndsThreadQuietly) {
  TMemStatus record;
  SamplerHooks hooks;
  int calls = 0;
  hooks.CpuSample = [&]() -> int32_t {
    if (++calls == 2) throw std::runtime_error("query fault");
    return 0;
  };
  hooks.ReadMemory = [](TMemStatus&) {};
  hooks.Memory = &record;
  hooks.Pause = [] {};
  TSetThread thread(hooks);
  thread.CpuGraph = std::make_unique<TUseage>(86, 64);
  thread.MemGraph = std::make_unique<TUseage>(86, 64);
  thread.Resume();
  thread.WaitFor();
  EXPECT_NE(thread.FatalError(), nullptr);
  EXPECT_EQ(calls, 2);
  EXPECT_NE(thread.CpuGraph, nullptr) << "left to the thread object";
}

uint32_t PixelIn(const std::vector<uint8_t>& frame, int32_t stride, int32_t x, int32_t y) {
  const uint8_t* p = frame.data() + static_cast<size_t>(y) * stride + 3 * static_cast<size_t>(x);
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

// Copies taken while passes run back to back are always finished frames:
// with steady samples, every pass ends with the full grid row 0 and the full
// trace row, and one phase of vertical lines.
TEST(TSetThread, CopiesRacingTheDrawingAreFinishedFrames) {
  constexpr int32_t kWidth = 256, kHeight = 86;
  Counting counting;
  SamplerHooks hooks = counting.Hooks(50);  // CPU row 87 - 50 = 37
  hooks.Pause = [] { std::this_thread::yield(); };
  TSetThread thread(hooks);
  thread.CpuGraph = std::make_unique<TUseage>(kHeight, kWidth);
  thread.MemGraph = std::make_unique<TUseage>(kHeight, kWidth);  // memory 43, row 44
  const TUseage* graphs[] = {thread.CpuGraph.get(), thread.MemGraph.get()};
  const uint32_t traceColors[] = {kCpuTraceColor, kMemTraceColor};
  const int32_t traceRows[] = {37, 44};
  thread.Resume();
  while (counting.cpuCalls.load() < kWidth + 2) std::this_thread::yield();  // histories full

  int bad = 0;
  std::vector<uint8_t> frame;
  for (int copy = 0; copy < 4000; ++copy) {
    const int g = copy % 2;
    graphs[g]->CopyFrame(frame);
    const int32_t stride = graphs[g]->Stride();
    bool ok = true;
    for (int32_t x = 0; x <= kWidth - 2; ++x) {
      ok = ok && PixelIn(frame, stride, x, 0) == kGridColor;
      ok = ok && PixelIn(frame, stride, x, traceRows[g]) == traceColors[g];
    }
    std::vector<int32_t> verticals;
    for (int32_t x = 0; x < kWidth; ++x)
      if (PixelIn(frame, stride, x, 5) == kGridColor) verticals.push_back(x);
    ok = ok && !verticals.empty() && verticals.front() < 12;
    for (size_t i = 1; i < verticals.size(); ++i) ok = ok && verticals[i] - verticals[i - 1] == 12;
    if (!ok) ++bad;
  }
  thread.Terminate();
  thread.WaitFor();
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(thread.CpuGraph, nullptr);
}

}  // namespace
}  // namespace taskmgr
